// spacesim: the blog service stand-in as a program, for scripts and for running the desktop
// program by hand (http_proxy=http://127.0.0.1:PORT).
#include "sim/RequestTarget.h"
#include "sim/SpaceGenerator.h"
#include "sim/SpaceServer.h"
#include "sim/WarcWriter.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: spacesim [--port N] [--data DIR] [--generate NAME=ARTICLES]... "
    "[--fault PATH=MODE]... [--busy PATH=N[:S]]... [--write-warc FILE SPACE] | --version\n"
    "  --port N      port on 127.0.0.1 (default 0: a free port)\n"
    "  --data DIR    folder of space files (default: the sample spaces)\n"
    "  --generate    add a generated space with that many articles\n"
    "  --fault       misbehave on a path: status404 status500 refuse reset slow stall "
    "truncate empty moved placeholder notarchived offsite endless flood\n"
    "  --busy        answer a path's first N requests 429 with Retry-After S (default 1)\n"
    "  --write-warc  write the space's pages as WARC (gzip per record if FILE ends .gz), exit\n"
    "archive face: /web/TIME/ADDRESS (with banner), /web/TIMEid_/ADDRESS (original bytes);\n"
    "  it holds one capture, at 20120101000000, and redirects any other time there\n";

// How many requests a busy path turns away, and the wait each of them asks for.
struct BusySpell {
    int times = 0;
    int retryAfterSeconds = 1;
};

// The sample spaces: installed beside the program in share/pagewren/spaces, or else the
// sources' own folder, for a program run from its build.
std::string SampleSpaces() {
    std::error_code error;
    const std::filesystem::path installed =
        std::filesystem::read_symlink("/proc/self/exe", error).parent_path().parent_path() /
        "share/pagewren/spaces";
    if (!error && std::filesystem::is_directory(installed, error)) {
        return installed.string();
    }
    return spacesim::SpaceStore::DefaultFolder().string();
}

struct Options {
    int port = 0;
    std::string data = SampleSpaces();
    std::vector<std::pair<std::string, int>> generated;
    std::vector<std::pair<std::string, spacesim::Fault>> faults;
    std::vector<std::pair<std::string, BusySpell>> busy;
    std::optional<std::pair<std::string, std::string>> warc;  // the file to write, the space
};

// Splits "left=right" at its last "=", since fault paths may carry a query with "=" in it.
std::optional<std::pair<std::string, std::string>> Pair(const std::string& text) {
    const std::size_t eq = text.rfind('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) {
        return std::nullopt;
    }
    return std::make_pair(text.substr(0, eq), text.substr(eq + 1));
}

// Reads "N" or "N:S".
std::optional<BusySpell> ParseBusySpell(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::optional<int> times = spacesim::PlainNumber(text.substr(0, colon));
    const std::optional<int> wait =
        colon == std::string_view::npos ? 1 : spacesim::PlainNumber(text.substr(colon + 1));
    if (!times || !wait) {
        return std::nullopt;
    }
    return BusySpell{*times, *wait};
}

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            return std::nullopt;
        }
        const std::string value = argv[++i];
        const auto pair = Pair(value);
        if (name == "--port" && spacesim::PlainNumber(value) &&
            *spacesim::PlainNumber(value) <= 65535) {
            options.port = *spacesim::PlainNumber(value);
        } else if (name == "--data") {
            options.data = value;
        } else if (name == "--generate" && pair && spacesim::PlainNumber(pair->second)) {
            options.generated.emplace_back(pair->first, *spacesim::PlainNumber(pair->second));
        } else if (name == "--fault" && pair && spacesim::ParseFault(pair->second)) {
            options.faults.emplace_back(pair->first, *spacesim::ParseFault(pair->second));
        } else if (name == "--busy" && pair && ParseBusySpell(pair->second)) {
            options.busy.emplace_back(pair->first, *ParseBusySpell(pair->second));
        } else if (name == "--write-warc" && i + 1 < argc) {
            options.warc.emplace(value, argv[++i]);
        } else {
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        std::cout << kUsage << "sample spaces: " << SampleSpaces() << "\n";
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "spacesim " PAGEWREN_VERSION "\n";
        return 0;
    }
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }
    std::optional<spacesim::SpaceServer> server;
    try {
        spacesim::SpaceStore spaces = spacesim::SpaceStore::FromFolder(options->data);
        for (const auto& [name, articles] : options->generated) {
            spaces.Add(spacesim::GenerateSpace(name, articles));
        }
        if (options->warc) {
            const auto& [file, space] = *options->warc;
            const std::size_t records = spacesim::WriteSpaceWarcFile(spaces, space, file);
            std::cout << "spacesim: wrote " << records << " records of " << space << " to " << file
                      << "\n";
            return 0;
        }
        server.emplace(std::move(spaces));
    } catch (const std::exception& error) {
        std::cerr << "spacesim: " << error.what() << "\n";
        return 1;
    }
    for (const auto& [path, fault] : options->faults) {
        server->SetFault(path, fault);
    }
    for (const auto& [path, spell] : options->busy) {
        server->SetBusy(path, spell.times, spell.retryAfterSeconds);
    }

    // Blocked before the server's threads exist, so that only sigwait below sees the signals.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    const int port = server->Start(options->port);
    if (port < 0) {
        std::cerr << "spacesim: cannot listen on 127.0.0.1:" << options->port << "\n";
        return 1;
    }
    // Scripts read this line to learn the port.
    std::cout << "spacesim listening on 127.0.0.1:" << port << std::endl;

    int received = 0;
    sigwait(&signals, &received);
    server->Stop();
    return 0;
}
