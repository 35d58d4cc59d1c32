#pragma once

#include "app/RecordListWindow.h"

// The article comment window: lists the comments on the space's articles from the service's
// comment search and saves the list to "文章评论.htm" in the space folder.
class frmcritique : public RecordListWindow {
    Q_OBJECT

public:
    explicit frmcritique(const QString& appFolder);

    QPushButton* const cmdcritique;
    QTreeWidget* const LVcritique;

protected:
    void Retrieve(::RecordWindowControls& controls) override;
    void Save(::RecordWindowControls& controls) override;
};
