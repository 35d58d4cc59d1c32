#include "music/frmmusic.h"

#include <QBrush>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

#include "app/WindowLook.h"
#include "music/MusicDownload.h"
#include "music/Playlist.h"
#include "platform/BrowserAddress.h"

namespace {

constexpr int kSongAddressColumn = 1;
// The red the reading copy marks what failed with, on a pale red that shows the row also
// when its address is empty.
const QColor kFailedSongColour(0xb0, 0x00, 0x20);
const QColor kFailedSongBackground(0xff, 0xdd, 0xdd);

QLabel* AddLabel(QWidget* window, const QString& name) {
    auto* label = new QLabel(window);
    label->setObjectName(name);
    PaintBackground(*label);
    return label;
}

constexpr float kMostBarSteps = 2147483647.0f;

int BarSteps(float value) {
    return static_cast<int>(std::min(value, kMostBarSteps));
}

// The bar counts in int steps: a song beyond 2 GiB is shown in steps of more than a byte, so
// that the bar does not fill long before the song has come.
float BytesPerBarStep(float max) {
    return max > kMostBarSteps ? max / kMostBarSteps : 1.0f;
}

}  // namespace

frmmusic::frmmusic(const QString& appFolder)
    : SpaceWindow(appFolder, 9915, 4485), LVmusic(new QTreeWidget(this)), songs_(*LVmusic) {
    BuildControls();
    // Window load: the list is laid out afresh; SpaceWindow has read the address.
    SetReportColumns(*LVmusic, {{QStringLiteral("No"), 600}, {QStringLiteral("歌曲地址"), 10000}});
}

void frmmusic::BuildControls() {
    setObjectName(QStringLiteral("frmmusic"));
    PlaceTwips(*txtblog, 120, 120, 7815, 495);

    cmdgetbgm = new QPushButton(QStringLiteral("获取背景音乐"), this);
    cmdgetbgm->setObjectName(QStringLiteral("cmdgetbgm"));
    PlaceTwips(*cmdgetbgm, 8040, 120, 1695, 495);

    LVmusic->setObjectName(QStringLiteral("LVmusic"));
    PlaceTwips(*LVmusic, 120, 720, 9615, 3135);

    cmdget = new QPushButton(QStringLiteral("下载背景音乐"), this);
    cmdget->setObjectName(QStringLiteral("cmdget"));
    cmdget->setEnabled(false);
    PlaceTwips(*cmdget, 8040, 3960, 1695, 375);
    SetRunButtons(cmdgetbgm, cmdget);

    Label2 = AddLabel(this, QStringLiteral("Label2"));
    PlaceTwips(*Label2, 120, 4080, 3855, 255);
    Label1 = AddLabel(this, QStringLiteral("Label1"));
    PlaceTwips(*Label1, 3960, 4080, 3975, 255);

    // Only the bar's top edge shows inside the window, as a thin progress line.
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    PlaceTwips(*ProgressBar1, 0, 4440, 9975, 255);

    // Below the client area: it keeps the path of the song under way out of sight.
    savefile = new QLineEdit(this);
    savefile->setObjectName(QStringLiteral("savefile"));
    PlaceTwips(*savefile, 120, 4800, 9615, 375);

    connect(cmdgetbgm, &QPushButton::clicked, this, &frmmusic::cmdgetbgm_Click);
    connect(cmdget, &QPushButton::clicked, this, &frmmusic::cmdget_Click);
    // A double-click anywhere in the list acts on its selected row, also off the rows.
    LVmusic->viewport()->installEventFilter(this);
}

bool frmmusic::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && watched == LVmusic->viewport()) {
        LVmusic_DblClick();
    }
    return SpaceWindow::eventFilter(watched, event);
}

void frmmusic::cmdgetbgm_Click() {
    StartRun([this] { RunPlaylistRetrieval(*this); });
}

void frmmusic::cmdget_Click() {
    StartRun([this] { RunMusicDownload(*this); });
}

void frmmusic::LVmusic_DblClick() {
    const QList<QTreeWidgetItem*> selected = LVmusic->selectedItems();
    if (!selected.isEmpty()) {
        platform::OpenInBrowser(selected.first()->text(kSongAddressColumn));
    }
}

QString frmmusic::Address() const {
    return txtblog->text();
}

void frmmusic::SetAddress(const QString& address) {
    txtblog->setText(address);
}

void frmmusic::SetDownloadEnabled(bool enabled) {
    SetEnabledByRuns(enabled);
}

// The row in red, with a tip saying why: the closing status only counts the failed songs.
void frmmusic::MarkSongFailed(int row, bool failed) {
    QTreeWidgetItem* item = LVmusic->topLevelItem(row - 1);
    if (item == nullptr) {
        return;
    }
    for (int column = 0; column < LVmusic->columnCount(); ++column) {
        item->setData(column, Qt::ForegroundRole,
                      failed ? QVariant(QBrush(kFailedSongColour)) : QVariant());
        item->setData(column, Qt::BackgroundRole,
                      failed ? QVariant(QBrush(kFailedSongBackground)) : QVariant());
        item->setToolTip(column, failed ? QStringLiteral("下载失败") : QString());
    }
}

void frmmusic::SetSongStatus(const QString& caption) {
    Label2->setText(caption);
}

void frmmusic::SetProgressCaption(const QString& caption) {
    Label1->setText(caption);
}

void frmmusic::SetProgressMax(float max) {
    progressMax_ = max;
    bytesPerBarStep_ = BytesPerBarStep(max);
    ProgressBar1->setMaximum(BarSteps(max / bytesPerBarStep_));
}

void frmmusic::SetProgressValue(float value) {
    progressValue_ = value;
    ProgressBar1->setValue(BarSteps(value / bytesPerBarStep_));
}

QString frmmusic::Destination() const {
    return savefile->text();
}

void frmmusic::SetDestination(const QString& path) {
    savefile->setText(path);
}
