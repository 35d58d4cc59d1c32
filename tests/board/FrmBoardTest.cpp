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

    void laysOutItsControlsAndIgnoresPressesDuringARetrieval() {
        SimFixture sim;
        TempFolder app;
        SaveSpaceAddress(app.Path(), QStringLiteral("http://hi.baidu.com"));
        frmboard window(app.Path());
        QCOMPARE(window.size(), QSize(Px(9915), Px(5925)));
        const std::pair<QWidget*, QRect> places[] = {{window.txtblog, {120, 120, 8055, 405}},
                                                     {window.cmdboard, {8280, 120, 1455, 375}},
                                                     {window.LVboard, {120, 600, 9615, 4815}},
                                                     {window.lblmsg, {120, 5520, 8055, 375}},
                                                     {window.cmdsave, {8280, 5520, 1455, 375}}};
        for (const auto& [control, twips] : places) {
            QCOMPARE(control->geometry(),
                     QRect(Px(twips.x()), Px(twips.y()), Px(twips.width()), Px(twips.height())));
        }
        QCOMPARE(window.cmdboard->text() + window.lblmsg->text() + window.cmdsave->text(),
                 QStringLiteral("查看留言等待中……备份留言"));
        const QStringList titles{"No", "序号", "留言者", "留言时间", "留言内容"};
        const int widths[] = {500, 750, 1500, 2000, 9000};
        QCOMPARE(window.LVboard->columnCount(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(window.LVboard->headerItem()->text(i), titles[i]);
            QCOMPARE(window.LVboard->columnWidth(i), Px(widths[i]));
        }
        QVERIFY(!window.cmdsave->isEnabled());
        QCOMPARE(window.txtblog->text(), QStringLiteral("http://hi.baidu.com"));
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
