#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

// The command line: pagewren-cli [--app-dir DIR] [--pace FACTOR] [--json] COMMAND ADDRESS
// [OPTIONS].
struct CliOptions {
    QString appFolder;  // empty: the folder holding the program
    double pace = 1.0;
    bool json = false;
    QString command;
    QString address;
    QStringList commandOptions;  // what follows the address, for the command to read
};

// Reads the global options, the command and the address. Returns nothing and sets error
// when the line cannot be understood.
std::optional<CliOptions> ParseCliOptions(const QStringList& arguments, std::string& error);

// Takes "--name VALUE" out of a command's options; returns fallback when absent. Sets error
// when the option has no value.
QString TakeOption(QStringList& options, const QString& name, const QString& fallback,
                   std::string& error);

// Whether the text is a wait the article command takes: a number of milliseconds from 0 to a
// minute (the window offers 100 to 1500).
bool IsWaitMs(const QString& text);

// The waits IsWaitMs takes, in words: "milliseconds from 0 to 60000".
std::string WaitRange();

// The usage text, printed on bad usage and for --help.
std::string CliUsage();
