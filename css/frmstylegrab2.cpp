#include "css/frmstylegrab2.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "app/WindowLook.h"
#include "css/CssFetch.h"
#include "css/CssSave.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

}  // namespace

frmstylegrab2::frmstylegrab2(const QString& appFolder)
    : SpaceWindow(appFolder, 9915, 7815),
      cmdget(new QPushButton(QStringLiteral("获取CSS"), this)),
      cmdsave(new QPushButton(QStringLiteral("保存CSS"), this)),
      txtcss(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("frmstylegrab2"));
    PlaceTwips(*txtblog, 120, 120, 6975, 480);
    cmdget->setObjectName(QStringLiteral("cmdget"));
    PlaceTwips(*cmdget, 7200, 120, 1215, 495);
    cmdsave->setObjectName(QStringLiteral("cmdsave"));
    cmdsave->setEnabled(false);
    PlaceTwips(*cmdsave, 8640, 120, 1215, 495);
    txtcss->setObjectName(QStringLiteral("txtcss"));
    // A style sheet is read line by line as fetched: long rules scroll rather than wrap.
    txtcss->setLineWrapMode(QPlainTextEdit::NoWrap);
    PlaceTwips(*txtcss, 120, 720, 9735, 6975);

    setTabOrder(txtblog, cmdget);
    setTabOrder(cmdget, cmdsave);
    setTabOrder(cmdsave, txtcss);
    connect(cmdget, &QPushButton::clicked, this, &frmstylegrab2::cmdget_Click);
    connect(cmdsave, &QPushButton::clicked, this, &frmstylegrab2::cmdsave_Click);
}

// A press while the home page loads would be ignored, so the button says so.
void frmstylegrab2::cmdget_Click() {
    cmdget->setEnabled(false);
    run_.Start([this] { RunCssFetch(*this); });
    cmdget->setEnabled(true);
}

void frmstylegrab2::cmdsave_Click() {
    // Through the run too, so a window closed while a message box is up outlives the box.
    run_.Start([this] { RunCssSave(*this); });
}

void frmstylegrab2::ShowMessage(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, this);
    box.exec();
}

QString frmstylegrab2::Address() const {
    return txtblog->text();
}

// The box keeps lines, not line-break characters, and hands back non-breaking spaces as
// blanks: the sheet as fetched is kept beside it, so that the window saves the bytes the
// command line saves. Once the user has edited the box, its own text counts, every line ending
// in CR LF as the system's text boxes held them.
QString frmstylegrab2::CssText() const {
    QString shown = txtcss->document()->toRawText();
    if (shown == shownSheet_) {
        return sheet_;
    }
    return shown.replace(QChar::ParagraphSeparator, kCrLf).replace(QChar::LineSeparator, kCrLf);
}

// CR LF, a lone CR and a lone LF each start a line of the box.
void frmstylegrab2::SetCssText(const QString& text) {
    sheet_ = text;
    txtcss->setPlainText(text);
    shownSheet_ = txtcss->document()->toRawText();
}

void frmstylegrab2::SetSaveEnabled(bool enabled) {
    cmdsave->setEnabled(enabled);
}
