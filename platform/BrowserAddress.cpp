#include "platform/BrowserAddress.h"

#include "platform/Http.h"
#include "platform/Shell.h"

namespace platform {

std::optional<QString> BrowserAddress(const QString& address) {
    const bool web = address.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
                     address.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
    if (!web) {
        return std::nullopt;
    }
    return QString::fromStdString(ReplayPrefix()) + address;
}

void OpenInBrowser(const QString& address) {
    if (const std::optional<QString> target = BrowserAddress(address)) {
        OpenAddress(*target);
    }
}

}  // namespace platform
