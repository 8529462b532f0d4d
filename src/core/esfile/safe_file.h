// Whole-file reading and writing that never leaves a user's file half-written.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vellum {

// Reads the whole file with one bulk read. On failure error gets a plain description.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

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
