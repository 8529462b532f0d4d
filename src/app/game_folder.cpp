#include "game_folder.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

// The Windows lines are compiled elsewhere too, against stand-ins for the system's declarations
// (VELLUM_WINDOWS_STUB_CHECK, see CMakeLists.txt), since no Windows build of Qt is at hand to build them.
#if defined(_WIN32) || defined(VELLUM_WINDOWS_STUB_CHECK)
#define VELLUM_WINDOWS_LINES 1
#include <cwchar>
#include <windows.h>

#include "esfile/native.h"
#endif

namespace vellum::app {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

#if defined(VELLUM_WINDOWS_LINES)
// The game's "Installed Path", in UTF-8. The game is a 32-bit program: its key is in the 32-bit view of the
// registry, and only read access is asked for (a user who is not an administrator gets no more).
std::string FromRegistry() {
    HKEY key = nullptr;
    std::string result;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Bethesda Softworks\\Morrowind", 0,
                      KEY_READ | KEY_WOW64_32KEY, &key) == ERROR_SUCCESS) {
        wchar_t buffer[1024] = {};
        DWORD size = sizeof buffer - sizeof buffer[0]; // the last character stays the terminating zero
        if (RegQueryValueExW(key, L"Installed Path", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer),
                             &size) == ERROR_SUCCESS) {
            result = PathToUtf8(std::wstring(buffer, std::wcslen(buffer))) + "\\Data Files";
        }
    }
    if (key) RegCloseKey(key);
    return result;
}
#endif

// Reads the "Installed Path" value of the game's key from a Wine registry file; empty when absent.
std::string InstalledPathFromWineRegistry(const fs::path& systemReg) {
    std::ifstream in(systemReg);
    if (!in) return {};
    bool inKey = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            std::string key =
                Lower(line.substr(1, line.find(']') == std::string::npos ? 0 : line.find(']') - 1));
            inKey = key == "software\\\\bethesda softworks\\\\morrowind" ||
                    key == "software\\\\wow6432node\\\\bethesda softworks\\\\morrowind";
            continue;
        }
        const std::string name = "\"installed path\"=\"";
        if (!inKey || Lower(line).rfind(name, 0) != 0) continue;
        std::string value;
        for (size_t i = name.size(); i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) ++i;
            value.push_back(line[i]);
        }
        return value;
    }
    return {};
}

// Maps a Windows path of the prefix ("C:\Games\Morrowind") to the folder that holds it.
std::string MapIntoPrefix(const fs::path& prefix, const std::string& windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') return {};
    char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
    fs::path root = prefix / "dosdevices" / (std::string(1, drive) + ":");
    std::error_code ec;
    if (!fs::exists(root, ec)) root = drive == 'c' ? prefix / "drive_c" : fs::path();
    if (root.empty()) return {};
    fs::path p = root;
    std::string rest = windowsPath.substr(2);
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        std::string part = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!part.empty()) p /= part;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return (p / "Data Files").string();
}

// The first data="..." line of an OpenMW configuration file.
std::string FirstOpenMwDataFolder(const fs::path& cfg) {
    std::ifstream in(cfg);
    if (!in) return {};
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos || line.compare(i, 4, "data") != 0) continue;
        size_t eq = line.find('=', i + 4);
        if (eq == std::string::npos || line.find_first_not_of(" \t", i + 4) != eq) continue;
        std::string value = line.substr(eq + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
        if (value.size() >= 2 && value.front() == '"') {
            // Quoted paths escape quotes and ampersands with '&'.
            std::string unq;
            for (size_t k = 1; k < value.size() && value[k] != '"'; ++k) {
                if (value[k] == '&' && k + 1 < value.size()) ++k;
                unq.push_back(value[k]);
            }
            value = unq;
        }
        if (!value.empty()) return value;
    }
    return {};
}

} // namespace

GameFolderSources DefaultGameFolderSources() {
    GameFolderSources s;
    std::string home = Env("HOME");
    s.winePrefix = Env("WINEPREFIX");
    if (s.winePrefix.empty() && !home.empty()) s.winePrefix = home + "/.wine";
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty() && !home.empty()) config = home + "/.config";
    if (!config.empty()) s.openmwConfig = config + "/openmw/openmw.cfg";
    return s;
}

std::string FindDataFilesFolder(const GameFolderSources& sources) {
#if defined(VELLUM_WINDOWS_LINES)
    if (sources.useRegistry) {
        std::string fromRegistry = FromRegistry();
        if (!fromRegistry.empty()) return fromRegistry;
    }
#endif
    if (!sources.winePrefix.empty()) {
        std::string installed = InstalledPathFromWineRegistry(fs::path(sources.winePrefix) / "system.reg");
        if (!installed.empty()) {
            std::string mapped = MapIntoPrefix(sources.winePrefix, installed);
            if (!mapped.empty()) return mapped;
        }
    }
    if (!sources.openmwConfig.empty()) return FirstOpenMwDataFolder(sources.openmwConfig);
    return {};
}

} // namespace vellum::app
