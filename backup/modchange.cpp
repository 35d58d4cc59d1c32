#include "backup/modchange.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include "platform/EventPump.h"
#include "platform/Program.h"

namespace {

constexpr int kTimeoutMs = 120000;
// The article file is a bare fragment; LibreOffice reads it in the right code page only
// when a page around it says which.
constexpr char kPageStart[] =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
    "</head><body>\r\n";
constexpr char kPageEnd[] = "</body></html>\r\n";

// A LibreOffice profile of this process's own, so that runs neither meet a LibreOffice the
// user has open nor trip over another process's first start. Removed at exit.
class OfficeProfile {
public:
    ~OfficeProfile() { Discard(); }

    QString Url() {
        if (path_.isEmpty()) {
            path_ = QDir::tempPath() + QStringLiteral("/pagewren-office-") +
                    QString::number(static_cast<qint64>(getpid()));
        }
        return QUrl::fromLocalFile(path_).toString();
    }

    // After a run was killed its lock would make the next run wait or fail.
    void Discard() {
        if (!path_.isEmpty()) {
            QDir(path_).removeRecursively();
            path_.clear();
        }
    }

private:
    QString path_;
};

OfficeProfile& Profile() {
    static OfficeProfile profile;
    return profile;
}

bool WriteWrappedCopy(const QString& htmlPath, const QString& copyPath) {
    QFile source(htmlPath);
    if (!source.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray body = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        return false;
    }
    QFile copy(copyPath);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const QByteArray page = QByteArray(kPageStart) + body + QByteArray(kPageEnd);
    return copy.write(page) == page.size() && copy.flush();
}

// Replaces whatever lies at the target with the made document.
bool PlaceDocument(const QString& madePath, const QString& target) {
    if (QFile::exists(target) && !QFile::remove(target)) {
        return false;
    }
    return QFile::rename(madePath, target);
}

}  // namespace

WordDocResult SaveAsWordDoc(const QString& htmlPath, platform::EventPump& pump) {
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/pagewren-doc-XXXXXX"));
    const QString copyPath = work.filePath(QStringLiteral("article.html"));
    if (!work.isValid() || !WriteWrappedCopy(htmlPath, copyPath)) {
        return WordDocResult::ConversionFailed;
    }
    const QString outFolder = work.filePath(QStringLiteral("out"));
    const QStringList arguments{QStringLiteral("-env:UserInstallation=") + Profile().Url(),
                                QStringLiteral("--headless"),
                                QStringLiteral("--norestore"),
                                QStringLiteral("--convert-to"),
                                QStringLiteral("doc:MS Word 97"),
                                QStringLiteral("--outdir"),
                                outFolder,
                                copyPath};
    platform::ProgramRun run;
    try {
        run = platform::RunProgram(QStringLiteral("soffice"), arguments, kTimeoutMs,
                                   [&pump](int sliceMs) {
                                       pump.PumpFor(sliceMs);
                                       if (pump.StopRequested()) {
                                           throw platform::RunStopped{};
                                       }
                                   });
    } catch (const platform::RunStopped&) {
        Profile().Discard();
        throw;
    }
    switch (run.outcome) {
        case platform::ProgramRun::Outcome::NotStarted:
            return WordDocResult::NoConverter;
        case platform::ProgramRun::Outcome::TimedOut:
            Profile().Discard();
            return WordDocResult::TimedOut;
        case platform::ProgramRun::Outcome::Finished:
            break;
    }
    if (pump.StopRequested()) {
        throw platform::RunStopped{};
    }
    // LibreOffice also ends with status 0 when it could not convert; the file tells.
    const QString madePath = QDir(outFolder).filePath(QStringLiteral("article.doc"));
    if (!run.Succeeded() || !QFile::exists(madePath) ||
        !PlaceDocument(madePath, htmlPath + QStringLiteral(".doc"))) {
        return WordDocResult::ConversionFailed;
    }
    return WordDocResult::Made;
}
