#pragma once

#include <QString>
#include <optional>

// A whole number as the pages' counters hold it: 16-bit signed.
using Short = short;

// The text read as a number, rounded half to even to a 16-bit integer. Returns nothing when
// the text is not a number or the value does not fit in 16 bits.
std::optional<Short> ToShort(const QString& text);

// The value rounded half to even, when it fits in 16 bits.
std::optional<Short> FitShort(double value);

// The text read as a number, rounded half to even to a 32-bit integer: counts and page
// numbers that bound a walk, which a popular space can take past 32767. Returns nothing when
// the text is not a number or the value does not fit in 32 bits.
std::optional<int> ToLong(const QString& text);

// The value rounded half to even, when it fits in 32 bits.
std::optional<int> FitLong(double value);

// The number that the text begins with, as a leading-digits reading does ("12abc" gives
// 12, "abc" gives 0).
double LeadingNumber(const QString& text);
