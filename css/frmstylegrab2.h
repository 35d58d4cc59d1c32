#pragma once

#include "app/SpaceWindow.h"
#include "css/CssWindowControls.h"

class QPlainTextEdit;
class QPushButton;

// The CSS template window: fetches a space's style sheet, shows it one rule per line and
// saves it.
class frmstylegrab2 : public SpaceWindow, private CssWindowControls {
    Q_OBJECT

public:
    explicit frmstylegrab2(const QString& appFolder);

    QPushButton* cmdget;
    QPushButton* cmdsave;
    QPlainTextEdit* txtcss;

protected:
    // A modal box with an OK button, titled as given; tests put their own in its place.
    void ShowMessage(const QString& text, const QString& title) override;

private:
    void cmdget_Click();
    void cmdsave_Click();

    // CssWindowControls
    QString Address() const override;
    QString CssText() const override;
    void SetCssText(const QString& text) override;
    void SetSaveEnabled(bool enabled) override;
    platform::EventPump& Pump() override { return run_.Pump(); }
    QString AppFolder() const override { return appFolder_; }

    QString sheet_;       // the text last set in txtcss, exactly as it was set
    QString shownSheet_;  // what the box held right after, to tell the user's edits
};
