#include "platform/WarcSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// A file on disk, read with pread so that it needs no position of its own.
class FileSource : public WarcSource {
public:
    FileSource(int descriptor, std::uint64_t size) : descriptor_(descriptor), size_(size) {}
    ~FileSource() override { ::close(descriptor_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t Size() const override { return size_; }

    std::size_t ReadAt(std::uint64_t offset, char* out, std::size_t size) override {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t read =
                ::pread(descriptor_, out + done, size - done, static_cast<off_t>(offset + done));
            if (read < 0 && errno == EINTR) {
                continue;
            }
            if (read <= 0) {
                break;
            }
            done += static_cast<std::size_t>(read);
        }
        return done;
    }

private:
    int descriptor_;
    std::uint64_t size_;
};

}  // namespace

std::unique_ptr<WarcSource> OpenFileSource(const std::string& path, std::string& error) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        error = descriptor < 0 ? std::strerror(errno) : "not a file";
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        return nullptr;
    }
    return std::make_unique<FileSource>(descriptor, static_cast<std::uint64_t>(status.st_size));
}

}  // namespace platform
