#include "backup/frmbackup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <optional>

#include "app/Captions.h"
#include "app/SpaceAddress.h"
#include "app/WindowLook.h"
#include "backup/ArticleCatalogue.h"
#include "backup/ArticleSave.h"
#include "platform/BrowserAddress.h"

namespace {

// The "网址" column of both lists.
constexpr int kCategoryAddressColumn = 4;
constexpr int kArticleAddressColumn = 4;

QLabel* AddLabel(QWidget* window, const QString& name, const QString& caption) {
    auto* label = new QLabel(caption, window);
    label->setObjectName(name);
    PaintBackground(*label);
    return label;
}

QComboBox* AddCombo(QWidget* window, const QString& name, const QString& text,
                    const QStringList& items) {
    auto* combo = new QComboBox(window);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->addItems(items);
    combo->setCurrentIndex(static_cast<int>(items.indexOf(text)));
    combo->setEditText(text);
    // A typed text stays the box's text; it is not added to the items.
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

// The "网址" cell of the row the user has selected, or nothing without a selected row.
std::optional<QString> SelectedAddress(const QTreeWidget& list, int column) {
    const QList<QTreeWidgetItem*> selected = list.selectedItems();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return selected.first()->text(column);
}

}  // namespace

frmbackup::frmbackup(const QString& appFolder)
    : SpaceWindow(appFolder, 9915, 7035),
      LVarticle(new QTreeWidget(this)),
      LVnum(new QTreeWidget(this)),
      categories_(*LVarticle),
      articles_(*LVnum) {
    BuildControls();
    // Window load: the lists are laid out afresh; SpaceWindow has read the address.
    SetReportColumns(*LVarticle, {{QStringLiteral("No"), 500},
                                  {QStringLiteral("类别"), 2000},
                                  {QStringLiteral("文章数"), 900},
                                  {QStringLiteral("页数"), 900},
                                  {QStringLiteral("网址"), 8250},
                                  {QStringLiteral("返回值"), 800}});
    SetReportColumns(*LVnum, {{QStringLiteral("No"), 500},
                              {QStringLiteral("标题"), 2400},
                              {QStringLiteral("文章分类"), 1500},
                              {QStringLiteral("发表时间"), 2300},
                              {QStringLiteral("网址"), 8250}});
}

void frmbackup::BuildControls() {
    setObjectName(QStringLiteral("frmbackup"));
    PlaceTwips(*txtblog, 120, 120, 7935, 405);

    cmdgetbgm = new QPushButton(QStringLiteral("获取文章"), this);
    cmdgetbgm->setObjectName(QStringLiteral("cmdgetbgm"));
    PlaceTwips(*cmdgetbgm, 8280, 120, 1455, 375);

    LVarticle->setObjectName(QStringLiteral("LVarticle"));
    PlaceTwips(*LVarticle, 120, 600, 9615, 2175);
    LVnum->setObjectName(QStringLiteral("LVnum"));
    PlaceTwips(*LVnum, 120, 2880, 9615, 3135);

    Label3 = AddLabel(this, QStringLiteral("Label3"), QStringLiteral("速度:"));
    PlaceTwips(*Label3, 120, 6240, 735, 255);
    cmbtime = AddCombo(this, QStringLiteral("cmbtime"), kDefaultWaitMs,
                       {"100", "200", "300", "500", "800", "1000", "1200", "1500"});
    PlaceTwips(*cmbtime, 840, 6120, 855, 360);
    Label1 = AddLabel(this, QStringLiteral("Label1"), QStringLiteral("毫秒/篇"));
    PlaceTwips(*Label1, 1800, 6240, 975, 255);

    chcbackup = new QCheckBox(QStringLiteral("一键获取备份"), this);
    chcbackup->setObjectName(QStringLiteral("chcbackup"));
    PaintBackground(*chcbackup);
    PlaceTwips(*chcbackup, 3120, 6240, 1935, 255);

    Label4 = AddLabel(this, QStringLiteral("Label4"), QStringLiteral("保存格式："));
    PlaceTwips(*Label4, 5280, 6240, 1215, 255);
    cmbgs = AddCombo(this, QStringLiteral("cmbgs"), QStringLiteral("html"), kSaveFormats);
    PaintFieldBackground(*cmbgs);
    PlaceTwips(*cmbgs, 6480, 6120, 1575, 360);

    cmdsave = new QPushButton(QStringLiteral("保存文章"), this);
    cmdsave->setObjectName(QStringLiteral("cmdsave"));
    cmdsave->setEnabled(false);
    PlaceTwips(*cmdsave, 8280, 6120, 1455, 375);
    SetRunButtons(cmdgetbgm, cmdsave);

    Label2 = AddLabel(this, QStringLiteral("Label2"), kWaitingCaption);
    Label2->setFont(SongTiFont(10.5));
    PlaceTwips(*Label2, 120, 6720, 9735, 375);

    setTabOrder(txtblog, cmdgetbgm);
    setTabOrder(cmdgetbgm, LVarticle);
    setTabOrder(LVarticle, LVnum);
    setTabOrder(LVnum, cmbtime);
    setTabOrder(cmbtime, chcbackup);
    setTabOrder(chcbackup, cmdsave);
    setTabOrder(cmdsave, cmbgs);

    connect(cmdgetbgm, &QPushButton::clicked, this, &frmbackup::cmdgetbgm_Click);
    connect(cmdsave, &QPushButton::clicked, this, &frmbackup::cmdsave_Click);
    connect(chcbackup, &QCheckBox::toggled, this, &frmbackup::chcbackup_Click);
    // A double-click anywhere in a list acts on its selected row, also off the rows.
    LVarticle->viewport()->installEventFilter(this);
    LVnum->viewport()->installEventFilter(this);
}

bool frmbackup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == LVarticle->viewport()) {
            LVarticle_DblClick();
        } else if (watched == LVnum->viewport()) {
            LVnum_DblClick();
        }
    }
    return SpaceWindow::eventFilter(watched, event);
}

// A one-click run with a format nobody can use would list the whole space for a save of
// nothing; it is refused before the first request.
void frmbackup::cmdgetbgm_Click() {
    if (chcbackup->isChecked() && !HasKnownFormat()) {
        return;
    }
    StartRun([this] { RunArticleCatalogue(*this); });
}

void frmbackup::cmdsave_Click() {
    if (!HasKnownFormat()) {
        return;
    }
    StartRun([this] { RunArticleSave(*this); });
}

bool frmbackup::HasKnownFormat() {
    const QString format = cmbgs->currentText();
    if (kSaveFormats.contains(format)) {
        return true;
    }
    if (!run_.IsActive()) {
        SetStatus(UnknownFormatCaption(format));
    }
    return false;
}

// A list of a space that does not exist has nothing to save, whatever the box says.
void frmbackup::chcbackup_Click() {
    SetSaveEnabled(!chcbackup->isChecked() && !ListedCatalogue().spaceMissing);
}

void frmbackup::LVarticle_DblClick() {
    if (const auto path = SelectedAddress(*LVarticle, kCategoryAddressColumn)) {
        platform::OpenInBrowser(kServiceRoot + *path);
    }
}

void frmbackup::LVnum_DblClick() {
    if (const auto address = SelectedAddress(*LVnum, kArticleAddressColumn)) {
        platform::OpenInBrowser(*address);
    }
}

QString frmbackup::Address() const {
    return txtblog->text();
}

QString frmbackup::WaitMs() const {
    return cmbtime->currentText();
}

bool frmbackup::OneClickBackup() const {
    return chcbackup->isChecked();
}

QString frmbackup::SaveFormat() const {
    return cmbgs->currentText();
}

QString frmbackup::Status() const {
    return Label2->text();
}

void frmbackup::SetStatus(const QString& caption) {
    Label2->setText(caption);
    // A closing status with its notes on unread pages and the archive index can be longer
    // than the line; the whole text stays one hover away.
    Label2->setToolTip(caption);
}

void frmbackup::SetSaveEnabled(bool enabled) {
    SetEnabledByRuns(enabled);
}

void frmbackup::SetSaveCaption(const QString& caption) {
    cmdsave->setText(caption);
}

void frmbackup::SetFormatEnabled(bool enabled) {
    cmbgs->setEnabled(enabled);
}
