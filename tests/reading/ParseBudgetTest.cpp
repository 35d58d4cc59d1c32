#include <gtest/gtest.h>

#include <QString>

#include "export/XhtmlBody.h"
#include "reading/BodyCleaner.h"

namespace {

// `count` blocks of text after `open` formatting elements of different colours left open: the
// parser would open every one again in each block.
QString ReopenedFonts(int open, int count) {
    QString body = QStringLiteral("<p>");
    for (int i = 0; i < open; ++i) {
        body += QStringLiteral("<font color=\"#%1\">").arg(i, 6, 16, QChar('0'));
    }
    for (int i = 0; i < count; ++i) {
        body += QStringLiteral("<p>段");
    }
    return body;
}

}  // namespace

// A short body that would make the parser build millions of elements is shown as its text, in
// the reading copy and in the exports;
// the sloppy markup of real articles (fonts left open over many paragraphs, the same tag left
// open again and again) is still shown as markup.
TEST(ParseBudget, BodiesThatWouldGrowWithoutEndStandAsTextAndSloppyOnesStayMarkup) {
    const QString hostile = CleanArticleBody(ReopenedFonts(2000, 2000), {});
    EXPECT_FALSE(hostile.contains(QStringLiteral("<font"))) << hostile.left(200).toStdString();
    EXPECT_FALSE(hostile.contains(QStringLiteral("<p")));
    EXPECT_EQ(hostile.count(QStringLiteral("段")), 2000);
    // The exports rewrite what the parser built without cleaning it again.
    const QString body = ReopenedFonts(400, 400);
    const QString book = BodyAsXhtml(body, {}, {});
    EXPECT_LT(book.size(), 20 * body.size());
    EXPECT_EQ(book.count(QStringLiteral("段")), 400);

    const QString sloppy = CleanArticleBody(ReopenedFonts(5, 1000), {});
    EXPECT_GT(sloppy.count(QStringLiteral("<font")), 1000) << sloppy.left(600).toStdString();
    QString unclosed;
    for (int i = 0; i < 2000; ++i) {
        unclosed += QStringLiteral("<p><b>粗");
    }
    EXPECT_EQ(CleanArticleBody(unclosed, {}).count(QStringLiteral("<p")), 2000);
}
