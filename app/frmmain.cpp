#include "app/frmmain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include "app/Captions.h"
#include "app/SpaceAddress.h"
#include "app/WindowLook.h"
#include "backup/frmbackup.h"
#include "board/frmboard.h"
#include "comments/frmcritique.h"
#include "css/frmstylegrab2.h"
#include "music/frmmusic.h"

namespace {

const QString kAppTitle = QStringLiteral("Pagewren");

}  // namespace

frmmain::frmmain(const QString& appFolder, QWidget* parent)
    : QWidget(parent),
      LVarticle(new QTreeWidget(this)),
      LVmusic(new QTreeWidget(this)),
      appFolder_(appFolder),
      categories_(*LVarticle),
      songs_(*LVmusic) {
    BuildControls();
    setToolTip(BackupFolderNote(appFolder_));
    // Window load: the hidden lists first, then the address.
    SetReportColumns(*LVarticle, {{"No", 500}, {"类别", 2000}, {"文章数", 900}, {"网址", 8250}});
    SetReportColumns(*LVmusic, {{"No", 600}, {"歌曲地址", 10000}});
    txtblog->setText(StartupAddressForMainWindow(appFolder_));
}

frmmain::~frmmain() {
    delete backupWindow.data();
    delete musicWindow.data();
    delete cssWindow.data();
    delete boardWindow.data();
    delete critiqueWindow.data();
}

void frmmain::BuildControls() {
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(WindowTitle());
    setWindowIcon(ProgramIcon());
    setFixedSize(Px(9915), Px(5715));
    setFont(SongTiFont(9));
    PaintBackground(*this);

    txtblog = new QLineEdit(kDefaultSpaceAddress, this);
    txtblog->setObjectName(QStringLiteral("txtblog"));
    txtblog->setFont(SongTiFont(14.25, true));
    PlaceTwips(*txtblog, 120, 120, 8055, 405);
    PaintFieldBackground(*txtblog);

    cmdgetbgm = new QPushButton(QStringLiteral("立即检测"), this);
    cmdgetbgm->setObjectName(QStringLiteral("cmdgetbgm"));
    PlaceTwips(*cmdgetbgm, 8280, 120, 1455, 375);
    connect(cmdgetbgm, &QPushButton::clicked, this, &frmmain::cmdgetbgm_Click);

    LVarticle->setObjectName(QStringLiteral("LVarticle"));
    PlaceTwips(*LVarticle, 0, 6720, 10935, 2175);
    LVmusic->setObjectName(QStringLiteral("LVmusic"));
    PlaceTwips(*LVmusic, 0, 7920, 10935, 1335);

    cmdatc =
        AddPanel(600, lblarticle, kPanelLabelNames[0], kPanelCaptions[0], "cmdatc", "查看并备份");
    CMDMUSIC =
        AddPanel(1440, lblmusic, kPanelLabelNames[1], kPanelCaptions[1], "CMDMUSIC", "查看并下载");
    CMDCSS = AddPanel(2280, lblcss, kPanelLabelNames[2], kPanelCaptions[2], "CMDCSS", "查看 CSS");
    cmdphoto =
        AddPanel(3120, lblphoto, kPanelLabelNames[3], kPanelCaptions[3], "cmdphoto", "查看并备份");
    cmdboard =
        AddPanel(3960, lblboard, kPanelLabelNames[4], kPanelCaptions[4], "cmdboard", "查看 留言");
    cmdcritique = AddPanel(4800, lblpinglun, kPanelLabelNames[5], kPanelCaptions[5], "cmdcritique",
                           "查看 评论");

    connect(cmdatc, &QPushButton::clicked, this, [this] { OpenContentWindow(backupWindow); });
    connect(CMDMUSIC, &QPushButton::clicked, this, [this] { OpenContentWindow(musicWindow); });
    connect(CMDCSS, &QPushButton::clicked, this, [this] { OpenContentWindow(cssWindow); });
    connect(cmdboard, &QPushButton::clicked, this, [this] { OpenContentWindow(boardWindow); });
    connect(cmdcritique, &QPushButton::clicked, this,
            [this] { OpenContentWindow(critiqueWindow); });
    connect(cmdphoto, &QPushButton::clicked, this, &frmmain::cmdphoto_Click);
}

QPushButton* frmmain::AddPanel(int top, QLabel*& label, const QString& labelName,
                               const QString& caption, const QString& buttonName,
                               const QString& buttonCaption) {
    auto* panel = new QFrame(this);
    PlaceTwips(*panel, 120, top, 9735, 735);
    panel->setFrameShape(QFrame::Box);
    panel->setFrameShadow(QFrame::Sunken);
    PaintBackground(*panel);

    label = new QLabel(caption, panel);
    label->setObjectName(labelName);
    PlaceTwips(*label, 120, 240, 7935, 375);

    auto* button = new QPushButton(buttonCaption, panel);
    button->setObjectName(buttonName);
    PlaceTwips(*button, 8160, 240, 1455, 375);
    return button;
}

void frmmain::cmdgetbgm_Click() {
    run_.Start([this] { RunSpaceSurvey(*this, appFolder_); });
}

void frmmain::cmdphoto_Click() {
    QMessageBox box(QMessageBox::NoIcon, kAppTitle, QStringLiteral("尽请期待"), QMessageBox::Ok,
                    this);
    box.exec();
}

template <class Window>
void frmmain::OpenContentWindow(QPointer<Window>& window) {
    if (!window || window->IsClosing()) {
        window = new Window(appFolder_);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void frmmain::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program: every run stops at its next wait and
    // nothing further is saved.
    for (SpaceWindow* window : std::initializer_list<SpaceWindow*>{
             backupWindow, musicWindow, cssWindow, boardWindow, critiqueWindow}) {
        if (window) {
            window->Shutdown();
        }
    }
    run_.RequestStop();
    event->accept();
    QCoreApplication::exit(0);
}

QString frmmain::Address() const {
    return txtblog->text();
}

void frmmain::SetAddress(const QString& address) {
    txtblog->setText(address);
}

QLabel* frmmain::LabelFor(SurveyLabel label) const {
    switch (label) {
        case SurveyLabel::Article:
            return lblarticle;
        case SurveyLabel::Music:
            return lblmusic;
        case SurveyLabel::Css:
            return lblcss;
        case SurveyLabel::Photo:
            return lblphoto;
        case SurveyLabel::Board:
            return lblboard;
        case SurveyLabel::Comments:
            return lblpinglun;
    }
    return lblarticle;
}

QString frmmain::Label(SurveyLabel label) const {
    return LabelFor(label)->text();
}

void frmmain::SetLabel(SurveyLabel label, const QString& caption) {
    LabelFor(label)->setText(caption);
}

void frmmain::SetSurveyEnabled(bool enabled) {
    cmdgetbgm->setEnabled(enabled);
}
