#include "space/SaveRecord.h"

#include <functional>
#include <nlohmann/json.hpp>

#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "platform/StagedFolder.h"
#include "space/SpaceFiles.h"

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

json ArticleJson(const RecordedArticle& article) {
    return {{"row", article.row},
            {"title", Utf8(article.title)},
            {"category", Utf8(article.category)},
            {"date", Utf8(article.date)},
            {"address", Utf8(article.address)},
            {"from", Utf8(article.from)},
            {"files", TextArray(article.files)},
            {"outcome", OutcomeName(article.outcome)}};
}

RecordedArticle ArticleOf(const json& row) {
    return {Number(row, "row", 0), Text(row, "title"),
            Text(row, "category"), Text(row, "date"),
            Text(row, "address"),  Text(row, "from"),
            Texts(row, "files"),   OutcomeOf(Utf8(Text(row, "outcome")))};
}

json SongJson(const RecordedSong& song) {
    return {{"address", Utf8(song.address)},
            {"from", Utf8(song.from)},
            {"file", Utf8(song.file)},
            {"outcome", OutcomeName(song.outcome)},
            {"title", Utf8(song.title)}};
}

RecordedSong SongOf(const json& row) {
    return {Text(row, "address"), Text(row, "from"), Text(row, "file"),
            OutcomeOf(Utf8(Text(row, "outcome"))), Text(row, "title")};
}

json CommentJson(const RecordedComment& comment) {
    return {{"record", comment.record},
            {"article", Utf8(comment.article)},
            {"date", Utf8(comment.date)}};
}

RecordedComment CommentOf(const json& row) {
    return {Number(row, "record", 0), Text(row, "article"), Text(row, "date")};
}

json PictureJson(const RecordedPicture& picture) {
    return {{"address", Utf8(picture.address)},
            {"from", Utf8(picture.from)},
            {"file", Utf8(picture.file)},
            {"captured", Utf8(picture.captured)},
            {"article", picture.inArticles},
            {"album", picture.inAlbum},
            {"outcome", OutcomeName(picture.outcome)}};
}

bool Flag(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_boolean() && found->get<bool>();
}

RecordedPicture PictureOf(const json& row) {
    return {Text(row, "address"),
            Text(row, "from"),
            Text(row, "file"),
            Text(row, "captured"),
            Flag(row, "article"),
            Flag(row, "album"),
            OutcomeOf(Utf8(Text(row, "outcome")))};
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

// A text cut from a page may hold what UTF-8 cannot: it is replaced rather than refused.
std::string Dumped(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// Writes the record to its file a piece at a time, so that a record of tens of thousands of
// rows never stands whole in memory as text; remembers whether every piece was written.
class RecordWriter {
public:
    explicit RecordWriter(platform::ReplacingFile& file) : file_(file) {}

    void Put(const std::string& text) {
        buffer_ += text;
        if (buffer_.size() >= kPieceBytes) {
            Flush();
        }
    }

    // Writes what is left; false when any piece could not be written.
    bool Finish() {
        Flush();
        return written_;
    }

private:
    static constexpr std::size_t kPieceBytes = 64 * 1024;

    void Flush() {
        written_ = written_ && file_.Write(buffer_.data(), static_cast<qint64>(buffer_.size()));
        buffer_.clear();
    }

    platform::ReplacingFile& file_;
    std::string buffer_;
    bool written_ = true;
};

// A part's fields and then its rows, one to a line, each made into a document of its own
// only while it is written: a record may hold tens of thousands of rows.
template <typename Row>
void WritePart(RecordWriter& out, const json& fields, const std::vector<Row>& rows,
               json (*rowJson)(const Row&)) {
    std::string text = Dumped(fields);
    text.pop_back();
    out.Put(text + ",\"rows\":[");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out.Put((i == 0 ? "\n" : ",\n") + Dumped(rowJson(rows[i])));
    }
    out.Put("\n]}");
}

// Takes the rows out of a record while it is parsed, each as soon as it is whole, so that
// they never stand together as one document; drops the article rows when asked to.
class RowReader {
public:
    explicit RowReader(bool skipArticles) : skipArticles_(skipArticles) {}

    bool operator()(int depth, json::parse_event_t event, json& parsed) {
        if (event == json::parse_event_t::key && depth == 1) {
            part_ = parsed.get<std::string>();
            return !(skipArticles_ && part_ == "articles");
        }
        if (event == json::parse_event_t::key && depth == 2) {
            inRows_ = parsed == "rows";
        }
        // A row of a part's "rows" array, at its end.
        if (event != json::parse_event_t::object_end || depth != 3 || !inRows_) {
            return true;
        }
        // A record of tens of thousands of rows takes a while: an interrupt ends it.
        platform::StopIfRequested();
        if (part_ == "articles") {
            articles.push_back(ArticleOf(parsed));
        } else if (part_ == "songs") {
            songs.push_back(SongOf(parsed));
        } else if (part_ == "pictures") {
            pictures.push_back(PictureOf(parsed));
        } else if (part_ == "comments") {
            comments.push_back(CommentOf(parsed));
        }
        return false;
    }

    std::vector<RecordedArticle> articles;
    std::vector<RecordedSong> songs;
    std::vector<RecordedPicture> pictures;
    std::vector<RecordedComment> comments;

private:
    bool skipArticles_;
    std::string part_;
    bool inRows_ = false;
};

}  // namespace

std::optional<SaveRecord> LoadSaveRecord(const QString& spaceFolder, RecordArticles articles) {
    const std::optional<std::string> bytes =
        platform::ReadFileBytes(spaceFolder + kSaveRecordName, kMaxRecordBytes);
    if (!bytes) {
        return std::nullopt;
    }
    RowReader rows(articles == RecordArticles::Skip);
    const json document = json::parse(*bytes, std::ref(rows), false);
    if (!document.is_object()) {
        return std::nullopt;
    }
    SaveRecord record;
    record.address = Text(document, "address");
    if (const json* part = Member(document, "articles")) {
        record.articles = {TimeOf(*part), Text(*part, "format"), Text(*part, "replay"),
                           std::move(rows.articles), Number(*part, "unreadPages", 0)};
    }
    if (const json* part = Member(document, "songs")) {
        record.songs = {TimeOf(*part), Text(*part, "replay"), std::move(rows.songs)};
    }
    if (const json* part = Member(document, "pictures")) {
        record.pictures = {TimeOf(*part), Text(*part, "replay"), std::move(rows.pictures)};
    }
    if (const json* part = Member(document, "comments")) {
        record.comments = {TimeOf(*part), std::move(rows.comments)};
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
    platform::ReplacingFile file(spaceFolder + kSaveRecordName);
    if (!file.Open()) {
        return false;
    }
    RecordWriter out(file);
    std::string head = Dumped(json{
        {"program", "Pagewren"}, {"version", kRecordVersion}, {"address", Utf8(record.address)}});
    head.pop_back();
    out.Put(head);
    if (record.articles) {
        const RecordedArticleSave& save = *record.articles;
        out.Put(",\n\"articles\":");
        WritePart(out,
                  {{"savedAt", TimeText(save.savedAt)},
                   {"format", Utf8(save.format)},
                   {"replay", Utf8(save.replay)},
                   {"unreadPages", save.unreadPages}},
                  save.rows, &ArticleJson);
    }
    if (record.songs) {
        const RecordedSongDownload& download = *record.songs;
        out.Put(",\n\"songs\":");
        WritePart(out, {{"savedAt", TimeText(download.savedAt)}, {"replay", Utf8(download.replay)}},
                  download.rows, &SongJson);
    }
    if (record.pictures) {
        const RecordedPictures& pictures = *record.pictures;
        out.Put(",\n\"pictures\":");
        WritePart(out, {{"savedAt", TimeText(pictures.savedAt)}, {"replay", Utf8(pictures.replay)}},
                  pictures.rows, &PictureJson);
    }
    if (record.comments) {
        out.Put(",\n\"comments\":");
        WritePart(out, {{"savedAt", TimeText(record.comments->savedAt)}}, record.comments->rows,
                  &CommentJson);
    }
    json files = json::object();
    for (const auto& [name, save] : record.files) {
        files[Utf8(name)] = FileJson(save);
    }
    out.Put(",\n\"files\":" + Dumped(files) + "}\n");
    return out.Finish() && file.Commit();
}
