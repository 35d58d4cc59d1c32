// The spacesim program as scripts run it.
#include "SimClient.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <thread>

namespace {

// A spacesim process with its standard output on a pipe; killed if a test leaves it running.
class Program {
public:
    explicit Program(std::vector<std::string> args) {
        args.insert(args.begin(), SPACESIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        EXPECT_EQ(posix_spawn(&pid_, SPACESIM_PROGRAM, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = fdopen(out[0], "r");
    }
    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        fclose(out_);
    }

    // The first line the program prints, without its line end; empty at end of output.
    std::string FirstLine() {
        char line[256] = {};
        if (fgets(line, sizeof line, out_) == nullptr) {
            return {};
        }
        std::string text = line;
        if (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        return text;
    }

    // Sends the signal and waits up to ten seconds; the exit status, or -1 if still running.
    int SignalAndWait(int signal) {
        kill(pid_, signal);
        return Wait();
    }

    int Wait() {
        for (int i = 0; i < 1000; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
};

TEST(SpacesimProgram, PrintsItsFreePortFirstAndStopsOnSignal) {
    for (const int signal : {SIGTERM, SIGINT}) {
        Program program({"--port", "0", "--generate", "bigwren=40", "--fault",
                         "/jiaoliao/profile=status404", "--busy", "/quietwren/blog=1:3"});
        const std::string line = program.FirstLine();
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match,
                                     std::regex(R"(spacesim listening on 127\.0\.0\.1:(\d+))")))
            << line;
        const int port = std::stoi(match[1]);
        const std::string generated =
            Utf8(Fetch("http://hi.baidu.com/bigwren/blog", Origin(port)).body);
        EXPECT_EQ(Count(generated, "title=\"查看该分类中所有文章\""), 10);
        EXPECT_EQ(Fetch(Origin(port) + "/jiaoliao/blog").status, 200);
        EXPECT_EQ(Fetch(Origin(port) + "/jiaoliao/profile").status, 404);
        EXPECT_EQ(Header(Fetch(Origin(port) + "/quietwren/blog"), "Retry-After"), "3");
        EXPECT_EQ(Fetch(Origin(port) + "/quietwren/blog").status, 200);
        EXPECT_EQ(program.SignalAndWait(signal), 0);
    }
}

TEST(SpacesimProgram, RefusesBadOptionsAndMissingData) {
    EXPECT_EQ(Program({"--fault", "/jiaoliao/blog=sideways"}).Wait(), 2);
    EXPECT_EQ(Program({"--port"}).Wait(), 2);
    EXPECT_EQ(Program({"--busy", "/jiaoliao/blog=1:x"}).Wait(), 2);
    EXPECT_EQ(Program({"--generate", "bigwren"}).Wait(), 2);
    EXPECT_EQ(Program({"--data", "/nonexistent/spaces"}).Wait(), 1);
}

// A space file whose texts would move the client's cuts, or that does not parse, is refused
// with its name in the error; a good one gives a space named after the file.
TEST(SpaceFiles, BrokenOrCutMovingFilesAreRefusedByName) {
    const std::string good = R"({"title": "T", "categories": [{"slug": "a", "name": "甲",
        "articles": [{"id": "0123456789abcdef", "title": "TITLE", "date": "2009-01-01 00:00",
                      "content": "C"}]}]})";
    const auto with = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        return text.replace(text.find(from), from.size(), to);
    };
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("spacesim-files-" + std::to_string(getpid()));
    for (const std::string& text :
         {std::string("{\"title\": "), with("TITLE", "a_b"), with("TITLE", "my category"),
          with("TITLE", "文章分类"), with("TITLE", "x [下一页]"), with("0123456789abcdef", "0123"),
          with("\"a\"", "\"index\""), good}) {
        SCOPED_TRACE(text);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "somewren.json", std::ios::binary) << text;
        std::ofstream(folder / "notes.txt") << "not a space";
        try {
            const spacesim::SpaceStore store = spacesim::SpaceStore::FromFolder(folder);
            EXPECT_EQ(text, good);
            EXPECT_EQ(store.Names(), std::vector<std::string>{"somewren"});
        } catch (const std::runtime_error& error) {
            EXPECT_NE(text, good);
            EXPECT_NE(std::string(error.what()).find("somewren.json"), std::string::npos);
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
