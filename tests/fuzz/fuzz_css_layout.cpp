// Checks that the one-pass layout of a style sheet gives exactly what the CSS window's three
// replacements gave, made one after the other, and never more than three characters for one.
// Input: the sheet, as UTF-8.
#include <QString>
#include <cstddef>
#include <cstdint>

#include "css/CssLayout.h"
#include "platform/EventPump.h"

namespace {

// No window and no stop: the layout runs through.
class NoEvents : public platform::EventPump {
public:
    void PumpFor(int) override {}
    bool StopRequested() const override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString sheet =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    NoEvents pump;
    const QString laidOut = LayOutRules(sheet, pump);
    QString replaced = sheet;
    replaced.replace(QStringLiteral("*/"), QStringLiteral("*/\r\n"));
    replaced.replace(QStringLiteral("/*"), QStringLiteral("\r\n/*"));
    replaced.replace(QStringLiteral("}"), QStringLiteral("}\r\n"));
    if (laidOut != replaced || laidOut.size() > 3 * sheet.size()) {
        __builtin_trap();
    }
    return 0;
}
