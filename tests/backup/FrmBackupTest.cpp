#include <QCheckBox>
#include <QComboBox>
#include <QDir>
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
#include "backup/frmbackup.h"
#include "platform/Http.h"
#include "platform/Shell.h"
#include "space/PictureNames.h"

class FrmBackupTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        app_ = std::make_unique<TempFolder>();
        opened_.clear();
        platform::SetShellHandler(
            [this](const QString& verb, const QString& target) { opened_ << verb + " " + target; });
    }

    void cleanup() {
        platform::SetShellHandler({});
        platform::SetReplayPrefix({});
    }

    void colouredControlsShowTheLavenderBehindTheirCaptions() {
        frmbackup window(app_->Path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage shot = window.grab().toImage();
        for (QWidget* control : std::initializer_list<QWidget*>{
                 window.Label1, window.Label2, window.Label3, window.Label4, window.chcbackup}) {
            // Every pixel behind the caption (beside the check box's own box) is the lavender or
            // a darker pixel of the caption.
            QRect area = control->geometry() & shot.rect();
            if (control == window.chcbackup) {
                area.setLeft(area.left() +
                             control->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                             control->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing));
            }
            int lavender = 0;
            for (int x = area.left(); x <= area.right(); ++x) {
                for (int y = area.top(); y <= area.bottom(); ++y) {
                    const QColor pixel = shot.pixelColor(x, y);
                    lavender += pixel == WindowBackground() ? 1 : 0;
                    QVERIFY2(pixel == WindowBackground() || pixel.lightness() < 150 ||
                                 pixel.blue() > pixel.red() + 20,
                             qPrintable(control->objectName() + " " + pixel.name()));
                }
            }
            QVERIFY2(lavender > area.width() * area.height() / 2,
                     qPrintable(control->objectName()));
        }
    }
    void opensLaidOutWithSaveDisabledAndTabsInOrder() {
        frmbackup window(app_->Path());
        QCOMPARE(window.size(), QSize(Px(9915), Px(7035)));
        QCOMPARE(window.txtblog->text(), QString());
        QVERIFY(!window.cmdsave->isEnabled());
        QVERIFY(window.cmbtime->isEditable() && window.cmbgs->isEditable());
        QCOMPARE(window.cmdsave->geometry(), QRect(Px(8280), Px(6120), Px(1455), Px(375)));
        QCOMPARE(window.LVarticle->columnWidth(4), Px(8250));
        QCOMPARE(window.LVnum->headerItem()->text(3), QStringLiteral("发表时间"));

        const QList<QWidget*> order{window.txtblog, window.cmdgetbgm, window.LVarticle,
                                    window.LVnum,   window.cmbtime,   window.chcbackup,
                                    window.cmdsave, window.cmbgs};
        QList<QWidget*> seen;
        QWidget* widget = window.txtblog;
        do {
            if (order.contains(widget) && !seen.contains(widget)) {
                seen << widget;
            }
            widget = widget->nextInFocusChain();
        } while (widget != window.txtblog);
        QCOMPARE(seen, order);
    }

    void doubleClicksOpenTheSelectedRowsAddress() {
        SimFixture sim;
        frmbackup window(app_->Path());
        window.show();
        // Nothing listed yet: a double-click does nothing.
        QTest::mouseDClick(window.LVarticle->viewport(), Qt::LeftButton);
        QVERIFY(opened_.isEmpty());

        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        window.cmbtime->setEditText(QStringLiteral("0"));
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.LVnum->topLevelItemCount(), 17);
        QVERIFY(window.cmdsave->isEnabled());

        const QRect second = window.LVarticle->visualItemRect(window.LVarticle->topLevelItem(1));
        QTest::mouseClick(window.LVarticle->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(window.LVarticle->viewport(), Qt::LeftButton, {}, second.center());
        QVERIFY(!opened_.isEmpty());
        QCOMPARE(opened_.last(),
                 QStringLiteral("open http://hi.baidu.com/jiaoliao/blog/category/travel"));

        // Off the rows, the selected row is still the one opened.
        opened_.clear();
        const QPoint below(10, window.LVarticle->viewport()->height() - 3);
        QTest::mouseDClick(window.LVarticle->viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(opened_, QStringList{"open http://hi.baidu.com/jiaoliao/blog/category/travel"});

        opened_.clear();
        const QRect first = window.LVnum->visualItemRect(window.LVnum->topLevelItem(0));
        QTest::mouseClick(window.LVnum->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(window.LVnum->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(opened_.last(), QStringLiteral("open http://hi.baidu.com/jiaoliao/blog/item/"
                                                "95042cd6b399fa40.html"));

        // Replaying an archive, the live pages are gone: both lists open the archived copies.
        opened_.clear();
        const std::string prefix = "http://127.0.0.1:1/web/2012id_/";
        platform::SetReplayPrefix(prefix);
        QTest::mouseDClick(window.LVarticle->viewport(), Qt::LeftButton, {}, below);
        QTest::mouseDClick(window.LVnum->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(opened_,
                 QStringList({"open " + QString::fromStdString(prefix) +
                                  "http://hi.baidu.com/jiaoliao/blog/category/travel",
                              "open " + QString::fromStdString(prefix) +
                                  "http://hi.baidu.com/jiaoliao/blog/item/95042cd6b399fa40.html"}));
    }

    void anUnknownFormatSavesNothingAndSaysSo() {
        SimFixture sim;
        frmbackup window(app_->Path());
        window.show();
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/quietwren"));
        window.cmbtime->setEditText(QStringLiteral("0"));
        window.cmbgs->setEditText(QStringLiteral("HTML"));
        const QString unknown =
            QStringLiteral("未知的保存格式“HTML”：请选择 html、txt 或 html & doc");

        // A one-click run is refused before it lists anything.
        QTest::mouseClick(window.chcbackup, Qt::LeftButton);
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.Label2->text(), unknown);
        QVERIFY(sim.Requests().empty());

        // So is a press of the save button after a listing.
        QTest::mouseClick(window.chcbackup, Qt::LeftButton);
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.LVnum->topLevelItemCount(), 1);
        QTest::mouseClick(window.cmdsave, Qt::LeftButton);
        QCOMPARE(window.Label2->text(), unknown);
        QVERIFY(window.cmdsave->isEnabled());
        QVERIFY(!QFileInfo::exists(app_->Path() + "/quietwren"));
        QVERIFY(opened_.isEmpty());
    }

    void oneClickSavesRightAfterTheCatalogueAndIgnoresSecondPresses() {
        SimFixture sim;
        frmbackup window(app_->Path());
        window.show();
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/quietwren"));
        window.cmbtime->setEditText(QStringLiteral("1"));
        window.cmbgs->setEditText(QStringLiteral("txt"));
        // Ticking the one-click box disables the save button; unticking enables it again.
        QTest::mouseClick(window.chcbackup, Qt::LeftButton);
        QVERIFY(!window.cmdsave->isEnabled());
        QTest::mouseClick(window.chcbackup, Qt::LeftButton);
        QVERIFY(window.cmdsave->isEnabled());
        QTest::mouseClick(window.chcbackup, Qt::LeftButton);

        QString captionWhileSaving;
        bool formatEnabledWhileSaving = true;
        QTimer::singleShot(700, &window, [&] {
            captionWhileSaving = window.cmdsave->text();
            formatEnabledWhileSaving = window.cmbgs->isEnabled();
            window.cmdsave->setEnabled(true);
            QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
            QTest::mouseClick(window.cmdsave, Qt::LeftButton);
        });
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);

        QCOMPARE(captionWhileSaving, QStringLiteral("正在保存"));
        QVERIFY(!formatEnabledWhileSaving);
        QCOMPARE(window.LVnum->topLevelItemCount(), 1);
        const auto requests = sim.Requests();
        QCOMPARE(std::count(requests.begin(), requests.end(), "hi.baidu.com/quietwren/blog"), 1);
        const QStringList files = QDir(app_->Path() + "/quietwren/日记").entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY(files.first().startsWith("1 ") && files.first().endsWith(".txt"));
        QCOMPARE(window.Label2->text(), QStringLiteral("保存完毕！"));
        QCOMPARE(window.cmdsave->text(), QStringLiteral("保存文章"));
        QVERIFY(window.cmdsave->isEnabled());
        QVERIFY(window.cmbgs->isEnabled());
        QCOMPARE(opened_, QStringList{"explore " + app_->Path() + "/quietwren/"});
    }

    // The window's save goes on to the pictures its articles show, as every save does.
    void theSaveBringsThePicturesOfItsArticles() {
        spacesim::Space space;
        space.name = "picwren";
        space.title = "图";
        const std::string host = "http://hiphotos.baidu.com/picwren/";
        space.categories.push_back(
            {"pics",
             "图片集",
             spacesim::PagerForm::Last,
             {{"00000000000000b1", "一张图", "2009-01-01 00:00",
               "<a href=\"" + host + "pic/item/0a1b2c3d4e5f60718293a4b5.jpg\"><img src=\"" + host +
                   "abpic/item/0a1b2c3d4e5f60718293a4b5.jpg\"></a><img src=\"" + host +
                   "pic/item/ffffffffffffffffffffffff.jpg\">"}}});
        space.pictures = {
            {host + "pic/item/ffffffffffffffffffffffff.jpg", spacesim::PictureDelivery::Missing}};
        SimFixture sim({space});
        frmbackup window(app_->Path());
        window.show();
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/picwren"));
        window.cmbtime->setEditText(QStringLiteral("0"));
        QTest::mouseClick(window.chcbackup, Qt::LeftButton);
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.Label2->text(),
                 QStringLiteral("保存完毕！图片已保存 2 张，1 张图片保存失败"));
        QCOMPARE(
            QDir(app_->Path() + "/picwren/" + kPictureFolderName).entryList(QDir::Files).size(), 2);
    }

    // A space that is not there has nothing to save, whatever the one-click box says; during a
    // run neither button takes a press, and clearing the box does not bring the save back.
    void aMissingSpaceCannotBeSavedAndButtonsRestDuringARun() {
        SimFixture sim;
        frmbackup window(app_->Path());
        window.show();
        window.cmbtime->setEditText(QStringLiteral("0"));
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/closedwren"));
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.Label2->text(), QStringLiteral("您的百度空间不存在！！"));
        QVERIFY(!window.cmdsave->isEnabled());
        QTest::mouseClick(window.chcbackup, Qt::LeftButton);
        QTest::mouseClick(window.chcbackup, Qt::LeftButton);
        QVERIFY(!window.cmdsave->isEnabled());
        QVERIFY(!QFileInfo::exists(app_->Path() + "/closedwren"));

        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        window.cmbtime->setEditText(QStringLiteral("100"));
        QTest::mouseClick(window.chcbackup, Qt::LeftButton);
        bool getEnabled = true;
        bool saveEnabled = true;
        QTimer::singleShot(300, &window, [&] {
            getEnabled = window.cmdgetbgm->isEnabled();
            QTest::mouseClick(window.chcbackup, Qt::LeftButton);
            saveEnabled = window.cmdsave->isEnabled();
        });
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QVERIFY(!getEnabled);
        QVERIFY(!saveEnabled);
        QCOMPARE(window.LVnum->topLevelItemCount(), 17);
        QVERIFY(window.cmdgetbgm->isEnabled() && window.cmdsave->isEnabled());
        // The box was cleared during the run: no save followed it.
        QVERIFY(!QFileInfo::exists(app_->Path() + "/jiaoliao"));
    }

    // Through an archive, the articles its index found count in the rate, and the closing
    // status says whether they made up for the listing pages it lacked, in full on its line.
    void anArchiveIndexsArticlesShowInATrueStatusThatFitsTheLine() {
        SimFixture sim;
        platform::SetReplayPrefix("http://127.0.0.1:" + std::to_string(sim.Port()) +
                                  "/web/2012id_/");
        frmbackup window(app_->Path());
        window.show();
        window.cmbtime->setEditText(QStringLiteral("0"));
        window.txtblog->setText(QStringLiteral("http://hi.baidu.com/gapwren"));
        const auto fits = [&window] {
            return window.Label2->fontMetrics().horizontalAdvance(window.Label2->text()) <=
                   window.Label2->contentsRect().width();
        };
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.LVnum->topLevelItemCount(), 17);
        QCOMPARE(window.Label2->text(),
                 QStringLiteral("你的空间共3文章分类，共获取17篇文章！！，成功获取率为100.%，3 "
                                "页未读，8 篇由存档索引补全"));
        QVERIFY2(fits(), qPrintable(window.Label2->text()));

        // An article the archive never captured is missing: the index made up for no more.
        sim.SetFault("/gapwren/blog/item/b200000000000002.html", "status404");
        QTest::mouseClick(window.cmdgetbgm, Qt::LeftButton);
        QCOMPARE(window.Label2->text(),
                 QStringLiteral("你的空间共3文章分类，共获取16篇文章！！，成功获取率为94.12%，"
                                "3 页未读，存档索引找回 7 篇"));
        QVERIFY2(fits(), qPrintable(window.Label2->text()));
    }

    void closingDuringASaveStopsItWithoutFurtherFiles() {
        SimFixture sim;
        QPointer<frmbackup> window = new frmbackup(app_->Path());
        window->show();
        window->txtblog->setText(QStringLiteral("http://hi.baidu.com/jiaoliao"));
        window->cmbtime->setEditText(QStringLiteral("0"));
        QTest::mouseClick(window->chcbackup, Qt::LeftButton);
        const QString first = app_->Path() + "/jiaoliao/生活随笔/1 春天来了：去公园走走.html";
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (window && QFile::exists(first)) {
                window->close();
            }
        });
        poll.start(20);
        QTest::mouseClick(window->cmdgetbgm, Qt::LeftButton);
        poll.stop();
        QTRY_VERIFY(window.isNull());
        QTest::qWait(300);
        QCOMPARE(QDir(app_->Path() + "/jiaoliao/生活随笔").entryList(QDir::Files).size(), 1);
        QVERIFY(opened_.isEmpty());
    }

private:
    std::unique_ptr<TempFolder> app_;
    QStringList opened_;
};

QTEST_MAIN(FrmBackupTest)
#include "FrmBackupTest.moc"
