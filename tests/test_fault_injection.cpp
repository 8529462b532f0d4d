// Saving onto disks that fail: a full disk, a read-only file system, a folder without write permission, a
// read-only target, a target that is a folder, and a file or folder that vanishes between Open and Save.
// Every failure goes through the Save and Save As commands, so the message and the log lines are those the
// user sees; the file on disk stays as it was byte for byte and no temporary file is left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>

#if defined(__linux__)
#include <sys/mount.h>
#endif

#include "errors.h"
#include "esfile/safe_file.h"
#include "fixture_builder.h"
#include "shell/shell.h"
#include "test_util.h"

namespace {

namespace fs = std::filesystem;
using namespace vellum;
using fixture::File;
using fixture::Record;
using fixture::Sub;
using testutil::TempDir;

// A plugin of about `bytes` bytes: landscape records whose data is a pattern that depends on the seed.
std::string Plugin(size_t bytes, char seed) {
    std::vector<std::string> records;
    for (size_t done = 0; done < bytes; done += 4096 + 24) {
        std::string data(4096, seed);
        for (size_t i = 0; i < data.size(); i += 7) data[i] = static_cast<char>(seed + i);
        records.push_back(Record("LAND", Sub("DATA", data)));
    }
    return File(records);
}

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.insert(e.path().filename().string());
    return names;
}

// A store read from a file of its own (a different plugin than the one on disk), ready to be saved.
struct Loaded {
    RecordStore store;
    int32_t total = 0;
};
Loaded LoadFrom(const std::string& bytes) {
    Loaded l;
    l.total = testutil::Load(bytes, l.store);
    return l;
}

// What a failed save must leave: the message, the two log lines, the file as it was, and no other files.
void ExpectFailedSave(const FakeUi& ui, double result, const std::string& target, bool saveAs,
                      const std::string& reason) {
    EXPECT_LE(result, -0.5) << target;
    ASSERT_EQ(ui.messages.size(), 1u) << target;
    EXPECT_EQ(ui.messages[0].kind, Ask::Error);
    EXPECT_EQ(ui.messages[0].buttons, Buttons::OK);
    EXPECT_EQ(ui.messages[0].text.rfind("The file \"" + target + "\" could not be written: ", 0), 0u)
        << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find(reason), std::string::npos) << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find("Nothing has been changed on disk."), std::string::npos);
    ASSERT_EQ(ui.log.size(), 2u);
    EXPECT_EQ(ui.log[0].rfind("-Writing \"", 0), 0u) << ui.log[0];
    EXPECT_EQ(ui.log[1],
              saveAs ? "-Nothing has been written." : "-An error occured. Nothing has been written.");
    EXPECT_EQ(ui.progress.back(), 0.0);
}

#if defined(__linux__)
// A small tmpfs mounted for the test (needs the right to mount, as root in the CI container); unmounted at
// the end. ok() is false where mounting is not permitted.
class TinyDisk {
  public:
    TinyDisk(const fs::path& where, const std::string& options) : path_(where) {
        fs::create_directories(path_);
        mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~TinyDisk() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    }
    bool ok() const { return mounted_; }
    bool makeReadOnly() {
        return ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k") == 0;
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
    bool mounted_ = false;
};
#endif

} // namespace

// A full disk (also one that fills up after the first pieces of a large save are on it) and a read-only file
// system, which refuses even the super-user: Save and Save As fail, the original stays, no file is left.
TEST(FaultInjection, FullOrReadOnlyDiskLeavesTheOriginalAndNoTemporaryFile) {
#if defined(__linux__)
    const struct {
        std::string size;
        size_t original, replacement;
        bool readOnly;
        std::string reason;
    } cases[] = {{"size=64k", 24 * 1024, 40 * 1024, false, "No space left on device"},
                 {"size=6m", 1 << 20, 12 << 20, false, "No space left on device"},
                 {"size=64k", 4096, 4096, true, "Read-only file system"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason + " " + c.size);
        TempDir dir;
        TinyDisk disk(dir.path() / "disk", c.size);
        if (!disk.ok()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
        const std::string original = Plugin(c.original, 'o');
        testutil::WriteFile(disk.file("plugin.esp"), original);
        ASSERT_EQ(testutil::ReadFile(disk.file("plugin.esp")), original);
        if (c.readOnly && !disk.makeReadOnly()) GTEST_SKIP() << "remounting read-only is not permitted here";
        Loaded other = LoadFrom(Plugin(c.replacement, 'n'));
        for (bool saveAs : {false, true}) {
            // Save As to a new name: the empty file that Save As makes first is taken away again.
            const std::string target = disk.file(saveAs ? "copy.esp" : "plugin.esp");
            FakeUi ui;
            double r = SaveDataFile(target, other.store, ui, other.total, saveAs);
            ExpectFailedSave(ui, r, target, saveAs, c.reason);
            EXPECT_EQ(testutil::ReadFile(disk.file("plugin.esp")), original);
            EXPECT_EQ(Entries(disk.path()), std::set<std::string>{"plugin.esp"});
        }
        if (c.readOnly) continue;
        // A store that fits is saved; the disk is still usable after the failures.
        Loaded small = LoadFrom(Plugin(8 * 1024, 's'));
        FakeUi ui;
        EXPECT_GE(SaveDataFile(disk.file("plugin.esp"), small.store, ui, small.total, false), 0);
        EXPECT_EQ(ui.log[0], "-Writing \"plugin.esp\"...");
        EXPECT_EQ(testutil::ReadFile(disk.file("plugin.esp")), testutil::Save(small.store, small.total));
        EXPECT_EQ(Entries(disk.path()), std::set<std::string>{"plugin.esp"});
    }
#else
    GTEST_SKIP() << "mounting a small disk is only done on Linux";
#endif
}

// A folder without write permission. The super-user could write anyway, so the program itself refuses a
// folder without any write bit. (A read-only target and a folder in the way: test_file_names.cpp.)
TEST(FaultInjection, FolderWithoutWritePermission) {
    if (!testutil::kFoldersCanBeLocked) GTEST_SKIP() << "folders cannot be locked here";
    TempDir dir;
    const std::string original = Plugin(4096, 'o');
    Loaded other = LoadFrom(Plugin(6000, 'n'));
    fs::create_directory(dir.path() / "locked");
    const std::string inLocked = dir.file("locked/plugin.esp");
    testutil::WriteFile(inLocked, original);
    fs::permissions(dir.path() / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                               fs::perms::group_read | fs::perms::group_exec);
    for (bool saveAs : {false, true}) {
        FakeUi ui;
        double r = SaveDataFile(inLocked, other.store, ui, other.total, saveAs);
        ExpectFailedSave(ui, r, inLocked, saveAs,
                         "the folder \"" + dir.file("locked") + "\" is not writable");
        EXPECT_EQ(ui.log[0], "-Writing \"plugin.esp\"...");
    }
    // Save As to a new name in the locked folder leaves nothing there either.
    FakeUi ui;
    EXPECT_LE(SaveDataFile(dir.file("locked/new.esp"), other.store, ui, other.total, true), -0.5);
    fs::permissions(dir.path() / "locked", fs::perms::owner_all);
    EXPECT_EQ(testutil::ReadFile(inLocked), original);
    EXPECT_EQ(Entries(dir.path() / "locked"), std::set<std::string>{"plugin.esp"});
}

// Between Open and Save the file can vanish, or its folder.
TEST(FaultInjection, FileThatVanishesBetweenOpenAndSave) {
    TempDir dir;
    const std::string original = Plugin(4096, 'o');
    // Opens the file at `at`, removes `gone`, then saves over `at`.
    auto openRemoveSave = [&](const std::string& at, const fs::path& gone, FakeUi& ui) {
        testutil::WriteFile(at, original);
        RecordStore store;
        FakeUi openUi;
        OpenOutcome opened = OpenDataFile(at, store, openUi);
        EXPECT_TRUE(opened.loaded);
        fs::remove_all(gone);
        return SaveDataFile(at, store, ui, opened.recordCount, false);
    };
    // The file alone vanished: Save writes the whole store anew under its name (the store holds the whole
    // file). Its name is no longer there when the "-Writing" line is made, so that line names no file.
    const std::string path = dir.file("plugin.esp");
    FakeUi ui;
    EXPECT_GE(openRemoveSave(path, dir.path() / "plugin.esp", ui), 0);
    ASSERT_EQ(ui.log.size(), 2u);
    EXPECT_EQ(std::make_tuple(ui.messages.size(), ui.log[0],
                              ui.log[1].rfind("-Finished writing \"plugin.esp\" in ", 0)),
              std::make_tuple(0u, "-Writing \"\"...", 0u));
    EXPECT_EQ(testutil::ReadFile(path), original);
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"plugin.esp"});
    // Its folder vanished: nothing is made, the message names the missing folder.
    fs::create_directory(dir.path() / "sub");
    const std::string inSub = dir.file("sub/plugin.esp");
    FakeUi lost;
    const double r = openRemoveSave(inSub, dir.path() / "sub", lost);
    ExpectFailedSave(lost, r, inSub, false, "the folder \"" + dir.file("sub") + "\" does not exist");
    EXPECT_EQ(lost.log[0], "-Writing \"\"...");
    EXPECT_FALSE(fs::exists(dir.path() / "sub"));
}

// The failures of file calls that the disks above do not make, as the program's own errors; a folder is no
// file to read.
TEST(FaultInjection, SystemErrorsAndFoldersGiveTheProgramsOwnErrors) {
    const std::pair<std::errc, RunError> cases[] = {
        {std::errc::operation_not_permitted, RunError::PermissionDenied},
        {std::errc::file_too_large, RunError::DiskFull},
        {std::errc::io_error, RunError::DeviceError},
        {std::errc::invalid_argument, RunError::BadFileName},
        {std::errc::is_a_directory, RunError::PathFileAccess}};
    for (const auto& [errc, error] : cases)
        EXPECT_EQ(ErrorForSystemError(std::make_error_code(errc)), error)
            << std::make_error_code(errc).message();
    TempDir dir;
    std::string bytes, why;
    EXPECT_EQ(std::make_tuple(ReadWholeFile(dir.file(""), bytes, why), why),
              std::make_tuple(false, "it is a folder"));
}
