// Checks that a page text walked by offset cuts exactly as CutBetween cuts the copy that the
// former walk made, at every step of a walk that drops up to each start marker in turn.
// Input: text, start marker and end marker, separated by the byte 0x01.
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

#include "app/PageText.h"
#include "app/modcut.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList parts =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
            .split(QChar(1));
    const QString start = parts.value(1);
    const QString end = parts.value(2);
    QString copy = parts.value(0);
    PageText walk(copy);
    for (;;) {
        if (walk.Cut(start, end) != CutBetween(copy, start, end) ||
            walk.Cut(end, start) != CutBetween(copy, end, start) ||
            walk.PositionOf(start) != PositionOf(copy, start) || walk.Rest() != copy) {
            __builtin_trap();
        }
        if (copy.isEmpty()) {
            return 0;
        }
        const int drop = std::max(1, PositionOf(copy, start));
        walk.DropFront(drop);
        copy = copy.mid(drop);
    }
}
