#include "esfile/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "esfile/native.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vellum {

namespace {

std::string Describe(int err) {
    return err ? std::string(std::strerror(err)) : std::string("unknown error");
}

// Flushes the written bytes to the disk itself where the platform offers it.
bool SyncToDisk(std::FILE* f) {
#if defined(_WIN32)
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

} // namespace

FileBytes::~FileBytes() {
    free();
}

void FileBytes::free() {
#if !defined(_WIN32)
    if (mapped_) munmap(data_, mapped_);
#endif
    data_ = nullptr;
    size_ = mapped_ = released_ = 0;
    std::string().swap(fallback_);
}

bool FileBytes::read(const std::string& path, std::string& error) {
    free();
#if defined(_WIN32)
    if (!ReadWholeFile(path, fallback_, error)) return false;
#else
    if (IsFolder(path)) {
        error = "it is a folder";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = Describe(errno);
        return false;
    }
    // A file of known size goes into anonymous memory rather than the file's own pages: the bytes stay as
    // read even if another program changes the file meanwhile, and large pages make the one read cheaper.
    // Anything else (a pipe, a special file, or no memory to map) is read from the same handle into a
    // growing buffer, since a pipe cannot be opened twice.
    struct stat st {};
    const bool sized = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
    const size_t want = sized ? static_cast<size_t>(st.st_size) : 0;
    void* p =
        sized ? mmap(nullptr, want, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) : MAP_FAILED;
    if (p != MAP_FAILED) {
#if defined(MADV_HUGEPAGE)
        madvise(p, want, MADV_HUGEPAGE);
#endif
        data_ = static_cast<char*>(p);
        mapped_ = want;
    } else {
        fallback_.resize(sized ? want : size_t(1) << 16);
    }
    size_t got = 0;
    for (;;) {
        if (!sized && got == fallback_.size()) fallback_.resize(fallback_.size() * 2);
        char* into = mapped_ ? data_ : fallback_.data();
        const size_t room = (mapped_ ? mapped_ : fallback_.size()) - got;
        if (room == 0) break; // a file that grows while being read is taken at the size it had
        const ssize_t n = ::read(fd, into + got, room);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = Describe(errno);
            ::close(fd);
            free();
            return false;
        }
        if (n == 0) break; // the end, or a file that became shorter while being read
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (mapped_) {
        size_ = got;
        return true;
    }
    fallback_.resize(got);
#endif
    data_ = fallback_.data();
    size_ = fallback_.size();
    return true;
}

void FileBytes::release(size_t upTo) {
#if !defined(_WIN32) && defined(MADV_DONTNEED)
    if (!mapped_) return;
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    upTo = std::min(upTo, size_) / page * page;
    if (upTo <= released_) return;
    madvise(data_ + released_, upTo - released_, MADV_DONTNEED);
    released_ = upTo;
#else
    (void)upTo;
#endif
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    if (IsFolder(path)) {
        error = "it is a folder";
        return false;
    }
    std::FILE* f = OpenFile(path, "rb");
    if (!f) {
        error = Describe(errno);
        return false;
    }
    bytes.clear();
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long n = std::ftell(f);
        if (n > 0) bytes.resize(static_cast<size_t>(n));
        std::fseek(f, 0, SEEK_SET);
    }
    size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
    bytes.resize(got);
    // A file whose size could not be told in advance (a pipe, a special file) is read to its end in pieces.
    char chunk[65536];
    size_t more;
    while ((more = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, more);
    bool bad = std::ferror(f) != 0;
    int err = errno;
    std::fclose(f);
    if (bad) {
        error = Describe(err);
        return false;
    }
    return true;
}

bool SafeFileWriter::open(std::string& error) {
    const std::string folder = FolderOf(path_);
    switch (CheckWriteTarget(path_)) {
    case WriteTarget::NoName: error = "no file name was given"; return false;
    case WriteTarget::FolderInTheWay: error = "a folder of that name is in the way"; return false;
    case WriteTarget::NoFolder: error = "the folder \"" + folder + "\" does not exist"; return false;
    case WriteTarget::ReadOnlyFile: error = "the file is read-only"; return false;
    case WriteTarget::ReadOnlyFolder: error = "the folder \"" + folder + "\" is not writable"; return false;
    case WriteTarget::Writable: break;
    }
    const std::string stem = PathToUtf8(PathFromUtf8(folder) / PathFromUtf8(LastPart(path_))) + ".vellum-";
    std::random_device rd;
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        std::string temp = stem + std::to_string(rd() % 1000000) + ".tmp";
        if (PathExists(temp)) continue;
        file_ = OpenFile(temp, "wb");
        if (file_) temp_ = temp;
    }
    if (!file_) {
        error = "a new file could not be created in \"" + folder + "\": " + Describe(errno);
        return false;
    }
    return true;
}

bool SafeFileWriter::write(std::string_view bytes) {
    if (!file_ || failed_) return false;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        failed_ = true;
        writeError_ = errno;
    }
    return !failed_;
}

bool SafeFileWriter::commit(std::string& error) {
    if (!file_) {
        if (error.empty()) error = "the file was not opened";
        return false;
    }
    int err = writeError_;
    bool ok = !failed_;
    if (ok && std::fflush(file_) != 0) ok = false, err = errno;
    if (ok && !SyncToDisk(file_)) ok = false, err = errno;
    if (std::fclose(file_) != 0 && ok) ok = false, err = errno;
    file_ = nullptr;
    if (!ok) {
        RemoveFile(temp_);
        temp_.clear();
        error = "writing failed (" + Describe(err) + ")";
        return false;
    }
    std::string why;
    if (!MoveOver(temp_, path_, why)) {
        RemoveFile(temp_);
        temp_.clear();
        error = "the new file could not replace the old one (" + why + ")";
        return false;
    }
    temp_.clear();
    return true;
}

void SafeFileWriter::discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty()) {
        RemoveFile(temp_);
        temp_.clear();
    }
}

SafeFileWriter::~SafeFileWriter() {
    discard();
}

bool ReplaceFileSafely(const std::string& path, std::string_view bytes, std::string& error) {
    SafeFileWriter out(path);
    if (!out.open(error)) return false;
    out.write(bytes);
    return out.commit(error);
}

} // namespace vellum
