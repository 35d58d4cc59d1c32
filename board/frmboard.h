#pragma once

#include "app/SpaceWindow.h"

// The message-board window; its address box is filled from the settings file when it opens.
class frmboard : public SpaceWindow {
    Q_OBJECT

public:
    explicit frmboard(const QString& appFolder);
};
