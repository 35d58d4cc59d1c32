#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>

namespace platform {

// How a run of an external program ended.
struct ProgramRun {
    enum class Outcome {
        Finished,    // the program ended by itself; exitCode holds its status
        NotStarted,  // the program could not be found or started
        TimedOut,    // the time ran out and the program was killed
    };
    Outcome outcome = Outcome::NotStarted;
    int exitCode = -1;  // -1 when it did not end with an exit status of its own

    bool Succeeded() const { return outcome == Outcome::Finished && exitCode == 0; }
};

// A program running in the background in a process group of its own. Dropping it before it
// ended kills the program and every process it started; so does an interrupt or termination
// signal that ends this process.
class BackgroundProgram {
public:
    // Starts the program (looked up on PATH) with the arguments, its output discarded,
    // allowing it timeoutMs. A program that cannot be started shows as NotStarted in Poll.
    BackgroundProgram(const QString& program, const QStringList& arguments, int timeoutMs);
    ~BackgroundProgram();
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    // How the run ended, or nothing while it goes on; kills the program once its time is up.
    std::optional<ProgramRun> Poll();

private:
    void Kill();

    int pid_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    std::optional<ProgramRun> ended_;
};

// The folder beneath which the program keeps blogurl.ini and every backup: the folder that
// holds the program when the user may write to it and it is none of the folders the system
// keeps installed programs in (/usr, /opt); otherwise "Pagewren" in the user's documents
// folder. Makes nothing.
QString ApplicationFolder();

// The same choice for a program kept in programFolder.
QString ApplicationFolderFor(const QString& programFolder);

// Makes the folder and its missing parents; false when it could not be made.
bool MakeApplicationFolder(const QString& folder);

// Called again and again while the program runs, with the milliseconds it may take.
using WhileWaiting = std::function<void(int sliceMs)>;

// Runs the program (looked up on PATH) with the arguments, its output discarded, and waits
// at most timeoutMs for it, calling whileWaiting between checks. Kills the program and every
// process it started when the time runs out or when whileWaiting throws (the exception then
// passes on). Reports a program that cannot be started as NotStarted.
ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                      const WhileWaiting& whileWaiting);

}  // namespace platform
