#include "platform/WaczFile.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

#include "platform/WarcSource.h"
#include "platform/WarcStream.h"

namespace platform {
namespace {

// No index line is this long; a longer one is passed over.
constexpr std::size_t kLongestIndexLine = 64 * 1024;
// A classic CDX line: "N b a m s k r M S V g", the offset and the file name last.
constexpr std::size_t kCdxFields = 11;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool IsRecordFileName(std::string_view name) {
    const std::string lower = Lower(name);
    for (const char* end : {".warc", ".warc.gz", ".arc", ".arc.gz"}) {
        if (lower.ends_with(end)) {
            return true;
        }
    }
    return false;
}

bool IsIndexName(std::string_view name) {
    const std::string lower = Lower(name);
    if (!lower.starts_with("indexes/")) {
        return false;
    }
    for (const char* end : {".cdx", ".cdxj", ".cdx.gz", ".cdxj.gz"}) {
        if (lower.ends_with(end)) {
            return true;
        }
    }
    return false;
}

struct ZipCloser {
    void operator()(zip_t* zip) const { zip_discard(zip); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

ZipHandle OpenZip(const std::string& path, std::string& error) {
    int code = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (zip == nullptr) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, code);
        error = zip_error_strerror(&reason);
        zip_error_fini(&reason);
    }
    return ZipHandle(zip);
}

// A file inside a zip, its stored bytes read through libzip, which seeks within them.
class ZipEntrySource : public WarcSource {
public:
    ZipEntrySource(ZipHandle zip, zip_file_t* file, std::uint64_t size, bool deflated)
        : zip_(std::move(zip)), file_(file), size_(size), deflated_(deflated) {}
    ~ZipEntrySource() override { zip_fclose(file_); }
    ZipEntrySource(const ZipEntrySource&) = delete;
    ZipEntrySource& operator=(const ZipEntrySource&) = delete;

    std::uint64_t Size() const override { return size_; }
    bool Deflated() const override { return deflated_; }

    std::size_t ReadAt(std::uint64_t offset, char* out, std::size_t size) override {
        if (offset >= size_) {
            return 0;
        }
        if (offset != position_ &&
            zip_fseek(file_, static_cast<zip_int64_t>(offset), SEEK_SET) != 0) {
            position_ = UINT64_MAX;
            return 0;
        }
        const zip_int64_t read = zip_fread(file_, out, size);
        position_ = read < 0 ? UINT64_MAX : offset + static_cast<std::uint64_t>(read);
        return read < 0 ? 0 : static_cast<std::size_t>(read);
    }

private:
    ZipHandle zip_;
    zip_file_t* file_;
    std::uint64_t size_;
    bool deflated_;
    std::uint64_t position_ = 0;
};

// The bytes of a file deflated inside a zip, inflated from its deflate stream as they are
// asked for: in order they cost one inflating, and a step back starts again from the last
// checkpoint noted before it.
class InflatedSource : public WarcSource {
public:
    InflatedSource(std::unique_ptr<WarcStream> deflated, std::uint64_t size)
        : deflated_(std::move(deflated)), size_(size) {
        deflated_->NoteCheckpoints(&checkpoints_);
    }

    std::uint64_t Size() const override { return size_; }

    std::size_t ReadAt(std::uint64_t offset, char* out, std::size_t size) override {
        if (offset >= size_ || !deflated_->Seek({0, offset})) {
            return 0;
        }
        return deflated_->Read(out, size);
    }

private:
    std::unique_ptr<WarcStream> deflated_;
    std::uint64_t size_;
    WarcCheckpoints checkpoints_;
};

// The offset and file of a record from one line of a CDXJ or CDX index.
std::optional<WaczContents::Record> IndexedRecord(const std::string& line) {
    if (const std::size_t brace = line.find('{'); brace != std::string::npos) {
        const nlohmann::json fields = nlohmann::json::parse(line.substr(brace), nullptr, false);
        if (!fields.is_object() || !fields.contains("offset") || !fields.contains("filename")) {
            return std::nullopt;
        }
        const nlohmann::json& offset = fields["offset"];
        const nlohmann::json& file = fields["filename"];
        std::string digits = offset.is_string() ? offset.get<std::string>()
                             : offset.is_number_unsigned()
                                 ? std::to_string(offset.get<std::uint64_t>())
                                 : std::string();
        if (!file.is_string() || digits.empty() || digits.size() > 18 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            return std::nullopt;
        }
        return WaczContents::Record{file.get<std::string>(), std::stoull(digits)};
    }
    std::vector<std::string> fields;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t blank = std::min(line.find(' ', at), line.size());
        fields.push_back(line.substr(at, blank - at));
        at = blank + 1;
    }
    if (fields.size() != kCdxFields) {
        return std::nullopt;
    }
    const std::string& offset = fields[kCdxFields - 2];
    if (offset.empty() || offset.size() > 18 ||
        offset.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return WaczContents::Record{fields.back(), std::stoull(offset)};
}

// The file inside the zip that an index line names ("data.warc.gz" for
// "archive/data.warc.gz").
std::optional<std::string> NamedFile(const std::vector<std::string>& files,
                                     const std::string& named) {
    for (const std::string& file : files) {
        if (file == named || file.ends_with("/" + named)) {
            return file;
        }
    }
    return std::nullopt;
}

void ReadIndex(const std::string& path, const std::string& name, WaczContents& contents) {
    std::string error;
    std::unique_ptr<WarcSource> source = OpenZipEntry(path, name, error);
    std::unique_ptr<WarcStream> stream =
        source ? WarcStream::Open(std::move(source), nullptr, error) : nullptr;
    if (!stream) {
        ++contents.unreadLines;
        return;
    }
    std::string line;
    bool tooLong = false;
    for (int c = 0; (c = stream->Get()) != -1 || !line.empty();) {
        if (c != '\n' && c != -1) {
            tooLong = tooLong || line.size() >= kLongestIndexLine;
            if (!tooLong) {
                line += static_cast<char>(c);
            }
            continue;
        }
        const bool blank = line.find_first_not_of(" \r") == std::string::npos;
        std::optional<WaczContents::Record> record = tooLong ? std::nullopt : IndexedRecord(line);
        std::optional<std::string> file =
            record ? NamedFile(contents.files, record->file) : std::nullopt;
        if (file) {
            contents.indexed.push_back({*file, record->offset});
        } else if (!blank && !line.starts_with(" CDX")) {
            ++contents.unreadLines;
        }
        line.clear();
        tooLong = false;
    }
}

}  // namespace

bool IsWaczName(std::string_view path) {
    return Lower(path).ends_with(".wacz");
}

std::optional<WaczContents> ReadWacz(const std::string& path, std::string& error) {
    const ZipHandle zip = OpenZip(path, error);
    if (!zip) {
        return std::nullopt;
    }
    WaczContents contents;
    std::vector<std::string> indexes;
    const zip_int64_t entries = zip_get_num_entries(zip.get(), 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        const char* name = zip_get_name(zip.get(), static_cast<zip_uint64_t>(i), 0);
        if (name == nullptr) {
            continue;
        }
        if (IsRecordFileName(name)) {
            contents.files.emplace_back(name);
        } else if (IsIndexName(name)) {
            indexes.emplace_back(name);
        }
    }
    std::sort(contents.files.begin(), contents.files.end());
    std::sort(indexes.begin(), indexes.end());
    for (const std::string& index : indexes) {
        ReadIndex(path, index, contents);
    }
    return contents;
}

std::unique_ptr<WarcSource> OpenZipEntry(const std::string& zipPath, const std::string& name,
                                         std::string& error) {
    ZipHandle zip = OpenZip(zipPath, error);
    if (!zip) {
        return nullptr;
    }
    zip_stat_t status;
    zip_stat_init(&status);
    if (zip_stat(zip.get(), name.c_str(), 0, &status) != 0) {
        error = "the zip holds it no more";
        return nullptr;
    }
    const bool deflated = status.comp_method == ZIP_CM_DEFLATE;
    if ((status.comp_method != ZIP_CM_STORE && !deflated) ||
        (status.encryption_method != ZIP_EM_NONE)) {
        error = "compressed or encrypted in a way that cannot be read in place";
        return nullptr;
    }
    zip_file_t* file = zip_fopen_index(zip.get(), status.index, ZIP_FL_COMPRESSED);
    if (file == nullptr) {
        error = zip_strerror(zip.get());
        return nullptr;
    }
    auto stored =
        std::make_unique<ZipEntrySource>(std::move(zip), file, status.comp_size, deflated);
    if (!deflated) {
        return stored;
    }
    std::unique_ptr<WarcStream> stream = WarcStream::Open(std::move(stored), nullptr, error);
    return stream ? std::make_unique<InflatedSource>(std::move(stream), status.size) : nullptr;
}

}  // namespace platform
