#include "app/PageNumbers.h"

#include <cmath>

std::optional<Short> FitShort(double value) {
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || rounded < -32768.0 || rounded > 32767.0) {
        return std::nullopt;
    }
    return static_cast<Short>(rounded);
}

std::optional<Short> ToShort(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return FitShort(value);
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
