#include <gtest/gtest.h>

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <thread>

#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "ProcessWatch.h"
#include "RequiredTool.h"
#include "SimFixture.h"
#include "TempFolder.h"
#include "TestArticleWindow.h"
#include "backup/ArticleCatalogue.h"
#include "backup/ArticleSave.h"
#include "backup/modchange.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Shell.h"

namespace {

const QString kSample = QStringLiteral("http://hi.baidu.com/jiaoliao");
const QString kItem = kSample + QStringLiteral("/blog/item/");

bool HaveOffice() {
    return !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();
}

// The text of each document as LibreOffice reads it back, in UTF-8, from one run.
QStringList DocumentTexts(const QStringList& docPaths) {
    QTemporaryDir out;
    QTemporaryDir profile;
    QStringList arguments{"-env:UserInstallation=file://" + profile.path(),
                          "--headless",
                          "--convert-to",
                          "txt:Text (encoded):UTF8",
                          "--outdir",
                          out.path()};
    for (qsizetype i = 0; i < docPaths.size(); ++i) {
        QFile::copy(docPaths[i], out.filePath(QString::number(i) + ".doc"));
        arguments << out.filePath(QString::number(i) + ".doc");
    }
    platform::RunProgram("soffice", arguments, 300000, nullptr);
    QStringList texts;
    for (qsizetype i = 0; i < docPaths.size(); ++i) {
        QFile text(out.filePath(QString::number(i) + ".txt"));
        texts << (text.open(QIODevice::ReadOnly) ? QString::fromUtf8(text.readAll()) : QString());
    }
    return texts;
}

// Runs the body with PATH set to the folders given.
template <class Body>
void WithPath(const QString& folders, Body body) {
    const QByteArray path = qgetenv("PATH");
    setenv("PATH", folders.toLocal8Bit().constData(), 1);
    body();
    setenv("PATH", path.constData(), 1);
}

// A folder holding a stand-in "soffice" that starts a long sleep of its own, notes the
// sleep's process id in pidFile and hangs: stopping the run must end what it started too.
QString HangingOffice(const QTemporaryDir& folder, const QString& pidFile) {
    const QString script = folder.filePath("soffice");
    QFile file(script);
    file.open(QIODevice::WriteOnly);
    file.write(("#!/bin/sh\nsleep 60 & echo $! > '" + pidFile + "'\nwait\n").toLocal8Bit());
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return folder.path() + ":" + qgetenv("PATH");
}

// A folder holding a stand-in "soffice" that "converts" each page by copying it, as
// LibreOffice names its output, and notes in startLog how many pages each start took. With
// firstMakesNothing, its first start ends with status 0 having made nothing, as a first start
// of LibreOffice on a new machine can.
QString CopyingOffice(const QTemporaryDir& folder, const QString& startLog,
                      bool firstMakesNothing = false) {
    const QString script = folder.filePath("soffice");
    QFile file(script);
    file.open(QIODevice::WriteOnly);
    const QString started = folder.filePath("started");
    const QString firstStart =
        firstMakesNothing ? "[ -e '" + started + "' ] || { touch '" + started + "'; exit 0; }\n"
                          : QString();
    file.write(("#!/bin/sh\n" + firstStart +
                "out=; take=; pages=0\nfor a in \"$@\"; do\n"
                "  if [ -n \"$take\" ]; then out=$a; take=; continue; fi\n"
                "  case $a in --outdir) take=1 ;; *.html) mkdir -p \"$out\"; pages=$((pages+1));"
                " cp \"$a\" \"$out/$(basename \"$a\" .html).doc\" ;; esac\n"
                "done\necho $pages >> '" +
                startLog + "'\n")
                   .toLocal8Bit());
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return folder.path() + ":" + qgetenv("PATH");
}

class WordDocTest : public ::testing::Test {
protected:
    WordDocTest() {
        platform::SetShellHandler([](const QString&, const QString&) {});
        window_.format = QStringLiteral("html & doc");
    }
    ~WordDocTest() override { platform::SetShellHandler({}); }

    void AddThreeArticles(TestArticleWindow& window) {
        window.AddArticle("新的开始", "生活随笔", kItem + "5098d152bdc1d322.html");
        window.AddArticle("周末做饭", "生活随笔", kItem + "a06933bce13b4524.html");
        window.AddArticle("杭州：西湖边的一天", "旅途见闻", kItem + "060a47ff4cdc7976.html");
    }
    // Every file beneath the application folder whose name ends so, as full paths.
    QStringList Files(const QString& ending) const {
        QStringList files;
        for (const QString& file : app_.Files()) {
            if (file.endsWith(ending)) {
                files << app_.Path() + "/" + file;
            }
        }
        return files;
    }

    SimFixture sim_;
    TempFolder app_;
    TestArticleWindow window_{app_.Path(), kSample};
};

TEST_F(WordDocTest, EveryArticleOfTheSpaceGetsItsOwnDocumentAndOneThatCannotBePlacedFails) {
    if (!HaveOffice()) {
        SKIP_OR_FAIL_WITHOUT("soffice");
    }
    // A folder where article 6's document belongs makes exactly that article fail.
    const QString blocked = app_.Path() + "/jiaoliao/生活随笔/6 周末做饭.html.doc";
    QDir().mkpath(blocked);
    window_.oneClick = true;
    RunArticleCatalogue(window_);
    ASSERT_EQ(window_.articles.RowCount(), 17);
    const QStringList pages = Files(".html");
    ASSERT_EQ(pages.size(), 17);
    QStringList docs;
    for (const QString& page : pages) {
        if (page + ".doc" != blocked) {
            docs << page + ".doc";
            EXPECT_TRUE(QFile::exists(page + ".doc")) << page.toStdString();
        }
    }
    EXPECT_EQ(Files(".doc").size(), 16);
    // Each document holds its own article: the date of its page, which no other shares.
    const QStringList texts = DocumentTexts(docs);
    for (qsizetype i = 0; i < docs.size(); ++i) {
        QFile page(docs[i].chopped(4));
        page.open(QIODevice::ReadOnly);
        const QByteArray markup = page.readAll();
        const QByteArray start = "class=\"date\">";
        const qsizetype from = markup.indexOf(start) + start.size();
        const QString date = QString::fromLatin1(markup.mid(from, 16));
        EXPECT_TRUE(texts[i].contains(date)) << docs[i].toStdString() << texts[i].toStdString();
    }
    EXPECT_TRUE(texts.join("").contains("‘欲把西湖比西子’，果然很美。"));
    EXPECT_TRUE(window_.statuses.contains("共有文章17篇，正在保存第17篇文章为word文档(.doc)"));
    EXPECT_EQ(window_.Status(), "保存完毕！其中 1 篇文章保存失败");
    // The save record names the article whose document could not be placed, and only it.
    QFile record(app_.Path() + "/jiaoliao/保存记录.json");
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    QStringList failed;
    const nlohmann::json noted = nlohmann::json::parse(record.readAll().toStdString());
    for (const auto& row : noted["articles"]["rows"]) {
        if (row["outcome"] == "failed") {
            failed << QString::fromStdString(row["title"].get<std::string>());
        }
    }
    EXPECT_EQ(failed, QStringList{"周末做饭"});
}

TEST_F(WordDocTest, PausedSaveStartsLibreOfficeOncePerManyArticlesAndEndsWithEveryDocument) {
    QTemporaryDir fake;
    const QString startLog = fake.filePath("starts");
    const QString path = CopyingOffice(fake, startLog);
    window_.pump.pace = 0.05;
    const int articles = 45;
    for (int i = 0; i < articles / 3; ++i) {
        AddThreeArticles(window_);
    }
    WithPath(path, [&] { RunArticleSave(window_); });
    EXPECT_EQ(window_.Status(), "保存完毕！");
    // Many articles to a run, but the last run small enough to end within the last pause.
    QFile starts(startLog);
    ASSERT_TRUE(starts.open(QIODevice::ReadOnly));
    const QList<QByteArray> runs = starts.readAll().trimmed().split('\n');
    EXPECT_LT(runs.size(), articles / 4);
    EXPECT_LE(runs.last().toInt(), articles / 8);
    const QStringList pages = Files(".html");
    ASSERT_EQ(pages.size(), articles);
    for (const QString& page : pages) {
        QFile html(page);
        QFile doc(page + ".doc");
        ASSERT_TRUE(html.open(QIODevice::ReadOnly) && doc.open(QIODevice::ReadOnly))
            << page.toStdString();
        EXPECT_TRUE(doc.readAll().contains(html.readAll())) << page.toStdString();
    }
}

TEST_F(WordDocTest, ARunThatMadeNothingIsTriedOnceMoreAndTheSaveEndsWithEveryDocument) {
    QTemporaryDir fake;
    const QString path = CopyingOffice(fake, fake.filePath("starts"), true);
    AddThreeArticles(window_);
    WithPath(path, [&] { RunArticleSave(window_); });
    EXPECT_EQ(window_.Status(), "保存完毕！");
    EXPECT_EQ(Files(".html.doc").size(), 3);
}

TEST_F(WordDocTest, WithoutLibreOfficeTheHtmlFilesStayAndOnlyTheMissingDocumentsAreReported) {
    AddThreeArticles(window_);
    QTemporaryDir empty;
    SaveOutcome outcome;
    WithPath(empty.path(), [&] { outcome = RunArticleSave(window_); });
    EXPECT_EQ(Files(".html").size(), 3);
    EXPECT_TRUE(Files(".doc").isEmpty());
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(outcome.withoutWordDoc, 3);
    EXPECT_EQ(window_.Status(), "保存完毕！其中 3 篇文章未能生成Word文档（未找到LibreOffice）");
    EXPECT_EQ(SaveAsWordDoc(app_.Path() + "/nothing.html", window_.pump),
              WordDocResult::ConversionFailed);
}

TEST_F(WordDocTest, ClosedWindowOrInterruptLeavesNoLibreOfficeAndNoDocument) {
    QTemporaryDir fake;
    const QString pidFile = fake.filePath("pid");
    const QString path = HangingOffice(fake, pidFile);
    TestArticleWindow window(app_.Path(), kSample);
    window.pump.pace = 0.001;
    window.pump.stopOnceWritten = pidFile;
    window.format = QStringLiteral("html & doc");
    AddThreeArticles(window);
    WithPath(path, [&] { EXPECT_THROW(RunArticleSave(window), platform::RunStopped); });
    ASSERT_GT(NotedPid(pidFile), 0);
    EXPECT_TRUE(EndsSoon(NotedPid(pidFile)));
    EXPECT_TRUE(Files(".doc").isEmpty());

    QFile::remove(pidFile);
    QProcess cli;
    WithPath(path, [&] {
        cli.start(PAGEWREN_CLI_PATH, {"--app-dir", app_.Path(), "--pace", "0.05", "articles",
                                      kSample, "--wait", "0", "--save", "html & doc"});
    });
    for (int i = 0; i < 1500 && NotedPid(pidFile) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_GT(NotedPid(pidFile), 0);
    kill(static_cast<pid_t>(cli.processId()), SIGINT);
    EXPECT_TRUE(cli.waitForFinished(10000));
    EXPECT_TRUE(EndsSoon(NotedPid(pidFile)));
    EXPECT_TRUE(Files(".doc").isEmpty());
}

}  // namespace
