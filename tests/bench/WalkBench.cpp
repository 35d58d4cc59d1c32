// Prints how long the page walks take on very large pages: a 50 MB listing page of 100,000
// entries and a blog page of 100,000 categories, beside the former walk that copied the rest
// of the page at every step (on smaller pages, as it grows with the square of the size). Then,
// for hostile playlist, board and comment pages whose entries all share one end marker far
// away, the time, peak memory and saved bytes of a whole run (survey, board or comment
// retrieval and save against spacesim) at n, 2n, 4n and 8n entries, each in a process of its
// own: all three should grow no faster than the page.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <QString>
#include <chrono>
#include <cstdio>
#include <functional>

#include "SimFixture.h"
#include "TempFolder.h"
#include "TestMainWindow.h"
#include "TestRecordWindow.h"
#include "app/CategoryWalk.h"
#include "app/SpaceSurvey.h"
#include "app/modcut.h"
#include "backup/ListingWalk.h"
#include "board/MessageBoard.h"
#include "comments/ArticleComments.h"
#include "platform/EventPump.h"
#include "platform/MemoryList.h"
#include "platform/Shell.h"

namespace {

const QString kAdvance = QStringLiteral("x++;document.getElementById");
const QString kCategoryTitle = QStringLiteral("查看该分类中所有文章");

double SecondsOf(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One entry of a paged listing page, padded to about 500 characters.
QString ListingPage(int entries) {
    QString page = QStringLiteral("个人档案");
    const QString padding(320, QChar('p'));
    for (int i = 0; i < entries; ++i) {
        const QString id = QStringLiteral("%1").arg(i, 16, 16, QChar('0'));
        page += QStringLiteral("<div class=\"tit\"><a href=\"/odd/blog/item/") + id +
                QStringLiteral(".html\" target=\"_blank\">标题") + QString::number(i) +
                QStringLiteral("</a></div><div class=\"date\">2008-01-01</div><script>art_id+=\"") +
                id + QStringLiteral("\"+\".html\";") + kAdvance + QStringLiteral("(x);</script>") +
                padding;
    }
    return page + QStringLiteral("文章分类");
}

QString BlogPage(int categories) {
    QString page = QStringLiteral("文章分类");
    for (int i = 0; i < categories; ++i) {
        page += QStringLiteral("<div class=\"item\"><a href=\"/odd/blog/category/c") +
                QString::number(i) + QStringLiteral("\" title=\"") + kCategoryTitle +
                QStringLiteral("\">类") + QString::number(i) + QStringLiteral("</a>(3)</div>");
    }
    return page + QStringLiteral("文章存档");
}

int WalkListing(const QString& page, int steps) {
    ListingWalk walk(page, ListingForm::Paged);
    int rows = 0;
    for (int m = 0; m < steps; ++m) {
        rows += walk.Next().id.isEmpty() ? 0 : 1;
    }
    return rows;
}

// The former walk: the section is a text whose front is dropped by copying its rest.
int WalkListingByCopying(const QString& page, int steps) {
    QString section = CutBetween(page, QStringLiteral("个人档案"), QStringLiteral("文章分类"));
    int rows = 0;
    for (int m = 0; m < steps; ++m) {
        const QString id = CutBetween(section, QStringLiteral("+=\""), QStringLiteral("\"+\""));
        if (!id.isEmpty()) {
            ++rows;
            CutBetween(section, QStringLiteral("_blank\">"), QStringLiteral("</a></div>"));
            CutBetween(section, QStringLiteral("date\">"), QStringLiteral("</div"));
        }
        section = section.mid(PositionOf(section, kAdvance));
    }
    return rows;
}

int WalkCategories(const QString& page) {
    CategoryWalk walk(page);
    int rows = 0;
    for (int i = 0; i < walk.Count(); ++i) {
        rows += walk.Next().name.isEmpty() ? 0 : 1;
    }
    return rows;
}

// The whole survey against the simulator, its blog page holding that many categories.
double SurveySeconds(int categories, int& rows) {
    SimFixture sim;
    sim.Server().SetPage("/odd/blog", BlogPage(categories).toStdString());
    TempFolder app;
    TestMainWindow survey(QStringLiteral("http://hi.baidu.com/odd"));
    const double seconds = SecondsOf([&] { RunSpaceSurvey(survey, app.Path()); });
    rows = survey.categories.RowCount();
    return seconds;
}

void Report(const char* what, int size, int rows, double seconds) {
    std::printf("%-44s %6.1f M characters %7d rows %8.3f s\n", what, size / 1e6, rows, seconds);
}

// Hostile pages: the entries' end markers are missing but one at the very end, so that each
// field, cut up to the first end marker, would run to the end of the page (on the search
// page the titles are whole, so that the comments are kept).
QString HostilePlaylist(int entries) {
    QString page = QStringLiteral("<asx Version=\"3.0\"><entry>");
    for (int i = 0; i < entries; ++i) {
        page += QStringLiteral("<ref href=\"http://s.test/%1.mp3 ").arg(i, 8, 10, QChar('0'));
    }
    return page + QStringLiteral("\" /></entry></asx>");
}

QString HostileBoardPage(int entries) {
    QString page;
    for (int i = 0; i < entries; ++i) {
        page += QStringLiteral(
                    "<td width=\"5%\">%1 \" rename=\"a\" repid=\" date\">t "
                    "<div name='cmtcontent'>m ")
                    .arg(i, 8, 10, QChar('0'));
    }
    return page + QStringLiteral("</td>| <a href</div>");
}

QString HostileSearchPage(int entries) {
    QString page = QStringLiteral("文章评论");
    for (int i = 0; i < entries; ++i) {
        page += QStringLiteral(
                    "<font size=\"3\">t%1</font></a><br><font size=-1>x 评论者:<a "
                    "class=sl>n ")
                    .arg(i, 8, 10, QChar('0'));
    }
    return page + QStringLiteral("<br><font color</a>&nbsp;&nbsp;百度一下");
}

// What one run in a process of its own measured.
struct RunFigures {
    double seconds = 0;
    long long savedBytes = 0;
    int rows = 0;
    int pageChars = 0;
};

// Runs the scenario in a child process and prints its time, peak memory and saved bytes.
void MeasureInChild(const char* what, int entries, RunFigures (*scenario)(int)) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        const RunFigures figures = scenario(entries);
        (void)!write(pipeEnds[1], &figures, sizeof figures);
        _exit(0);
    }
    close(pipeEnds[1]);
    RunFigures figures;
    const bool read = ::read(pipeEnds[0], &figures, sizeof figures) == sizeof figures;
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!read) {
        std::printf("%-30s %7d entries: the run failed\n", what, entries);
        return;
    }
    std::printf("%-30s %7d entries %7.2f MB page %7d rows %8.3f s %8.1f MB peak %9.2f MB saved\n",
                what, entries, figures.pageChars / 1e6, figures.rows, figures.seconds,
                usage.ru_maxrss / 1024.0, figures.savedBytes / 1e6);
}

RunFigures SurveyHostilePlaylist(int entries) {
    SimFixture sim;
    const QString playlist = HostilePlaylist(entries);
    sim.Server().SetPage("/quietwren/music/music.pls", playlist.toStdString());
    TempFolder app;
    TestMainWindow survey(QStringLiteral("http://hi.baidu.com/quietwren"));
    RunFigures figures;
    figures.seconds = SecondsOf([&] { RunSpaceSurvey(survey, app.Path()); });
    figures.rows = survey.songs.RowCount();
    figures.pageChars = static_cast<int>(playlist.size());
    return figures;
}

// A board or comment retrieval and save of the space "odd", whose pages the caller set on
// the running simulator.
RunFigures RecordRun(bool board, int pageChars) {
    TempFolder app;
    TestRecordWindow window(app.Path());
    window.pump.pace = 0;
    window.address = QStringLiteral("http://hi.baidu.com/odd");
    RunFigures figures;
    figures.seconds = SecondsOf([&] {
        board ? RunBoardRetrieval(window) : RunCommentRetrieval(window);
        board ? RunBoardSave(window) : RunCommentSave(window);
    });
    figures.rows = window.rows.RowCount();
    figures.savedBytes =
        QFileInfo(app.Path() + (board ? "/odd/留言版.htm" : "/odd/文章评论.htm")).size();
    figures.pageChars = pageChars;
    return figures;
}

RunFigures BoardHostilePage(int entries) {
    SimFixture sim;
    const QString page = HostileBoardPage(entries);
    sim.Server().SetPage("/odd/profile", "个人档案 留言(<b>" + std::to_string(entries) + "</b>条");
    sim.Server().SetPage("/odd/board/index/0", page.toStdString());
    return RecordRun(true, static_cast<int>(page.size()));
}

RunFigures CommentsHostilePage(int entries) {
    SimFixture sim;
    const QString page = HostileSearchPage(entries);
    sim.Server().SetPage("/sys/search?pageno=0&type=9&sort=1&word=&entry=2&region=3&hi=odd&date=",
                         page.toStdString());
    return RecordRun(false, static_cast<int>(page.size()));
}

}  // namespace

int main() {
    // The saves would open the space folder in the file browser.
    platform::SetShellHandler([](const QString&, const QString&) {});
    std::printf("Hostile pages, each run in a process of its own:\n");
    for (int entries : {5000, 10000, 20000, 40000}) {
        MeasureInChild("survey, hostile playlist", entries, &SurveyHostilePlaylist);
    }
    for (int entries : {5000, 10000, 20000, 40000}) {
        MeasureInChild("board, hostile page", entries, &BoardHostilePage);
    }
    for (int entries : {5000, 10000, 20000, 40000}) {
        MeasureInChild("comments, hostile search page", entries, &CommentsHostilePage);
    }
    std::printf("Large well-formed pages:\n");
    for (int entries : {5000, 10000}) {
        const QString page = ListingPage(entries);
        int rows = 0;
        const double seconds = SecondsOf([&] { rows = WalkListingByCopying(page, entries); });
        Report("listing page, former walk (copies the rest)", page.size(), rows, seconds);
    }
    for (int entries : {5000, 20000, 100000}) {
        const QString page = ListingPage(entries);
        int rows = 0;
        const double seconds = SecondsOf([&] { rows = WalkListing(page, entries); });
        Report("listing page, walk by offset", page.size(), rows, seconds);
    }
    const QString blog = BlogPage(100000);
    int rows = 0;
    const double seconds = SecondsOf([&] { rows = WalkCategories(blog); });
    Report("blog page of categories, walk by offset", blog.size(), rows, seconds);
    const double survey = SurveySeconds(100000, rows);
    Report("the same page, the whole survey (spacesim)", blog.size(), rows, survey);
    return 0;
}
