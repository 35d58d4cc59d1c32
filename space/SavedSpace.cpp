#include "space/SavedSpace.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>
#include <QUrl>
#include <algorithm>

#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/FolderBeneath.h"
#include "platform/Http.h"
#include "space/PictureAddresses.h"
#include "space/SavedComments.h"
#include "space/SavedFiles.h"
#include "space/SpaceContents.h"
#include "space/SpaceFiles.h"
#include "space/SpaceText.h"

namespace {

// The title and the date a saved article's own files give where the listing and the record
// do not: the title as its page showed it (the listed one was cleaned for file names), the
// date when the record has none.
void CompleteFromFiles(const QString& spaceFolder, SavedArticle& article) {
    if (!article.html.isEmpty()) {
        const QString markup = ReadSavedText(spaceFolder, article.html).value_or(QString());
        if (const QString title = SavedMarkupTitle(markup); !title.isEmpty()) {
            article.title = title;
        }
        if (article.date.isEmpty()) {
            article.date = SavedMarkupDate(markup).trimmed();
        }
    }
    if (article.date.isEmpty() && !article.txt.isEmpty()) {
        article.date = ParseSavedText(ReadSavedText(spaceFolder, article.txt).value_or(QString()))
                           .date.trimmed();
    }
}

void AddArticles(const QString& spaceFolder, const SpaceContents& contents, SavedSpace& space) {
    for (const ReadingCategory& category : contents.categories) {
        for (const ReadingArticle& listed : category.articles) {
            // An article no save wrote a file of (one that failed) has nothing to carry.
            if (listed.html.isEmpty() && listed.txt.isEmpty()) {
                continue;
            }
            platform::StopIfRequested();
            SavedArticle article;
            article.row = listed.row;
            article.title = listed.title;
            // The catalogue keeps the references of the listing page in category names.
            article.category = DecodeEntities(category.name);
            article.date = listed.date;
            article.address = listed.address;
            article.html = listed.html;
            article.txt = listed.txt;
            CompleteFromFiles(spaceFolder, article);
            space.articles.push_back(std::move(article));
        }
    }
}

void AddSongs(const SpaceContents& contents, SavedSpace& space) {
    for (const ReadingSong& song : contents.songs) {
        if (!song.file.isEmpty()) {
            space.songs.push_back({song.address, song.title, song.file});
        }
    }
}

void AddPictures(const QString& spaceFolder, const SaveRecord& record, SavedSpace& space) {
    if (!record.pictures) {
        return;
    }
    for (const RecordedPicture& recorded : record.pictures->rows) {
        if (space.pictureIndex.contains(recorded.address)) {
            continue;
        }
        // The record names the file a save wrote; only one still there is carried along.
        const bool there = !recorded.file.isEmpty() &&
                           platform::IsNonEmptyFile(spaceFolder + recorded.file, spaceFolder);
        space.pictureIndex.insert(recorded.address, space.pictures.size());
        space.pictures.push_back(
            {recorded.address, there ? recorded.file : QString(), recorded.captured});
    }
}

// The value of a record's field of that label, or empty.
QString Field(const SavedRecord& record, const QString& label) {
    for (const auto& [name, value] : record.lines) {
        if (name == label) {
            return value;
        }
    }
    return {};
}

void AddBoard(const QString& spaceFolder, const SpaceContents& contents, SavedSpace& space) {
    if (!contents.board.present) {
        return;
    }
    const std::optional<QString> text = ReadSavedText(spaceFolder, kBoardFileName);
    for (const SavedRecord& record : ParseSavedRecords(text.value_or(QString()))) {
        space.board.push_back({record.number.toInt(), Field(record, QStringLiteral("留言序号：")),
                               Field(record, QStringLiteral("留言者：")),
                               Field(record, QStringLiteral("留言时间：")),
                               Field(record, QStringLiteral("留言内容："))});
    }
}

// The moment of the last save of any part the record notes.
QDateTime LastSave(const SaveRecord& record) {
    QDateTime last;
    const auto take = [&last](const QDateTime& time) {
        if (time.isValid() && (!last.isValid() || time > last)) {
            last = time;
        }
    };
    if (record.articles) {
        take(record.articles->savedAt);
    }
    if (record.songs) {
        take(record.songs->savedAt);
    }
    if (record.pictures) {
        take(record.pictures->savedAt);
    }
    for (const auto& [name, file] : record.files) {
        take(file.savedAt);
    }
    return last;
}

// Where the article's own text begins in a saved fragment: after the opening tag of its text
// box (id "blog_text"), or -1 when the fragment has none.
qsizetype TextBoxStart(const QString& markup) {
    static const QRegularExpression box(
        QStringLiteral("<div\\b[^>]*\\bid\\s*=\\s*[\"']?blog_text\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = box.match(markup);
    return match.hasMatch() ? match.capturedEnd() : -1;
}

// The end of the box whose content begins at `start`: the "</div>" that closes it, the boxes
// opened inside it counted; the last "</div>" of the markup when the count never closes it.
qsizetype TextBoxEnd(const QString& markup, qsizetype start) {
    static const QRegularExpression tag(QStringLiteral("<(/?)div\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    int depth = 1;
    for (const QRegularExpressionMatch& match : tag.globalMatch(markup, start)) {
        depth += match.capturedLength(1) == 0 ? 1 : -1;
        if (depth == 0) {
            return match.capturedStart();
        }
    }
    const qsizetype last = markup.lastIndexOf(QStringLiteral("</div>"), -1, Qt::CaseInsensitive);
    return last >= start ? last : markup.size();
}

// The text of a ".txt" save as paragraphs, one a line, each linked picture the text names
// shown after its line as the page showed it.
QString TextAsParagraphs(const QString& content) {
    QString html;
    for (const QString& line : content.split(QRegularExpression(QStringLiteral("\r?\n")))) {
        if (line.trimmed().isEmpty()) {
            continue;
        }
        html += QStringLiteral("<p>") + line.toHtmlEscaped() + QStringLiteral("</p>\n");
        if (const QString picture = SavedTextPicture(line); !picture.isEmpty()) {
            html += QStringLiteral("<p><img src=\"") + picture.toHtmlEscaped() +
                    QStringLiteral("\" alt=\"\"></p>\n");
        }
    }
    return html;
}

// The picture of that address the record notes, or null. A space not read by LoadSavedSpace
// has no index and is searched.
const SavedPicture* FindPicture(const SavedSpace& space, const QString& address) {
    if (space.pictureIndex.size() == static_cast<qsizetype>(space.pictures.size())) {
        const auto at = space.pictureIndex.constFind(address);
        return at != space.pictureIndex.constEnd() ? &space.pictures[*at] : nullptr;
    }
    for (const SavedPicture& picture : space.pictures) {
        if (picture.address == address) {
            return &picture;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<SavedSpace> LoadSavedSpace(const QString& spaceFolder, QString* why) {
    const auto fail = [why](const QString& reason) {
        if (why != nullptr) {
            *why = reason;
        }
        return std::nullopt;
    };
    if (!platform::PathExists(spaceFolder + kSaveRecordName)) {
        return fail(QStringLiteral("%2 里没有保存记录（%1）：请先保存这个空间")
                        .arg(kSaveRecordName, spaceFolder));
    }
    const std::optional<SaveRecord> record = LoadSaveRecord(spaceFolder);
    if (!record) {
        return fail(QStringLiteral("无法读取保存记录 %1").arg(spaceFolder + kSaveRecordName));
    }
    const SpaceContents contents = GatherSpace(spaceFolder, record->address, record);
    SavedSpace space;
    space.name = spaceFolder.section(QChar('/'), -2, -2);
    space.address = record->address;
    space.savedAt = LastSave(*record);
    AddArticles(spaceFolder, contents, space);
    AddSongs(contents, space);
    AddPictures(spaceFolder, *record, space);
    if (contents.css.present) {
        space.css = ReadSavedText(spaceFolder, kCssFileName).value_or(QString());
    }
    AddBoard(spaceFolder, contents, space);
    AttachComments(ReadSavedComments(spaceFolder, record), space);
    return space;
}

QString ReadArticleBody(const QString& spaceFolder, const SavedArticle& article) {
    if (!article.html.isEmpty()) {
        const QString markup = ReadSavedText(spaceFolder, article.html).value_or(QString());
        const qsizetype start = TextBoxStart(markup);
        if (start >= 0) {
            return markup.mid(start, TextBoxEnd(markup, start) - start);
        }
        if (!markup.isEmpty() || article.txt.isEmpty()) {
            return markup;
        }
    }
    if (!article.txt.isEmpty()) {
        const std::optional<QString> text = ReadSavedText(spaceFolder, article.txt);
        return text ? TextAsParagraphs(ParseSavedText(*text).content) : QString();
    }
    return {};
}

std::vector<SavedPicture> PicturesShown(const SavedSpace& space, const QString& markup,
                                        const QString& base) {
    std::vector<SavedPicture> shown;
    for (const QString& address : PicturesInBody(markup, base.isEmpty() ? space.address : base)) {
        const SavedPicture* saved = FindPicture(space, address);
        shown.push_back(saved != nullptr ? *saved : SavedPicture{address, {}, {}});
    }
    return shown;
}

QDateTime ServiceDateTime(const QString& date) {
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?\\s*$"));
    const QRegularExpressionMatch match = form.match(date);
    if (!match.hasMatch()) {
        return {};
    }
    const QDate day(match.captured(1).toInt(), match.captured(2).toInt(),
                    match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(),
                     match.captured(6).toInt());
    if (!day.isValid() || !time.isValid()) {
        return {};
    }
    return QDateTime(day, time, QTimeZone(kServiceUtcOffsetSeconds));
}
