#pragma once

#include <QProcess>
#include <QStringList>
#include <string>

// What one run of pagewren-cli printed and returned.
struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built pagewren-cli (PAGEWREN_CLI_PATH) with the arguments and the test's
// environment, waiting at most two minutes.
inline CliResult RunCli(const QStringList& arguments) {
    QProcess cli;
    cli.start(QStringLiteral(PAGEWREN_CLI_PATH), arguments);
    cli.waitForFinished(120000);
    return {cli.exitCode(), cli.readAllStandardOutput().toStdString(),
            cli.readAllStandardError().toStdString()};
}
