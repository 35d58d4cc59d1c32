#include "cli/SurveyCommand.h"

#include <array>

#include "app/SpaceSurvey.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "platform/ReportList.h"

namespace {

const std::array<QString, 6> kLabelNames = {
    QStringLiteral("lblarticle"), QStringLiteral("lblmusic"), QStringLiteral("lblcss"),
    QStringLiteral("lblphoto"),   QStringLiteral("lblboard"), QStringLiteral("lblpinglun")};

// The main window's controls as plain values, starting with the captions the window shows.
class HeadlessMainWindow : public SurveyControls {
public:
    explicit HeadlessMainWindow(CliRun& run)
        : run_(run),
          address_(run.options.address),
          categories_(run.report.List(QStringLiteral("LVarticle"))),
          songs_(run.report.List(QStringLiteral("LVmusic"))) {
        for (std::size_t i = 0; i < kLabelNames.size(); ++i) {
            run.report.InitLabel(kLabelNames[i], labels_[i]);
        }
    }

    QString Address() const override { return address_; }
    void SetAddress(const QString& address) override { address_ = address; }
    platform::ReportList& Categories() override { return categories_; }
    platform::ReportList& Songs() override { return songs_; }
    QString Label(SurveyLabel label) const override { return labels_[Index(label)]; }
    void SetLabel(SurveyLabel label, const QString& caption) override {
        labels_[Index(label)] = caption;
        run_.report.SetLabel(kLabelNames[Index(label)], caption);
    }
    void SetSurveyEnabled(bool) override {}
    platform::EventPump& Pump() override { return run_.pump; }

private:
    static std::size_t Index(SurveyLabel label) { return static_cast<std::size_t>(label); }

    CliRun& run_;
    QString address_;
    platform::ReportList& categories_;
    platform::ReportList& songs_;
    std::array<QString, 6> labels_ = {
        QStringLiteral("检测您的百度空间发表文章，并可以保存多种格式"),
        QStringLiteral("检测您的百度空间背景音乐可以下载保存到电脑上"),
        QStringLiteral("检测您的百度空间CSS模板，你也可以查看别人的"),
        QStringLiteral("coming soon……"),
        QStringLiteral("检测您的百度空间留言版"),
        QStringLiteral("检测您的百度空间文章评论")};
};

}  // namespace

int RunSurveyCommand(CliRun& run) {
    if (!run.options.commandOptions.isEmpty()) {
        run.error = "survey takes no options";
        return kBadUsage;
    }
    HeadlessMainWindow window(run);
    RunSpaceSurvey(window, run.options.appFolder);
    return 0;
}
