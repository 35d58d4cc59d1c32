#pragma once

#include <QString>

#include "platform/FileSystem.h"

namespace platform {

// A text file written line by line in code page 936, each line closed by CR LF. It is
// written beside its destination and replaces the file there only when Commit succeeds, so
// a write that fails or is abandoned part-way leaves any earlier file whole.
class AnsiTextFile {
public:
    explicit AnsiTextFile(const QString& path);

    // Appends one line; a failure is remembered and reported by Commit.
    void WriteLine(const QString& line);

    // Puts the file in place. Returns false when it could not be created, written in full
    // or put in place; the earlier file, if any, is then unchanged.
    bool Commit();

private:
    ReplacingFile file_;
    bool failed_ = false;
};

}  // namespace platform
