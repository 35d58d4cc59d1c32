#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "space/SavedFiles.h"

// The reading page of a saved board or comment page: every label and value escaped, only
// the line breaks a value holds as "<br>" kept as such; a link back to the start page and
// one to the saved file.
QString RecordPage(const QString& title, const QString& savedFile,
                   const std::vector<SavedRecord>& records, const QString& styleSheet);
