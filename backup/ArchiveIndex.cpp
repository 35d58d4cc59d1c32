#include "backup/ArchiveIndex.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <istream>
#include <nlohmann/json.hpp>
#include <set>
#include <streambuf>
#include <string>
#include <string_view>

#include "app/modgetdata.h"
#include "platform/Http.h"
#include "platform/WarcReplay.h"

namespace {

using nlohmann::json;

constexpr int kCapturesPerPage = 1000;
// 200,000 article pages, each once: far beyond any space, small enough to hold in memory.
constexpr int kMostIndexPages = 200;
constexpr std::size_t kMostArticles = std::size_t{kCapturesPerPage} * kMostIndexPages;
// An index row is a few hundred bytes; a field far longer is no field of an index.
constexpr std::size_t kLongestToken = 64 * 1024;

struct IndexChoice {
    bool enabled = true;
    QString endpoint;  // empty: derived from the replay prefix
};

IndexChoice& Choice() {
    static IndexChoice choice;
    return choice;
}

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

// Adds an article id to the list once; false when the list is full.
bool AddId(const QString& id, std::set<QString>& seen, IndexedArticles& result) {
    if (id.isEmpty() || seen.contains(id)) {
        return true;
    }
    if (seen.size() >= kMostArticles) {
        return false;
    }
    seen.insert(id);
    result.ids << id;
    return true;
}

// Ends the body early once one token of it (a text, a number, blanks) grows beyond
// kLongestToken bytes: the JSON reader holds a token whole while it reads it, and no field of
// an index row comes near that. Only quotes and their escapes need following to find where
// tokens end.
class TokenGuard : public std::streambuf {
    static constexpr std::streamsize kGuardBytes = 16 * 1024;

public:
    explicit TokenGuard(std::streambuf& source) : source_(source) {}

    bool Cut() const { return cut_; }

protected:
    // Takes what the source holds now, waiting only when it holds nothing.
    int_type underflow() override {
        if (cut_ || source_.sgetc() == traits_type::eof()) {
            return traits_type::eof();
        }
        const auto available = std::min<std::streamsize>(
            std::max<std::streamsize>(source_.in_avail(), 1), kGuardBytes);
        const std::streamsize count = source_.sgetn(buffer_.data(), available);
        std::streamsize passed = 0;
        while (passed < count && Track(buffer_[static_cast<std::size_t>(passed)])) {
            ++passed;
        }
        if (passed == 0) {
            return traits_type::eof();
        }
        setg(buffer_.data(), buffer_.data(), buffer_.data() + passed);
        return traits_type::to_int_type(buffer_[0]);
    }

private:
    bool Track(char c) {
        if (inString_) {
            inString_ = escaped_ || c != '"';
            escaped_ = !escaped_ && c == '\\';
        } else if (c == '"') {
            inString_ = true;
        } else if (std::string_view("[]{},:").find(c) != std::string_view::npos) {
            tokenBytes_ = 0;
        }
        cut_ = ++tokenBytes_ > kLongestToken;
        return !cut_;
    }

    std::streambuf& source_;
    std::array<char, kGuardBytes> buffer_{};
    std::size_t tokenBytes_ = 0;
    bool inString_ = false;
    bool escaped_ = false;
    bool cut_ = false;
};

// Reads an index page row by row as the JSON reader meets it, keeping nothing of a row but
// the field it needs: a page of any size takes the same memory. The page is an array of
// rows, arrays of texts: the field names first, then one row per capture, and, when more
// pages follow, an empty row and a row holding the key to resume with.
class IndexPageReader : public json::json_sax_t {
public:
    explicit IndexPageReader(const CaptureTaker& take) : take_(take) {}

    // Whether the page was an index page, read to its end.
    bool Understood() const { return understood_; }
    // The key of the next page; nothing at the last page.
    const std::optional<std::string>& ResumeKey() const { return resumeKey_; }

    bool start_array(std::size_t) override { return Open(true); }
    bool end_array() override { return Close(); }
    bool start_object(std::size_t) override { return Open(false); }
    bool end_object() override { return Close(); }
    bool key(string_t&) override { return true; }
    bool string(string_t& value) override {
        if (depth_ == 2 && rowIsArray_) {
            Field(value);
            return true;
        }
        return Other();
    }
    bool null() override { return Other(); }
    bool boolean(bool) override { return Other(); }
    bool number_integer(number_integer_t) override { return Other(); }
    bool number_unsigned(number_unsigned_t) override { return Other(); }
    bool number_float(number_float_t, const string_t&) override { return Other(); }
    bool binary(binary_t&) override { return Other(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    // The page itself must be an array; a row is an array or, skipped, anything else.
    bool Open(bool isArray) {
        if (depth_ == 0 && !isArray) {
            return false;
        }
        ++depth_;
        if (depth_ == 2) {
            rowIsArray_ = isArray;
            fields_ = 0;
            firstField_.reset();
            original_.reset();
            timestamp_.reset();
        } else if (depth_ == 3) {
            ++fields_;  // a field that is no text
        }
        return true;
    }

    bool Close() {
        --depth_;
        if (depth_ == 1) {
            return EndRow();
        }
        if (depth_ == 0) {
            understood_ = true;
        }
        return true;
    }

    // A value that is no row, or a field that is no text.
    bool Other() {
        if (depth_ == 2) {
            ++fields_;
        }
        return depth_ > 1 || (depth_ == 1 && rows_++ > 0);
    }

    void Field(const std::string& value) {
        if (rows_ == 0 && !column_ && value == "original") {
            column_ = fields_;
        }
        if (rows_ == 0 && !timeColumn_ && value == "timestamp") {
            timeColumn_ = fields_;
        }
        if (fields_ == 0) {
            firstField_ = value;
        }
        if (column_ && fields_ == *column_) {
            original_ = value;
        }
        if (timeColumn_ && fields_ == *timeColumn_) {
            timestamp_ = value;
        }
        ++fields_;
    }

    // A page whose first row names no "original" field is no index page this can read.
    bool EndRow() {
        if (rows_++ == 0) {
            return rowIsArray_ && column_.has_value();
        }
        if (!rowIsArray_) {
            return true;
        }
        if (fields_ == 0) {
            afterEmptyRow_ = true;
            return true;
        }
        if (afterEmptyRow_ && firstField_ && !resumeKey_) {
            resumeKey_ = firstField_;
        }
        if (resumeKey_ || !original_) {
            return true;
        }
        // A full list stops the reading: the page then counts as not understood.
        return take_({QString::fromStdString(*original_),
                      QString::fromStdString(timestamp_.value_or(std::string()))});
    }

    const CaptureTaker& take_;
    int depth_ = 0;
    int rows_ = 0;
    bool rowIsArray_ = false;
    int fields_ = 0;
    std::optional<int> column_;
    std::optional<int> timeColumn_;
    std::optional<std::string> firstField_;
    std::optional<std::string> original_;
    std::optional<std::string> timestamp_;
    std::optional<std::string> resumeKey_;
    bool afterEmptyRow_ = false;
    bool understood_ = false;
};

// Reads one page of the index, handing each capture over as it arrives; returns the resume
// key of the next page, or nothing at the last page. Sets failed when the request failed or
// the answer is no index page. An empty array is an index page without captures.
std::optional<std::string> ReadIndexPage(const std::string& address, const CaptureTaker& take,
                                         bool& failed) {
    platform::HttpStream page(address, platform::Route::Direct);
    TokenGuard guarded(*page.Body().rdbuf());
    std::istream body(&guarded);
    IndexPageReader reader(take);
    const bool parsed = json::sax_parse(body, &reader) && reader.Understood();
    const std::optional<platform::HttpResponse> answer = page.Finish();
    if (!parsed || guarded.Cut() || !answer || answer->IsError()) {
        failed = true;
        return std::nullopt;
    }
    return reader.ResumeKey();
}

bool Refuse(QString* error, const QString& reason) {
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

bool IsWebAddress(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
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

QString IndexPageAddress(const QString& endpoint, const QString& addressPrefix,
                         const std::optional<std::string>& resumeKey) {
    QUrl url(endpoint);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("url"), addressPrefix);
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

bool TakeArchiveIndexOptions(QStringList& arguments, QString* error) {
    const char* fromEnvironment = std::getenv("PAGEWREN_CDX");
    IndexChoice choice;
    choice.endpoint =
        fromEnvironment == nullptr ? QString() : QString::fromLocal8Bit(fromEnvironment);
    QString named = fromEnvironment == nullptr ? QString() : QStringLiteral("PAGEWREN_CDX");
    choice.enabled = arguments.removeAll(QStringLiteral("--no-index")) == 0;
    const qsizetype at = arguments.indexOf(QStringLiteral("--cdx"));
    if (at >= 0) {
        if (at + 1 >= arguments.size()) {
            return Refuse(error, QStringLiteral("--cdx needs the address of an archive's "
                                                "capture index (http://… or https://…)"));
        }
        choice.endpoint = arguments[at + 1];
        named = QStringLiteral("--cdx");
        arguments.remove(at, 2);
    }
    // The index is asked only after the whole catalogue: an address that can never answer
    // would fail the run at its very end.
    if (!choice.endpoint.isEmpty() && !IsWebAddress(choice.endpoint)) {
        return Refuse(error, named +
                                 QStringLiteral(" needs the address of an archive's capture "
                                                "index (http://… or https://…), not ") +
                                 choice.endpoint);
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

bool ListIndexedCaptures(const QString& endpoint, const QString& addressPrefix,
                         const CaptureTaker& take, const std::function<void()>& wait) {
    bool failed = false;
    std::set<std::string> keysAsked;
    std::optional<std::string> resumeKey;
    for (int page = 0;; ++page) {
        // An index that pages on with ever new keys would hold the run for ever.
        if (page == kMostIndexPages) {
            return false;
        }
        if (page > 0) {
            wait();
        }
        // The index is the archive's own service, not a capture of a page.
        resumeKey = ReadIndexPage(
            AddressOnTheWire(IndexPageAddress(endpoint, addressPrefix, resumeKey)), take, failed);
        // A key given twice would page for ever.
        if (!resumeKey || !keysAsked.insert(*resumeKey).second) {
            return !failed;
        }
    }
}

IndexedArticles ListIndexedArticles(const QString& endpoint, const QString& spaceName,
                                    const std::function<void()>& wait) {
    IndexedArticles result;
    std::set<QString> seen;
    const auto take = [&](const IndexedCapture& capture) {
        return AddId(ArticleId(capture.original, spaceName), seen, result);
    };
    result.failed = !ListIndexedCaptures(endpoint, ArticlePagesPrefix(spaceName), take, wait);
    return result;
}

bool IndexEnabled() {
    return Choice().enabled;
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
