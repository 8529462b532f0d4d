// A plugin named outside ASCII, with spaces, in a folder laid out like the game's own under Program Files: it
// is read, saved over and saved anew, and exported under its own name, and a failed save leaves it as it
// was. On Windows every one of these names goes through the wide-character file calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "dialogue/export_text.h"
#include "esfile/native.h"
#include "fixture_builder.h"
#include "shell/shell.h"
#include "test_util.h"

namespace {

using namespace vellum;
namespace fs = std::filesystem;

// The names in UTF-8, the accents written as bytes so that the source's own encoding does not matter.
const std::string kPlugin = "Vivec's Caf\xC3\xA9.esp";
const std::string kMaster = "Caf\xC3\xA9 Nouveau.esm";
const std::string kText = "Dialogue \xE2\x80\x93 Caf\xC3\xA9.txt";

// The game's folder inside a fresh temporary folder, holding the shared plugin under kPlugin.
struct DataFiles {
    testutil::TempDir dir;
    const std::string folder = dir.file("Program Files (x86)/Bethesda Softworks/Morrowind/Data Files");
    const std::string plugin = folder + "/" + kPlugin;
    const std::string original = testutil::ReadFile(testutil::SharedFixture("all_types.esp"));

    DataFiles() {
        fs::create_directories(PathFromUtf8(folder));
        testutil::WriteFile(plugin, original);
    }
    std::string file(const std::string& name) const { return folder + "/" + name; }
    std::set<std::string> names() const {
        std::set<std::string> out;
        for (const auto& e : fs::directory_iterator(PathFromUtf8(folder)))
            out.insert(PathToUtf8(e.path().filename()));
        return out;
    }
};

TEST(FileNames, APluginNamedOutsideAsciiIsReadSavedAndExportedUnderItsName) {
    DataFiles data;
    ASSERT_GT(data.original.size(), 1000u) << "all_types.esp not found";
    RecordStore store;
    FakeUi ui;
    const OpenOutcome opened = OpenDataFile(data.plugin, store, ui);
    ASSERT_TRUE(opened.loaded);
    EXPECT_EQ(ui.log.front(), "-Reading \"" + kPlugin + "\"...");
    EXPECT_TRUE(ui.log.at(1).starts_with("-Read " + std::to_string(opened.recordCount) + " records from \"" +
                                         kPlugin))
        << ui.log.at(1);

    // Saved over an existing file (other bytes than the store's), then anew as a master beside it.
    testutil::WriteFile(data.plugin, "an older version");
    ASSERT_GE(SaveDataFile(data.plugin, store, ui, opened.recordCount, false), 0);
    EXPECT_TRUE(ui.log.back().starts_with("-Finished writing \"" + kPlugin + "\"")) << ui.log.back();
    EXPECT_EQ(testutil::ReadFile(data.plugin), BuildESFile(store, ui, opened.recordCount, kFileTypePlugin));
    ASSERT_GE(SaveDataFile(data.file(kMaster), store, ui, opened.recordCount, true), 0);
    EXPECT_EQ(testutil::ReadFile(data.file(kMaster)),
              BuildESFile(store, ui, opened.recordCount, kFileTypeMaster));

    // The text export holds exactly the bytes built in memory: its CR LF line ends, none added on the way.
    ASSERT_EQ(ExportDialogue(data.file(kText), store, ui, data.plugin), ExportResult::Exported);
    const std::string text = BuildDialogueText(store, ui);
    EXPECT_NE(text.find("\r\n"), std::string::npos);
    EXPECT_EQ(testutil::ReadFile(data.file(kText)), text);

    RecordStore again;
    EXPECT_EQ(OpenDataFile(data.file(kMaster), again, ui).recordCount, opened.recordCount);
    EXPECT_EQ(data.names(), (std::set<std::string>{kPlugin, kMaster, kText})) << "no temporary file is left";
}

TEST(FileNames, AFailedSaveLeavesTheOriginalAndNoTemporaryFile) {
    DataFiles data;
    RecordStore store;
    const int32_t count = testutil::Load(fixture::File({}), store);
    fs::create_directory(PathFromUtf8(data.file("Caf\xC3\xA9.esp")));
    fs::permissions(PathFromUtf8(data.plugin), fs::perms::owner_read);
    struct Case {
        std::string target, reason;
    };
    const Case cases[] = {
        {data.plugin, "the file is read-only"},
        {data.file("Caf\xC3\xA9.esp"), "a folder of that name is in the way"},
        {data.file("Sans dossier \xC3\xA0 moi/new.esp"),
         "the folder \"" + data.file("Sans dossier \xC3\xA0 moi") + "\" does not exist"},
    };
    for (const Case& c : cases) {
        for (bool saveAs : {false, true}) {
            FakeUi ui;
            EXPECT_LT(SaveDataFile(c.target, store, ui, count, saveAs), 0) << c.target;
            ASSERT_EQ(ui.messages.size(), 1u) << c.target;
            EXPECT_TRUE(ui.messages[0].text.starts_with("The file \"" + c.target +
                                                        "\" could not be written: " + c.reason))
                << ui.messages[0].text;
        }
    }
    fs::permissions(PathFromUtf8(data.plugin), fs::perms::owner_all);
    // The free space is known of the folder that is there; of a missing one, only Windows answers (for its
    // drive).
    uintmax_t space = 0;
    EXPECT_TRUE(FreeSpace(data.plugin, space) && space > 0);
#if !defined(_WIN32)
    EXPECT_FALSE(FreeSpace(data.file("Sans dossier \xC3\xA0 moi/new.esp"), space));
#endif
    EXPECT_EQ(testutil::ReadFile(data.plugin), data.original);
    EXPECT_EQ(data.names(), (std::set<std::string>{kPlugin, "Caf\xC3\xA9.esp"}));
}

} // namespace
