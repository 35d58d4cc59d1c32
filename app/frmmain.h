#pragma once

#include <QPointer>
#include <QWidget>

#include "app/SpaceSurvey.h"
#include "app/TreeWidgetList.h"
#include "app/WindowRun.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class frmbackup;
class frmmusic;
class frmstylegrab2;
class frmboard;
class frmcritique;

// The main window: the space address, the survey and the launchers of the content windows.
class frmmain : public QWidget, private SurveyControls {
    Q_OBJECT

public:
    explicit frmmain(const QString& appFolder, QWidget* parent = nullptr);
    ~frmmain() override;

    QLineEdit* txtblog;
    QPushButton* cmdgetbgm;
    QTreeWidget* LVarticle;
    QTreeWidget* LVmusic;
    QLabel* lblarticle;
    QLabel* lblmusic;
    QLabel* lblcss;
    QLabel* lblphoto;
    QLabel* lblboard;
    QLabel* lblpinglun;
    QPushButton* cmdatc;
    QPushButton* CMDMUSIC;
    QPushButton* CMDCSS;
    QPushButton* cmdphoto;
    QPushButton* cmdboard;
    QPushButton* cmdcritique;

    // The content windows, while they are open.
    QPointer<frmbackup> backupWindow;
    QPointer<frmmusic> musicWindow;
    QPointer<frmstylegrab2> cssWindow;
    QPointer<frmboard> boardWindow;
    QPointer<frmcritique> critiqueWindow;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    QPushButton* AddPanel(int top, QLabel*& label, const QString& labelName, const QString& caption,
                          const QString& buttonName, const QString& buttonCaption);
    void cmdgetbgm_Click();
    void cmdphoto_Click();
    template <class Window>
    void OpenContentWindow(QPointer<Window>& window);

    // SurveyControls
    QString Address() const override;
    void SetAddress(const QString& address) override;
    platform::ReportList& Categories() override { return categories_; }
    platform::ReportList& Songs() override { return songs_; }
    QString Label(SurveyLabel label) const override;
    void SetLabel(SurveyLabel label, const QString& caption) override;
    void SetSurveyEnabled(bool enabled) override;
    platform::EventPump& Pump() override { return run_.Pump(); }
    QLabel* LabelFor(SurveyLabel label) const;

    const QString appFolder_;
    TreeWidgetList categories_;
    TreeWidgetList songs_;
    WindowRun run_;
};
