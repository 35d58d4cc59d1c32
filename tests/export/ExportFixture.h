#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <string>

#include "CliRunner.h"
#include "SimFixture.h"
#include "TempFolder.h"

// The space the export tests carry away, saved through the simulator as a user saves it: a
// category whose listing runs over three pages, a category of a hostile name, titles that
// would break the targets' files (CDATA's end, a script, an ampersand, control characters,
// Hugo's shortcode marks), an article showing a picture through its thumbnail and one its host
// lost, comments on a saved article and on one whose save failed, songs, the CSS and a board.

namespace exportspace {

inline const QString kAddress = QStringLiteral("http://hi.baidu.com/exportwren");
inline const std::string kHostileTitle = "Tom & Jerry ]]> <script>alert(1)</script>";
inline const std::string kControlTitle = "控制\x01字符\x1b";
inline const std::string kShortcodeTitle = "{{< figure >}} 与 {{% note %}}";
inline const std::string kHostileCategory = "<b>分类</b> & \"引号\"";
inline const std::string kPictureId = "0a1b2c3d4e5f60718293a4b5";
inline const std::string kFullPicture =
    "http://hiphotos.baidu.com/exportwren/pic/item/" + kPictureId + ".jpg";
inline const std::string kThumbnail =
    "http://hiphotos.baidu.com/exportwren/abpic/item/" + kPictureId + ".jpg";
inline const std::string kLostPicture = "http://img.pagewren.test/lost.gif";
// The article whose page fails while the articles are saved: its comment names no saved one.
inline const std::string kUnsavedId = "00000000000000f7";
inline const std::string kHostileComment = "<b>粗</b> ]]> & {{< x >}}";
inline const std::string kHostileMessage = "留言 <i>斜</i> & ]]>";
// The articles that are saved: all but the one whose page fails.
inline constexpr int kSavedArticles = 6;

inline spacesim::Space Space() {
    spacesim::Space space;
    space.name = "exportwren";
    space.title = "导出测试";
    space.perPage = 2;
    const auto article = [](const std::string& id, const std::string& title,
                            const std::string& date, const std::string& content) {
        return spacesim::Article{id, title, date, content};
    };
    space.categories.push_back(
        {"notes",
         "随笔",
         spacesim::PagerForm::Last,
         {article("00000000000000a1", kHostileTitle, "2009-05-01 08:30",
                  "<p>看照片：</p><a href=\"" + kFullPicture + "\"><img src=\"" + kThumbnail +
                      "\"></a><p>丢了的：</p><img src=\"" + kLostPicture + "\">"),
          article("00000000000000a2", kControlTitle, "2009-04-01 12:00", "<p>第二篇</p>"),
          article("00000000000000a3", kShortcodeTitle, "2009-03-01 23:59",
                  "<p>正文里的 {{< figure src=x >}} 和 ]]> 与 &amp;</p>"),
          article("00000000000000a4", "第四篇", "2009-02-01 00:00", "<p>第四篇</p>"),
          article(kUnsavedId, "存不下的", "2009-01-15 10:00", "<p>没能保存</p>")}});
    space.categories.push_back(
        {"misc",
         kHostileCategory,
         spacesim::PagerForm::Next,
         {article("00000000000000b1", "另一类", "2008-12-31 16:00", "<p>另一类的文章</p>"),
          article("00000000000000b2", "早先的", "2008-01-01 00:00", "<p>早先</p>")}});
    space.songs = {{"茉莉花", "http://music.pagewren.test/exportwren/1.mp3", 2048}};
    space.board = {{"访客", "2009-06-01 20:00", kHostileMessage},
                   {"路人", "2009-06-02 21:00", "第二条留言"}};
    space.comments = {{"00000000000000a1", "甲君", "2009-05-02 09:00", kHostileComment, ""},
                      {"00000000000000a1", "乙君", "2009-05-03 10:00", "第二条评论", "yiwren"},
                      {kUnsavedId, "丙君", "2009-01-16 11:00", "文章没有保存", ""}};
    space.css = {"0123456789abcdef", "body{background:#fefefe}", "gb2312"};
    space.pictures = {{kLostPicture, spacesim::PictureDelivery::Missing}};
    return space;
}

// exportwren saved in full beneath an application folder of its own, once for the whole test
// program; `failure` says what went wrong while saving, empty when all went as planned.
struct SavedSpace {
    TempFolder app;
    QString folder;
    std::string failure;

    SavedSpace() {
        folder = app.Path() + QStringLiteral("/exportwren/");
        SimFixture sim({Space()});
        sim.SetFault("/exportwren/blog/item/" + kUnsavedId + ".html", "status500");
        const QStringList base{"--app-dir", app.Path(), "--pace", "0"};
        // The article save fails on the one article only.
        const std::pair<QStringList, int> saves[] = {
            {{"articles", kAddress, "--wait", "0", "--save", "html"}, 1},
            {{"music", kAddress, "--download"}, 0},
            {{"css", kAddress, "--save"}, 0},
            {{"board", kAddress, "--save"}, 0},
            {{"comments", kAddress, "--save"}, 0}};
        for (const auto& [save, code] : saves) {
            const CliResult result = RunCli(base + save);
            if (result.exitCode != code) {
                failure += save.join(' ').toStdString() + " ended with " +
                           std::to_string(result.exitCode) + ": " + result.err + "\n";
            }
        }
    }
};

// The saved space, saved at its first use.
inline const SavedSpace& Saved() {
    static const SavedSpace saved;
    return saved;
}

// Runs pagewren-cli export on the saved space, with JSON output when asked.
inline CliResult Export(const QStringList& options, bool json = false) {
    const QStringList global{"--app-dir", Saved().app.Path()};
    return RunCli(global + (json ? QStringList{"--json"} : QStringList()) +
                  QStringList{"export", kAddress} + options);
}

}  // namespace exportspace
