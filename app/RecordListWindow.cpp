#include "app/RecordListWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "app/Captions.h"
#include "app/WindowLook.h"

RecordListWindow::RecordListWindow(const QString& appFolder, const Layout& layout)
    : SpaceWindow(appFolder, layout.width, layout.height),
      fetchButton(new QPushButton(QStringLiteral("查看留言"), this)),
      recordList(new QTreeWidget(this)),
      lblmsg(new QLabel(kWaitingCaption, this)),
      cmdsave(new QPushButton(QStringLiteral("备份留言"), this)),
      records_(*recordList) {
    Place(layout);
    // Window load: the list is laid out afresh; SpaceWindow has read the address.
    records_.Clear();
    SetReportColumns(*recordList, layout.columns);
    cmdsave->setEnabled(false);
    SetRunButtons(fetchButton, cmdsave);
    connect(fetchButton, &QPushButton::clicked, this,
            [this] { StartRun([this] { Retrieve(*this); }); });
    connect(cmdsave, &QPushButton::clicked, this, [this] { StartRun([this] { Save(*this); }); });
}

void RecordListWindow::Place(const Layout& layout) {
    setObjectName(layout.windowName);
    PlaceTwips(*txtblog, 120, 120, layout.addressWidth, 405);
    fetchButton->setObjectName(layout.fetchName);
    PlaceTwips(*fetchButton, 8280, 120, 1455, 375);
    recordList->setObjectName(layout.listName);
    PlaceTwips(*recordList, 120, 600, 9615, 4815);
    lblmsg->setObjectName(QStringLiteral("lblmsg"));
    PaintBackground(*lblmsg);
    PlaceTwips(*lblmsg, layout.status.x(), layout.status.y(), layout.status.width(),
               layout.status.height());
    cmdsave->setObjectName(QStringLiteral("cmdsave"));
    PlaceTwips(*cmdsave, 8280, 5520, 1455, 375);
}

QString RecordListWindow::Address() const {
    return txtblog->text();
}

void RecordListWindow::SetStatus(const QString& text) {
    lblmsg->setText(text);
}

void RecordListWindow::SetSaveEnabled(bool enabled) {
    SetEnabledByRuns(enabled);
}
