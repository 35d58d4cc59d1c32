#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The bytes of a file that holds web archive records: a file on disk, or one stored inside a
// zip (a WACZ file) and read in place.
class WarcSource {
public:
    virtual ~WarcSource() = default;

    // How many bytes it holds.
    virtual std::uint64_t Size() const = 0;

    // Reads up to size bytes from the offset; fewer only at the end of the bytes, 0 there or
    // when they cannot be read.
    virtual std::size_t ReadAt(std::uint64_t offset, char* out, std::size_t size) = 0;

    // Whether the bytes are one bare deflate stream (a file deflated inside a zip, as stored)
    // rather than the file's own bytes.
    virtual bool Deflated() const { return false; }
};

// Opens the file on disk; nothing, with the reason in error, when it cannot be read.
std::unique_ptr<WarcSource> OpenFileSource(const std::string& path, std::string& error);

}  // namespace platform
