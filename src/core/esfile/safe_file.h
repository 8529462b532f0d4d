// Whole-file reading and writing that never leaves a user's file half-written.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vellum {

// Reads the whole file with one bulk read. On failure error gets a plain description.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

// The bytes of a whole file, read with one bulk read into memory of its own that can be handed back to the
// system piece by piece while a reader moves through it, so that a large file and the records read from it
// are not held in memory twice.
class FileBytes {
  public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // Reads the whole file; on failure error gets a plain description and the bytes are empty.
    bool read(const std::string& path, std::string& error);
    std::string_view view() const { return {data_, size_}; }
    // Gives back the memory of the bytes before offset upTo (in whole pages, where the platform allows it).
    // They must not be read again.
    void release(size_t upTo);

  private:
    void free();
    char* data_ = nullptr;
    size_t size_ = 0;
    size_t mapped_ = 0;   // the length of the mapping; 0 when the bytes are in fallback_
    size_t released_ = 0; // the bytes before this offset have been given back
    std::string fallback_;
};

// Writes bytes to a new file beside path, flushes it to disk and only then puts it in place of path. On any
// failure the file at path is left as it was, the temporary file is removed, and error describes the cause.
bool ReplaceFileSafely(const std::string& path, std::string_view bytes, std::string& error);

// Writes a file piece by piece into a new file beside path; commit() flushes it to disk and only then puts
// it in place of path. Until then, and on any failure, the file at path is left as it was; a writer that is
// not committed removes its temporary file.
class SafeFileWriter {
  public:
    explicit SafeFileWriter(std::string path) : path_(std::move(path)) {}
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Checks the target and creates the temporary file; error describes a failure.
    bool open(std::string& error);
    // Appends bytes; false once any write has failed.
    bool write(std::string_view bytes);
    // Flushes, closes and renames over the target; error describes a failure (the target is then untouched).
    bool commit(std::string& error);

  private:
    void discard();
    std::string path_;
    std::string temp_;
    std::FILE* file_ = nullptr;
    int writeError_ = 0;
    bool failed_ = false;
};

// Writes a text or export file the same safe way (used by the tools' exports).
inline bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error) {
    return ReplaceFileSafely(path, bytes, error);
}

} // namespace vellum
