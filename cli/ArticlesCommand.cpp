#include "cli/ArticlesCommand.h"

#include "app/Captions.h"
#include "backup/ArticleCatalogue.h"
#include "backup/ArticleSave.h"
#include "backup/ArticleWindowControls.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "cli/ReadCommand.h"
#include "platform/ReportList.h"

namespace {

// What the article command was asked to do.
struct ArticleChoices {
    QString wait;
    bool save = false;
    QString format;
    bool skipSaved = false;
    bool pictures = true;
};

// The article window's controls as plain values, starting as the window opens.
class HeadlessArticleWindow : public ArticleWindowControls {
public:
    HeadlessArticleWindow(CliRun& run, ArticleChoices choices)
        : run_(run),
          choices_(std::move(choices)),
          categories_(run.report.List(QStringLiteral("LVarticle"))),
          articles_(run.report.List(QStringLiteral("LVnum"))) {
        run.report.InitLabel(QStringLiteral("Label2"), status_);
    }

    QString Address() const override { return run_.options.address; }
    QString WaitMs() const override { return choices_.wait; }
    bool OneClickBackup() const override { return choices_.save; }
    QString SaveFormat() const override { return choices_.format; }
    bool SkipSaved() const override { return choices_.skipSaved; }
    bool FetchPictures() const override { return choices_.pictures; }
    platform::ReportList& Categories() override { return categories_; }
    platform::ReportList& Articles() override { return articles_; }
    QString Status() const override { return status_; }
    void SetStatus(const QString& caption) override {
        status_ = caption;
        run_.report.SetLabel(QStringLiteral("Label2"), caption);
    }
    void SetSaveEnabled(bool) override {}
    void SetSaveCaption(const QString&) override {}
    void SetFormatEnabled(bool) override {}
    platform::EventPump& Pump() override { return run_.pump; }
    QString AppFolder() const override { return run_.options.appFolder; }
    void SaveEnded(const SaveOutcome& outcome) override {
        saveFailed_ = !outcome.AllSaved();
        notNoted_ = !outcome.noted;
        savedSomething_ = outcome.articles > outcome.failed;
    }

    // Whether a save ran and some article of it was not saved in full.
    bool SaveFailed() const { return saveFailed_; }
    // Whether a save ran whose record or reading copy could not be written.
    bool NotNoted() const { return notNoted_; }
    // Whether a save ran and wrote some article's files.
    bool SavedSomething() const { return savedSomething_; }

private:
    CliRun& run_;
    ArticleChoices choices_;
    platform::ReportList& categories_;
    platform::ReportList& articles_;
    QString status_ = kWaitingCaption;
    bool saveFailed_ = false;
    bool notNoted_ = false;
    bool savedSomething_ = false;
};

}  // namespace

int RunArticlesCommand(CliRun& run) {
    QStringList rest = run.options.commandOptions;
    ArticleChoices choices;
    choices.skipSaved = rest.removeAll(QStringLiteral("--skip-saved")) > 0;
    choices.pictures = rest.removeAll(QStringLiteral("--no-pictures")) == 0;
    choices.wait = TakeOption(rest, QStringLiteral("--wait"), kDefaultWaitMs, run.error);
    choices.format = TakeOption(rest, QStringLiteral("--save"), QString(), run.error);
    if (!run.error.empty()) {
        return kBadUsage;
    }
    if (!rest.isEmpty()) {
        run.error = "articles does not take " + rest.first().toStdString();
        return kBadUsage;
    }
    if (!IsWaitMs(choices.wait)) {
        run.error = "--wait needs " + WaitRange();
        return kBadUsage;
    }
    // A mistyped format would save nothing and still end as a save does; say so instead.
    choices.save = run.options.commandOptions.contains(QStringLiteral("--save"));
    if (choices.save && !kSaveFormats.contains(choices.format)) {
        run.error = "--save takes html, txt or \"html & doc\"";
        return kBadUsage;
    }
    HeadlessArticleWindow window(run, std::move(choices));
    const CatalogueOutcome outcome = RunArticleCatalogue(window);
    run.savedSomething = window.SavedSomething();
    if (window.NotNoted()) {
        SayReadingCopyUnwritten(run);
    }
    // Pages that could not be read hid nothing when the archive's index made up every article
    // the categories' counts promised.
    const bool failed = outcome.spaceMissing || outcome.MayLackArticles() || window.SaveFailed() ||
                        window.NotNoted();
    return failed ? kRunFailed : 0;
}
