#include "app/SpaceAddress.h"

#include <QRegularExpression>

#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"

namespace {

const QString kSection = QStringLiteral("空间地址");
const QString kKey = QStringLiteral("blogurl");
// The settings reader's buffer holds 1000 characters including the terminating zero.
constexpr int kMaxValueBytes = 999;

// An address copied from a browser may end in "/": the space is the same.
QString WithoutTrailingSlashes(QString text) {
    while (text.endsWith(QChar('/'))) {
        text.chop(1);
    }
    return text;
}

}  // namespace

std::optional<QString> ServicePageAddress(const QString& tail) {
    if (!tail.isEmpty() && !QStringLiteral("/?#").contains(tail.front())) {
        return std::nullopt;
    }
    return kServiceRoot + tail;
}

QString CanonicalSpaceAddress(const QString& typed) {
    static const QRegularExpression serviceFront(
        QStringLiteral(
            "^(?:https?://)?(?:[^/@]*@)?hi\\.baidu\\.com\\.?(?::(?:80|443)?)?(?=[/?#]|$)/*"),
        QRegularExpression::CaseInsensitiveOption);
    // Blanks pasted around an address are no part of it.
    const QString address = typed.trimmed();
    const QRegularExpressionMatch front = serviceFront.match(address);
    if (!front.hasMatch()) {
        return typed;
    }
    const QString rest = address.mid(front.capturedLength());
    return kServiceRoot + (rest.isEmpty() ? QString() : QStringLiteral("/") + rest);
}

QString WithWebScheme(const QString& typed) {
    // "http://" goes before the address, not before blanks pasted with it.
    const QString address = typed.trimmed();
    const bool hasScheme = address.contains(QStringLiteral("http://"), Qt::CaseInsensitive) ||
                           address.contains(QStringLiteral("https://"), Qt::CaseInsensitive);
    return hasScheme ? address : QStringLiteral("http://") + address;
}

bool IsUsableAddress(const QString& address) {
    return CanonicalSpaceAddress(address).size() > kServiceRoot.size();
}

QString SpaceName(const QString& typed) {
    const QString address = CanonicalSpaceAddress(typed);
    if (!IsUsableAddress(address)) {
        return {};
    }
    // The byte count is held in 16 bits; a longer address has no name rather than a wrong one.
    const int bytes = platform::AnsiByteLength(address);
    if (bytes > 32767) {
        return {};
    }
    const int keep = bytes - (kServiceRoot.size() + 1);
    return keep <= 0 ? QString() : WithoutTrailingSlashes(address.right(keep));
}

QString SpacePageAddress(const QString& address, const QString& path) {
    return WithoutTrailingSlashes(CanonicalSpaceAddress(address)) + path;
}

QString SettingsFilePath(const QString& appFolder) {
    return appFolder + platform::kPathSeparator + QStringLiteral("blogurl.ini");
}

QString LoadSpaceAddress(const QString& appFolder) {
    return platform::ReadProfileString(SettingsFilePath(appFolder), kSection, kKey, kMaxValueBytes);
}

bool SaveSpaceAddress(const QString& appFolder, const QString& address) {
    return platform::WriteProfileString(SettingsFilePath(appFolder), kSection, kKey, address);
}

QString StartupAddressForMainWindow(const QString& appFolder) {
    const QString saved = LoadSpaceAddress(appFolder);
    return platform::PathExists(SettingsFilePath(appFolder)) ? saved : kDefaultSpaceAddress;
}
