#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SpaceAddress.h"
#include "app/WindowLook.h"
#include "board/frmboard.h"
#include "platform/Shell.h"

class FrmBoardTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        app_ = std::make_unique<TempFolder>();
        opened_.clear();
        platform::SetShellHandler(
            [this](const QString& verb, const QString& target) { opened_ << verb + " " + target; });
    }

    void cleanup() { platform::SetShellHandler({}); }

    void opensWithItsControlsAsLaidOut() {
        SaveSpaceAddress(app_->Path(), QStringLiteral("http://hi.baidu.com/quietwren"));
        frmboard window(app_->Path());
        QCOMPARE(window.windowTitle(), QStringLiteral("Pagewren final beta"));
        QCOMPARE(window.size(), QSize(Px(9915), Px(5925)));
        QCOMPARE(window.txtblog->text(), QStringLiteral("http://hi.baidu.com/quietwren"));
        QCOMPARE(window.txtblog->geometry(), QRect(Px(120), Px(120), Px(8055), Px(405)));
        QCOMPARE(window.cmdboard->text(), QStringLiteral("查看留言"));
        QCOMPARE(window.cmdboard->geometry(), QRect(Px(8280), Px(120), Px(1455), Px(375)));
        QCOMPARE(window.LVboard->geometry(), QRect(Px(120), Px(600), Px(9615), Px(4815)));
        QCOMPARE(window.lblmsg->text(), QStringLiteral("等待中……"));
        QCOMPARE(window.lblmsg->geometry(), QRect(Px(120), Px(5520), Px(8055), Px(375)));
        QCOMPARE(window.cmdsave->text(), QStringLiteral("备份留言"));
        QCOMPARE(window.cmdsave->geometry(), QRect(Px(8280), Px(5520), Px(1455), Px(375)));
        QVERIFY(!window.cmdsave->isEnabled());
        const QStringList titles{"No", "序号", "留言者", "留言时间", "留言内容"};
        const int widths[] = {500, 750, 1500, 2000, 9000};
        QCOMPARE(window.LVboard->columnCount(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(window.LVboard->headerItem()->text(i), titles[i]);
            QCOMPARE(window.LVboard->columnWidth(i), Px(widths[i]));
        }
    }

    void pressesDuringARetrievalAreIgnored() {
        SimFixture sim;
        frmboard window(app_->Path());
        window.show();
        // An unusable address reads nothing but enables the save.
        QTest::mouseClick(window.cmdboard, Qt::LeftButton);
        QCOMPARE(window.lblmsg->text(), QStringLiteral("获取完毕，共0条留言"));
        QVERIFY(window.cmdsave->isEnabled());

        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QTimer::singleShot(300, &window, [&] {
            QTest::mouseClick(window.cmdboard, Qt::LeftButton);
            QTest::mouseClick(window.cmdsave, Qt::LeftButton);
        });
        QTest::mouseClick(window.cmdboard, Qt::LeftButton);
        QCOMPARE(window.LVboard->topLevelItemCount(), 23);
        QCOMPARE(window.lblmsg->text(), QStringLiteral("获取完毕，共23条留言"));
        const auto requests = sim.Requests();
        QCOMPARE(std::count(requests.begin(), requests.end(), "hi.baidu.com/jiaoliao/profile"), 1);
        QVERIFY(!QFile::exists(app_->Path() + "/jiaoliao/留言版.htm"));

        QTest::mouseClick(window.cmdsave, Qt::LeftButton);
        QCOMPARE(window.lblmsg->text(), QStringLiteral("23 条留言全部备份完毕！"));
        QVERIFY(QFile::exists(app_->Path() + "/jiaoliao/留言版.htm"));
        QCOMPARE(opened_, QStringList{"explore " + app_->Path() + "/jiaoliao/"});
    }

    void closingDuringARetrievalStopsIt() {
        SimFixture sim;
        QPointer<frmboard> window = new frmboard(app_->Path());
        window->show();
        window->txtblog->setText(QStringLiteral("http://hi.baidu.com/busywren"));
        QTimer::singleShot(300, window, [&] { window->close(); });
        QTest::mouseClick(window->cmdboard, Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        // The profile, page 0, and page 0 again before the first wait.
        QCOMPARE(sim.Requests().size(), size_t{3});
    }

private:
    std::unique_ptr<TempFolder> app_;
    QStringList opened_;
};

QTEST_MAIN(FrmBoardTest)
#include "FrmBoardTest.moc"
