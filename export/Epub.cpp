#include "export/Export.h"

ExportOutcome ExportEpub(const QString&, const SavedSpace&, const QString&) {
    return {false, QStringLiteral("not written yet"), 0, 0};
}
