#pragma once

#include <QString>

#include "app/ListedSpace.h"
#include "backup/ArticleCatalogue.h"

namespace platform {
class EventPump;
class ReportList;
}  // namespace platform
struct SaveOutcome;

// What the catalogue and the save read and write on the article window; frmbackup
// implements it over its controls and the CLI over plain values. Every text is read afresh
// at each use, since the user may change it while a run waits.
class ArticleWindowControls : public ListedSpace {
public:
    virtual ~ArticleWindowControls() = default;
    virtual QString Address() const = 0;      // txtblog
    virtual QString WaitMs() const = 0;       // cmbtime, milliseconds per category or article
    virtual bool OneClickBackup() const = 0;  // chcbackup ticked
    virtual QString SaveFormat() const = 0;   // cmbgs
    virtual platform::ReportList& Categories() = 0;  // LVarticle
    virtual platform::ReportList& Articles() = 0;    // LVnum
    virtual QString Status() const = 0;              // Label2
    virtual void SetStatus(const QString& caption) = 0;
    virtual void SetSaveEnabled(bool enabled) = 0;  // cmdsave
    virtual void SetSaveCaption(const QString& caption) = 0;
    virtual void SetFormatEnabled(bool enabled) = 0;  // cmbgs
    virtual platform::EventPump& Pump() = 0;
    virtual QString AppFolder() const = 0;  // where the space folders are made
    // Whether the save leaves out articles whose files are already there (a resumed run).
    virtual bool SkipSaved() const { return false; }
    // Whether the save goes on to fetch the pictures its articles show and the space's photos.
    virtual bool FetchPictures() const { return true; }
    // Told how a save went, once it has ended.
    virtual void SaveEnded(const SaveOutcome&) {}

    // What the catalogue behind the article list could not list, set by the catalogue: the
    // save refuses a list of a space that does not exist and tells what the list may lack.
    const CatalogueOutcome& ListedCatalogue() const { return listedCatalogue_; }
    void SetListedCatalogue(const CatalogueOutcome& outcome) { listedCatalogue_ = outcome; }

private:
    CatalogueOutcome listedCatalogue_;
};
