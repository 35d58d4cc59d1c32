#pragma once

#include <functional>

#include "app/SpaceWindow.h"
#include "app/TreeWidgetList.h"
#include "backup/ArticleWindowControls.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// The article backup window: the catalogue of a space's categories and articles, and the
// save of the listed articles in the chosen format.
class frmbackup : public SpaceWindow, private ArticleWindowControls {
    Q_OBJECT

public:
    explicit frmbackup(const QString& appFolder);

    QPushButton* cmdgetbgm;
    QTreeWidget* LVarticle;
    QTreeWidget* LVnum;
    QLabel* Label3;
    QComboBox* cmbtime;
    QLabel* Label1;
    QCheckBox* chcbackup;
    QLabel* Label4;
    QComboBox* cmbgs;
    QPushButton* cmdsave;
    QLabel* Label2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void cmdgetbgm_Click();
    void cmdsave_Click();
    void chcbackup_Click();
    // True when the format box names one of the save formats; otherwise the status says that
    // the format is unknown.
    bool HasKnownFormat();
    void LVarticle_DblClick();
    void LVnum_DblClick();

    // ArticleWindowControls
    QString Address() const override;
    QString WaitMs() const override;
    bool OneClickBackup() const override;
    QString SaveFormat() const override;
    platform::ReportList& Categories() override { return categories_; }
    platform::ReportList& Articles() override { return articles_; }
    QString Status() const override;
    void SetStatus(const QString& caption) override;
    void SetSaveEnabled(bool enabled) override;
    void SetSaveCaption(const QString& caption) override;
    void SetFormatEnabled(bool enabled) override;
    platform::EventPump& Pump() override { return run_.Pump(); }
    QString AppFolder() const override { return appFolder_; }

    TreeWidgetList categories_;
    TreeWidgetList articles_;
};
