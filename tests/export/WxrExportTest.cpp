#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <map>
#include <optional>
#include <set>

#include "ExportFixture.h"
#include "RequiredTool.h"
#include "SoupSpace.h"

namespace {

using namespace exportspace;

// One item of a WXR file: the texts of its own fields by name ("wp:post_type"), its
// categories (slug and name) and the fields of each of its comments.
struct WxrItem {
    std::map<QString, QString> fields;
    std::vector<std::pair<QString, QString>> categories;
    std::vector<std::map<QString, QString>> comments;

    QString operator[](const char* name) const {
        const auto at = fields.find(QString::fromUtf8(name));
        return at == fields.end() ? QString() : at->second;
    }
};

void ReadComment(QXmlStreamReader& xml, WxrItem& item) {
    std::map<QString, QString> comment;
    while (xml.readNextStartElement()) {
        comment[xml.qualifiedName().toString()] = xml.readElementText();
    }
    item.comments.push_back(comment);
}

WxrItem ReadItem(QXmlStreamReader& xml) {
    WxrItem item;
    while (xml.readNextStartElement()) {
        const QString name = xml.qualifiedName().toString();
        if (name == QLatin1String("wp:comment")) {
            ReadComment(xml, item);
        } else if (name == QLatin1String("category")) {
            const QString slug = xml.attributes().value("nicename").toString();
            item.categories.emplace_back(slug, xml.readElementText());
        } else {
            item.fields[name] = xml.readElementText();
        }
    }
    return item;
}

// The items of the file; nothing when it is not well-formed XML.
std::optional<std::vector<WxrItem>> ReadItems(const QByteArray& wxr) {
    QXmlStreamReader xml(wxr);
    std::vector<WxrItem> items;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"item") {
            items.push_back(ReadItem(xml));
        }
    }
    return xml.hasError() ? std::nullopt : std::optional(items);
}

std::vector<WxrItem> OfType(const std::vector<WxrItem>& items, const QString& type) {
    std::vector<WxrItem> found;
    for (const WxrItem& item : items) {
        if (item["wp:post_type"] == type) {
            found.push_back(item);
        }
    }
    return found;
}

// The text of an HTML fragment the export wrote as XHTML; empty when it is not well-formed.
QString TextOfFragment(const QString& fragment) {
    QXmlStreamReader xml(QStringLiteral("<div>") + fragment + QStringLiteral("</div>"));
    xml.readNextStartElement();
    const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
    return xml.hasError() ? QString() : text;
}

bool RunTool(const QString& program, const QStringList& arguments, std::string& output) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    tool.waitForFinished(120000);
    output = tool.readAll().toStdString();
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

// The header lines ("Title", "Date", "Category") of each file pelican-import wrote, by the
// file's name less its extension.
std::map<QString, std::map<QString, QString>> PelicanHeaders(const QString& folder) {
    std::map<QString, std::map<QString, QString>> headers;
    QDirIterator it(folder, {"*.md"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        auto& header = headers[it.fileInfo().completeBaseName()];
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
            if (line.isEmpty()) {
                break;
            }
            header[line.section(QStringLiteral(": "), 0, 0)] =
                line.section(QStringLiteral(": "), 1);
        }
    }
    return headers;
}

const QString kPostA1 = QStringLiteral("00000000000000a1");

// exportwren, the tag soup of an article in it, as a WXR file that xmllint reads and
// pelican-import turns into every article with its title, date and category: a post per
// article at its original address with its local and UTC dates, its category and its comments,
// the soup's texts kept and its scripts gone; the board and the comments of no saved article
// as pages; every picture as an attachment of the post that shows it, at its address.
TEST(WxrExport, PelicanImportsEveryArticleWithItsTitleDateAndCategory) {
    if (QStandardPaths::findExecutable(QStringLiteral("xmllint")).isEmpty()) {
        SKIP_OR_FAIL_WITHOUT("xmllint");
    }
    if (QStandardPaths::findExecutable(QStringLiteral("pelican-import")).isEmpty()) {
        SKIP_OR_FAIL_WITHOUT("pelican-import");
    }
    ASSERT_EQ(Soup().failure, "");
    const TempFolder out;
    const QString path = out.Path() + QStringLiteral("/space.xml");
    const CliResult exported = Soup().Export({"--to", "wxr", "--out", path});
    ASSERT_EQ(exported.exitCode, 0) << exported.err << exported.out;
    EXPECT_TRUE(exported.out.find("articles: 6") != std::string::npos) << exported.out;

    std::string output;
    EXPECT_TRUE(RunTool("xmllint", {"--noout", path}, output)) << output;
    const std::optional<std::vector<WxrItem>> items =
        ReadItems(QByteArray::fromStdString(out.Read(QStringLiteral("space.xml"))));
    ASSERT_TRUE(items);

    const std::vector<WxrItem> posts = OfType(*items, "post");
    ASSERT_EQ(posts.size(), 6u);
    std::map<QString, WxrItem> bySlug;
    for (const WxrItem& post : posts) {
        bySlug[post["wp:post_name"]] = post;
        EXPECT_EQ(post["wp:status"], "publish");
        EXPECT_EQ(post["guid"], post["link"]);
        EXPECT_EQ(post["link"], QString(kAddress) + "/blog/item/" + post["wp:post_name"] + ".html");
    }
    const WxrItem& pictured = bySlug[kPostA1];
    EXPECT_EQ(pictured["title"], QString::fromStdString(kHostileTitle).toHtmlEscaped());
    EXPECT_EQ(pictured["wp:post_date"], "2009-05-01 08:30:00");
    EXPECT_EQ(pictured["wp:post_date_gmt"], "2009-05-01 00:30:00");
    EXPECT_EQ(
        pictured.categories,
        (std::vector<std::pair<QString, QString>>{{"%e9%9a%8f%e7%ac%94", QStringLiteral("随笔")}}));
    ASSERT_EQ(pictured.comments.size(), 2u);
    EXPECT_EQ(pictured.comments[0].at("wp:comment_author"), "甲君");
    EXPECT_EQ(pictured.comments[0].at("wp:comment_date_gmt"), "2009-05-02 01:00:00");
    EXPECT_EQ(TextOfFragment(pictured.comments[0].at("wp:comment_content")),
              QString::fromStdString(kHostileComment));
    EXPECT_EQ(pictured.comments[1].at("wp:comment_author"), kCdataCommenterText);

    const QString soup = TextOfFragment(bySlug["00000000000000a4"]["content:encoded"]);
    qsizetype at = 0;
    for (const QString& text : kSoupTexts) {
        at = soup.indexOf(text, at);
        EXPECT_GE(at, 0) << text.toStdString() << "\n" << soup.toStdString();
    }
    EXPECT_FALSE(bySlug["00000000000000a4"]["content:encoded"].contains("alert"));

    std::set<QString> attached;
    for (const WxrItem& picture : OfType(*items, "attachment")) {
        EXPECT_EQ(picture["wp:status"], "inherit");
        EXPECT_EQ(picture["wp:post_parent"], pictured["wp:post_id"]);
        attached.insert(picture["wp:attachment_url"]);
    }
    EXPECT_EQ(attached, (std::set<QString>{QString::fromStdString(kFullPicture),
                                           QString::fromStdString(kThumbnail),
                                           QString::fromStdString(kLostPicture)}));
    const std::vector<WxrItem> pages = OfType(*items, "page");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0]["title"], "留言板");
    ASSERT_EQ(pages[0].comments.size(), 2u);
    EXPECT_EQ(TextOfFragment(pages[0].comments[0].at("wp:comment_content")),
              QString::fromStdString(kHostileMessage));
    ASSERT_EQ(pages[1].comments.size(), 1u);
    EXPECT_EQ(pages[1].comments[0].at("wp:comment_author"), "丙君");

    const QString imported = out.Path() + QStringLiteral("/pelican");
    if (!RunTool("pelican-import", {"--wpfile", path, "-o", imported, "-m", "markdown"}, output) &&
        output.find("Missing dependency") != std::string::npos) {
        // It reads WXR files with BeautifulSoup and lxml, which Debian's pelican only suggests.
        SKIP_OR_FAIL_WITHOUT("python3-bs4 and python3-lxml for pelican-import");
    }
    const auto headers = PelicanHeaders(imported);
    const std::map<QString, std::vector<QString>> expected = {
        {kPostA1, {QString::fromStdString(kHostileTitle), "2009-05-01 08:30", "随笔"}},
        {"00000000000000a2", {QStringLiteral("控制\uFFFD字符\uFFFD"), "2009-04-01 12:00", "随笔"}},
        {"00000000000000a3", {QString::fromStdString(kShortcodeTitle), "2009-03-01 23:59", "随笔"}},
        {"00000000000000a4", {"第四篇", "2009-02-01 00:00", "随笔"}},
        {"00000000000000b1",
         {"另一类", "2008-12-31 16:00", QString::fromStdString(kHostileCategory)}},
        {"00000000000000b2",
         {"早先的", "2008-01-01 00:00", QString::fromStdString(kHostileCategory)}}};
    for (const auto& [slug, fields] : expected) {
        ASSERT_TRUE(headers.contains(slug)) << slug.toStdString() << output;
        const auto& header = headers.at(slug);
        EXPECT_EQ(header.at("Title"), fields[0]);
        EXPECT_EQ(header.at("Date"), fields[1]);
        EXPECT_EQ(header.at("Category"), fields[2]);
    }

    // A file of the user's or a folder at PATH is left as it was; a second export replaces the
    // first one whole.
    out.Write(QStringLiteral("notes.xml"), "<notes>the user's own</notes>");
    QDir().mkpath(out.Path() + "/folder.xml");
    for (const char* name : {"notes.xml", "folder.xml"}) {
        const CliResult refused = Soup().Export({"--to", "wxr", "--out", out.Path() + "/" + name});
        EXPECT_EQ(refused.exitCode, 1) << refused.out;
        EXPECT_TRUE(refused.out.find(name) != std::string::npos) << refused.out;
    }
    EXPECT_EQ(out.Read(QStringLiteral("notes.xml")), "<notes>the user's own</notes>");
    ASSERT_EQ(Soup().Export({"--to", "wxr", "--out", path}).exitCode, 0);
    EXPECT_EQ(ReadItems(QByteArray::fromStdString(out.Read(QStringLiteral("space.xml"))))->size(),
              items->size());
}

}  // namespace
