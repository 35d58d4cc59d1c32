#include "app/PageFetcher.h"

#include <optional>

#include "app/SpaceAddress.h"
#include "app/modgetdata.h"

QString PageFetcher::Fetch(const QString& address) {
    // An error page is not one of the space's pages; reading it would only list its markup.
    const std::optional<QString> page = GetPageToKeep(address);
    if (!page) {
        ++failed_;
    }
    return page.value_or(QString());
}

QString PageFetcher::FetchServicePage(const QString& tail) {
    const std::optional<QString> address = ServicePageAddress(tail);
    if (!address) {
        ++failed_;
        return {};
    }
    return Fetch(*address);
}

QString PageFetcher::FailureNote() const {
    if (failed_ == 0) {
        return {};
    }
    return QStringLiteral("，其中 ") + QString::number(failed_) + QStringLiteral(" 个页面读取失败");
}
