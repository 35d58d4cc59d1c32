#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

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
        platform::SetShellHandler([](const QString&, const QString&) {});
    }
    void cleanup() { platform::SetShellHandler({}); }

    void opensWithItsControlsAsLaidOut() {
        TempFolder app;
        SaveSpaceAddress(app.Path(), QStringLiteral("http://hi.baidu.com/quietwren"));
        frmboard window(app.Path());
        QCOMPARE(window.size(), QSize(Px(9915), Px(5925)));
        QCOMPARE(window.txtblog->text(), QStringLiteral("http://hi.baidu.com/quietwren"));
        QCOMPARE(window.txtblog->geometry(), QRect(Px(120), Px(120), Px(8055), Px(405)));
        QCOMPARE(window.cmdboard->geometry(), QRect(Px(8280), Px(120), Px(1455), Px(375)));
        QCOMPARE(window.LVboard->geometry(), QRect(Px(120), Px(600), Px(9615), Px(4815)));
        QCOMPARE(window.lblmsg->geometry(), QRect(Px(120), Px(5520), Px(8055), Px(375)));
        QCOMPARE(window.cmdsave->geometry(), QRect(Px(8280), Px(5520), Px(1455), Px(375)));
        QCOMPARE(window.cmdboard->text() + window.lblmsg->text() + window.cmdsave->text(),
                 QStringLiteral("查看留言等待中……备份留言"));
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
        TempFolder app;
        frmboard window(app.Path());
        window.show();
        // An unusable address reads nothing but enables the save.
        QTest::mouseClick(window.cmdboard, Qt::LeftButton);
        QVERIFY(window.cmdsave->isEnabled());

        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QTimer::singleShot(300, &window, [&] {
            QTest::mouseClick(window.cmdboard, Qt::LeftButton);
            QTest::mouseClick(window.cmdsave, Qt::LeftButton);
        });
        QTest::mouseClick(window.cmdboard, Qt::LeftButton);
        QCOMPARE(window.LVboard->topLevelItemCount(), 23);
        QCOMPARE(window.lblmsg->text(), QStringLiteral("获取完毕，共23条留言"));
        QCOMPARE(sim.Requests().size(), size_t{2});
        QVERIFY(!QFile::exists(app.Path() + "/jiaoliao/留言版.htm"));
    }

    void closingDuringARetrievalStopsIt() {
        SimFixture sim;
        TempFolder app;
        QPointer<frmboard> window = new frmboard(app.Path());
        window->show();
        window->txtblog->setText(QStringLiteral("http://hi.baidu.com/busywren"));
        QTimer::singleShot(300, window, [&] { window->close(); });
        QTest::mouseClick(window->cmdboard, Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        // The profile, page 0, and page 0 again before the first wait.
        QCOMPARE(sim.Requests().size(), size_t{3});
    }
};

QTEST_MAIN(FrmBoardTest)
#include "FrmBoardTest.moc"
