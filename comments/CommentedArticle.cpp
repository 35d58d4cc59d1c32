#include "comments/CommentedArticle.h"

#include <QRegularExpression>

#include "app/SpaceAddress.h"
#include "platform/Codepage.h"

namespace {

// The space's name as an address writes it, its escapes read as code page 936: the search
// page may escape a Chinese name that the address box holds as it stands.
QString ReadName(const QString& name) {
    const QByteArray bytes = name.toUtf8();
    if (!name.contains(QChar('%')) || bytes.size() != name.size()) {
        return name;
    }
    return platform::FromAnsi(QByteArray::fromPercentEncoding(bytes).toStdString());
}

}  // namespace

std::optional<QString> CommentedArticleAddress(const QString& link, const QString& spaceAddress) {
    static const QRegularExpression article(
        QStringLiteral(
            "^https?://hi\\.baidu\\.com/([^/?#\\s]+)/blog/item/([0-9a-z]{1,64})\\.html$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = article.match(link.trimmed());
    const QString space = SpacePageAddress(spaceAddress, QString());
    if (!match.hasMatch() || !space.startsWith(kServiceRoot + QChar('/'))) {
        return std::nullopt;
    }
    const QString name = space.mid(kServiceRoot.size() + 1);
    if (ReadName(match.captured(1)).compare(ReadName(name), Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    return SpacePageAddress(
        spaceAddress, QStringLiteral("/blog/item/") + match.captured(2) + QStringLiteral(".html"));
}
