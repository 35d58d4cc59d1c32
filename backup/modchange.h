#pragma once

#include <QString>

namespace platform {
class EventPump;
}

// Why SaveAsWordDoc made no document, or that it made one.
enum class WordDocResult {
    Made,
    NoConverter,       // LibreOffice (soffice) is not installed or could not be started
    ConversionFailed,  // the .html file could not be read or converted, or the .doc not placed
    TimedOut,          // LibreOffice overran its allowance (two minutes and more) and was stopped
};

// Makes htmlPath + ".doc", a Word 97 document, from the article file at htmlPath (markup in
// code page 936) with one headless LibreOffice run, handling events while it runs; a save of
// many articles converts them together through WordDocQueue. Returns
// why no document was made; the .html file is left as it is. Throws platform::RunStopped,
// with LibreOffice ended and no document placed, when the pump asks the run to stop.
WordDocResult SaveAsWordDoc(const QString& htmlPath, platform::EventPump& pump);
