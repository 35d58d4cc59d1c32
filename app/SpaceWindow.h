#pragma once

#include <QWidget>

#include "app/WindowRun.h"

class QLineEdit;

// Common ground of the five content windows: the space address box filled from the
// settings file at start-up, one run at a time, and a close that stops a running run.
class SpaceWindow : public QWidget {
    Q_OBJECT

public:
    // Builds the window with its client size in twips and loads the remembered address.
    SpaceWindow(const QString& appFolder, int widthTwips, int heightTwips);

    // True once the window was closed while a run was still unwinding.
    bool IsClosing() const { return closing_; }

    // Stops any run at its next wait and discards the window.
    void Shutdown();

    QLineEdit* txtblog = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

    const QString appFolder_;
    WindowRun run_;

private:
    bool closing_ = false;
};
