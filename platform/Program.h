#pragma once

#include <QString>
#include <QStringList>
#include <functional>

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

// Called again and again while the program runs, with the milliseconds it may take.
using WhileWaiting = std::function<void(int sliceMs)>;

// Runs the program (looked up on PATH) with the arguments, its output discarded, and waits
// at most timeoutMs for it, calling whileWaiting between checks. Kills the program and every
// process it started when the time runs out or when whileWaiting throws (the exception then
// passes on). Reports a program that cannot be started as NotStarted.
ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                      const WhileWaiting& whileWaiting);

}  // namespace platform
