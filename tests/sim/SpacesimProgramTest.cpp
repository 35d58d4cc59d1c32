// The spacesim program as scripts run it.
#include "SimClient.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <regex>

namespace {

// Runs spacesim with the arguments, its error output dropped.
void Start(QProcess& program, const QStringList& arguments) {
    program.setStandardErrorFile(QProcess::nullDevice());
    program.start(QStringLiteral(SPACESIM_PROGRAM), arguments);
    ASSERT_TRUE(program.waitForStarted());
}

// The exit status once the program has ended within ten seconds, -1 otherwise.
int ExitStatus(QProcess& program) {
    const bool ended =
        program.waitForFinished(10000) && program.exitStatus() == QProcess::NormalExit;
    return ended ? program.exitCode() : -1;
}

TEST(SpacesimProgram, PrintsItsFreePortFirstAndStopsOnSignal) {
    for (const int signal : {SIGTERM, SIGINT}) {
        QProcess program;
        Start(program, {"--port", "0", "--generate", "bigwren=40", "--fault",
                        "/jiaoliao/profile=status404", "--busy", "/quietwren/blog=1:3"});
        while (!program.canReadLine() && program.waitForReadyRead(10000)) {
        }
        const std::string line = program.readLine().trimmed().toStdString();
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
        kill(static_cast<pid_t>(program.processId()), signal);
        EXPECT_EQ(ExitStatus(program), 0);
    }
}

TEST(SpacesimProgram, RefusesBadOptionsAndMissingData) {
    const std::pair<QStringList, int> runs[] = {{{"--fault", "/jiaoliao/blog=sideways"}, 2},
                                                {{"--port"}, 2},
                                                {{"--busy", "/jiaoliao/blog=1:x"}, 2},
                                                {{"--generate", "bigwren"}, 2},
                                                {{"--data", "/nonexistent/spaces"}, 1}};
    for (const auto& [arguments, status] : runs) {
        QProcess program;
        Start(program, arguments);
        EXPECT_EQ(ExitStatus(program), status) << arguments.join(' ').toStdString();
    }
}

}  // namespace
