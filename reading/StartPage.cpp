#include "reading/StartPage.h"

#include <QStringList>

#include "app/SafeNames.h"
#include "reading/HtmlText.h"
#include "reading/PageShell.h"
#include "reading/ReadingNames.h"
#include "space/SpaceContents.h"

namespace {

QString Tag(const QString& name, const QString& content, const QString& cssClass = {}) {
    const QString open = cssClass.isEmpty()
                             ? QStringLiteral("<") + name + QStringLiteral(">")
                             : QStringLiteral("<") + name + QStringLiteral(" class=\"") + cssClass +
                                   QStringLiteral("\">");
    return open + content + QStringLiteral("</") + name + QStringLiteral(">");
}

QString Link(const QString& href, const QString& caption) {
    return QStringLiteral("<a href=\"") + EscapeHtml(href) + QStringLiteral("\">") +
           EscapeHtml(caption) + QStringLiteral("</a>");
}

QString TimeText(const QDateTime& time) {
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                          : QStringLiteral("从未保存");
}

QString Count(int count, const QString& unit) {
    return QString::number(count) + QChar(' ') + unit;
}

int ArticleCount(const SpaceContents& contents) {
    int count = 0;
    for (const ReadingCategory& category : contents.categories) {
        count += static_cast<int>(category.articles.size());
    }
    return count;
}

QString PartRow(const QString& part, const QDateTime& savedAt, const QString& what) {
    return QStringLiteral("<tr><th>") + part + QStringLiteral("</th><td>") + TimeText(savedAt) +
           QStringLiteral("</td><td>") + what + QStringLiteral("</td></tr>\n");
}

QString FileState(const ReadingFile& file, int records, const QString& unit) {
    if (!file.present) {
        return QStringLiteral("未保存");
    }
    return records >= 0 ? Count(records, unit) : QStringLiteral("已保存");
}

// The pictures the articles show and the space's photos, once a save fetched any.
QString PictureRow(const StartPageParts& parts) {
    if (!parts.picturesSavedAt.isValid()) {
        return {};
    }
    QString what = Count(parts.savedPictures, QStringLiteral("张"));
    if (parts.unsavedPictures > 0) {
        what += QStringLiteral("，") + QString::number(parts.unsavedPictures) +
                QStringLiteral(" 张没有保存下来");
    }
    return PartRow(QStringLiteral("图片"), parts.picturesSavedAt, what);
}

QString Parts(const SpaceContents& contents, const StartPageParts& parts) {
    return QStringLiteral(
               "<table class=\"pagewren-parts\"><tr><th>内容</th><th>上次保存</th>"
               "<th></th></tr>\n") +
           PartRow(QStringLiteral("文章"), contents.articlesSavedAt,
                   Count(ArticleCount(contents), QStringLiteral("篇"))) +
           PictureRow(parts) +
           PartRow(QStringLiteral("背景音乐"), contents.songsSavedAt,
                   Count(static_cast<int>(contents.songs.size()), QStringLiteral("首"))) +
           PartRow(QStringLiteral("CSS 模板"), contents.css.savedAt,
                   FileState(contents.css, -1, {})) +
           PartRow(QStringLiteral("留言版"), contents.board.savedAt,
                   FileState(contents.board, parts.boardRecords, QStringLiteral("条留言"))) +
           PartRow(QStringLiteral("文章评论"), contents.comments.savedAt,
                   FileState(contents.comments, parts.commentRecords, QStringLiteral("条评论"))) +
           QStringLiteral("</table>\n");
}

QString Origin(const QString& address, const QString& from) {
    QString origin = WebLink(address, address);
    if (!from.isEmpty()) {
        origin += QStringLiteral("（取自存档 ") + WebLink(from, from) + QStringLiteral("）");
    }
    return origin;
}

void AddFileProblem(QStringList& problems, const ReadingFile& file) {
    if (!file.lastSave) {
        return;
    }
    const int unread = file.lastSave->unreadPages;
    if (!file.lastSave->saved) {
        problems << EscapeHtml(file.name) + QStringLiteral(" 未能保存") +
                        (unread > 0 ? QStringLiteral("：有 ") + QString::number(unread) +
                                          QStringLiteral(" 个页面读取失败")
                                    : QString()) +
                        (file.present ? QStringLiteral("，下面是原有的文件") : QString());
    } else if (unread > 0) {
        problems << EscapeHtml(file.name) + QStringLiteral(" 已保存，但有 ") +
                        QString::number(unread) + QStringLiteral(" 个页面读取失败，其中的内容不全");
    }
}

// The file an earlier save left of a failed article, linked, for the reader to fall back on.
QString KeptFile(const ReadingArticle& article) {
    for (const QString& path : {article.html, article.txt, article.doc}) {
        if (!path.isEmpty()) {
            return SavedFileLink(path, path.section(QChar('/'), -1), false);
        }
    }
    return {};
}

QString FailedArticle(const ReadingArticle& article, const QString& category) {
    const QString kept = KeptFile(article);
    const QString origin = Origin(article.address, article.from);
    return QStringLiteral("文章《") + EscapeHtml(article.title) + QStringLiteral("》（") +
           EscapeHtml(category) + QStringLiteral("）未能保存") +
           (kept.isEmpty() ? QStringLiteral("：") + origin
                           : QStringLiteral("，下面是原有的文件：") + kept +
                                 QStringLiteral("（原网址：") + origin + QStringLiteral("）"));
}

QStringList Problems(const SpaceContents& contents, const StartPageParts& parts) {
    QStringList problems;
    if (parts.unsavedPictures > 0) {
        problems << QString::number(parts.unsavedPictures) +
                        QStringLiteral(" 张图片没有保存下来，阅读版里是它们原网址的链接");
    }
    if (contents.unreadCataloguePages > 0) {
        problems << QStringLiteral("文章目录有 ") + QString::number(contents.unreadCataloguePages) +
                        QStringLiteral(" 个页面读取失败，可能有文章未列出");
    }
    for (const ReadingCategory& category : contents.categories) {
        for (const ReadingArticle& article : category.articles) {
            if (article.outcome == KnownOutcome::Failed) {
                problems << FailedArticle(article, category.name);
            } else if (article.outcome != KnownOutcome::Unrecorded && article.page.isEmpty()) {
                problems << QStringLiteral("文章《") + EscapeHtml(article.title) +
                                QStringLiteral("》的文件不在了：") +
                                Origin(article.address, article.from);
            }
        }
    }
    for (const ReadingSong& song : contents.songs) {
        if (song.outcome == KnownOutcome::Failed) {
            problems << QStringLiteral("歌曲未能下载：") + Origin(song.address, song.from);
        }
    }
    AddFileProblem(problems, contents.css);
    AddFileProblem(problems, contents.board);
    AddFileProblem(problems, contents.comments);
    return problems;
}

QString ProblemSection(const SpaceContents& contents, const StartPageParts& parts) {
    if (!contents.recorded) {
        return QStringLiteral(
            "<p class=\"pagewren-problems\">这个空间是由较早的版本保存的，没有保存"
            "记录：下面只列出已保存的文件，看不出哪些内容没能获取或保存。</p>\n");
    }
    const QStringList problems = Problems(contents, parts);
    if (problems.isEmpty()) {
        return QStringLiteral("<p>上次保存的内容都已获取并保存。</p>\n");
    }
    return QStringLiteral(
               "<section class=\"pagewren-problems\" id=\"problems\"><h2 "
               "class=\"pagewren-failed\">未能获取或保存的内容（") +
           QString::number(problems.size()) + QStringLiteral(" 项）</h2><ul><li>") +
           problems.join(QStringLiteral("</li><li>")) + QStringLiteral("</li></ul></section>\n");
}

// Links someone put in the space folder are named, and were not followed.
QString LinkNote(const SpaceContents& contents) {
    if (contents.links.isEmpty()) {
        return {};
    }
    QStringList names;
    for (const QString& link : contents.links) {
        names << EscapeHtml(link);
    }
    return QStringLiteral(
               "<p class=\"pagewren-problems\">空间文件夹里有符号链接，阅读版和保存都不经由它们"
               "读写：") +
           names.join(QStringLiteral("、")) + QStringLiteral("</p>\n");
}

QString ArticleItem(const ReadingArticle& article, const StartPageParts& parts) {
    QString item =
        QStringLiteral("<li value=\"") + QString::number(article.row) + QStringLiteral("\">");
    item += article.page.isEmpty()
                ? Tag(QStringLiteral("span"), EscapeHtml(article.title))
                : Link(parts.readingFolder + QChar('/') + article.page, article.title);
    item += Tag(QStringLiteral("span"), EscapeHtml(article.date), QStringLiteral("pagewren-date"));
    QString files;
    for (const auto& [path, caption] : {std::pair{article.html, QStringLiteral(".html")},
                                        {article.txt, QStringLiteral(".txt")},
                                        {article.doc, QStringLiteral(".doc")}}) {
        if (!path.isEmpty()) {
            files += SavedFileLink(path, caption, false);
        }
    }
    item += Tag(QStringLiteral("span"), files, QStringLiteral("pagewren-files"));
    if (article.outcome == KnownOutcome::Failed) {
        item += Tag(QStringLiteral("strong"), QStringLiteral("未能保存"),
                    QStringLiteral("pagewren-failed"));
    }
    return item + QStringLiteral("</li>\n");
}

// Written piece by piece: a space may hold tens of thousands of articles.
void WriteArticleSection(const SpaceContents& contents, const StartPageParts& parts,
                         const PageWriter& write) {
    write(QStringLiteral("<section id=\"articles\"><h2>文章（") +
          Count(ArticleCount(contents), QStringLiteral("篇")) + QStringLiteral("）</h2>\n"));
    for (const ReadingCategory& category : contents.categories) {
        write(QStringLiteral("<h3 class=\"modhead\">") + EscapeHtml(category.name) +
              QStringLiteral("（") +
              Count(static_cast<int>(category.articles.size()), QStringLiteral("篇")) +
              QStringLiteral("）</h3>\n<ol>\n"));
        for (const ReadingArticle& article : category.articles) {
            write(ArticleItem(article, parts));
        }
        write(QStringLiteral("</ol>\n"));
    }
    write(QStringLiteral("</section>\n"));
}

// The title the playlist gave the song, beside its file.
QString SongTitle(const ReadingSong& song) {
    return song.title.isEmpty() ? QString()
                                : QChar(' ') + Tag(QStringLiteral("span"), EscapeHtml(song.title),
                                                   QStringLiteral("pagewren-title"));
}

QString SongItem(const ReadingSong& song) {
    if (song.file.isEmpty()) {
        return QStringLiteral("<li class=\"pagewren-failed\">未下载：") +
               Origin(song.address, song.from) + SongTitle(song) + QStringLiteral("</li>\n");
    }
    return QStringLiteral("<li>") +
           Tag(QStringLiteral("span"), EscapeHtml(song.file.section('/', -1))) + SongTitle(song) +
           QStringLiteral(" <audio controls preload=\"none\" src=\"") +
           EscapeHtml(RelativeLink(song.file)) + QStringLiteral("\"></audio> ") +
           (song.address.isEmpty() ? QString() : Origin(song.address, song.from)) +
           QStringLiteral("</li>\n");
}

QString SongSection(const SpaceContents& contents) {
    QString section = QStringLiteral("<section id=\"songs\"><h2>背景音乐（") +
                      Count(static_cast<int>(contents.songs.size()), QStringLiteral("首")) +
                      QStringLiteral("）</h2>\n<ul>\n");
    for (const ReadingSong& song : contents.songs) {
        section += SongItem(song);
    }
    return section + QStringLiteral("</ul></section>\n");
}

QString AlbumSection(const StartPageParts& parts) {
    if (parts.albumPhotos == 0) {
        return {};
    }
    return QStringLiteral("<section id=\"album\"><h2>相册</h2><p>") +
           Link(parts.readingFolder + QChar('/') + kAlbumPageName,
                QStringLiteral("相册（") + Count(parts.albumPhotos, QStringLiteral("张")) +
                    QStringLiteral("）")) +
           QStringLiteral("</p></section>\n");
}

QString RecordItem(const ReadingFile& file, const QString& caption, int records,
                   const QString& unit, const StartPageParts& parts, const QString& page) {
    if (!file.present) {
        return QStringLiteral("<li>") + caption + QStringLiteral("：未保存</li>\n");
    }
    return QStringLiteral("<li>") + Link(parts.readingFolder + QChar('/') + page, caption) +
           QStringLiteral("（") + Count(records, unit) + QStringLiteral("）") +
           Tag(QStringLiteral("span"), SavedFileLink(file.name, file.name, false),
               QStringLiteral("pagewren-files")) +
           QStringLiteral("</li>\n");
}

}  // namespace

void WriteStartPage(const SpaceContents& contents, const StartPageParts& parts,
                    const PageWriter& write) {
    const QString name = SpaceFolderName(contents.address);
    write(PageStart(name + QStringLiteral(" 的百度空间"), parts.styleSheet,
                    QStringLiteral("pagewren-start")) +
          QStringLiteral("<div id=\"header\"><h1>") + EscapeHtml(name) +
          QStringLiteral(" 的百度空间</h1><p>") + WebLink(contents.address, contents.address) +
          QStringLiteral("</p></div>\n") + Parts(contents, parts) +
          ProblemSection(contents, parts) + LinkNote(contents));
    WriteArticleSection(contents, parts, write);
    write(SongSection(contents) + AlbumSection(parts) +
          QStringLiteral("<section id=\"records\"><h2>留言与评论</h2><ul>\n") +
          RecordItem(contents.board, QStringLiteral("留言版"), parts.boardRecords,
                     QStringLiteral("条留言"), parts, kBoardPageName) +
          RecordItem(contents.comments, QStringLiteral("文章评论"), parts.commentRecords,
                     QStringLiteral("条评论"), parts, kCommentPageName) +
          QStringLiteral("</ul></section>\n<p class=\"pagewren-about\">Pagewren 生成于 ") +
          TimeText(QDateTime::currentDateTime()) + QStringLiteral("</p>\n") + PageEnd());
}
