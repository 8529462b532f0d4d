// File names and the command line in the operating system's own form. Every name in the program is UTF-8; on
// Windows the system's calls take wide characters (a narrow name would go through the ANSI code page and lose
// every character outside it), so names become wide here and nowhere else.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// A UTF-8 name as the system's path, and back.
std::filesystem::path PathFromUtf8(std::string_view name);
std::string PathToUtf8(const std::filesystem::path& path);

// std::fopen for a UTF-8 name (use the binary modes: the program writes its own line ends).
std::FILE* OpenFile(const std::string& name, const char* mode);

// Questions and small changes on a UTF-8 name; none of them throws, and a failure counts as "no".
bool PathExists(const std::string& name);
bool IsFolder(const std::string& name);
bool RemoveFile(const std::string& name);
// Creates an empty file unless something of that name exists; true when it created one.
bool CreateEmptyFile(const std::string& name);
// The last part of a name (without its folders).
std::string LastPart(const std::string& name);

// What stands in the way of writing a file at a UTF-8 name, checked before anything is written.
enum class WriteTarget {
    Writable,
    NoName,         // the name is empty
    FolderInTheWay, // a folder has that name
    NoFolder,       // the folder it would go into does not exist
    ReadOnlyFile,   // the existing file has no write permission
    ReadOnlyFolder, // the folder has no write permission
};
WriteTarget CheckWriteTarget(const std::string& name);
// Puts the file at from in place of the file at to, in one step of the file system that replaces an existing
// file; the new file keeps the permissions of the one it replaces. On failure why gets the cause, and both
// files are as they were.
bool MoveOver(const std::string& from, const std::string& to, std::string& why);
// The folder a file of that name goes into ("." for a bare name), as UTF-8.
std::string FolderOf(const std::string& name);
// Free bytes on the disk holding the folder of name; false when the system cannot tell.
bool FreeSpace(const std::string& name, uintmax_t& bytes);

// The program's arguments (without its own name) in UTF-8. On Windows main's argv is in the ANSI code page,
// so the words are taken from the wide command line instead.
std::vector<std::string> CommandLineWords(int argc, char** argv);
// Standard output and error as plain bytes: the console shows UTF-8, and no line end is changed on the way
// (Windows' C library would otherwise turn "\n" into "\r\n"). Does nothing elsewhere.
void UseUtf8ByteConsole();

} // namespace vellum
