#include "css/CssLayout.h"

#include "platform/EventPump.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
// Characters laid out between two looks at the window's events: a few milliseconds' work.
constexpr qsizetype kCharactersPerSlice = 64 * 1024;

void HandleEvents(platform::EventPump& pump) {
    pump.PumpFor(0);
    if (pump.StopRequested()) {
        throw platform::RunStopped{};
    }
}

}  // namespace

// Why one pass gives what the three replacements gave: they only insert CR LF, which holds
// neither "/", "*" nor "}", so no insertion makes a new match; the only match one undoes is
// a "/*" whose "/" ends a "*/" of the first replacement, whose CR LF then parts the two.
QString LayOutRules(const QString& sheet, platform::EventPump& pump) {
    QString laidOut;
    laidOut.reserve(sheet.size() + sheet.size() / 8);
    const qsizetype size = sheet.size();
    qsizetype nextLook = kCharactersPerSlice;
    for (qsizetype i = 0; i < size; ++i) {
        if (i >= nextLook) {
            HandleEvents(pump);
            nextLook = i + kCharactersPerSlice;
        }
        const QChar c = sheet[i];
        const QChar next = i + 1 < size ? sheet[i + 1] : QChar();
        if (c == QChar('*') && next == QChar('/')) {
            laidOut += QStringLiteral("*/");
            laidOut += kCrLf;
            ++i;
        } else if (c == QChar('/') && next == QChar('*')) {
            laidOut += kCrLf;
            laidOut += c;
        } else if (c == QChar('}')) {
            laidOut += c;
            laidOut += kCrLf;
        } else {
            laidOut += c;
        }
    }
    return laidOut;
}
