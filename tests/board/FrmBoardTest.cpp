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

    void opensLaidOutAndDisablesItsButtonsDuringARetrieval() {
        SimFixture sim;
        TempFolder app;
        SaveSpaceAddress(app.Path(), QStringLiteral("http://hi.baidu.com"));
        frmboard window(app.Path());
        QCOMPARE(window.size(), QSize(Px(9915), Px(5925)));
        QCOMPARE(window.LVboard->geometry(), QRect(Px(120), Px(600), Px(9615), Px(4815)));
        QCOMPARE(window.LVboard->columnCount(), 5);
        QVERIFY(!window.cmdsave->isEnabled());
        QCOMPARE(window.txtblog->text(), QStringLiteral("http://hi.baidu.com"));
        window.show();
        // An unusable address reads nothing but enables the save.
        QTest::mouseClick(window.cmdboard, Qt::LeftButton);
        QVERIFY(window.cmdsave->isEnabled());

        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        bool disabledDuringTheRun = false;
        QTimer::singleShot(300, &window, [&] {
            disabledDuringTheRun = !window.cmdboard->isEnabled() && !window.cmdsave->isEnabled();
            QTest::mouseClick(window.cmdboard, Qt::LeftButton);
            QTest::mouseClick(window.cmdsave, Qt::LeftButton);
        });
        QTest::mouseClick(window.cmdboard, Qt::LeftButton);
        QVERIFY(disabledDuringTheRun);
        QVERIFY(window.cmdboard->isEnabled() && window.cmdsave->isEnabled());
        QCOMPARE(window.LVboard->topLevelItemCount(), 23);
        QCOMPARE(window.lblmsg->text(), QStringLiteral("获取完毕，共23条留言"));
        QCOMPARE(sim.Requests().size(), size_t{2});
        QVERIFY(!QFile::exists(app.Path() + "/jiaoliao/留言版.htm"));

        // A closed space: said so, nothing left to save.
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/closedwren/"));
        QTest::mouseClick(window.cmdboard, Qt::LeftButton);
        QCOMPARE(window.lblmsg->text(), QStringLiteral("您的百度空间不存在！！"));
        QCOMPARE(window.LVboard->topLevelItemCount(), 0);
        QVERIFY(window.cmdboard->isEnabled() && !window.cmdsave->isEnabled());
    }

    void closingDuringARetrievalStopsIt() {
        SimFixture sim;
        TempFolder app;
        QPointer<frmboard> window = new frmboard(app.Path());
        window->show();
        window->txtblog->setText(QStringLiteral("http://hi.baidu.com/busywren"));
        // Closed during the walk of page 0, once the profile, page 0 and page 0 again are read.
        QTimer poll;
        connect(&poll, &QTimer::timeout, window, [&] {
            if (sim.Requests().size() >= 3) {
                window->close();
            }
        });
        poll.start(10);
        QTest::mouseClick(window->cmdboard, Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(sim.Requests().size(), size_t{3});
    }
};

QTEST_MAIN(FrmBoardTest)
#include "FrmBoardTest.moc"
