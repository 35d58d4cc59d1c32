#include "app/PageNumbers.h"

#include <cmath>
#include <limits>

namespace {

template <typename Whole>
std::optional<Whole> Fit(double value) {
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<Whole>::min() ||
        rounded > std::numeric_limits<Whole>::max()) {
        return std::nullopt;
    }
    return static_cast<Whole>(rounded);
}

template <typename Whole>
std::optional<Whole> Read(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return Fit<Whole>(value);
}

}  // namespace

std::optional<Short> FitShort(double value) {
    return Fit<Short>(value);
}

std::optional<Short> ToShort(const QString& text) {
    return Read<Short>(text);
}

std::optional<int> FitLong(double value) {
    return Fit<int>(value);
}

std::optional<int> ToLong(const QString& text) {
    return Read<int>(text);
}

double LeadingNumber(const QString& text) {
    qsizetype begin = 0;
    while (begin < text.size() && text[begin].isSpace()) {
        ++begin;
    }
    qsizetype end = begin;
    while (end < text.size() && text[end].isDigit() && text[end].unicode() < 128) {
        ++end;
    }
    return end == begin ? 0.0 : text.mid(begin, end - begin).toDouble();
}
