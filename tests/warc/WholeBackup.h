#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QStringList>
#include <fstream>
#include <map>
#include <string>

#include <nlohmann/json.hpp>
#include "CliRunner.h"
#include "reading/ReadingNames.h"

// The sample space that whole backups save, from the pages or from archive files.
inline const QString kWholeBackupAddress = QStringLiteral("http://hi.baidu.com/jiaoliao");

// Every file beneath the folder with its bytes, except the reading copy and the save record,
// which name the archive the pages came from on purpose: those only have to be there.
inline std::map<QString, std::string> Tree(const QString& folder) {
    std::map<QString, std::string> tree;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = QDir(folder).relativeFilePath(it.next());
        const QStringList parts = path.split('/');
        const bool reading =
            parts.size() > 2 ? parts[1] == kReadingFolderName
                             : parts.back() == kSaveRecordName || parts.back() == kStartPageName;
        std::ifstream in((folder + "/" + path).toStdString(), std::ios::binary);
        tree[path] = reading ? std::string() : std::string(std::istreambuf_iterator<char>(in), {});
    }
    return tree;
}

// Runs every window's work (the articles saved in each format given) with saving into the
// folder, each run expected to succeed; returns the rows the runs listed and their labels'
// final texts (progress on the way depends on timing), and adds what they said on standard
// error to `said` when given.
inline std::string BackUpEveryWindow(const QString& folder, const QStringList& replay,
                                     const QStringList& articleFormats,
                                     std::string* said = nullptr) {
    const QString& space = kWholeBackupAddress;
    QList<QStringList> commands = {{"survey", space}};
    for (const QString& format : articleFormats) {
        commands.append({"articles", space, "--save", format});
    }
    commands.append({{"music", space, "--download"},
                     {"css", space, "--save"},
                     {"board", space, "--save"},
                     {"comments", space, "--save"}});
    QDir().mkpath(folder);
    std::string printed;
    for (const QStringList& command : commands) {
        const CliResult run =
            RunCli(QStringList{"--app-dir", folder, "--pace", "0", "--json"} + replay + command);
        EXPECT_EQ(run.exitCode, 0) << command.join(' ').toStdString() << "\n" << run.err;
        if (said != nullptr) {
            *said += run.err;
        }
        const std::vector<nlohmann::json> lines = JsonLines(run.out);
        for (const nlohmann::json& line : lines) {
            printed += line.contains("list") ? line.dump() + "\n" : "";
        }
        for (const auto& [label, text] : FinalLabels(lines)) {
            printed += label + ": " + text + "\n";
        }
    }
    return printed;
}
