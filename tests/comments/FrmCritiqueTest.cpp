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
#include "app/WindowLook.h"
#include "comments/frmcritique.h"
#include "platform/Shell.h"

class FrmCritiqueTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        app_ = std::make_unique<TempFolder>();
        platform::SetShellHandler([](const QString&, const QString&) {});
    }

    void cleanup() { platform::SetShellHandler({}); }

    void opensWithItsControlsAsLaidOut() {
        frmcritique window(app_->Path());
        QCOMPARE(window.size(), QSize(Px(9885), Px(5895)));
        QCOMPARE(window.txtblog->text(), QString());
        QCOMPARE(window.txtblog->geometry(), QRect(Px(120), Px(120), Px(7935), Px(405)));
        QCOMPARE(window.cmdcritique->text(), QStringLiteral("查看留言"));
        QCOMPARE(window.lblmsg->geometry(), QRect(Px(120), Px(5640), Px(8055), Px(255)));
        QCOMPARE(window.cmdsave->text(), QStringLiteral("备份留言"));
        QVERIFY(!window.cmdsave->isEnabled());
        const QStringList titles{"No", "评论文章", "评论内容", "评论者"};
        const int widths[] = {500, 2000, 5200, 1850};
        QCOMPARE(window.LVcritique->columnCount(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(window.LVcritique->headerItem()->text(i), titles[i]);
            QCOMPARE(window.LVcritique->columnWidth(i), Px(widths[i]));
        }
    }

    void closingDuringASaveKeepsTheEarlierPage() {
        SimFixture sim;
        QPointer<frmcritique> window = new frmcritique(app_->Path());
        window->show();
        window->txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QTest::mouseClick(window->cmdcritique, Qt::LeftButton);
        QCOMPARE(window->LVcritique->topLevelItemCount(), 14);
        QCOMPARE(window->lblmsg->text(), QStringLiteral("获取完毕，共14条文章评论"));
        QVERIFY(window->cmdsave->isEnabled());
        QTest::mouseClick(window->cmdsave, Qt::LeftButton);
        QCOMPARE(window->lblmsg->text(), QStringLiteral("14 条留言全部备份完毕！"));
        const std::string earlier = app_->Read("jiaoliao/文章评论.htm");
        QVERIFY(!earlier.empty());

        window->LVcritique->topLevelItem(0)->setText(1, QStringLiteral("changed"));
        QTimer::singleShot(300, window, [&] { window->close(); });
        QTest::mouseClick(window->cmdsave, Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(app_->Read("jiaoliao/文章评论.htm"), earlier);
    }

private:
    std::unique_ptr<TempFolder> app_;
};

QTEST_MAIN(FrmCritiqueTest)
#include "FrmCritiqueTest.moc"
