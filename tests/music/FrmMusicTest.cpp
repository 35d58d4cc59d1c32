#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "SimFixture.h"
#include "TempFolder.h"
#include "app/SpaceAddress.h"
#include "app/WindowLook.h"
#include "music/frmmusic.h"
#include "platform/Http.h"
#include "platform/Shell.h"

class FrmMusicTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app_ = std::make_unique<TempFolder>(); }

    void opensLaidOutWithTheDownloadDisabled() {
        SaveSpaceAddress(app_->Path(), QStringLiteral("http://hi.baidu.com/jiaoliao"));
        frmmusic window(app_->Path());
        QCOMPARE(window.size(), QSize(Px(9915), Px(4485)));
        QCOMPARE(window.txtblog->text(), QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QVERIFY(!window.cmdget->isEnabled());
        QCOMPARE(window.cmdget->geometry(), QRect(Px(8040), Px(3960), Px(1695), Px(375)));
        // Only the bar's top edge shows; the destination box lies below the client area.
        QVERIFY(window.ProgressBar1->y() < window.height());
        QVERIFY(window.ProgressBar1->y() + 5 >= window.height());
        QVERIFY(window.savefile->y() >= window.height());
    }

    void listsDownloadsAndOpensASongOnDoubleClick() {
        SimFixture sim;
        QStringList opened;
        platform::SetShellHandler([&](const QString&, const QString& target) { opened << target; });
        SaveSpaceAddress(app_->Path(), QStringLiteral("http://hi.baidu.com/jiaoliao"));
        frmmusic window(app_->Path());
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.LVmusic->topLevelItemCount(), 3);
        QCOMPARE(window.Label2->text(), QStringLiteral("共 3 歌曲"));
        QVERIFY(window.cmdget->isEnabled());

        window.LVmusic->setCurrentItem(window.LVmusic->topLevelItem(1));
        QTest::mouseDClick(window.LVmusic->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
        QCOMPARE(opened, QStringList{"http://music.pagewren.test/songs/2.mp3"});
        // Through an archive the live address is long gone: the archived copy is opened.
        platform::SetReplayPrefix("http://archive.test/web/2012/");
        QTest::mouseDClick(window.LVmusic->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
        platform::SetReplayPrefix({});
        QCOMPARE(opened.last(),
                 "http://archive.test/web/2012/http://music.pagewren.test/songs/2.mp3");
        platform::SetShellHandler({});

        window.show();
        // A press of either button while the download runs starts nothing.
        QTimer::singleShot(500, &window, [&] {
            QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
            QTest::mouseClick(window.cmdget, Qt::LeftButton);
        });
        QTest::mouseClick(window.cmdget, Qt::LeftButton);
        QCOMPARE(window.Label2->text(), QStringLiteral("共 3 歌曲，已下载完毕"));
        QCOMPARE(window.Label1->text(), QStringLiteral("下载完成，文件大小：3072 Kb"));
        QCOMPARE(window.ProgressBar1->maximum(), 3145728);
        QCOMPARE(window.ProgressBar1->value(), 3145728);
        QCOMPARE(window.savefile->text(), app_->Path() + "/jiaoliao/背景音乐/3.mp3");
        QCOMPARE(sim.Requests().size(), size_t{4});
    }

    void onlyWebAddressesAreOpened() {
        SimFixture sim;
        sim.Server().SetPage(
            "/odd/music/music.pls",
            "Version=<ref href=\"file:///etc/passwd\" /><ref href=\"calc.exe\" />"
            "<ref href=\"javascript:alert(1)\" /><ref href=\"HTTPS://m.test/a.mp3\" />");
        QStringList opened;
        platform::SetShellHandler([&](const QString&, const QString& target) { opened << target; });
        SaveSpaceAddress(app_->Path(), QStringLiteral("http://hi.baidu.com/odd"));
        frmmusic window(app_->Path());
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.LVmusic->topLevelItemCount(), 4);
        for (int row = 0; row < 4; ++row) {
            window.LVmusic->setCurrentItem(window.LVmusic->topLevelItem(row));
            QTest::mouseDClick(window.LVmusic->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        }
        platform::SetShellHandler({});
        QCOMPARE(opened, QStringList{"HTTPS://m.test/a.mp3"});
    }

    // Neither button takes a press while a run goes; a failed song is marked in the list, and
    // listing another space clears what the last download showed.
    void failedSongsAreMarkedAndAnotherListingStartsClean() {
        SimFixture sim;
        SaveSpaceAddress(app_->Path(), QStringLiteral("http://hi.baidu.com/lullwren"));
        frmmusic window(app_->Path());
        window.show();
        bool getEnabled = true;
        QTimer::singleShot(50, &window, [&] { getEnabled = window.cmdgetbgm->isEnabled(); });
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QVERIFY(!getEnabled);
        QCOMPARE(window.LVmusic->topLevelItemCount(), 3);
        QTest::mouseClick(window.cmdget, Qt::LeftButton);
        // The middle entry names no address.
        QCOMPARE(window.Label2->text(), QStringLiteral("共 3 歌曲，已下载完毕，其中 1 首下载失败"));
        for (int row = 0; row < 3; ++row) {
            const QTreeWidgetItem* song = window.LVmusic->topLevelItem(row);
            QCOMPARE(song->toolTip(1), row == 1 ? QStringLiteral("下载失败") : QString());
            const bool red = song->foreground(1).color() == QColor(0xb0, 0x00, 0x20);
            QCOMPARE(red, row == 1);
        }
        QCOMPARE(window.Label1->text(), QStringLiteral("下载完成，文件大小：5.859375 Kb"));

        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.Label2->text(), QStringLiteral("共 3 歌曲"));
        QCOMPARE(window.Label1->text(), QString());
        QCOMPARE(window.ProgressBar1->value(), 0);
        QCOMPARE(window.LVmusic->topLevelItem(1)->toolTip(1), QString());
    }

    void closingMidDownloadLeavesNoPartialFile() {
        SimFixture sim;
        sim.SetFault("music.pagewren.test/songs/2.mp3", "stall");
        SaveSpaceAddress(app_->Path(), QStringLiteral("http://hi.baidu.com/jiaoliao"));
        QPointer<frmmusic> window = new frmmusic(app_->Path());
        window->show();
        QTest::mouseClick(window->cmdgetbgm, Qt::LeftButton);
        // Closed while the second song hangs in its transfer, half of it come.
        QString progress;
        QTimer::singleShot(3000, window, [&] {
            progress = window->Label1->text();
            window->close();
        });
        QTest::mouseClick(window->cmdget, Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        // The song under way shows its own progress, not the first song's final size.
        QCOMPARE(progress, QStringLiteral("下载进度50%，已下载：75 Kb"));
        const QDir songs(app_->Path() + "/jiaoliao/背景音乐");
        QCOMPARE(songs.entryList(QDir::Files), QStringList{"1.mp3"});
    }

private:
    std::unique_ptr<TempFolder> app_;
};

QTEST_MAIN(FrmMusicTest)
#include "FrmMusicTest.moc"
