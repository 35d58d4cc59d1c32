#pragma once

#include "app/SpaceWindow.h"

// The background music window; its address box is filled from the settings file when it opens.
class frmmusic : public SpaceWindow {
    Q_OBJECT

public:
    explicit frmmusic(const QString& appFolder);
};
