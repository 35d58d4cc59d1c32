#include "cli/ArticlesCommand.h"

#include "app/Captions.h"
#include "backup/ArticleCatalogue.h"
#include "backup/ArticleWindowControls.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "platform/EventPump.h"
#include "platform/MemoryList.h"

namespace {

// The article window's controls as plain values, starting as the window opens.
class HeadlessArticleWindow : public ArticleWindowControls {
public:
    HeadlessArticleWindow(const CliOptions& options, const QString& wait, bool save,
                          const QString& format)
        : address_(options.address),
          wait_(wait),
          save_(save),
          format_(format),
          appFolder_(options.appFolder),
          pump_(options.pace) {}

    QString Address() const override { return address_; }
    QString WaitMs() const override { return wait_; }
    bool OneClickBackup() const override { return save_; }
    QString SaveFormat() const override { return format_; }
    platform::ReportList& Categories() override { return categories_; }
    platform::ReportList& Articles() override { return articles_; }
    QString Status() const override { return status_; }
    void SetStatus(const QString& caption) override { status_ = caption; }
    void SetSaveEnabled(bool) override {}
    void SetSaveCaption(const QString&) override {}
    void SetFormatEnabled(bool) override {}
    platform::EventPump& Pump() override { return pump_; }
    QString AppFolder() const override { return appFolder_; }

    void Report(CliReport& report) const {
        report.AddList(QStringLiteral("LVarticle"), categories_);
        report.AddList(QStringLiteral("LVnum"), articles_);
        report.AddLabel(QStringLiteral("Label2"), status_);
    }

private:
    QString address_;
    QString wait_;
    bool save_;
    QString format_;
    QString appFolder_;
    platform::MemoryList categories_;
    platform::MemoryList articles_;
    QString status_ = kWaitingCaption;
    platform::SleepingPump pump_;
};

}  // namespace

int RunArticlesCommand(const CliOptions& options, CliReport& report, std::string& error) {
    QStringList rest = options.commandOptions;
    const QString wait = TakeOption(rest, QStringLiteral("--wait"), QStringLiteral("200"), error);
    const QString format = TakeOption(rest, QStringLiteral("--save"), QString(), error);
    if (!error.empty()) {
        return 2;
    }
    if (!rest.isEmpty()) {
        error = "articles does not take " + rest.first().toStdString();
        return 2;
    }
    // A mistyped format would save nothing and still end as a save does; say so instead.
    const bool save = options.commandOptions.contains(QStringLiteral("--save"));
    if (save && !kSaveFormats.contains(format)) {
        error = "--save takes html, txt or \"html & doc\"";
        return 2;
    }
    HeadlessArticleWindow window(options, wait, save, format);
    RunArticleCatalogue(window);
    window.Report(report);
    return 0;
}
