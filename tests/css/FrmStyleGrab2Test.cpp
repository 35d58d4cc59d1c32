#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SpaceAddress.h"
#include "app/WindowLook.h"
#include "css/frmstylegrab2.h"

namespace {

// The window with its message boxes kept instead of shown, so no modal box waits for a user.
class QuietCssWindow : public frmstylegrab2 {
public:
    using frmstylegrab2::frmstylegrab2;
    QStringList messages;

protected:
    void ShowMessage(const QString& text, const QString& title) override {
        messages << title + ": " + text;
    }
};

}  // namespace

class FrmStyleGrab2Test : public QObject {
    Q_OBJECT

private slots:
    void init() { app_ = std::make_unique<TempFolder>(); }

    void opensWithItsControlsAsLaidOut() {
        SaveSpaceAddress(app_->Path(), QStringLiteral("http://hi.baidu.com/quietwren"));
        frmstylegrab2 window(app_->Path());
        QCOMPARE(window.windowTitle(), QStringLiteral("Pagewren final beta"));
        QCOMPARE(window.size(), QSize(Px(9915), Px(7815)));
        QCOMPARE(window.txtblog->text(), QStringLiteral("http://hi.baidu.com/quietwren"));
        QVERIFY(!window.cmdsave->isEnabled());
        QVERIFY(window.txtcss->toPlainText().isEmpty());
        QCOMPARE(window.txtcss->geometry(), QRect(Px(120), Px(720), Px(9735), Px(6975)));
    }

    void utf8HomePageSheetShownOneRulePerLineAndTheBoxSaved() {
        SimFixture sim;
        QuietCssWindow window(app_->Path());
        window.show();
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/smallwren"));
        QTest::mouseClick(window.cmdget, Qt::LeftButton);
        QCOMPARE(window.txtcss->toPlainText(),
                 QStringLiteral("body{color:#333}\n\n.item{padding:4px}\n\n\n/*小记*/\n"));
        QVERIFY(window.cmdsave->isEnabled());

        // The user's own edit is saved, lines ending in CR LF.
        window.txtcss->setPlainText(QStringLiteral("a{b}\n/*c*/"));
        QTest::mouseClick(window.cmdsave, Qt::LeftButton);
        QCOMPARE(app_->Read("smallwren/空间模板.css"), std::string("a{b}\r\n/*c*/\r\n"));

        QVERIFY(window.messages.isEmpty());
    }

    // The box shows lines; the file holds the sheet's own line ends, as the command line's does.
    void lineEndsOfTheSheetReachTheFileUnchanged() {
        SimFixture sim;
        sim.Server().SetPage("/jiaoliao/css/item/6a81f2c4e93d0b57.css", "a{b}\nc{d}\r/*x*/");
        QuietCssWindow window(app_->Path());
        window.show();
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QTest::mouseClick(window.cmdget, Qt::LeftButton);
        QCOMPARE(window.txtcss->blockCount(), 7);
        QTest::mouseClick(window.cmdsave, Qt::LeftButton);
        QCOMPARE(app_->Read("jiaoliao/空间模板.css"),
                 std::string("a{b}\r\n\nc{d}\r\n\r\r\n/*x*/\r\n\r\n"));
        QVERIFY(window.messages.isEmpty());
    }

    void aClosedSpaceIsNamedAsSuchAndATrailingSlashIsTheSameSpace() {
        SimFixture sim;
        QuietCssWindow window(app_->Path());
        window.show();
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/closedwren"));
        QTest::mouseClick(window.cmdget, Qt::LeftButton);
        QCOMPARE(window.messages, QStringList{"错误提示: 您的百度空间不存在！！"});
        QVERIFY(!window.cmdsave->isEnabled());

        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/smallwren/"));
        QTest::mouseClick(window.cmdget, Qt::LeftButton);
        QVERIFY(window.cmdsave->isEnabled());
        QVERIFY(window.txtcss->toPlainText().startsWith(QStringLiteral("body{color:#333}")));
        QCOMPARE(window.messages.size(), 1);
    }

    // The box shows only the sheet of the address last fetched, and the save puts it into that
    // space's folder, whatever address was typed since.
    void aSheetStaysWithTheSpaceItWasFetchedFor() {
        SimFixture sim;
        QuietCssWindow window(app_->Path());
        window.show();
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/smallwren"));
        QTest::mouseClick(window.cmdget, Qt::LeftButton);
        QVERIFY(!window.txtcss->toPlainText().isEmpty());
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QTest::mouseClick(window.cmdsave, Qt::LeftButton);
        QVERIFY(app_->Read("smallwren/空间模板.css").starts_with("body{color:#333}"));
        QVERIFY(!QFileInfo::exists(app_->Path() + "/jiaoliao"));

        // A fetch that fails leaves no sheet of another space under the new address.
        sim.SetFault("/jiaoliao", "status500");
        QTest::mouseClick(window.cmdget, Qt::LeftButton);
        QCOMPARE(window.messages.size(), 1);
        QVERIFY(window.txtcss->toPlainText().isEmpty());
        QVERIFY(!window.cmdsave->isEnabled());
    }

    void closingDuringTheFetchStopsItAndIgnoresSecondPresses() {
        SimFixture sim;
        sim.SetFault("/jiaoliao", "stall");
        QPointer<QuietCssWindow> window = new QuietCssWindow(app_->Path());
        window->show();
        window->txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        bool saveEnabledWhileFetching = true;
        bool getEnabledWhileFetching = true;
        QTimer::singleShot(300, window, [&] {
            saveEnabledWhileFetching = window->cmdsave->isEnabled();
            getEnabledWhileFetching = window->cmdget->isEnabled();
            QTest::mouseClick(window->cmdget, Qt::LeftButton);
            window->close();
        });
        QTest::mouseClick(window->cmdget, Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        QVERIFY(!saveEnabledWhileFetching);
        QVERIFY(!getEnabledWhileFetching);
        const auto requests = sim.Requests();
        QCOMPARE(std::count(requests.begin(), requests.end(), "hi.baidu.com/jiaoliao"), 1);
    }

private:
    std::unique_ptr<TempFolder> app_;
};

QTEST_MAIN(FrmStyleGrab2Test)
#include "FrmStyleGrab2Test.moc"
