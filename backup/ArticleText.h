#pragma once

#include <QString>
#include <QStringList>

// The part of an article page kept as the ".html" file: the markup between "查看文章" and
// "类别". The "类别" is that of the article's category line ("类别：" + the category) when
// the page holds one, so that an article whose title or text says "类别" is kept whole.
// Empty when the page does not hold it.
QString ArticleBody(const QString& page, const QString& category);

// Whether the page is a whole article page: one without the article heading "查看文章" is an
// error or placeholder page served in its stead, and one without "类别" after it was cut off
// before its end; neither may replace a saved copy.
bool IsArticlePage(const QString& page);

// The four lines of the ".txt" file: the title from the article list, then the category,
// date and content cut from the page, the content freed of paragraph and line-break tags
// and entity quotes. A content that is one linked picture becomes "图片地址：" + its address;
// text beside linked pictures is kept, each picture's address following on a line
// "图片地址：…"; a content with a link and no picture becomes "网页地址：" + the link's text.
// A label with an empty value when the page does not hold it. The category is the listed one
// when the page's own category line names it, so that a "类别：" in the article's text is not
// taken for it.
QStringList ArticleTextLines(const QString& title, const QString& category, const QString& page);
