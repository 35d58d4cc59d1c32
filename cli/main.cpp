#include <QStringList>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>

#include "cli/ArticlesCommand.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CssCommand.h"
#include "cli/MusicCommand.h"
#include "cli/RecordsCommand.h"
#include "cli/SurveyCommand.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

namespace {

constexpr int kBadUsage = 2;

using Command = int (*)(const CliOptions&, CliReport&, std::string&);

const std::map<std::string, Command> kCommands = {
    {"survey", &RunSurveyCommand}, {"articles", &RunArticlesCommand},
    {"music", &RunMusicCommand},   {"css", &RunCssCommand},
    {"board", &RunRecordsCommand}, {"comments", &RunRecordsCommand},
};

int BadUsage(const std::string& message) {
    std::cerr << "pagewren-cli: " << message << "\n" << CliUsage();
    return kBadUsage;
}

}  // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    std::string error;
    auto options = ParseCliOptions(arguments, error);
    if (!options) {
        return BadUsage(error);
    }
    if (options->appFolder.isEmpty()) {
        options->appFolder = platform::ProgramFolder();
    }
    if (!platform::PathExists(options->appFolder)) {
        return BadUsage("no such folder: " + options->appFolder.toStdString());
    }
    // A headless run opens no browser or file manager; it says what it would have opened.
    platform::SetShellHandler([json = options->json](const QString& verb, const QString& target) {
        if (!json) {
            std::cerr << verb.toStdString() << ": " << target.toStdString() << "\n";
        }
    });

    const auto command = kCommands.find(options->command.toStdString());
    if (command == kCommands.end()) {
        return BadUsage("unknown command " + options->command.toStdString());
    }
    CliReport report;
    const int code = command->second(*options, report, error);
    if (code == kBadUsage) {
        return BadUsage(error);
    }
    std::cout << (options->json ? report.ToJsonLines() : report.ToText()) << std::flush;
    return code;
}
