#pragma once

#include <QRect>
#include <QString>
#include <utility>
#include <vector>

#include "app/RecordWindowControls.h"
#include "app/SpaceWindow.h"
#include "app/TreeWidgetList.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// Common ground of the message-board and comment windows: an address box, a "查看留言"
// button that fills one list, a status label and a "备份留言" button that saves the list.
class RecordListWindow : public SpaceWindow, private RecordWindowControls {
    Q_OBJECT

public:
    // Where the window's controls stand and what they are called; rectangles in twips as
    // left, top, width, height.
    struct Layout {
        QString windowName;
        QString fetchName;
        QString listName;
        int width = 0;
        int height = 0;
        int addressWidth = 0;
        QRect status;
        std::vector<std::pair<QString, int>> columns;  // title, width in twips
    };

    RecordListWindow(const QString& appFolder, const Layout& layout);

    QPushButton* const fetchButton;
    QTreeWidget* const recordList;
    QLabel* const lblmsg;
    QPushButton* const cmdsave;

protected:
    // The window's own runs, on the controls as the logic sees them.
    virtual void Retrieve(RecordWindowControls& controls) = 0;
    virtual void Save(RecordWindowControls& controls) = 0;

private:
    void Place(const Layout& layout);

    // RecordWindowControls
    QString Address() const override;
    platform::ReportList& Records() override { return records_; }
    void SetStatus(const QString& text) override;
    void SetSaveEnabled(bool enabled) override;
    platform::EventPump& Pump() override { return run_.Pump(); }
    QString AppFolder() const override { return appFolder_; }

    TreeWidgetList records_;
};
