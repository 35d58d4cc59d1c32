#pragma once

#include <QString>
#include <optional>

struct CliRun;

// The title of the messages the commands that work on a saved space show when they fail.
inline const QString kSavedSpaceErrorTitle = QStringLiteral("错误提示");

// The folder of the space the run's address names, when a save made it; otherwise shows that
// the space has no saved files and gives nothing.
std::optional<QString> SavedSpaceFolder(CliRun& run);
