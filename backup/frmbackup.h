#pragma once

#include "app/SpaceWindow.h"

// The article backup window; its address box is filled from the settings file when it opens.
class frmbackup : public SpaceWindow {
    Q_OBJECT

public:
    explicit frmbackup(const QString& appFolder);
};
