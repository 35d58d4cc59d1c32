#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <nlohmann/json.hpp>

#include "SimFixture.h"
#include "TempFolder.h"
#include "app/WindowLook.h"
#include "comments/frmcritique.h"
#include "platform/Shell.h"

class FrmCritiqueTest : public QObject {
    Q_OBJECT

private slots:
    void closingDuringASaveKeepsTheEarlierPage() {
        platform::SetShellHandler([](const QString&, const QString&) {});
        SimFixture sim;
        TempFolder app;
        QPointer<frmcritique> window = new frmcritique(app.Path());
        QCOMPARE(window->size(), QSize(Px(9885), Px(5895)));
        QCOMPARE(window->lblmsg->geometry(), QRect(Px(120), Px(5640), Px(8055), Px(255)));
        QVERIFY(!window->cmdsave->isEnabled());

        window->show();
        window->txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QTest::mouseClick(window->cmdcritique, Qt::LeftButton);
        QCOMPARE(window->lblmsg->text(), QStringLiteral("获取完毕，共14条文章评论"));
        // Both buttons are disabled while the save runs, and come back after it.
        bool disabledDuringTheSave = false;
        QTimer::singleShot(300, window, [&] {
            disabledDuringTheSave =
                !window->cmdcritique->isEnabled() && !window->cmdsave->isEnabled();
        });
        QTest::mouseClick(window->cmdsave, Qt::LeftButton);
        QVERIFY(disabledDuringTheSave);
        QVERIFY(window->cmdcritique->isEnabled() && window->cmdsave->isEnabled());
        QCOMPARE(window->lblmsg->text(), QStringLiteral("14 条留言全部备份完毕！"));
        const std::string earlier = app.Read("jiaoliao/文章评论.htm");
        QVERIFY(!earlier.empty());
        // The list's rows carried each comment's article and date into the record.
        const nlohmann::json notes =
            nlohmann::json::parse(app.Read("jiaoliao/保存记录.json"))["comments"]["rows"];
        QCOMPARE(notes.size(), 14u);
        QCOMPARE(notes[13]["article"].get<std::string>(),
                 "http://hi.baidu.com/jiaoliao/blog/item/994b2881bc6c7c80.html");
        QCOMPARE(notes[13]["date"].get<std::string>(), "2008-06-14 21:13");

        window->LVcritique->topLevelItem(0)->setText(1, QStringLiteral("changed"));
        QTimer::singleShot(300, window, [&] { window->close(); });
        QTest::mouseClick(window->cmdsave, Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(app.Read("jiaoliao/文章评论.htm"), earlier);
        platform::SetShellHandler({});
    }
};

QTEST_MAIN(FrmCritiqueTest)
#include "FrmCritiqueTest.moc"
