#include "app/SpaceWindow.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

#include "app/SpaceAddress.h"
#include "app/WindowLook.h"

SpaceWindow::SpaceWindow(const QString& appFolder, int widthTwips, int heightTwips)
    : appFolder_(appFolder) {
    setWindowTitle(WindowTitle());
    setWindowIcon(ProgramIcon());
    setFixedSize(Px(widthTwips), Px(heightTwips));
    setFont(SongTiFont(9));
    PaintBackground(*this);

    txtblog = new QLineEdit(kDefaultSpaceAddress, this);
    txtblog->setObjectName(QStringLiteral("txtblog"));
    txtblog->setFont(SongTiFont(14.25, true));
    // Content windows take no fallback: no settings file means an empty box.
    txtblog->setText(LoadSpaceAddress(appFolder_));

    run_.SetOnStopped([this] { deleteLater(); });
}

void SpaceWindow::Shutdown() {
    closing_ = true;
    if (run_.IsActive()) {
        // The run's frames still use this window; it is discarded once they have unwound.
        run_.RequestStop();
        hide();
    } else {
        run_.RequestStop();
        deleteLater();
    }
}

void SpaceWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    Shutdown();
}

void SpaceWindow::SetRunButtons(QPushButton* first, QPushButton* enabledByRuns) {
    firstButton_ = first;
    enabledByRuns_ = enabledByRuns;
}

void SpaceWindow::StartRun(const std::function<void()>& work) {
    if (run_.IsActive()) {
        return;
    }
    wanted_ = enabledByRuns_->isEnabled();
    firstButton_->setEnabled(false);
    enabledByRuns_->setEnabled(false);
    run_.Start(work);
    firstButton_->setEnabled(true);
    enabledByRuns_->setEnabled(wanted_);
}

void SpaceWindow::SetEnabledByRuns(bool enabled) {
    wanted_ = enabled;
    if (!run_.IsActive()) {
        enabledByRuns_->setEnabled(enabled);
    }
}
