#include "backup/WordDocBatch.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QUrl>

#include "platform/BackgroundWriter.h"
#include "platform/FileSystemLeftovers.h"
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

OfficeProfile& KeptProfile() {
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

// The document LibreOffice made, or nothing when it cannot be read.
std::optional<QByteArray> ReadMade(const QString& madePath) {
    QFile made(madePath);
    if (!made.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray document = made.readAll();
    if (made.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return document;
}

// The template of a new batch folder's name, after the folders and profiles that killed runs
// left in the temporary folder are gone. The process number in the names tells them apart.
QString BatchFolderTemplate() {
    platform::RemoveLeftovers(QDir::tempPath(), QStringLiteral("pagewren-doc-"));
    platform::RemoveLeftovers(QDir::tempPath(), QStringLiteral("pagewren-office-"));
    return QDir::tempPath() + QStringLiteral("/pagewren-doc-") +
           QString::number(static_cast<qint64>(getpid())) + QStringLiteral("-XXXXXX");
}

}  // namespace

WordDocBatch::WordDocBatch(const QStringList& htmlPaths, Profile profile)
    : htmlPaths_(htmlPaths), profile_(profile), folder_(BatchFolderTemplate()) {
    const QString profileUrl =
        profile == Profile::Kept
            ? KeptProfile().Url()
            : QUrl::fromLocalFile(folder_.filePath(QStringLiteral("profile"))).toString();
    QStringList arguments{QStringLiteral("-env:UserInstallation=") + profileUrl,
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
        DiscardProfile();
    }
}

void WordDocBatch::DiscardProfile() const {
    if (profile_ == Profile::Kept) {
        KeptProfile().Discard();
    }
}

std::optional<QList<WordDocResult>> WordDocBatch::TakeIn(platform::BackgroundWriter& placer) {
    if (!office_) {
        return Results(WordDocResult::ConversionFailed, placer);
    }
    const std::optional<platform::ProgramRun> run = office_->Poll();
    if (!run) {
        return std::nullopt;
    }
    switch (run->outcome) {
        case platform::ProgramRun::Outcome::NotStarted:
            return Results(WordDocResult::NoConverter, placer);
        case platform::ProgramRun::Outcome::TimedOut:
            DiscardProfile();
            return Results(WordDocResult::TimedOut, placer);
        case platform::ProgramRun::Outcome::Finished:
            break;
    }
    // LibreOffice goes on after a page it cannot convert and ends with status 0 all the same;
    // the files tell which were made.
    QList<WordDocResult> results = Results(WordDocResult::ConversionFailed, placer);
    // A run that made nothing at all may have met a profile left unusable (a first start cut
    // short, a LibreOffice of a killed run still holding it): later runs make a new one.
    if (!results.contains(WordDocResult::Made)) {
        DiscardProfile();
    }
    return results;
}

QString WordDocBatch::CopyPath(int index) const {
    return folder_.filePath(QString::number(index) + QStringLiteral(".html"));
}

QString WordDocBatch::MadePath(int index) const {
    return folder_.filePath(QStringLiteral("out/") + QString::number(index) +
                            QStringLiteral(".doc"));
}

QList<WordDocResult> WordDocBatch::Results(WordDocResult missing,
                                           platform::BackgroundWriter& placer) const {
    QList<WordDocResult> results;
    for (qsizetype i = 0; i < htmlPaths_.size(); ++i) {
        std::optional<QByteArray> document;
        if (copied_[i] && QFile::exists(MadePath(i))) {
            document = ReadMade(MadePath(i));
        }
        if (document) {
            placer.WriteBytes(htmlPaths_[i] + QStringLiteral(".doc"), std::move(*document));
        }
        results << (document     ? WordDocResult::Made
                    : copied_[i] ? missing
                                 : WordDocResult::ConversionFailed);
    }
    return results;
}
