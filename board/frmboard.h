#pragma once

#include "app/RecordListWindow.h"

// The message-board window: lists every message of the space's board and saves the list
// to "留言版.htm" in the space folder.
class frmboard : public RecordListWindow {
    Q_OBJECT

public:
    explicit frmboard(const QString& appFolder);

    QPushButton* const cmdboard;
    QTreeWidget* const LVboard;

protected:
    void Retrieve(::RecordWindowControls& controls) override;
    void Save(::RecordWindowControls& controls) override;
};
