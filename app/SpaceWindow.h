#pragma once

#include <QWidget>
#include <functional>

#include "app/WindowRun.h"

class QLineEdit;
class QPushButton;

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

    // The window's two buttons: the one that starts its first run, always there to press, and
    // the one the runs enable (a save, a download).
    void SetRunButtons(QPushButton* first, QPushButton* enabledByRuns);

    // Runs the work unless a run is going. Presses during a run would be ignored, so both
    // buttons say so meanwhile; the second comes back as the runs left it.
    void StartRun(const std::function<void()>& work);

    // What a run asks of the second button, shown once no run goes.
    void SetEnabledByRuns(bool enabled);

    const QString appFolder_;
    WindowRun run_;

private:
    bool closing_ = false;
    QPushButton* firstButton_ = nullptr;
    QPushButton* enabledByRuns_ = nullptr;
    bool wanted_ = false;  // what the runs asked of the second button
};
