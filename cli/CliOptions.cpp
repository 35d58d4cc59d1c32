#include "cli/CliOptions.h"

#include "app/SpaceAddress.h"

namespace {

// A minute per article is already far slower than any archive asks; a longer wait is a typo.
constexpr double kLongestWaitMs = 60000;
// A hundred times the windows' waits: two seconds an article become more than three minutes.
constexpr double kMostPace = 100;

// The address must name a space of the service: on its host, by http or https, at its port.
bool IsServiceSpaceAddress(const QString& address) {
    return CanonicalSpaceAddress(address).startsWith(kServiceRoot + QChar('/')) &&
           IsUsableAddress(address);
}

}  // namespace

bool IsWaitMs(const QString& text) {
    bool ok = false;
    const double ms = text.trimmed().toDouble(&ok);
    return ok && ms >= 0 && ms <= kLongestWaitMs;
}

std::string WaitRange() {
    return "milliseconds from 0 to " + std::to_string(static_cast<int>(kLongestWaitMs));
}

std::string CliUsage() {
    return "usage: pagewren-cli [--app-dir DIR] [--pace FACTOR] [--json] [--replay PREFIX]\n"
           "                   [--at TIME] [--cdx URL] [--no-index] COMMAND ADDRESS [OPTIONS]\n"
           "  --replay PREFIX  ask a web archive: every address goes to PREFIX + address\n"
           "  --replay warc:PATH  read every page from archive files instead: a .warc,\n"
           "                   .warc.gz, .arc, .arc.gz or .wacz file, several separated by\n"
           "                   commas, or a folder\n"
           "  --at TIME        with warc:, the captures nearest YYYYMMDD[hhmmss], not the latest\n"
           "  --cdx URL        the archive's capture index (CDX server); by default derived\n"
           "                   from PREFIX for Wayback (/web/TIME/) and pywb (/COLL/TIME/)\n"
           "  --no-index       do not ask the index for articles the catalogue missed\n"
           "  --pace FACTOR    every wait FACTOR times as long, 0 to 100 (0: no waits)\n"
           "commands:\n"
           "  survey ADDRESS                 the main window's survey\n"
           "  articles ADDRESS [--wait MS] [--save html|txt|\"html & doc\"] [--skip-saved]\n"
           "                   [--no-pictures]\n"
           "                                 the article catalogue (waiting MS, 0 to 60000, per\n"
           "                                 category, article and picture), then optionally the\n"
           "                                 save with the pictures the articles show and the\n"
           "                                 space's photos (not with --no-pictures)\n"
           "  music ADDRESS [--download] [--skip-saved]\n"
           "                                 the song list, then optionally the download\n"
           "  css ADDRESS [--save]           the CSS template, then optionally its save\n"
           "  board ADDRESS [--save]         the message board, then optionally 留言版.htm\n"
           "  comments ADDRESS [--save]      the article comments, then optionally 文章评论.htm\n"
           "  read ADDRESS                   the reading copy of a saved space, from its files\n"
           "  export ADDRESS --to hugo|wxr|epub --out PATH\n"
           "                                 a saved space, from its files and save record, as\n"
           "                                 a folder Hugo builds into a site (hugo), a WordPress\n"
           "                                 import file (wxr) or an EPUB book (epub)\n"
           "exit status:\n"
           "  0    everything asked for was fetched and saved\n"
           "  1    a page, song, picture or file failed, or the address names no space\n"
           "       (export: the space was never saved or PATH cannot take the export)\n"
           "  2    bad usage\n"
           "  130  interrupted (Ctrl-C or SIGTERM)\n";
}

std::optional<CliOptions> ParseCliOptions(const QStringList& arguments, std::string& error) {
    CliOptions options;
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool global = positional.isEmpty();
        if (global && argument == QLatin1String("--json")) {
            options.json = true;
        } else if (global && (argument == QLatin1String("--app-dir") ||
                              argument == QLatin1String("--pace"))) {
            if (i + 1 >= arguments.size()) {
                error = argument.toStdString() + " needs a value";
                return std::nullopt;
            }
            const QString value = arguments[++i];
            if (argument == QLatin1String("--app-dir")) {
                options.appFolder = value;
                continue;
            }
            bool ok = false;
            options.pace = value.toDouble(&ok);
            if (!ok || !(options.pace >= 0 && options.pace <= kMostPace)) {
                error = "--pace needs a number from 0 to " +
                        std::to_string(static_cast<int>(kMostPace));
                return std::nullopt;
            }
        } else if (global && argument.startsWith(QLatin1String("--"))) {
            error = "unknown option " + argument.toStdString();
            return std::nullopt;
        } else if (positional.size() < 2) {
            positional << argument;
        } else {
            options.commandOptions << argument;
        }
    }
    if (positional.size() < 2) {
        error = positional.isEmpty() ? "missing command" : "missing space address";
        return std::nullopt;
    }
    options.command = positional[0];
    options.address = positional[1];
    // The windows take any text and do nothing with a short one; a command told to back up
    // nothing would end as a success.
    if (!IsServiceSpaceAddress(options.address)) {
        error = "not a space address: " + options.address.toStdString() +
                " (write http://hi.baidu.com/NAME)";
        return std::nullopt;
    }
    return options;
}

QString TakeOption(QStringList& options, const QString& name, const QString& fallback,
                   std::string& error) {
    const qsizetype at = options.indexOf(name);
    if (at < 0) {
        return fallback;
    }
    if (at + 1 >= options.size()) {
        error = name.toStdString() + " needs a value";
        return fallback;
    }
    const QString value = options[at + 1];
    options.remove(at, 2);
    return value;
}
