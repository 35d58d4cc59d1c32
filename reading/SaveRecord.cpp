#include "reading/SaveRecord.h"

#include <nlohmann/json.hpp>

#include "platform/FileSystem.h"
#include "platform/StagedFolder.h"
#include "reading/ReadingNames.h"

using nlohmann::json;

namespace {

// Far above the record of any real space (some hundred bytes a row).
constexpr qint64 kMaxRecordBytes = 512LL * 1024 * 1024;
constexpr int kRecordVersion = 1;

const char* OutcomeName(RowOutcome outcome) {
    switch (outcome) {
        case RowOutcome::Failed:
            return "failed";
        case RowOutcome::Skipped:
            return "skipped";
        case RowOutcome::Saved:
            break;
    }
    return "saved";
}

RowOutcome OutcomeOf(const std::string& name) {
    if (name == "failed") {
        return RowOutcome::Failed;
    }
    return name == "skipped" ? RowOutcome::Skipped : RowOutcome::Saved;
}

std::string Utf8(const QString& text) {
    return text.toStdString();
}

std::string TimeText(const QDateTime& time) {
    return Utf8(time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate));
}

// A text member, or empty when it is missing or not a text: the record may have been edited.
QString Text(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string()
               ? QString::fromStdString(found->get<std::string>())
               : QString();
}

int Number(const json& object, const char* key, int fallback) {
    const auto found = object.find(key);
    return found != object.end() && found->is_number_integer() ? found->get<int>() : fallback;
}

QStringList Texts(const json& object, const char* key) {
    QStringList texts;
    const auto found = object.find(key);
    if (found != object.end() && found->is_array()) {
        for (const json& item : *found) {
            if (item.is_string()) {
                texts << QString::fromStdString(item.get<std::string>());
            }
        }
    }
    return texts;
}

json TextArray(const QStringList& texts) {
    json array = json::array();
    for (const QString& text : texts) {
        array.push_back(Utf8(text));
    }
    return array;
}

QDateTime TimeOf(const json& object) {
    return QDateTime::fromString(Text(object, "savedAt"), Qt::ISODate);
}

const json* Member(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_object() ? &*found : nullptr;
}

// The rows of a part, skipping any that is not an object.
std::vector<const json*> Rows(const json& part) {
    std::vector<const json*> rows;
    const auto found = part.find("rows");
    if (found != part.end() && found->is_array()) {
        for (const json& row : *found) {
            if (row.is_object()) {
                rows.push_back(&row);
            }
        }
    }
    return rows;
}

json ArticlesJson(const RecordedArticleSave& save) {
    json rows = json::array();
    for (const RecordedArticle& article : save.rows) {
        rows.push_back({{"row", article.row},
                        {"title", Utf8(article.title)},
                        {"category", Utf8(article.category)},
                        {"date", Utf8(article.date)},
                        {"address", Utf8(article.address)},
                        {"from", Utf8(article.from)},
                        {"files", TextArray(article.files)},
                        {"outcome", OutcomeName(article.outcome)}});
    }
    return {{"savedAt", TimeText(save.savedAt)},
            {"format", Utf8(save.format)},
            {"replay", Utf8(save.replay)},
            {"rows", rows}};
}

RecordedArticleSave ArticlesOf(const json& part) {
    RecordedArticleSave save{TimeOf(part), Text(part, "format"), Text(part, "replay"), {}};
    for (const json* row : Rows(part)) {
        save.rows.push_back({Number(*row, "row", 0), Text(*row, "title"), Text(*row, "category"),
                             Text(*row, "date"), Text(*row, "address"), Text(*row, "from"),
                             Texts(*row, "files"), OutcomeOf(Utf8(Text(*row, "outcome")))});
    }
    return save;
}

json SongsJson(const RecordedSongDownload& download) {
    json rows = json::array();
    for (const RecordedSong& song : download.rows) {
        rows.push_back({{"address", Utf8(song.address)},
                        {"from", Utf8(song.from)},
                        {"file", Utf8(song.file)},
                        {"outcome", OutcomeName(song.outcome)}});
    }
    return {
        {"savedAt", TimeText(download.savedAt)}, {"replay", Utf8(download.replay)}, {"rows", rows}};
}

RecordedSongDownload SongsOf(const json& part) {
    RecordedSongDownload download{TimeOf(part), Text(part, "replay"), {}};
    for (const json* row : Rows(part)) {
        download.rows.push_back({Text(*row, "address"), Text(*row, "from"), Text(*row, "file"),
                                 OutcomeOf(Utf8(Text(*row, "outcome")))});
    }
    return download;
}

json FileJson(const RecordedFileSave& save) {
    return {{"savedAt", TimeText(save.savedAt)},
            {"outcome", save.saved ? "saved" : "failed"},
            {"records", save.records},
            {"unreadPages", save.unreadPages}};
}

RecordedFileSave FileOf(const json& part) {
    return {TimeOf(part), Text(part, "outcome") == QLatin1String("saved"),
            Number(part, "records", -1), Number(part, "unreadPages", 0)};
}

}  // namespace

std::optional<SaveRecord> LoadSaveRecord(const QString& spaceFolder) {
    const std::optional<std::string> bytes =
        platform::ReadFileBytes(spaceFolder + kSaveRecordName, kMaxRecordBytes);
    if (!bytes) {
        return std::nullopt;
    }
    const json document = json::parse(*bytes, nullptr, false);
    if (!document.is_object()) {
        return std::nullopt;
    }
    SaveRecord record;
    record.address = Text(document, "address");
    if (const json* articles = Member(document, "articles")) {
        record.articles = ArticlesOf(*articles);
    }
    if (const json* songs = Member(document, "songs")) {
        record.songs = SongsOf(*songs);
    }
    if (const json* files = Member(document, "files")) {
        for (const auto& [name, part] : files->items()) {
            if (part.is_object()) {
                record.files[QString::fromStdString(name)] = FileOf(part);
            }
        }
    }
    return record;
}

bool StoreSaveRecord(const QString& spaceFolder, const SaveRecord& record) {
    json document = {
        {"program", "Pagewren"}, {"version", kRecordVersion}, {"address", Utf8(record.address)}};
    if (record.articles) {
        document["articles"] = ArticlesJson(*record.articles);
    }
    if (record.songs) {
        document["songs"] = SongsJson(*record.songs);
    }
    json files = json::object();
    for (const auto& [name, save] : record.files) {
        files[Utf8(name)] = FileJson(save);
    }
    document["files"] = files;
    // A text cut from a page may hold what UTF-8 cannot: it is replaced rather than refused.
    const std::string text = document.dump(1, '\t', false, json::error_handler_t::replace) + "\n";
    platform::ReplacingFile file(spaceFolder + kSaveRecordName);
    return file.Open() && file.Write(text.data(), static_cast<qint64>(text.size())) &&
           file.Commit();
}
