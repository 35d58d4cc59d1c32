#pragma once

#include "app/SpaceWindow.h"

// The article comment window; its address box is filled from the settings file when it opens.
class frmcritique : public SpaceWindow {
    Q_OBJECT

public:
    explicit frmcritique(const QString& appFolder);
};
