#include "platform/BrowserAddress.h"

#include "platform/Http.h"
#include "platform/Shell.h"
#include "platform/WarcReplay.h"

namespace platform {

std::optional<QString> BrowserAddress(const QString& address) {
    const bool web = address.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
                     address.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
    if (!web) {
        return std::nullopt;
    }
    // Archive files are no address a browser can open: the address itself is the best left.
    if (IsWarcPrefix(ReplayPrefix())) {
        return address;
    }
    return QString::fromStdString(ReplayPrefix()) + address;
}

void OpenInBrowser(const QString& address) {
    if (const std::optional<QString> target = BrowserAddress(address)) {
        OpenAddress(*target);
    }
}

}  // namespace platform
