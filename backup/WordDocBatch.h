#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "backup/modchange.h"

namespace platform {
class BackgroundProgram;
class BackgroundWriter;
}  // namespace platform

// One LibreOffice run converting several article files at once, in the background, into a
// folder of its own. Dropping it before it ended stops LibreOffice and places no document.
class WordDocBatch {
public:
    // Which LibreOffice profile a run uses: the one kept for later saves, or a new one of its
    // own that goes with the run.
    enum class Profile { Kept, Fresh };

    // Starts the conversion of the article files (markup in code page 936); an article whose
    // file cannot be read is left out and reported as ConversionFailed by TakeIn.
    explicit WordDocBatch(const QStringList& htmlPaths, Profile profile = Profile::Kept);
    ~WordDocBatch();
    WordDocBatch(const WordDocBatch&) = delete;
    WordDocBatch& operator=(const WordDocBatch&) = delete;

    // Once LibreOffice has ended, hands each made document to the placer, to go beside its
    // article, and returns every article's result in the order given (Made for a document
    // handed over); nothing while LibreOffice still runs.
    std::optional<QList<WordDocResult>> TakeIn(platform::BackgroundWriter& placer);

    const QStringList& Articles() const { return htmlPaths_; }
    bool FreshProfile() const { return profile_ == Profile::Fresh; }

private:
    void DiscardProfile() const;
    QString CopyPath(int index) const;
    QString MadePath(int index) const;
    QList<WordDocResult> Results(WordDocResult missing, platform::BackgroundWriter& placer) const;

    QStringList htmlPaths_;
    Profile profile_;
    QTemporaryDir folder_;
    QList<bool> copied_;
    std::unique_ptr<platform::BackgroundProgram> office_;
};
