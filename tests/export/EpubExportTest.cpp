#include <gtest/gtest.h>
#include <zip.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <map>
#include <optional>

#include "ExportFixture.h"
#include "RequiredTool.h"
#include "SoupSpace.h"
#include "space/PictureNames.h"

namespace {

using namespace exportspace;

// The entries of a zip file in their order, read with libzip.
struct ZipEntry {
    std::string name;
    bool stored = false;
    QByteArray bytes;
};

std::vector<ZipEntry> ReadZip(const QString& path) {
    std::vector<ZipEntry> entries;
    int error = 0;
    zip_t* zip = zip_open(path.toUtf8().constData(), ZIP_RDONLY, &error);
    if (zip == nullptr) {
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat);
        ZipEntry entry{stat.name, stat.comp_method == ZIP_CM_STORE, {}};
        entry.bytes.resize(static_cast<qsizetype>(stat.size));
        zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
        if (file != nullptr) {
            zip_fread(file, entry.bytes.data(), stat.size);
            zip_fclose(file);
        }
        entries.push_back(std::move(entry));
    }
    zip_discard(zip);
    return entries;
}

QByteArray Entry(const std::vector<ZipEntry>& entries, const std::string& name) {
    for (const ZipEntry& entry : entries) {
        if (entry.name == name) {
            return entry.bytes;
        }
    }
    return {};
}

// What an XHTML document of the book shows: the text of each element of that name, in order;
// nothing when the document is not well-formed XML.
std::optional<QStringList> TextsOf(const QByteArray& document, const QString& element) {
    QXmlStreamReader xml(document);
    QStringList texts;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == element) {
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    return xml.hasError() ? std::nullopt : std::optional<QStringList>(texts);
}

// The values of an attribute of every element of that name.
QStringList AttributesOf(const QByteArray& document, const QString& element,
                         const QString& attribute) {
    QXmlStreamReader xml(document);
    QStringList values;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == element) {
            values << xml.attributes().value(attribute).toString();
        }
    }
    return values;
}

// What epubcheck said of the book; `passed` when it found no error and no warning.
struct Check {
    bool passed = false;
    std::string report;
};

Check RunEpubcheck(const QString& book) {
    QProcess java;
    java.setProcessChannelMode(QProcess::MergedChannels);
    java.start(QStringLiteral("java"),
               {"-jar", "/usr/share/java/epubcheck.jar", "--failonwarnings", book});
    java.waitForFinished(120000);
    const std::string report = java.readAll().toStdString();
    return {java.exitStatus() == QProcess::NormalExit && java.exitCode() == 0 &&
                report.find("0 errors / 0 warnings") != std::string::npos,
            report};
}

// The saved file of the full picture behind the thumbnail, in the copy's space folder.
QString FullPictureFile() {
    return Soup().app.Path() + "/exportwren/" + kPictureFolderName + "/" +
           PictureFileStem(QString::fromStdString(kFullPicture)) + ".jpg";
}

QByteArray ReadSaved(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Titled(const std::string& title) {
    return QString::fromStdString(title);
}

// Whether the texts stand in the text in that order.
bool InOrder(const QString& text, const QStringList& texts, QString& missing) {
    qsizetype at = 0;
    for (const QString& piece : texts) {
        const qsizetype found = text.indexOf(piece, at);
        if (found < 0) {
            missing = piece;
            return false;
        }
        at = found + piece.size();
    }
    return true;
}

// exportwren as a book that epubcheck passes with no error and no warning, the tag soup of an
// article in it: the title page, the contents by category then date, an article page each
// with its title, its full picture inside the book in the thumbnail's place, the lost one as
// a link, its comments, the soup's texts and nothing of its scripts, the comments of no saved
// article and the board at the end; a second export takes the first one's place.
TEST(EpubExport, EpubcheckPassesTheBookOfTheSpace) {
    if (!QFile::exists(QStringLiteral("/usr/share/java/epubcheck.jar")) ||
        QStandardPaths::findExecutable(QStringLiteral("java")).isEmpty()) {
        SKIP_OR_FAIL_WITHOUT("epubcheck with java");
    }
    ASSERT_EQ(Soup().failure, "");
    const TempFolder out;
    const QString book = out.Path() + QStringLiteral("/书.epub");
    const CliResult exported = Soup().Export({"--to", "epub", "--out", book});
    ASSERT_EQ(exported.exitCode, 0) << exported.err << exported.out;
    EXPECT_TRUE(exported.out.find("articles: 6") != std::string::npos) << exported.out;
    EXPECT_TRUE(exported.out.find("pictures: 1") != std::string::npos) << exported.out;

    const Check check = RunEpubcheck(book);
    EXPECT_TRUE(check.passed) << check.report;

    const std::vector<ZipEntry> entries = ReadZip(book);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0].name, "mimetype");
    EXPECT_TRUE(entries[0].stored);
    EXPECT_EQ(entries[0].bytes, "application/epub+zip");

    // The spine: the title page, the contents, the articles in the contents' order, the
    // comments of no saved article, the board.
    const QByteArray package = Entry(entries, "OEBPS/content.opf");
    const QStringList spine = AttributesOf(package, "itemref", "idref");
    EXPECT_EQ(spine.join(' ').toStdString(),
              "title contents a00001 a00002 a00003 a00004 a00005 a00006 comments board");

    const std::optional<QStringList> contents =
        TextsOf(Entry(entries, "OEBPS/contents.xhtml"), "a");
    ASSERT_TRUE(contents);
    EXPECT_EQ(*contents, (QStringList{"exportwren", "2009-02-01 第四篇",
                                      "2009-03-01 " + Titled(kShortcodeTitle),
                                      QStringLiteral("2009-04-01 控制\uFFFD字符\uFFFD"),
                                      "2009-05-01 " + Titled(kHostileTitle), "2008-01-01 早先的",
                                      "2008-12-31 另一类", "其他评论", "留言板"}));
    const std::optional<QStringList> categories =
        TextsOf(Entry(entries, "OEBPS/contents.xhtml"), "span");
    EXPECT_EQ(categories, (QStringList{"随笔", Titled(kHostileCategory)}));
    const std::optional<QStringList> title = TextsOf(Entry(entries, "OEBPS/title.xhtml"), "p");
    ASSERT_TRUE(title);
    EXPECT_TRUE(title->contains(QStringLiteral("文章 6 篇，2008-01-01 至 2009-05-01")))
        << title->join('\n').toStdString();

    // The article of the picture, its comments and its hostile title.
    const QByteArray pictured = Entry(entries, "OEBPS/text/a00004.xhtml");
    EXPECT_EQ(TextsOf(pictured, "h1"), QStringList{Titled(kHostileTitle)});
    const QStringList sources = AttributesOf(pictured, "img", "src");
    ASSERT_EQ(sources.size(), 1) << pictured.toStdString();
    EXPECT_EQ(Entry(entries, "OEBPS/" + sources[0].mid(3).toStdString()),
              ReadSaved(FullPictureFile()))
        << "the full picture in the thumbnail's place";
    EXPECT_TRUE(AttributesOf(pictured, "a", "href").contains(QString::fromStdString(kLostPicture)));
    const std::optional<QStringList> said = TextsOf(pictured, "div");
    ASSERT_TRUE(said);
    const QString page = said->join('\n');
    EXPECT_TRUE(page.contains(QStringLiteral("甲君 · 2009-05-02 09:00")) &&
                page.contains(QString::fromStdString(kHostileComment)) &&
                page.contains(kCdataCommenterText + QStringLiteral(" · 2009-05-03 10:00")) &&
                page.contains(QStringLiteral("第二条评论")))
        << page.toStdString();

    // The soup: every text a browser showed, in its order, and none of its scripts.
    const QByteArray soup = Entry(entries, "OEBPS/text/a00001.xhtml");
    const std::optional<QStringList> soupText = TextsOf(soup, "body");
    ASSERT_TRUE(soupText);
    QString missing;
    EXPECT_TRUE(InOrder(soupText->join(QString()), kSoupTexts, missing))
        << missing.toStdString() << "\n"
        << soup.toStdString();
    EXPECT_FALSE(soup.contains("alert")) << soup.toStdString();

    EXPECT_TRUE(Entry(entries, "OEBPS/text/comments.xhtml").contains("文章没有保存"));
    const std::optional<QStringList> board =
        TextsOf(Entry(entries, "OEBPS/text/board.xhtml"), "div");
    ASSERT_TRUE(board);
    EXPECT_TRUE(board->join('\n').contains(QString::fromStdString(kHostileMessage)))
        << board->join('\n').toStdString();

    // A second export takes the first one's place, and nothing is left beside it.
    ASSERT_EQ(Soup().Export({"--to", "epub", "--out", book}).exitCode, 0);
    EXPECT_EQ(ReadZip(book).size(), entries.size());
    EXPECT_EQ(QDir(out.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"书.epub"});
}

// A book that cannot be written whole is not written, and a PATH that holds anything but a
// book is not written over: a picture whose file no longer holds a picture, a file of the
// user's, a link, a folder or a missing folder fail with a message and leave what was there.
TEST(EpubExport, ABookThatCannotBeWrittenWholeLeavesWhatWasThere) {
    ASSERT_EQ(Soup().failure, "");
    const TempFolder out;
    out.Write(QStringLiteral("notes.epub"), "the user's own file");
    QDir().mkpath(out.Path() + "/folder.epub");
    QFile::link(out.Path() + "/notes.epub", out.Path() + "/link.epub");
    for (const char* name : {"notes.epub", "folder.epub", "link.epub", "missing/book.epub"}) {
        const QString path = out.Path() + "/" + name;
        const CliResult result = Soup().Export({"--to", "epub", "--out", path});
        EXPECT_EQ(result.exitCode, 1) << path.toStdString();
        EXPECT_TRUE(result.out.find(path.toStdString()) != std::string::npos) << result.out;
    }
    EXPECT_EQ(out.Read(QStringLiteral("notes.epub")), "the user's own file");
    EXPECT_TRUE(QFileInfo(out.Path() + "/link.epub").isSymLink());

    const QString book = out.Path() + QStringLiteral("/book.epub");
    ASSERT_EQ(Soup().Export({"--to", "epub", "--out", book}).exitCode, 0);
    const std::string earlier = out.Read(QStringLiteral("book.epub"));
    const QByteArray picture = ReadSaved(FullPictureFile());
    ASSERT_FALSE(picture.isEmpty());
    QFile file(FullPictureFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("<html>not a picture any more</html>");
    file.close();
    const CliResult broken = Soup().Export({"--to", "epub", "--out", book});
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(picture);
    file.close();
    EXPECT_EQ(broken.exitCode, 1) << broken.out;
    EXPECT_TRUE(broken.out.find(FullPictureFile().section('/', -1).toStdString()) !=
                std::string::npos)
        << broken.out;
    EXPECT_EQ(out.Read(QStringLiteral("book.epub")), earlier);
    EXPECT_EQ(QDir(out.Path())
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
              (QStringList{"book.epub", "folder.epub", "link.epub", "notes.epub"}))
        << "nothing half-written beside it";
}

}  // namespace
