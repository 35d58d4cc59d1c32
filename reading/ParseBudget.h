#pragma once

#include <QByteArray>

// Whether the markup would cost the HTML parser more than it spends on any real article: more
// tags than it builds a tree of in good time, or formatting elements left open before so many
// blocks that the parser would open them again in each (an HTML parser reopens every open
// "b", "font", "a"... in each following block, so a short body can grow into millions of
// elements). Such a body is shown as its text.
bool TooManyTagsToParse(const QByteArray& markup);
