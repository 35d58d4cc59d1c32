#pragma once

#include "app/SpaceWindow.h"

// The CSS template window; its address box is filled from the settings file when it opens.
class frmstylegrab2 : public SpaceWindow {
    Q_OBJECT

public:
    explicit frmstylegrab2(const QString& appFolder);
};
