#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SpaceAddress.h"
#include "app/frmmain.h"
#include "backup/frmbackup.h"
#include "board/frmboard.h"
#include "comments/frmcritique.h"
#include "css/frmstylegrab2.h"
#include "music/frmmusic.h"

class FrmMainTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app_ = std::make_unique<TempFolder>(); }

    void startsWithTheDefaultAddressAndTheListsOutOfSight() {
        frmmain window(app_->Path());
        QCOMPARE(window.windowTitle(), QStringLiteral("Pagewren final beta"));
        QCOMPARE(window.txtblog->text(), kDefaultSpaceAddress);
        QVERIFY(!window.windowIcon().isNull());
        // The tip over the window says where the backups go.
        QVERIFY(window.toolTip().contains(app_->Path()));
        // 宋体 is missing outside Windows: a Song face stands in for it, not a sans one.
        const QString face = QFontInfo(window.lblarticle->font()).family();
        QVERIFY2(face == QStringLiteral("SimSun") || face.startsWith(QStringLiteral("AR PL UMing")),
                 qPrintable(face));
        // The two result lists lie below the client area, out of the user's sight.
        QVERIFY(window.LVarticle->geometry().top() >= window.height());
        QVERIFY(window.LVmusic->geometry().top() >= window.height());
    }

    // Runs before any test closes a main window, after which a message box no longer waits.
    void photoButtonShowsTheNoticeOnly() {
        frmmain window(app_->Path());
        window.show();
        const QString before = window.lblphoto->text();
        QString title, text;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            box->accept();
        });
        QTest::mouseClick(window.cmdphoto, Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("Pagewren"));
        QCOMPARE(text, QStringLiteral("尽请期待"));
        QCOMPARE(window.lblphoto->text(), before);
        QVERIFY(window.backupWindow.isNull());
    }

    void eachContentWindowOpensOnceReadsTheSettingsFileAndClosesWithTheMainWindow() {
        frmmain window(app_->Path());
        window.show();
        // Without a settings file a content window shows an empty box.
        QTest::mouseClick(window.CMDMUSIC, Qt::LeftButton);
        QCOMPARE(window.musicWindow->txtblog->text(), QString());

        SaveSpaceAddress(app_->Path(), QStringLiteral("http://hi.baidu.com/quietwren"));
        QTest::mouseClick(window.cmdatc, Qt::LeftButton);
        QPointer<frmbackup> first = window.backupWindow;
        QTest::mouseClick(window.cmdatc, Qt::LeftButton);
        QCOMPARE(window.backupWindow.data(), first.data());
        QVERIFY(first->isVisible());
        QCOMPARE(first->txtblog->text(), QStringLiteral("http://hi.baidu.com/quietwren"));

        QTest::mouseClick(window.CMDCSS, Qt::LeftButton);
        QTest::mouseClick(window.cmdboard, Qt::LeftButton);
        QTest::mouseClick(window.cmdcritique, Qt::LeftButton);
        QVERIFY(window.cssWindow && window.boardWindow && window.critiqueWindow);
        QVERIFY(window.isEnabled());

        // Closing a content window unloads it; its button then loads a fresh one.
        first->close();
        QTRY_VERIFY(first.isNull());
        QTest::mouseClick(window.cmdatc, Qt::LeftButton);
        QVERIFY(window.backupWindow);

        // Closing the main window closes every content window.
        QPointer<frmbackup> backup = window.backupWindow;
        QPointer<frmboard> board = window.boardWindow;
        window.close();
        QTRY_VERIFY(backup.isNull() && board.isNull());
    }

    void surveyFillsTheWindowsListsAndLabels() {
        SimFixture sim;
        frmmain window(app_->Path());
        window.txtblog->setText(QStringLiteral("hi.baidu.com/jiaoliao"));
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.txtblog->text(), QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QVERIFY(window.cmdgetbgm->isEnabled());
        QCOMPARE(window.LVarticle->topLevelItemCount(), 4);
        QCOMPARE(window.lblpinglun->text(), QStringLiteral("您的百度空间约有 50 条文章评论"));
    }

    // A capture of the layout of 2012 on is told apart from a missing space, in words the
    // panel and the music window's narrow status line show whole.
    void laterLayoutIsToldInTheSurveyAndTheMusicWindow() {
        SimFixture sim;
        frmmain window(app_->Path());
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/laterwren"));
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        const QString later = window.lblarticle->text();
        QVERIFY2(later.contains(QStringLiteral("新版")) && later.contains(QStringLiteral("更早")),
                 qPrintable(later));
        QCOMPARE(Overflow(*window.lblarticle), QString());
        QCOMPARE(window.LVarticle->topLevelItemCount(), 0);
        QTest::mouseClick(window.CMDMUSIC, Qt::LeftButton);
        frmmusic& music = *window.musicWindow;
        QTest::mouseClick(music.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(music.Label2->text(), later);
        QCOMPARE(Overflow(*music.Label2), QString());
        QVERIFY(!music.cmdget->isEnabled());
        QCOMPARE(QDir(app_->Path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"blogurl.ini"});
    }

    void aStalledRequestLeavesTheWindowLiveAndClosingEndsIt() {
        SimFixture sim;
        sim.SetFault("/jiaoliao/blog", "stall");
        auto window = std::make_unique<frmmain>(app_->Path());
        window->show();
        window->txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        // Events keep being handled while the request hangs: the timer fires, the window
        // closes, and the press returns at once instead of after the stall limit.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);
        QTimer::singleShot(600, window.get(), [&] { window->close(); });
        QElapsedTimer pressed;
        pressed.start();
        QTest::mouseClick(window->cmdgetbgm, Qt::LeftButton);
        QVERIFY(ticks >= 10);
        QVERIFY(pressed.elapsed() < 5000);
        // Nothing after the request ran: no further request, no remembered address.
        QCOMPARE(sim.Requests().size(), size_t{1});
        QVERIFY(!QFile::exists(app_->Path() + "/blogurl.ini"));
    }

    void closingDuringAnotherWindowsRunEndsItWithoutSaving() {
        SimFixture sim;
        auto window = std::make_unique<frmmain>(app_->Path());
        window->show();
        SaveSpaceAddress(app_->Path(), QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QTest::mouseClick(window->cmdatc, Qt::LeftButton);
        QPointer<frmbackup> backup = window->backupWindow;
        backup->chcbackup->setChecked(true);
        backup->cmbtime->setCurrentText(QStringLiteral("100"));
        QTimer::singleShot(300, window.get(), [&] { window->close(); });
        QTest::mouseClick(backup->cmdgetbgm, Qt::LeftButton);
        // The catalogue stopped at a wait: the one-click save never wrote a file.
        QTRY_VERIFY(backup.isNull());
        QVERIFY(!QFile::exists(app_->Path() + "/jiaoliao"));
        const auto requests = sim.Requests().size();
        QTest::qWait(300);
        QCOMPARE(sim.Requests().size(), requests);
    }

private:
    // How far the label's text runs past its one line; nothing when it shows whole.
    static QString Overflow(const QLabel& label) {
        const int width = label.fontMetrics().horizontalAdvance(label.text());
        return width <= label.width()
                   ? QString()
                   : QStringLiteral("%1 px of text on %2 px").arg(width).arg(label.width());
    }

    std::unique_ptr<TempFolder> app_;
};

QTEST_MAIN(FrmMainTest)
#include "FrmMainTest.moc"
