#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

#include "SimFixture.h"
#include "TempFolder.h"
#include "TestArticleWindow.h"
#include "backup/ArticleSave.h"
#include "backup/modchange.h"
#include "platform/Codepage.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Shell.h"

namespace {

const QString kItem = QStringLiteral("http://hi.baidu.com/jiaoliao/blog/item/");

bool HaveOffice() {
    return !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();
}

// The text of a document as LibreOffice reads it back, in UTF-8.
QString DocumentText(const QString& docPath) {
    QTemporaryDir out;
    QTemporaryDir profile;
    const QString copy = out.filePath("back.doc");
    QFile::copy(docPath, copy);
    platform::RunProgram("soffice",
                         {"-env:UserInstallation=file://" + profile.path(), "--headless",
                          "--convert-to", "txt:Text (encoded):UTF8", "--outdir", out.path(), copy},
                         120000, nullptr);
    QFile text(out.filePath("back.txt"));
    if (!text.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(text.readAll());
}

// Runs the body with no LibreOffice on PATH.
template <class Body>
void WithoutOffice(Body body) {
    const QByteArray path = qgetenv("PATH");
    QTemporaryDir empty;
    setenv("PATH", empty.path().toLocal8Bit().constData(), 1);
    body();
    setenv("PATH", path.constData(), 1);
}

class WordDocTest : public ::testing::Test {
protected:
    QString WriteArticle(const QString& name, const QString& body) {
        const QString path = app_.Path() + "/" + name;
        platform::WriteAnsiLines(path, {body});
        return path;
    }

    TempFolder app_;
    platform::SleepingPump pump_{0.0};
};

TEST_F(WordDocTest, ChineseArticleComesBackAsTheSameText) {
    if (!HaveOffice()) {
        GTEST_SKIP() << "soffice is not installed";
    }
    const QString html = WriteArticle(
        "3 西湖.html",
        "</div><div class=\"tit2\">杭州：西湖边的一天</div><div class=\"cnt\"  >"
        "<p>&lsquo;欲把西湖比西子&rsquo;，果然很美。镕喆</p></div><div class=\"opt\">");
    const QByteArray before = app_.Read("3 西湖.html").c_str();
    ASSERT_EQ(SaveAsWordDoc(html, pump_), WordDocResult::Made);
    ASSERT_TRUE(QFile::exists(html + ".doc"));
    EXPECT_EQ(QByteArray(app_.Read("3 西湖.html").c_str()), before) << "the .html stays as it was";
    const QString text = DocumentText(html + ".doc");
    EXPECT_TRUE(text.contains("杭州：西湖边的一天")) << text.toStdString();
    EXPECT_TRUE(text.contains("‘欲把西湖比西子’，果然很美。镕喆")) << text.toStdString();
}

TEST_F(WordDocTest, MissingHtmlFileMakesNoDocument) {
    EXPECT_EQ(SaveAsWordDoc(app_.Path() + "/nothing.html", pump_), WordDocResult::ConversionFailed);
    EXPECT_FALSE(QFile::exists(app_.Path() + "/nothing.html.doc"));
}

class HtmlAndDocSaveTest : public ::testing::Test {
protected:
    HtmlAndDocSaveTest() {
        platform::SetShellHandler([](const QString&, const QString&) {});
        window_.format = QStringLiteral("html & doc");
        window_.AddArticle("新的开始", "生活随笔", kItem + "5098d152bdc1d322.html");
        window_.AddArticle("周末做饭", "生活随笔", kItem + "a06933bce13b4524.html");
        window_.AddArticle("杭州：西湖边的一天", "旅途见闻", kItem + "060a47ff4cdc7976.html");
    }
    ~HtmlAndDocSaveTest() override { platform::SetShellHandler({}); }

    SimFixture sim_;
    TempFolder app_;
    TestArticleWindow window_{app_.Path(), QStringLiteral("http://hi.baidu.com/jiaoliao")};
};

TEST_F(HtmlAndDocSaveTest, EveryArticleGetsAWordDocumentBesideItsHtml) {
    if (!HaveOffice()) {
        GTEST_SKIP() << "soffice is not installed";
    }
    RunArticleSave(window_);
    const QString doc = app_.Path() + "/jiaoliao/旅途见闻/3 杭州：西湖边的一天.html.doc";
    ASSERT_TRUE(QFile::exists(doc));
    EXPECT_TRUE(QFile::exists(app_.Path() + "/jiaoliao/生活随笔/2 周末做饭.html.doc"));
    EXPECT_TRUE(DocumentText(doc).contains("欲把西湖比西子"));
    EXPECT_TRUE(window_.statuses.contains("共有文章3篇，正在保存第3篇文章为word文档(.doc)"));
    EXPECT_EQ(window_.Status(), "保存完毕！");
}

TEST_F(HtmlAndDocSaveTest, WithoutLibreOfficeTheHtmlFilesStayAndTheFailuresAreCounted) {
    WithoutOffice([&] { RunArticleSave(window_); });
    EXPECT_TRUE(QFile::exists(app_.Path() + "/jiaoliao/生活随笔/1 新的开始.html"));
    EXPECT_TRUE(QFile::exists(app_.Path() + "/jiaoliao/旅途见闻/3 杭州：西湖边的一天.html"));
    EXPECT_FALSE(QFile::exists(app_.Path() + "/jiaoliao/生活随笔/1 新的开始.html.doc"));
    EXPECT_EQ(window_.Status(), "保存完毕！其中 3 篇文章保存失败");
}

}  // namespace
