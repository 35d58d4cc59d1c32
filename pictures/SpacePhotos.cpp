#include "pictures/SpacePhotos.h"

#include <QRegularExpression>
#include <QSet>

#include "app/SpaceAddress.h"
#include "backup/ArchiveIndex.h"
#include "platform/Codepage.h"
#include "platform/Http.h"
#include "platform/WarcReplay.h"

namespace {

// A space of more photos than this is no space the service held; the list stops there.
constexpr std::size_t kMostPhotos = 200000;

// Where the service kept every full-size photo of a space.
QString PhotoPrefix(const QString& nameForm) {
    return QStringLiteral("hiphotos.baidu.com/") + nameForm + QStringLiteral("/pic/item/");
}

QString Encoded(const QString& spaceName, bool upperHex, bool underscore) {
    const char* const hex = upperHex ? "0123456789ABCDEF" : "0123456789abcdef";
    QString encoded;
    for (const unsigned char byte : platform::ToAnsi(spaceName)) {
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '~' || (byte == '_' && !underscore);
        if (plain) {
            encoded += QChar(byte);
        } else {
            encoded += QChar('%');
            encoded += QChar(hex[byte >> 4]);
            encoded += QChar(hex[byte & 0x0F]);
        }
    }
    return encoded;
}

// The space's name as the address writes it, up to the next "/", "?" or "#", its escapes read
// as code page 936: not SpaceName's count of bytes, which a Chinese name makes too long.
QString NameInAddress(const QString& address) {
    const QString canonical = CanonicalSpaceAddress(address);
    if (!canonical.startsWith(kServiceRoot + QChar('/'))) {
        return {};
    }
    QString name = canonical.mid(kServiceRoot.size() + 1);
    static const QRegularExpression end(QStringLiteral("[/?#]"));
    const qsizetype cut = name.indexOf(end);
    if (cut >= 0) {
        name.truncate(cut);
    }
    const QByteArray bytes = name.toUtf8();
    const bool escaped = name.contains(QChar('%')) && bytes.size() == name.size();
    return escaped ? platform::FromAnsi(QByteArray::fromPercentEncoding(bytes).toStdString())
                   : name;
}

// Adds the photos of one list, each address once, until the list is full.
class PhotoList {
public:
    bool Add(const QString& address, const QString& captured) {
        if (seen_.contains(address)) {
            return true;
        }
        if (result_.photos.size() >= kMostPhotos) {
            result_.failed = true;
            return false;
        }
        seen_.insert(address);
        result_.photos.push_back({address, captured});
        return true;
    }

    void Fail() { result_.failed = true; }
    SpacePhotos Take() { return std::move(result_); }

private:
    QSet<QString> seen_;
    SpacePhotos result_;
};

}  // namespace

QStringList PhotoNameForms(const QString& spaceAddress) {
    const QString spaceName = NameInAddress(spaceAddress);
    if (spaceName.isEmpty()) {
        return {};
    }
    QStringList forms;
    for (const bool upperHex : {true, false}) {
        for (const bool underscore : {true, false}) {
            const QString form = Encoded(spaceName, upperHex, underscore);
            if (!forms.contains(form)) {
                forms << form;
            }
        }
    }
    return forms;
}

std::optional<SpacePhotos> ListSpacePhotos(const QString& spaceAddress,
                                           const std::function<void()>& wait) {
    const QStringList forms = PhotoNameForms(spaceAddress);
    if (forms.isEmpty() || !IndexEnabled()) {
        return std::nullopt;
    }
    PhotoList photos;
    if (platform::IsWarcPrefix(platform::ReplayPrefix())) {
        for (const QString& form : forms) {
            for (const auto& [address, time] :
                 platform::WarcCapturesWithPrefix(PhotoPrefix(form).toStdString())) {
                photos.Add(QString::fromStdString(address), QString::fromStdString(time));
            }
        }
        return photos.Take();
    }
    const std::optional<QString> endpoint = ArchiveIndexEndpoint();
    if (!endpoint) {
        return std::nullopt;
    }
    const auto take = [&](const IndexedCapture& capture) {
        return photos.Add(capture.original, capture.time);
    };
    for (const QString& form : forms) {
        wait();
        if (!ListIndexedCaptures(*endpoint, PhotoPrefix(form), take, wait)) {
            photos.Fail();
        }
    }
    return photos.Take();
}
