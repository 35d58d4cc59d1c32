#pragma once

#include <functional>

#include "app/SpaceWindow.h"
#include "app/TreeWidgetList.h"
#include "music/MusicWindowControls.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// The background music window: the song list read from the space's playlist, and the
// download of every listed song with its progress.
class frmmusic : public SpaceWindow, private MusicWindowControls {
    Q_OBJECT

public:
    explicit frmmusic(const QString& appFolder);

    QPushButton* cmdgetbgm;
    QTreeWidget* LVmusic;
    QPushButton* cmdget;
    QLabel* Label2;
    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QLineEdit* savefile;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void cmdgetbgm_Click();
    void cmdget_Click();
    // Runs the work unless a run is going, with both buttons disabled meanwhile.
    void LVmusic_DblClick();

    // MusicWindowControls
    QString Address() const override;
    void SetAddress(const QString& address) override;
    platform::ReportList& Songs() override { return songs_; }
    void SetDownloadEnabled(bool enabled) override;
    void SetSongStatus(const QString& caption) override;
    void SetProgressCaption(const QString& caption) override;
    float ProgressMax() const override { return progressMax_; }
    void SetProgressMax(float max) override;
    float ProgressValue() const override { return progressValue_; }
    void SetProgressValue(float value) override;
    QString Destination() const override;
    void SetDestination(const QString& path) override;
    platform::EventPump& Pump() override { return run_.Pump(); }
    QString AppFolder() const override { return appFolder_; }
    void MarkSongFailed(int row, bool failed) override;

    TreeWidgetList songs_;
    // The bar counts in whole steps; the window keeps its single-precision values.
    float progressMax_ = 100;
    float progressValue_ = 0;
    float bytesPerBarStep_ = 1;
};
