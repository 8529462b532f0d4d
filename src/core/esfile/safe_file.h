// Whole-file reading and writing that never leaves a user's file half-written.
#pragma once

#include <string>
#include <string_view>

namespace vellum {

// Reads the whole file with one bulk read. On failure error gets a plain description.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

// Writes bytes to a new file beside path, flushes it to disk and only then puts it in place of path. On any
// failure the file at path is left as it was, the temporary file is removed, and error describes the cause.
bool ReplaceFileSafely(const std::string& path, std::string_view bytes, std::string& error);

// Writes a text or export file the same safe way (used by the tools' exports).
inline bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error) {
    return ReplaceFileSafely(path, bytes, error);
}

} // namespace vellum
