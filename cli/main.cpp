#include <QStringList>
#include <cstdio>
#include <iostream>

#include "cli/ArticlesCommand.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/RecordsCommand.h"
#include "cli/SurveyCommand.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

namespace {

constexpr int kBadUsage = 2;

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

    CliReport report;
    int code = 0;
    if (options->command == QLatin1String("survey")) {
        if (!options->commandOptions.isEmpty()) {
            return BadUsage("survey takes no options");
        }
        code = RunSurveyCommand(*options, report);
    } else if (options->command == QLatin1String("articles")) {
        code = RunArticlesCommand(*options, report, error);
        if (code == kBadUsage) {
            return BadUsage(error);
        }
    } else if (IsRecordsCommand(options->command)) {
        code = RunRecordsCommand(*options, report, error);
        if (code == kBadUsage) {
            return BadUsage(error);
        }
    } else {
        return BadUsage("unknown command " + options->command.toStdString());
    }
    std::cout << (options->json ? report.ToJsonLines() : report.ToText()) << std::flush;
    return code;
}
