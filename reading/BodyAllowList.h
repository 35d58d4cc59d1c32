#pragma once

#include <gumbo.h>

#include <QString>

// What the cleaning of an article does with an element: keeps it (with the attributes the
// list allows), gives way to its content, or drops it with its content.
enum class Treatment { Keep, Unwrap, Drop };

// The treatment of an element of the parsed article: text-level and block elements, lists and
// tables are kept; wrappers of text that a browser lays out as their content give way to it;
// everything else (scripts, styles, frames, plugins, forms, media, head elements, SVG and
// MathML, templates) goes whole.
Treatment TreatmentOf(const GumboNode& node);

// Whether a kept element has no content and no end tag.
bool IsVoid(GumboTag tag);

// Whether a kept element keeps an attribute of that name: those that only lay out or name
// what they stand on ("href" and "style" are cleaned apart).
bool IsKeptAttribute(const QString& name);
