#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>

#include "ExportFixture.h"
#include "platform/Codepage.h"

// exportwren as saved, copied beneath an application folder of the test's own, where the
// article "第四篇" holds the tag soup that pages of the time really held in its stead: blocks
// in lines, lists and tables holding what they may not, captions and columns out of place,
// links in links, elements HTML5 no longer has, scripts, a word processor's markup, repeated
// ids, unclosed tags, "]]>" and a control character; and a commenter's name holds "]]>". The
// exports that read it must keep every text of the soup that a browser showed (kSoupTexts) and
// nothing of its scripts.

namespace exportspace {

inline const std::string kSoup =
    "<p><span>行内<div>块一</div></span></p>"
    "<center><font color=\"red\" face=\"宋体\" size=\"+2\">红字</font></center>"
    "<ul>列表里的字<li>项</li><p>列表里的段</p></ul><li>孤立的项</li>"
    "<dl>定义里的字<dd>先来的解释</dd><dt>术语</dt></dl>"
    "<table border=1 width=\"80%\"><tr><td nowrap bgcolor=red colspan=2>格子</td></tr>"
    "<caption>迟到的表题</caption><thead><tr><th><h2>表头里的标题</h2></th></tr></thead>"
    "<colgroup span=2><col></colgroup></table>"
    "<table><caption><table><tr><td>表题里的表</td></tr></table></caption></table>"
    "<a href=\"http://a.example/\"><div>链接里的块<a href=\"http://b.example/\">链接里的链接</a>"
    "</div></a><a href=\"javascript:alert(2)\">脚本链接</a>"
    "<p><ul><li>段里的列表</li></ul></p><span><hr></span><h1><p>标题里的段</p></h1>"
    "<ruby>汉<rp>(</rp><rt>han</rt><rp>)</rp></ruby><time>昨天</time><marquee>跑马灯</marquee>"
    "<nobr>不换行</nobr><details><summary>摘要</summary>细节</details>"
    "<figure><p>图前</p><figcaption>图注</figcaption></figure>"
    "<address><h3>地址里的标题</h3></address>"
    "<script>alert(3)</script><style>p{}</style><iframe src=\"http://x.example/\"></iframe>"
    "<form><p>表单里的段</p><input value=\"表单\"></form>"
    "<o:p>Word 的段</o:p><p class=MsoNormal style=\"mso-margin-top-alt:auto;"
    "background:url(http://x.example/y.png)\">样式</p>"
    "<p id=x lang=\"zz-!!\" dir=\"sideways\">重复的 id</p><p id=x>又一个</p>"
    "<p>未闭合 <b>粗 <i>斜</p><p>下一段</b> 还在</i>"
    "<!-- 注释 --> ]]> &amp; \x01"
    "控制";

// Texts of the soup a browser shows, in its order.
inline const QStringList kSoupTexts = {
    "行内",         "块一",       "红字",       "列表里的字",   "项",           "列表里的段",
    "孤立的项",     "定义里的字", "先来的解释", "术语",         "格子",         "迟到的表题",
    "表头里的标题", "表题里的表", "链接里的块", "链接里的链接", "脚本链接",     "段里的列表",
    "标题里的段",   "汉",         "han",        "昨天",         "跑马灯",       "不换行",
    "摘要",         "细节",       "图前",       "图注",         "地址里的标题", "表单里的段",
    "Word 的段",    "样式",       "重复的 id",  "又一个",       "未闭合",       "粗",
    "斜",           "下一段",     "还在",       "]]> &",        "控制"};

// A commenter's name that would end a CDATA section early, as the saved comment page holds it.
inline const QString kCdataCommenter = QStringLiteral("乙君 ]]&gt; &amp;");
inline const QString kCdataCommenterText = QStringLiteral("乙君 ]]> &");

// The copy of the saved space, made at its first use; `failure` says what went wrong.
struct SoupSpace {
    TempFolder app;
    std::string failure;

    SoupSpace() {
        failure = Saved().failure;
        if (!failure.empty()) {
            return;
        }
        std::filesystem::copy(Saved().app.Path().toStdString(), app.Path().toStdString(),
                              std::filesystem::copy_options::recursive);
        QDirIterator it(app.Path() + "/exportwren", {"*第四篇.html"}, QDir::Files,
                        QDirIterator::Subdirectories);
        if (!it.hasNext()) {
            failure = "no saved file of 第四篇";
            return;
        }
        Rewrite(it.next(), QStringLiteral("<p>第四篇</p>"), QString::fromStdString(kSoup));
        Rewrite(app.Path() + QStringLiteral("/exportwren/文章评论.htm"),
                QStringLiteral("：乙君\r\n"), QStringLiteral("：") + kCdataCommenter + "\r\n");
    }

    // Runs pagewren-cli export on the copy.
    CliResult Export(const QStringList& options) const {
        return RunCli(QStringList{"--app-dir", app.Path(), "export", kAddress} + options);
    }

private:
    // Replaces the one place the saved file (code page 936) holds `from`.
    void Rewrite(const QString& path, const QString& from, const QString& to) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            failure += "cannot read " + path.toStdString() + "\n";
            return;
        }
        QString text = platform::FromAnsi(file.readAll().toStdString());
        file.close();
        if (text.count(from) != 1 || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            failure += "cannot rewrite " + path.toStdString() + "\n";
            return;
        }
        const std::string bytes = platform::ToAnsi(text.replace(from, to));
        file.write(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
};

inline const SoupSpace& Soup() {
    static const SoupSpace soup;
    return soup;
}

}  // namespace exportspace
