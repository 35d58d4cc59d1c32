#include <unistd.h>

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <csignal>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/Captions.h"
#include "app/ReplayOption.h"
#include "app/SafeNames.h"
#include "app/SpaceExistence.h"
#include "backup/ArchiveIndex.h"
#include "cli/ArticlesCommand.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliRun.h"
#include "cli/CssCommand.h"
#include "cli/ExportCommand.h"
#include "cli/MusicCommand.h"
#include "cli/ReadCommand.h"
#include "cli/RecordsCommand.h"
#include "cli/SurveyCommand.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "platform/Program.h"
#include "platform/Shell.h"
#include "platform/WarcReplay.h"

namespace {

// The exit status of a run ended by SIGINT or SIGTERM, as shells report an interrupt.
constexpr int kInterrupted = 130;
// A public archive asks for waits of at least this long between requests.
constexpr double kPoliteWaitMs = 1000;
// Refused redirects, and captures that could not be read, told one by one; the rest are
// counted.
constexpr std::size_t kMostToldRedirects = 10;

using Command = int (*)(CliRun&);

const std::map<std::string, Command> kCommands = {
    {"survey", &RunSurveyCommand}, {"articles", &RunArticlesCommand},
    {"music", &RunMusicCommand},   {"css", &RunCssCommand},
    {"board", &RunRecordsCommand}, {"comments", &RunRecordsCommand},
    {"read", &RunReadCommand},     {"export", &RunExportCommand},
};

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler sets it");

extern "C" void Interrupt(int) {
    interrupted.store(true);
}

// An interrupt ends the run as closing its window does: at the next wait, or at once in a
// request or a Word conversion.
void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = &Interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int BadUsage(const std::string& message) {
    std::cerr << "pagewren-cli: " << message << "\n" << CliUsage();
    return kBadUsage;
}

// Says once that a public archive deserves waits of a second or more, when the prefix names a
// host that is not this machine and the command's waits are shorter.
void AdviseOnPace(const CliOptions& options) {
    const QString host = QUrl(QString::fromStdString(platform::ReplayPrefix())).host();
    if (host.isEmpty() || host == QLatin1String("localhost") || host.startsWith("127.") ||
        host == QLatin1String("::1")) {
        return;
    }
    const qsizetype at = options.commandOptions.indexOf(QStringLiteral("--wait"));
    const double wait = options.command == QLatin1String("articles")
                            ? (at >= 0 && at + 1 < options.commandOptions.size()
                                   ? options.commandOptions[at + 1].toDouble()
                                   : kDefaultWaitMs.toDouble())
                            : kPoliteWaitMs;
    if (wait * options.pace < kPoliteWaitMs) {
        std::cerr << "pagewren-cli: " << host.toStdString()
                  << " is a public archive: waits of at least 1000 ms between requests are "
                     "advised (--wait, --pace)\n";
    }
}

// Says in English where a space whose pages are of the later layout may still be found: in a
// capture made before the service changed it.
void AdviseOnLaterLayout(const CliReport& report) {
    if (!report.Shows(kLaterLayoutCaption)) {
        return;
    }
    const std::string& prefix = platform::ReplayPrefix();
    const char* where = platform::IsWarcPrefix(prefix) ? "pick one with --at (e.g. --at 20110101)"
                        : prefix.empty()
                            ? "replay an archive with --replay PREFIX"
                            : "give an earlier time in the prefix (e.g. /web/2011id_/)";
    std::cerr << "pagewren-cli: these captures show the space in the service's later layout "
                 "(2012 on), which Pagewren does not read; an earlier capture may hold it as "
                 "it was: "
              << where << "\n";
}

bool Saves(const CliOptions& options) {
    return options.commandOptions.contains(QStringLiteral("--save")) ||
           options.commandOptions.contains(QStringLiteral("--download"));
}

// Says where the files went, once a command that saves has ended and saved something into
// its space folder. An interrupted save notes nothing in the save record and the reading
// copy, which `read` brings up to date from the files.
void SayWhereSavesWent(const CliRun& run, int code) {
    const CliOptions& options = run.options;
    const QString folder = SpaceFolderPath(options.appFolder, options.address);
    if (options.json || !platform::PathExists(folder) || !Saves(options)) {
        return;
    }
    if (code != kInterrupted) {
        if (run.savedSomething) {
            std::cerr << "pagewren-cli: saved beneath " << folder.toStdString() << "\n";
        }
        return;
    }
    std::cerr << "pagewren-cli: interrupted: what was saved before lies beneath "
              << folder.toStdString() << "; its reading copy shows the last save that ended, "
              << "and pagewren-cli read " << options.address.toStdString()
              << " brings it up to date\n";
}

// Says which redirects off the archive's host were not followed: each failed its request.
void SayRefusedRedirects() {
    const std::vector<platform::RefusedRedirect> refused = platform::TakeRefusedRedirects();
    for (std::size_t i = 0; i < refused.size() && i < kMostToldRedirects; ++i) {
        std::cerr << "pagewren-cli: not followed: " << refused[i].address << " redirects to "
                  << refused[i].location
                  << ", off the archive's host; the request counts as failed\n";
    }
    if (refused.size() > kMostToldRedirects) {
        std::cerr << "pagewren-cli: and " << refused.size() - kMostToldRedirects
                  << " more redirects off the archive's host, not followed\n";
    }
}

// Says which captures in the WARC files requests failed on because they could not be read.
void SayUnreadCaptures() {
    const std::vector<std::string> unread = platform::TakeUnreadCaptures();
    for (std::size_t i = 0; i < unread.size() && i < kMostToldRedirects; ++i) {
        std::cerr << "pagewren-cli: " << unread[i] << "; the request counts as failed\n";
    }
    if (unread.size() > kMostToldRedirects) {
        std::cerr << "pagewren-cli: and " << unread.size() - kMostToldRedirects
                  << " more captures that could not be read\n";
    }
}

// The arguments as text. Bytes that are no UTF-8 would come out as other characters and
// name another space or folder than the one meant: such an argument is refused. File names
// are UTF-8 for Qt on this system, so a folder named otherwise cannot be written beneath
// either. Returns nothing, with the reason in error, for an argument refused.
std::optional<QStringList> DecodeArguments(int argc, char* argv[], std::string& error) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8(QByteArray(argv[i]));
        if (utf8.hasError()) {
            const bool folder =
                !arguments.isEmpty() && arguments.back() == QLatin1String("--app-dir");
            error = (folder ? "--app-dir names a folder whose name is not UTF-8, which Pagewren "
                              "cannot write beneath (rename it or name another): "
                            : "not UTF-8: ") +
                    text.toStdString();
            return std::nullopt;
        }
        arguments << text;
    }
    return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
    // First of all, so that an interrupt during the indexing of WARC files ends the run as
    // any other interrupt does.
    CatchInterrupts();
    std::string decodeError;
    std::optional<QStringList> decoded = DecodeArguments(argc, argv, decodeError);
    if (!decoded) {
        return BadUsage(decodeError);
    }
    QStringList arguments = std::move(*decoded);
    if (arguments.size() == 1 &&
        (arguments[0] == QLatin1String("--help") || arguments[0] == QLatin1String("-h"))) {
        std::cout << CliUsage() << "files (blogurl.ini and the backups) go beneath "
                  << platform::ApplicationFolder().toStdString() << " unless --app-dir says\n";
        return 0;
    }
    if (arguments.size() == 1 && arguments[0] == QLatin1String("--version")) {
        std::cout << "pagewren-cli " PAGEWREN_VERSION "\n";
        return 0;
    }
    QString replayError;
    QStringList replayProblems;
    if (!TakeReplayOption(arguments, &replayError, &replayProblems)) {
        return BadUsage(replayError.toStdString());
    }
    for (const QString& problem : replayProblems) {
        std::cerr << "pagewren-cli: " << problem.toStdString() << "\n";
    }
    if (interrupted.load()) {
        return kInterrupted;
    }
    QString indexError;
    if (!TakeArchiveIndexOptions(arguments, &indexError)) {
        return BadUsage(indexError.toStdString());
    }
    std::string error;
    auto options = ParseCliOptions(arguments, error);
    if (!options) {
        return BadUsage(error);
    }
    if (options->appFolder.isEmpty()) {
        options->appFolder = platform::ApplicationFolder();
        platform::MakeApplicationFolder(options->appFolder);
    }
    if (!platform::PathExists(options->appFolder)) {
        return BadUsage("no such folder: " + options->appFolder.toStdString());
    }
    if (!QFileInfo(options->appFolder).isDir()) {
        return BadUsage("--app-dir names a file, not a folder: " +
                        options->appFolder.toStdString());
    }
    const auto command = kCommands.find(options->command.toStdString());
    if (command == kCommands.end()) {
        return BadUsage("unknown command " + options->command.toStdString());
    }
    // A headless run opens no browser or file manager; it says what it would have opened.
    platform::SetShellHandler([json = options->json](const QString& verb, const QString& target) {
        if (!json) {
            std::cerr << verb.toStdString() << ": " << target.toStdString() << "\n";
        }
    });
    AdviseOnPace(*options);

    CliReport report(options->json, isatty(STDERR_FILENO) == 1);
    platform::SleepingPump pump(options->pace, &interrupted);
    CliRun run{*options, report, pump, {}};
    int code = 0;
    try {
        const platform::RequestPumpScope requests(pump);
        code = command->second(run);
    } catch (const platform::RunStopped&) {
        code = kInterrupted;
    }
    // An interrupt in the last steps, which run to their end (the reading copy is written
    // whole or not at all), still ends the run as an interrupted one.
    if (interrupted.load() && code != kBadUsage) {
        code = kInterrupted;
    }
    if (code == kBadUsage) {
        return BadUsage(run.error);
    }
    std::cout << report.Finish() << std::flush;
    AdviseOnLaterLayout(report);
    SayRefusedRedirects();
    SayUnreadCaptures();
    SayWhereSavesWent(run, code);
    return code;
}
