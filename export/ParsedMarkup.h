#pragma once

#include <gumbo.h>

#include <QByteArray>
#include <QString>

// Markup cut from a page (an article body, a cell of the board), parsed as a browser parses
// a page's body: an HTML5 parser, whatever the markup holds.
class ParsedMarkup {
public:
    explicit ParsedMarkup(const QString& markup);
    ~ParsedMarkup();
    ParsedMarkup(const ParsedMarkup&) = delete;
    ParsedMarkup& operator=(const ParsedMarkup&) = delete;

    // The root of the parsed tree, whose children are the markup's; null for markup of more
    // tags than the parser builds a tree of in good time, which stands as its text.
    const GumboNode* Root() const;

private:
    GumboOptions options_;
    GumboOutput* output_ = nullptr;
};

// The text of markup with everything from a "<" to the next ">" taken out and its references
// decoded (DecodeEntities): for markup the parser is not given.
QString TagsLeftOut(const QString& markup);

// The text a browser shows for a piece of markup cut from a page (a name, a date): without its
// tags and what the reading copy's cleaner drops with its content (scripts, styles), with its
// references decoded, blanks run together.
QString MarkupText(const QString& markup);
