// Prints how long the page walks take on very large pages: a 50 MB listing page of 100,000
// entries and a blog page of 100,000 categories, beside the former walk that copied the rest
// of the page at every step (on smaller pages, as it grows with the square of the size).
#include <QString>
#include <chrono>
#include <cstdio>
#include <functional>

#include "SimFixture.h"
#include "TempFolder.h"
#include "TestMainWindow.h"
#include "app/CategoryWalk.h"
#include "app/SpaceSurvey.h"
#include "app/modcut.h"
#include "backup/ListingWalk.h"
#include "platform/EventPump.h"
#include "platform/MemoryList.h"

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

}  // namespace

int main() {
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
