#pragma once

#include <QProcess>
#include <QStringList>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

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

// The JSON Lines of a --json run, in order.
inline std::vector<nlohmann::json> JsonLines(const std::string& out) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
}

// The final caption of every label of a --json run: its last line.
inline std::map<std::string, std::string> FinalLabels(const std::vector<nlohmann::json>& lines) {
    std::map<std::string, std::string> labels;
    for (const nlohmann::json& line : lines) {
        if (line.contains("label")) {
            labels[line["label"]] = line["text"];
        }
    }
    return labels;
}

// The rows of one list of a --json run.
inline std::vector<nlohmann::json> ListRows(const std::vector<nlohmann::json>& lines,
                                            const std::string& list) {
    std::vector<nlohmann::json> rows;
    for (const nlohmann::json& line : lines) {
        if (line.contains("list") && line["list"] == list) {
            rows.push_back(line["row"]);
        }
    }
    return rows;
}
