#include "backup/WordDocBatch.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include "platform/Program.h"

namespace {

// LibreOffice's own start, then a generous allowance for each document; a run that hangs on
// one page must not hold the save for ever.
constexpr int kStartMs = 120000;
constexpr int kPerDocumentMs = 2000;
// The article file is a bare fragment; LibreOffice reads it in the right code page only
// when a page around it says which.
constexpr char kPageStart[] =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
    "</head><body>\r\n";
constexpr char kPageEnd[] = "</body></html>\r\n";

// The LibreOffice profile the runs use. Its first start costs a restart of LibreOffice, so
// one profile is kept for later saves; a process that finds it taken by another uses one of
// its own, removed at exit, so that runs neither meet another process's LibreOffice nor a
// LibreOffice the user has open.
class OfficeProfile {
public:
    ~OfficeProfile() {
        if (!kept_) {
            Discard();
        }
    }

    QString Url() {
        if (path_.isEmpty()) {
            path_ = kept_ ? KeptPath()
                          : QDir::tempPath() + QStringLiteral("/pagewren-office-") +
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
    QString KeptPath() const {
        return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
               QStringLiteral("/pagewren/office-profile");
    }

    bool TakeKept() {
        QDir().mkpath(QFileInfo(KeptPath()).path());
        // Never taken from a live process however long it runs; a dead one's is taken over.
        lock_.setStaleLockTime(0);
        return lock_.tryLock(0);
    }

    QLockFile lock_{KeptPath() + QStringLiteral(".lock")};
    bool kept_ = TakeKept();
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

// Replaces whatever file lies at the target. The document is written under a passing name
// and renamed when whole, so that a process ended part way leaves no half document.
bool PlaceDocument(const QString& madePath, const QString& target) {
    QFile made(madePath);
    if (!made.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray document = made.readAll();
    QSaveFile placed(target);
    return made.error() == QFileDevice::NoError && placed.open(QIODevice::WriteOnly) &&
           placed.write(document) == document.size() && placed.commit();
}

}  // namespace

WordDocBatch::WordDocBatch(const QStringList& htmlPaths)
    : htmlPaths_(htmlPaths), folder_(QDir::tempPath() + QStringLiteral("/pagewren-doc-XXXXXX")) {
    QStringList arguments{QStringLiteral("-env:UserInstallation=") + Profile().Url(),
                          QStringLiteral("--headless"),
                          QStringLiteral("--norestore"),
                          QStringLiteral("--convert-to"),
                          QStringLiteral("doc:MS Word 97"),
                          QStringLiteral("--outdir"),
                          folder_.filePath(QStringLiteral("out"))};
    for (qsizetype i = 0; i < htmlPaths_.size(); ++i) {
        copied_ << (folder_.isValid() && WriteWrappedCopy(htmlPaths_[i], CopyPath(i)));
        if (copied_.last()) {
            arguments << CopyPath(i);
        }
    }
    if (copied_.contains(true)) {
        const int timeoutMs = kStartMs + kPerDocumentMs * static_cast<int>(htmlPaths_.size());
        office_ = std::make_unique<platform::BackgroundProgram>(QStringLiteral("soffice"),
                                                                arguments, timeoutMs);
    }
}

WordDocBatch::~WordDocBatch() {
    if (office_ && !office_->Poll()) {
        office_.reset();
        Profile().Discard();
    }
}

std::optional<QList<WordDocResult>> WordDocBatch::TakeIn() {
    if (!office_) {
        return Results(WordDocResult::ConversionFailed);
    }
    const std::optional<platform::ProgramRun> run = office_->Poll();
    if (!run) {
        return std::nullopt;
    }
    switch (run->outcome) {
        case platform::ProgramRun::Outcome::NotStarted:
            return Results(WordDocResult::NoConverter);
        case platform::ProgramRun::Outcome::TimedOut:
            Profile().Discard();
            return Results(WordDocResult::TimedOut);
        case platform::ProgramRun::Outcome::Finished:
            break;
    }
    // LibreOffice goes on after a page it cannot convert and ends with status 0 all the same;
    // the files tell which were made.
    return Results(WordDocResult::ConversionFailed);
}

QString WordDocBatch::CopyPath(int index) const {
    return folder_.filePath(QString::number(index) + QStringLiteral(".html"));
}

QString WordDocBatch::MadePath(int index) const {
    return folder_.filePath(QStringLiteral("out/") + QString::number(index) +
                            QStringLiteral(".doc"));
}

QList<WordDocResult> WordDocBatch::Results(WordDocResult missing) const {
    QList<WordDocResult> results;
    for (qsizetype i = 0; i < htmlPaths_.size(); ++i) {
        if (!copied_[i]) {
            results << WordDocResult::ConversionFailed;
        } else if (QFile::exists(MadePath(i)) &&
                   PlaceDocument(MadePath(i), htmlPaths_[i] + QStringLiteral(".doc"))) {
            results << WordDocResult::Made;
        } else {
            results << missing;
        }
    }
    return results;
}
