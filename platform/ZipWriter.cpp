#include "platform/ZipWriter.h"

#include <zip.h>

#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// One entry's bytes, made when the library first asks for them and let go once it has read
// them.
struct EntrySource {
    ZipWriter::Content content;
    time_t modified = 0;
    std::optional<QByteArray> bytes;
    qsizetype at = 0;
    zip_error_t error;

    bool Make() {
        if (!bytes) {
            bytes = content();
        }
        if (!bytes) {
            zip_error_set(&error, ZIP_ER_READ, 0);
        }
        return bytes.has_value();
    }
};

zip_int64_t Stat(EntrySource& source, void* data, zip_uint64_t length) {
    if (length < sizeof(zip_stat_t) || !source.Make()) {
        return -1;
    }
    auto* stat = static_cast<zip_stat_t*>(data);
    zip_stat_init(stat);
    stat->size = static_cast<zip_uint64_t>(source.bytes->size());
    stat->mtime = source.modified;
    stat->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
    return sizeof(zip_stat_t);
}

zip_int64_t Read(EntrySource& source, void* data, zip_uint64_t length) {
    const qsizetype left = source.bytes->size() - source.at;
    const qsizetype count =
        static_cast<qsizetype>(std::min<zip_uint64_t>(length, static_cast<zip_uint64_t>(left)));
    std::memcpy(data, source.bytes->constData() + source.at, static_cast<std::size_t>(count));
    source.at += count;
    return count;
}

zip_int64_t Answer(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto& source = *static_cast<EntrySource*>(state);
    switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                  ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        case ZIP_SOURCE_STAT:
            return Stat(source, data, length);
        case ZIP_SOURCE_OPEN:
            source.at = 0;
            return source.Make() ? 0 : -1;
        case ZIP_SOURCE_READ:
            return Read(source, data, length);
        case ZIP_SOURCE_CLOSE:
            source.bytes.reset();
            return 0;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&source.error, data, length);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&source.error);
            delete &source;
            return 0;
        default:
            zip_error_set(&source.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

}  // namespace

struct ZipWriter::Impl {
    QString path;
    time_t modified = 0;
    zip_t* zip = nullptr;
    QString error;

    void TakeError() { error = QString::fromUtf8(zip_error_strerror(zip_get_error(zip))); }
};

ZipWriter::ZipWriter(const QString& path, const QDateTime& modified)
    : impl_(std::make_unique<Impl>()) {
    impl_->path = path;
    impl_->modified = static_cast<time_t>(modified.toSecsSinceEpoch());
}

ZipWriter::~ZipWriter() {
    if (impl_->zip != nullptr) {
        zip_discard(impl_->zip);
    }
}

bool ZipWriter::Open() {
    if (QFileInfo(impl_->path).isDir()) {
        impl_->error = QStringLiteral("a folder stands there");
        return false;
    }
    int code = 0;
    // The earlier file is not read: the library writes the new one beside it at the close.
    impl_->zip = zip_open(impl_->path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (impl_->zip == nullptr) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, code);
        impl_->error = QString::fromUtf8(zip_error_strerror(&reason));
        zip_error_fini(&reason);
        return false;
    }
    return true;
}

bool ZipWriter::Add(const QString& name, Content content, Packing packing) {
    auto* state = new EntrySource{std::move(content), impl_->modified, {}, 0, {}};
    zip_error_init(&state->error);
    zip_source_t* source = zip_source_function(impl_->zip, Answer, state);
    if (source == nullptr) {
        zip_error_fini(&state->error);
        delete state;
        impl_->TakeError();
        return false;
    }
    const zip_int64_t index =
        zip_file_add(impl_->zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        impl_->TakeError();
        return false;
    }
    const zip_uint64_t entry = static_cast<zip_uint64_t>(index);
    const zip_int32_t method = packing == Packing::Stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    if (zip_set_file_compression(impl_->zip, entry, method, 0) != 0 ||
        zip_file_set_mtime(impl_->zip, entry, impl_->modified, 0) != 0) {
        impl_->TakeError();
        return false;
    }
    return true;
}

bool ZipWriter::Commit() {
    if (impl_->zip == nullptr) {
        return false;
    }
    if (zip_close(impl_->zip) != 0) {
        impl_->TakeError();
        return false;
    }
    impl_->zip = nullptr;
    return true;
}

QString ZipWriter::Error() const {
    return impl_->error;
}

}  // namespace platform
