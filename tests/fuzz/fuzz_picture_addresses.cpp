// Reads the input as a saved article's body with the scanner of the pictures it shows, and
// stops at once when what it found is more than the body could hold: more addresses than two
// for each "<" in it (a picture and the link around it), more than an article is allowed, an
// address twice, one too long, an address that is no http or https address with a host (a
// save would request it), or addresses longer in all than the body, each character grown to
// at most nine (a URL's percent-encoding in UTF-8), with the article's address before each.
// Input: the body in UTF-8.
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstddef>
#include <cstdint>

#include "space/PictureAddresses.h"

namespace {

const QString kArticle =
    QStringLiteral("http://hi.baidu.com/photowren/blog/item/19b76683ee83c716.html");

// The most characters one character of a value becomes in an address.
constexpr qsizetype kMaxGrowth = 9;

void Check(bool held) {
    if (!held) {
        __builtin_trap();
    }
}

bool IsWebAddress(const QString& address) {
    const QUrl url(address);
    return (address.startsWith(QLatin1String("http://")) ||
            address.startsWith(QLatin1String("https://"))) &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString body =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList pictures = PicturesInBody(body, kArticle);
    Check(pictures.size() <= 2 * body.count(QChar('<')));
    Check(pictures.size() <= kMostPicturesPerArticle);
    Check(QSet<QString>(pictures.begin(), pictures.end()).size() == pictures.size());
    qsizetype total = 0;
    for (const QString& address : pictures) {
        Check(address.size() <= kLongestPictureAddress);
        Check(IsWebAddress(address));
        total += address.size();
    }
    Check(total <= kMaxGrowth * body.size() + pictures.size() * kArticle.size());
    return 0;
}
