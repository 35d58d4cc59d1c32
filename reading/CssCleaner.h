#pragma once

#include <QString>

// The style sheet, or the declarations of a style attribute, with everything that could make
// a browser fetch a file taken out, read as a browser's CSS tokenizer reads it: "@import"
// rules dropped whole; "url(…)" and every other function that is not a plain computation or
// colour ("image-set", "expression", "src"…) replaced by "none", so that "background: #fff
// url(x)" keeps its colour; a function name or an "@" name written with escapes counts as
// unknown, and strings holding escapes or "(" become empty. Comments become a blank. Cleaning
// the result again changes nothing.
QString CleanCss(const QString& css);
