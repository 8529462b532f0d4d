#include "esfile/native.h"

#include <cstdlib>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h, whose types it uses
#include <shellapi.h>
#endif

namespace vellum {

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
std::wstring Wide(std::string_view s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string Utf8(std::wstring_view w) {
    if (w.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}
#endif

bool HasNoWriteBits(const fs::path& p) {
    std::error_code ec;
    fs::perms pr = fs::status(p, ec).permissions();
    if (ec || pr == fs::perms::unknown) return false;
    return (pr & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) ==
           fs::perms::none;
}

} // namespace

fs::path PathFromUtf8(std::string_view name) {
#if defined(_WIN32)
    return fs::path(Wide(name));
#else
    return fs::path(std::string(name));
#endif
}

std::string PathToUtf8(const fs::path& path) {
#if defined(_WIN32)
    return Utf8(path.native());
#else
    return path.native();
#endif
}

std::FILE* OpenFile(const std::string& name, const char* mode) {
#if defined(_WIN32)
    return _wfopen(Wide(name).c_str(), Wide(mode).c_str());
#else
    return std::fopen(name.c_str(), mode);
#endif
}

bool PathExists(const std::string& name) {
    std::error_code ec;
    return !name.empty() && fs::exists(PathFromUtf8(name), ec);
}

bool IsFolder(const std::string& name) {
    std::error_code ec;
    return fs::is_directory(PathFromUtf8(name), ec);
}

bool RemoveFile(const std::string& name) {
    std::error_code ec;
    return fs::remove(PathFromUtf8(name), ec);
}

bool CreateEmptyFile(const std::string& name) {
    if (PathExists(name)) return false;
    std::FILE* f = OpenFile(name, "wb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

std::string LastPart(const std::string& name) {
    return PathToUtf8(PathFromUtf8(name).filename());
}

std::string FolderOf(const std::string& name) {
    const fs::path folder = PathFromUtf8(name).parent_path();
    return folder.empty() ? std::string(".") : PathToUtf8(folder);
}

WriteTarget CheckWriteTarget(const std::string& name) {
    if (name.empty()) return WriteTarget::NoName;
    if (IsFolder(name)) return WriteTarget::FolderInTheWay;
    const std::string folder = FolderOf(name);
    if (!IsFolder(folder)) return WriteTarget::NoFolder;
    if (PathExists(name) && HasNoWriteBits(PathFromUtf8(name))) return WriteTarget::ReadOnlyFile;
#if !defined(_WIN32)
    // Windows sets the read-only attribute on folders only to mark them as customized, and lets files be
    // written in them all the same: only a folder's write permission elsewhere is a refusal.
    if (HasNoWriteBits(PathFromUtf8(folder))) return WriteTarget::ReadOnlyFolder;
#endif
    return WriteTarget::Writable;
}

bool MoveOver(const std::string& from, const std::string& to, std::string& why) {
    std::error_code ec;
    const fs::path source = PathFromUtf8(from), target = PathFromUtf8(to);
#if defined(_WIN32)
    // The data are on the disk (the writer flushed them) before the name points to them.
    if (!MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ec.assign(static_cast<int>(GetLastError()), std::system_category());
#else
    if (fs::exists(target, ec)) fs::permissions(source, fs::status(target, ec).permissions(), ec);
    fs::rename(source, target, ec);
#endif
    if (ec) why = ec.message();
    return !ec;
}

bool FreeSpace(const std::string& name, uintmax_t& bytes) {
    std::error_code ec;
    const fs::space_info space = fs::space(PathFromUtf8(FolderOf(name)), ec);
    if (ec) return false;
    bytes = space.available;
    return true;
}

std::vector<std::string> CommandLineWords(int argc, char** argv) {
#if defined(_WIN32)
    (void)argc;
    (void)argv;
    std::vector<std::string> words;
    int n = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &n)) {
        for (int i = 1; i < n; ++i) words.push_back(Utf8(wide[i]));
        LocalFree(wide);
    }
    return words;
#else
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
#endif
}

void UseUtf8ByteConsole() {
#if defined(_WIN32)
    // The code page belongs to the console window, which outlives the program: it gets its own back.
    static const UINT previous = GetConsoleOutputCP();
    if (previous != 0 && previous != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit([] { SetConsoleOutputCP(previous); });
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

} // namespace vellum
