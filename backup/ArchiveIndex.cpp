#include "backup/ArchiveIndex.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "app/modgetdata.h"
#include "platform/Http.h"
#include "platform/WarcReplay.h"

namespace {

using nlohmann::json;

constexpr int kCapturesPerPage = 1000;
// 200,000 article pages, each once: far beyond any space, small enough to hold in memory.
constexpr int kMostIndexPages = 200;

struct IndexChoice {
    bool enabled = true;
    QString endpoint;  // empty: derived from the replay prefix
};

IndexChoice& Choice() {
    static IndexChoice choice;
    return choice;
}

// While one lives, requests go to their own addresses: the index is the archive's own service,
// not a capture of a page.
class DirectRequests {
public:
    DirectRequests() : prefix_(platform::ReplayPrefix()) { platform::SetReplayPrefix({}); }
    ~DirectRequests() { platform::SetReplayPrefix(prefix_); }
    DirectRequests(const DirectRequests&) = delete;
    DirectRequests& operator=(const DirectRequests&) = delete;

private:
    std::string prefix_;
};

// The article id of an index row's original address when it is an article page of the
// space on the service's host; empty for anything else an index may hold.
QString ArticleId(const QString& original, const QString& spaceName) {
    const QUrl url(original);
    if (url.host().compare(QStringLiteral("hi.baidu.com"), Qt::CaseInsensitive) != 0) {
        return {};
    }
    static const QRegularExpression itemPath(
        QStringLiteral("^/([^/]+)/blog/item/([0-9A-Za-z]+)\\.html$"));
    const QRegularExpressionMatch match = itemPath.match(url.path());
    if (!match.hasMatch() || match.captured(1).compare(spaceName, Qt::CaseInsensitive) != 0) {
        return {};
    }
    return match.captured(2);
}

// One page of the index, read into the ids; returns the resume key of the next page, or
// nothing at the last page. Sets failed when the answer is no index page.
std::optional<std::string> ReadIndexPage(const std::string& body, const QString& spaceName,
                                         std::set<QString>& seen, IndexedArticles& result) {
    const json rows = json::parse(body, nullptr, false);
    if (!rows.is_array() || rows.empty() || !rows.front().is_array()) {
        result.failed = true;
        return std::nullopt;
    }
    const json& names = rows.front();
    const auto column = std::find(names.begin(), names.end(), "original");
    if (column == names.end()) {
        result.failed = true;
        return std::nullopt;
    }
    const auto at = static_cast<std::size_t>(column - names.begin());
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const json& row = rows[i];
        if (row.is_array() && row.empty() && i + 1 < rows.size() && rows[i + 1].is_array() &&
            !rows[i + 1].empty() && rows[i + 1][0].is_string()) {
            return rows[i + 1][0].get<std::string>();
        }
        if (!row.is_array() || row.size() <= at || !row[at].is_string()) {
            continue;
        }
        const QString id = ArticleId(QString::fromStdString(row[at].get<std::string>()), spaceName);
        if (!id.isEmpty() && seen.insert(id).second) {
            result.ids << id;
        }
    }
    return std::nullopt;
}

QString ArticlePagesPrefix(const QString& spaceName) {
    return QStringLiteral("hi.baidu.com/") + spaceName + QStringLiteral("/blog/item/");
}

IndexedArticles ListWarcArticles(const QString& spaceName) {
    IndexedArticles result;
    std::set<QString> seen;
    for (const std::string& address :
         platform::WarcAddressesWithPrefix(ArticlePagesPrefix(spaceName).toStdString())) {
        const QString id = ArticleId(QString::fromStdString(address), spaceName);
        if (!id.isEmpty() && seen.insert(id).second) {
            result.ids << id;
        }
    }
    return result;
}

QString IndexPageAddress(const QString& endpoint, const QString& spaceName,
                         const std::optional<std::string>& resumeKey) {
    QUrl url(endpoint);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("url"), ArticlePagesPrefix(spaceName));
    query.addQueryItem(QStringLiteral("matchType"), QStringLiteral("prefix"));
    query.addQueryItem(QStringLiteral("output"), QStringLiteral("json"));
    query.addQueryItem(QStringLiteral("fl"),
                       QStringLiteral("original,timestamp,statuscode,mimetype"));
    query.addQueryItem(QStringLiteral("filter"), QStringLiteral("statuscode:200"));
    query.addQueryItem(QStringLiteral("collapse"), QStringLiteral("urlkey"));
    query.addQueryItem(QStringLiteral("limit"), QString::number(kCapturesPerPage));
    query.addQueryItem(QStringLiteral("showResumeKey"), QStringLiteral("true"));
    if (resumeKey) {
        query.addQueryItem(
            QStringLiteral("resumeKey"),
            QString::fromUtf8(QUrl::toPercentEncoding(QString::fromStdString(*resumeKey))));
    }
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

}  // namespace

bool TakeArchiveIndexOptions(QStringList& arguments) {
    const char* fromEnvironment = std::getenv("PAGEWREN_CDX");
    IndexChoice choice;
    choice.endpoint =
        fromEnvironment == nullptr ? QString() : QString::fromLocal8Bit(fromEnvironment);
    choice.enabled = arguments.removeAll(QStringLiteral("--no-index")) == 0;
    const qsizetype at = arguments.indexOf(QStringLiteral("--cdx"));
    if (at >= 0) {
        if (at + 1 >= arguments.size()) {
            return false;
        }
        choice.endpoint = arguments[at + 1];
        arguments.remove(at, 2);
    }
    Choice() = choice;
    return true;
}

std::optional<QString> ArchiveIndexEndpoint() {
    const QString prefix = QString::fromStdString(platform::ReplayPrefix());
    if (prefix.isEmpty() || !Choice().enabled || platform::IsWarcPrefix(platform::ReplayPrefix())) {
        return std::nullopt;
    }
    if (!Choice().endpoint.isEmpty()) {
        return Choice().endpoint;
    }
    // "http://HOST/web/TIME/" or "http://HOST/COLLECTION/TIME/", TIME with an optional flag.
    static const QRegularExpression layout(
        QStringLiteral("^(https?://[^/]+)/([^/]+)/[0-9]{1,14}(?:[a-z]{2}_)?/?$"));
    const QRegularExpressionMatch match = layout.match(prefix);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    if (match.captured(2) == QLatin1String("web")) {
        return match.captured(1) + QStringLiteral("/cdx/search/cdx");
    }
    return match.captured(1) + QStringLiteral("/") + match.captured(2) + QStringLiteral("/cdx");
}

IndexedArticles ListIndexedArticles(const QString& endpoint, const QString& spaceName,
                                    const std::function<void()>& wait) {
    IndexedArticles result;
    std::set<QString> seen;
    std::set<std::string> keysAsked;
    std::optional<std::string> resumeKey;
    for (int page = 0;; ++page) {
        // An index that pages on with ever new keys would hold the run for ever.
        if (page == kMostIndexPages) {
            result.failed = true;
            return result;
        }
        if (page > 0) {
            wait();
        }
        std::optional<platform::HttpResponse> answer;
        {
            const DirectRequests direct;
            answer = platform::HttpGetResponse(
                AddressOnTheWire(IndexPageAddress(endpoint, spaceName, resumeKey)));
        }
        if (!answer || !answer->IsPage()) {
            result.failed = true;
            return result;
        }
        resumeKey = ReadIndexPage(answer->body, spaceName, seen, result);
        // A key given twice would page for ever.
        if (!resumeKey || !keysAsked.insert(*resumeKey).second) {
            return result;
        }
    }
}

std::optional<IndexedArticles> ListArchivedArticles(const QString& spaceName,
                                                    const std::function<void()>& wait) {
    if (Choice().enabled && platform::IsWarcPrefix(platform::ReplayPrefix())) {
        return ListWarcArticles(spaceName);
    }
    const std::optional<QString> endpoint = ArchiveIndexEndpoint();
    if (!endpoint) {
        return std::nullopt;
    }
    wait();
    return ListIndexedArticles(*endpoint, spaceName, wait);
}
