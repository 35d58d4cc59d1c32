// The window shown while the window program indexes WARC files at its start: it names the
// file being read and moves its bar, 取消 stops the indexing, and what could not be read is
// said in Chinese.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>
#include <fstream>

#include "TempFolder.h"
#include "app/WarcIndexWindow.h"
#include "app/WarcProblemText.h"
#include "platform/WarcReplay.h"

namespace {

// A plain WARC file of many small records: long enough to index that the window shows it.
void WriteManyRecords(const std::string& path, int records) {
    std::ofstream out(path, std::ios::binary);
    const std::string block = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi";
    for (int i = 0; i < records; ++i) {
        out << "WARC/1.1\r\nWARC-Type: response\r\nWARC-Target-URI: http://hi.baidu.com/many/" << i
            << "\r\nWARC-Date: 2012-01-01T00:00:00Z\r\nContent-Length: " << block.size()
            << "\r\n\r\n"
            << block << "\r\n\r\n";
    }
}

}  // namespace

class WarcIndexWindowTest : public QObject {
    Q_OBJECT

private slots:
    void namesTheFileMovesItsBarAndStopsAtCancel() {
        TempFolder folder;
        WriteManyRecords(folder.File("many.warc"), 400000);
        WriteManyRecords(folder.File("more.warc"), 10);
        WarcIndexWindow window;
        QString named;
        int bar = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (window.isVisible() && window.barindex->value() > 0 && named.isEmpty()) {
                named = window.lblfile->text();
                bar = window.barindex->value();
                QTest::mouseClick(window.cmdcancel, Qt::LeftButton);
            }
        });
        watch.start(10);
        const auto problems =
            window.Index("warc:" + folder.File("many.warc") + "," + folder.File("more.warc"), {});
        QVERIFY2(!problems, "取消 stops the indexing");
        QCOMPARE(named, QStringLiteral("正在读取存档文件（1/2）：many.warc"));
        QVERIFY2(bar > 0 && bar < 500, qPrintable(QString::number(bar)));
        QVERIFY(!window.isVisible());
    }

    void whatCannotBeReadIsSaidInChinese() {
        TempFolder folder;
        folder.Write("notes.warc", "just some notes\n");
        folder.Write("cut.warc.gz", std::string("\x1f\x8b\x08\0\0\0\0\0\0\3", 10) + "garbage");
        folder.Write("headless.warc", "WARC/1.1\r\nWARC-Type: response\r\n\r\n");
        folder.Write("longer.warc",
                     "WARC/1.1\r\nWARC-Type: response\r\nContent-Length: 900\r\n\r\nshort");
        folder.Write("shorter.warc",
                     "WARC/1.1\r\nWARC-Type: response\r\nContent-Length: 2\r\n\r\nlonger\r\n\r\n");
        folder.Write("revisit.warc",
                     "WARC/1.1\r\nWARC-Type: revisit\r\nWARC-Target-URI: http://a.test/\r\n"
                     "WARC-Refers-To: <urn:uuid:gone>\r\nContent-Length: 0\r\n\r\n\r\n\r\n");
        folder.Write("empty.wacz", "no zip");
        const std::vector<std::string> problems = platform::OpenWarcReplay(
            "warc:" + folder.Path().toStdString() + "," + folder.File("missing.warc"), {});
        QVERIFY(problems.size() >= 8);
        // Beside the file names, only the names of formats and fields stay in Latin letters.
        static const QRegularExpression english(
            QStringLiteral("\\b(?!(?:WARC|ARC|WACZ|gzip|zip|Content|Length|warc)\\b)[A-Za-z]{2,}"));
        for (const std::string& problem : problems) {
            QString said = WarcProblemInChinese(QString::fromStdString(problem));
            said.remove(folder.Path());
            said.remove(QRegularExpression(QStringLiteral("/[a-z]+\\.(warc|wacz)(\\.gz)?")));
            QVERIFY2(!english.match(said).hasMatch(), qPrintable(said));
            QVERIFY2(said.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))),
                     qPrintable(said));
        }
    }
};

QTEST_MAIN(WarcIndexWindowTest)
#include "WarcIndexWindowTest.moc"
