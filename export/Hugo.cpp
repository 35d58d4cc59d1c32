#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <algorithm>

#include "export/Export.h"
#include "export/ExportMarkup.h"
#include "export/HugoLayouts.h"
#include "export/XhtmlBody.h"
#include "platform/FolderBeneath.h"
#include "platform/Http.h"
#include "platform/StagedFolder.h"
#include "reading/CssCleaner.h"

namespace {

// Far above any picture or song a save keeps.
constexpr qint64 kMaxCarriedFileBytes = 1024LL * 1024 * 1024;
// Articles on each page of the home page and of a category.
constexpr int kArticlesPerListPage = 50;

const QString kPostsFolder = QStringLiteral("content/posts/");

// A TOML basic string: the text in quotes with the quote, the backslash and every control
// character escaped.
QString Toml(const QString& text) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (c == QChar('"') || c == QChar('\\')) {
            quoted += QChar('\\');
            quoted += c;
        } else if (u == '\n') {
            quoted += QStringLiteral("\\n");
        } else if (u < 0x20 || u == 0x7F) {
            quoted += QStringLiteral("\\u%1").arg(u, 4, 16, QChar('0'));
        } else {
            quoted += c;
        }
    }
    return quoted + QChar('"');
}

QString TomlLine(const QString& key, const QString& value) {
    return key + QStringLiteral(" = ") + Toml(value) + QChar('\n');
}

// Hugo reads "{{<" and "{{%" in a content file as the start of a shortcode, which would stop the
// build or run a template; "{&#123;" shows the same in the page.
QString WithoutShortcodes(QString markup) {
    return markup.replace(QStringLiteral("{{"), QStringLiteral("{&#123;"));
}

// A category as a Hugo term. Hugo makes each term a folder of the built site named after it:
// a "/" or a backslash would make folders within folders and ".." leave the categories' folder, so
// those take their full-width forms; a name of no letter or digit would make no name at all
// and takes a word before it.
QString HugoCategory(const QString& category) {
    QString term = ShownTitle(category);
    term.replace(QChar('/'), QChar(0xFF0F)).replace(QChar('\\'), QChar(0xFF3C));
    const bool named =
        std::any_of(term.begin(), term.end(), [](QChar c) { return c.isLetterOrNumber(); });
    return named || term.isEmpty() ? term : QStringLiteral("分类") + term;
}

// The name of an article's folder: the last piece of its original address ("95042cd6b399fa40"
// of ".../blog/item/95042cd6b399fa40.html") when it is letters, digits, "-" and "_", else its
// row; the same article listed twice gets a second folder.
class FolderNames {
public:
    QString For(const SavedArticle& article) {
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
        QString name = QUrl(article.address).fileName().section(QChar('.'), 0, 0);
        if (!plain.match(name).hasMatch()) {
            name = QStringLiteral("article-%1").arg(article.row);
        }
        QString unique = name;
        for (int n = 2; taken_.contains(unique); ++n) {
            unique = name + QChar('-') + QString::number(n);
        }
        taken_.insert(unique);
        return unique;
    }

private:
    QSet<QString> taken_;
};

// The path of the original address on the site, where Hugo puts a page that sends the reader
// on to the article: only a path of plain names, so that no alias leaves the site folder.
QString AliasOf(const QString& address) {
    static const QRegularExpression plain(QStringLiteral("^(/[A-Za-z0-9_~-][A-Za-z0-9._~-]*)+$"));
    const QString path = QUrl(address).path(QUrl::FullyEncoded);
    return plain.match(path).hasMatch() ? path : QString();
}

// A file the saves wrote, as a picture or a song, to carry into the site; nothing when it
// cannot be read beneath the space folder.
std::optional<QByteArray> CarriedFile(const QString& spaceFolder, const QString& path) {
    const std::optional<std::string> bytes =
        platform::ReadFileBeneath(spaceFolder, spaceFolder + path, kMaxCarriedFileBytes);
    return bytes ? std::optional<QByteArray>(QByteArray::fromStdString(*bytes)) : std::nullopt;
}

// Whether the name is one file's name that a bundle may hold beside its page.
bool IsBundleFileName(const QString& name) {
    static const QRegularExpression plain(QStringLiteral("^[\\w-][\\w.-]{0,127}$"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    return plain.match(name).hasMatch() && !name.startsWith(QStringLiteral("index."));
}

class HugoWriter {
public:
    HugoWriter(const QString& spaceFolder, const SavedSpace& space, platform::StagedFolder& staged)
        : spaceFolder_(spaceFolder), space_(space), staged_(staged) {}

    ExportOutcome Write() {
        WriteSiteFiles();
        WriteHome();
        staged_.MakeFolder(QStringLiteral("content/posts"));
        for (const SavedArticle& article : space_.articles) {
            // Tens of thousands of articles take a while: an interrupt ends the export
            // between them, before anything takes the earlier site's place.
            platform::StopIfRequested();
            WriteArticle(article);
        }
        WriteBoard();
        WriteSongs();
        WriteOtherComments();
        platform::StopIfRequested();
        outcome_.written = staged_.Commit();
        return outcome_;
    }

private:
    void WriteSiteFiles() {
        for (const QString& folder :
             {QStringLiteral("content"), QStringLiteral("layouts"),
              QStringLiteral("layouts/_default"), QStringLiteral("static")}) {
            staged_.MakeFolder(folder);
        }
        staged_.WriteFile(QStringLiteral("hugo.toml"), Configuration().toUtf8());
        for (const auto& [path, text] : HugoLayoutFiles()) {
            staged_.WriteFile(path, text.toUtf8());
        }
        // The space's own look, cleaned of every address it would fetch from the dead service.
        staged_.WriteFile(
            QStringLiteral("static/space.css"),
            (QStringLiteral("@charset \"utf-8\";\n") + CleanCss(space_.css) + QChar('\n'))
                .toUtf8());
    }

    QString Configuration() const {
        return kHugoExportMark +
               QStringLiteral("\n# Set baseURL to the address the site will have.\n") +
               TomlLine(QStringLiteral("baseURL"), QStringLiteral("/")) +
               TomlLine(QStringLiteral("title"), ShownTitle(space_.name)) +
               TomlLine(QStringLiteral("languageCode"), QStringLiteral("zh-cn")) +
               QStringLiteral(
                   "hasCJKLanguage = true\nrelativeURLs = true\n"
                   "disablePathToLower = true\npaginate = %1\n"
                   "[taxonomies]\ncategory = \"categories\"\n")
                   .arg(kArticlesPerListPage);
    }

    void WriteHome() {
        QString page =
            QStringLiteral("+++\n") + TomlLine(QStringLiteral("title"), ShownTitle(space_.name));
        page += QStringLiteral("+++\n<p class=\"space\">");
        page += QStringLiteral("原空间：") + WithoutControls(space_.address).toHtmlEscaped();
        if (space_.savedAt.isValid()) {
            page += QStringLiteral("　保存于 ") +
                    space_.savedAt.toOffsetFromUtc(kServiceUtcOffsetSeconds)
                        .toString(QStringLiteral("yyyy-MM-dd hh:mm"));
        }
        page += QStringLiteral("</p>\n");
        staged_.WriteFile(QStringLiteral("content/_index.html"), page.toUtf8());
    }

    void WriteArticle(const SavedArticle& article) {
        const QString folder = kPostsFolder + names_.For(article);
        if (!staged_.MakeFolder(folder)) {
            return;
        }
        const QString body = ReadArticleBody(spaceFolder_, article);
        const QHash<QString, QString> pictures = CarryPictures(folder, body, article.address);
        // Rebuilt as the other targets rebuild it: the site is put on the web and opened from
        // the disk, where no script or frame of an old page may run and nothing is fetched
        // from the dead service's hosts (a picture no save kept becomes a link to it).
        const QString shown = BodyAsXhtml(
            body, article.address, [&](const QString& address) { return pictures.value(address); },
            PictureChoice::LinkedToCopy);
        staged_.WriteFile(folder + QStringLiteral("/index.html"),
                          (FrontMatter(article) + WithoutShortcodes(shown) + QChar('\n')).toUtf8());
        ++outcome_.articles;
    }

    // Copies the saved pictures the body shows into the article's folder; returns the name of
    // each copy by its address.
    QHash<QString, QString> CarryPictures(const QString& folder, const QString& body,
                                          const QString& address) {
        QHash<QString, QString> names;
        QSet<QString> carried;
        for (const SavedPicture& picture : PicturesShown(space_, body, address)) {
            const QString name = picture.file.section(QChar('/'), -1);
            if (picture.file.isEmpty() || !IsBundleFileName(name)) {
                continue;
            }
            // A file a record names for two addresses is carried once: a second file of the
            // same name could not be written and would fail the export.
            if (!carried.contains(name)) {
                if (!CarryFile(picture.file, folder + QChar('/') + name)) {
                    continue;
                }
                carried.insert(name);
                ++outcome_.pictures;
            }
            names.insert(picture.address, name);
        }
        return names;
    }

    // Copies a saved file into the site; false when it cannot be read, the export going on
    // without it, or written, which fails the export.
    bool CarryFile(const QString& saved, const QString& path) {
        const std::optional<QByteArray> bytes = CarriedFile(spaceFolder_, saved);
        return bytes && staged_.WriteFile(path, *bytes);
    }

    QString FrontMatter(const SavedArticle& article) const {
        const QString title = ShownTitle(article.title);
        QString matter =
            QStringLiteral("+++\n") +
            TomlLine(QStringLiteral("title"), title.isEmpty() ? QStringLiteral("无题") : title);
        if (const QDateTime date = ServiceDateTime(article.date); date.isValid()) {
            matter += QStringLiteral("date = ") + date.toString(Qt::ISODate) + QChar('\n');
        }
        if (const QString category = HugoCategory(article.category); !category.isEmpty()) {
            matter += QStringLiteral("categories = [") + Toml(category) + QStringLiteral("]\n");
        }
        if (const QString alias = AliasOf(article.address); !alias.isEmpty()) {
            matter += QStringLiteral("aliases = [") + Toml(alias) + QStringLiteral("]\n");
        }
        if (!article.address.isEmpty()) {
            matter += TomlLine(QStringLiteral("original"), WithoutControls(article.address));
        }
        for (const SavedComment& comment : article.comments) {
            matter += QStringLiteral("[[comments]]\n") + CommentLines(comment);
        }
        return matter + QStringLiteral("+++\n");
    }

    static QString CommentLines(const SavedComment& comment) {
        return TomlLine(QStringLiteral("by"), CellText(comment.commenter)) +
               TomlLine(QStringLiteral("date"), CellText(comment.date)) +
               TomlLine(QStringLiteral("text"), CellText(comment.text));
    }

    void WriteBoard() {
        if (space_.board.empty()) {
            return;
        }
        QString page = PageStart(QStringLiteral("留言版"), QStringLiteral("board"));
        for (const SavedMessage& message : space_.board) {
            page += QStringLiteral("[[messages]]\n") +
                    TomlLine(QStringLiteral("serial"), CellText(message.serial)) +
                    TomlLine(QStringLiteral("author"), CellText(message.author)) +
                    TomlLine(QStringLiteral("date"), CellText(message.date)) +
                    TomlLine(QStringLiteral("text"), CellText(message.text));
        }
        staged_.WriteFile(QStringLiteral("content/board.html"),
                          (page + QStringLiteral("+++\n")).toUtf8());
    }

    // The songs as a bundle of their own, each file beside the page that plays it.
    void WriteSongs() {
        if (space_.songs.empty() || !staged_.MakeFolder(QStringLiteral("content/songs"))) {
            return;
        }
        QString page = PageStart(QStringLiteral("背景音乐"), QStringLiteral("songs"));
        int number = 0;
        for (const SavedSong& song : space_.songs) {
            const QString extension = QFileInfo(song.file).suffix().toLower();
            static const QRegularExpression plain(QStringLiteral("^[a-z0-9]{1,8}$"));
            const QString name =
                QStringLiteral("song-%1").arg(++number) +
                (plain.match(extension).hasMatch() ? QChar('.') + extension : QString());
            if (!CarryFile(song.file, QStringLiteral("content/songs/") + name)) {
                continue;
            }
            page += QStringLiteral("[[songs]]\n") + TomlLine(QStringLiteral("file"), name) +
                    TomlLine(QStringLiteral("title"), ShownTitle(song.title)) +
                    TomlLine(QStringLiteral("address"), WithoutControls(song.address));
        }
        staged_.WriteFile(QStringLiteral("content/songs/index.html"),
                          (page + QStringLiteral("+++\n")).toUtf8());
    }

    void WriteOtherComments() {
        if (space_.otherComments.empty()) {
            return;
        }
        QString page = PageStart(QStringLiteral("文章评论"), QStringLiteral("comments"));
        for (const SavedComment& comment : space_.otherComments) {
            page += QStringLiteral("[[comments]]\n") +
                    TomlLine(QStringLiteral("article"), CellText(comment.articleTitle)) +
                    CommentLines(comment);
        }
        staged_.WriteFile(QStringLiteral("content/comments.html"),
                          (page + QStringLiteral("+++\n")).toUtf8());
    }

    static QString PageStart(const QString& title, const QString& layout) {
        return QStringLiteral("+++\n") + TomlLine(QStringLiteral("title"), title) +
               TomlLine(QStringLiteral("layout"), layout);
    }

    const QString& spaceFolder_;
    const SavedSpace& space_;
    platform::StagedFolder& staged_;
    FolderNames names_;
    ExportOutcome outcome_;
};

// Why the path cannot take the site, or nothing when it can: it is free, an empty folder or
// the site of an earlier export.
std::optional<QString> RefusedSitePath(const QString& outPath) {
    const QFileInfo out(outPath);
    if (out.isSymLink()) {
        return QStringLiteral("%1 is a symbolic link; name a folder").arg(outPath);
    }
    if (!out.exists()) {
        return std::nullopt;
    }
    if (!out.isDir()) {
        return QStringLiteral("%1 是文件，不是 Hugo 导出的文件夹").arg(outPath);
    }
    if (QDir(outPath).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                              QDir::NoDotAndDotDot)) {
        return std::nullopt;
    }
    const std::optional<std::string> configuration =
        platform::ReadFileBeneath(outPath, outPath + QStringLiteral("/hugo.toml"), 1024 * 1024);
    if (configuration && QString::fromStdString(*configuration).startsWith(kHugoExportMark)) {
        return std::nullopt;
    }
    return QStringLiteral("%1 里有 Pagewren 的 Hugo 导出以外的文件：请指定一个新的或空的文件夹")
        .arg(outPath);
}

}  // namespace

ExportOutcome ExportHugo(const QString& spaceFolder, const SavedSpace& space,
                         const QString& outPath) {
    const QString destination = QDir::cleanPath(QFileInfo(outPath).absoluteFilePath());
    if (const std::optional<QString> refused = RefusedSitePath(destination)) {
        return {false, *refused, 0, 0};
    }
    platform::StagedFolder staged(destination);
    if (!staged.Open()) {
        return {false, QStringLiteral("无法在 %1 旁边建立文件夹").arg(destination), 0, 0};
    }
    ExportOutcome outcome = HugoWriter(spaceFolder, space, staged).Write();
    if (!outcome.written) {
        outcome.message = QStringLiteral("无法把网站写入 %1").arg(destination);
    }
    return outcome;
}
