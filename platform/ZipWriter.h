#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace platform {

// A zip file (as an EPUB book is one) whose entries are made only while it is written, one at
// a time, so that a file of any size is written in the memory of its largest entry. Commit
// writes it under a passing name beside the destination and then gives it the destination's
// name, so that the destination holds either the earlier file or the whole new one; a symbolic
// link in its place is replaced, never written through. Dropped uncommitted, it writes nothing.
class ZipWriter {
public:
    // The bytes of an entry, or nothing when they cannot be made (Commit then fails).
    using Content = std::function<std::optional<QByteArray>()>;

    enum class Packing { Stored, Deflated };

    // `modified` is the time every entry is given.
    ZipWriter(const QString& path, const QDateTime& modified);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Starts the file. Returns false when the destination cannot be written (a folder stands
    // there); Error says why.
    bool Open();

    // Adds an entry after those added before, its bytes made by `content` at Commit. Returns
    // false when it cannot be added (a name given twice).
    bool Add(const QString& name, Content content, Packing packing);

    // Writes the file and puts it in the destination's place. Returns false, leaving the
    // earlier file in place, when an entry could not be made or the file not written whole;
    // Error says why.
    bool Commit();

    // Why the last step failed, in the library's words; empty when none did.
    QString Error() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
