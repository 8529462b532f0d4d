// The NPC list (cells, NPCs, clones, factions, markups without NPCs, progress, failures) and the quote
// exports (skipped responses, speakers, placeholders, names asked for, XML and 576-byte records, failures).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "dialogue/export_text.h"
#include "dialogue/quote_export.h"
#include "dialogue/text_util.h"
#include "fixture_builder.h"
#include "npclist/npc_list.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;
using namespace fixture::tools;
using testutil::TempDir;

namespace {

std::string Crea(std::string_view id, std::string_view name) {
    return Record("CREA", ZSub("NAME", id) + ZSub("FNAM", name) + Sub("NPDT", std::string(96, '\0')) +
                              Sub("FLAG", U32(0)));
}

// A faction with the given rank names (each a 32-byte slot as stored).
std::string Faction(std::string_view id, const std::vector<std::string>& ranks) {
    std::string body = ZSub("NAME", id) + ZSub("FNAM", id);
    for (const std::string& r : ranks) body += Sub("RNAM", Fixed(r, 32));
    body += Sub("FADT", std::string(240, '\0'));
    return Record("FACT", body);
}

// The names of a plain-text list, in order: each NPC block is seven lines and an empty one, the name first.
std::vector<std::string> ListedNames(const std::string& text) {
    std::vector<std::string> out;
    const std::string marker = "\r\n***To be asigned***\r\n\r\n";
    size_t end = 0;
    for (size_t p = text.find(marker); p != std::string::npos; p = text.find(marker, end)) {
        size_t start = p;
        for (int line = 0; line < 6; ++line) start = text.rfind("\r\n", start - 1);
        start = start == std::string::npos ? 0 : start + 2;
        out.push_back(text.substr(start, text.find("\r\n", start) - start));
        end = p + marker.size();
    }
    return out;
}

struct Loaded {
    TempDir dir;
    RecordStore store;
    std::string path = dir.file("Town.esp");
    explicit Loaded(const std::string& bytes) {
        testutil::WriteFile(path, bytes);
        testutil::Load(bytes, store);
    }
    // Runs the export to a file; returns its bytes.
    std::string list(const NpcListOptions& o, FakeUi& ui, NpcListResult expected = NpcListResult::Listed) {
        std::string out = dir.file("list.out");
        EXPECT_EQ(ExportNpcList(out, o, store, ui, path), expected);
        return testutil::ReadFile(out);
    }
    // The names listed by the plain-text export, in order.
    std::vector<std::string> names(NpcListOptions o) {
        FakeUi ui;
        int32_t count = 0;
        o.markup = NpcListMarkup::PureText;
        std::vector<std::string> out = ListedNames(BuildNpcList(o, store, ui, count));
        EXPECT_EQ(static_cast<size_t>(count), out.size());
        return out;
    }
};

NpcListOptions Opts(std::string text, NpcListMarkup m = NpcListMarkup::PureText, bool clones = false) {
    return {std::move(text), m, clones};
}

std::string Block(std::string_view name, std::string_view gender, std::string_view race, std::string_view cls,
                  std::string_view faction) {
    return std::string(name) + "\r\n" + std::string(gender) + "\r\n" + std::string(race) + "\r\n" +
           std::string(cls) + "\r\n" + std::string(faction) +
           "\r\n***Description***\r\n***To be asigned***\r\n\r\n";
}

std::string Quote(std::string_view text, std::string_view npc, std::string_view city) {
    return "<quote><text>" + std::string(text) + "</text><npc>" + std::string(npc) + "</npc><city>" +
           std::string(city) + "</city></quote>";
}

} // namespace

TEST(NpcList, PlainTextListsTheNpcsOfMatchingCellsUnderTheirHeadings) {
    Loaded f(File({Npc("ralen", "Ralen Hlaalo", "Dark Elf", "Noble", "", true),
                   Npc("tarvus", "Tarvus", "Imperial", "Trader"), Crea("rat", "Rat"),
                   Cell("Balmora, Guild", {"ralen", "rat", "chair_01", "TARVUS"}),
                   Cell("Balmora", {"tarvus"}, "West Gash", -3, -2)}));
    FakeUi ui;
    std::string text = f.list(Opts("Balmora"), ui);
    EXPECT_EQ(text, "Balmora, Guild:\r\n\r\n" + Block("Ralen Hlaalo", "F", "Dark Elf", "Noble", "None") +
                        Block("Tarvus", "M", "Imperial", "Trader", "None") + "\r\n\r\n\r\n" +
                        "Balmora (-3, -2):\r\n\r\n" + Block("Tarvus", "M", "Imperial", "Trader", "None") +
                        "\r\n\r\n\r\nTotal NPCs: 3");
    EXPECT_EQ(ui.log, (std::vector<std::string>{
                          "-Generating NPC List for cell \"*Balmora*\" from \"Town.esp\"...",
                          "-Listed 3 NPCs in \"list.out\" successfully.",
                      }));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 1.0, 0.0}));
}

TEST(NpcList, CellNamesMatchWithTheirCapitalsAndEveryReferenceIsListed) {
    Loaded f(File({Npc("a", "Aldam"), Npc("b", "Beron"), Npc("c", "Cilra"), Cell("Caldera, Mine", {"a"}),
                   Cell("caldera house", {"b"}), Cell("Old Caldera", {"c"}), Cell("Vivec", {"a"})}));
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"Cal", {"Aldam", "Cilra"}}, {"cal", {"Beron"}}, {"CAL", {}}, {"a", {"Aldam", "Beron", "Cilra"}}};
    for (const auto& [text, names] : cases) EXPECT_EQ(f.names(Opts(text)), names) << text;

    // Placed twice in one cell: listed and counted twice. An ID with two NPC records (the second in other
    // capitals): both records at each reference, in table order.
    Loaded g(File({Npc("twin", "Twin One"), Npc("solo", "Solo"), Npc("TWIN", "Twin Two"),
                   Npc("\xC9lise", "Elise"), Cell("Hall", {"solo", "Twin", "solo", "nothing", "\xE9LISE"})}));
    EXPECT_EQ(g.names(Opts("Hall")),
              (std::vector<std::string>{"Solo", "Twin One", "Twin Two", "Solo", "Elise"}));
}

TEST(NpcList, ClonesAreLeftOutUnlessAskedFor) {
    Loaded f(File({Npc("g", "Hlaalu Guard"), Npc("c1", "Cattle"), Npc("c2", "Cattle Herder"),
                   Npc("n", "Nerevar"), Cell("Yard", {"g", "c1", "c2", "n"})}));
    EXPECT_EQ(f.names(Opts("Yard")), (std::vector<std::string>{"Cattle Herder", "Nerevar"}));
    EXPECT_EQ(f.names(Opts("Yard", NpcListMarkup::PureText, true)),
              (std::vector<std::string>{"Hlaalu Guard", "Cattle", "Cattle Herder", "Nerevar"}));
    for (const char* clone : {"guard",           "GUARD",           "Guardian",
                              "Redoran Guard",   "Ordinator",       "dead ordinator",
                              "Imperial Archer", "Dreamer",         "Dead Dreamer",
                              "Dreamer Worker",  "Adventurer",      "Lost Adventurers",
                              "Player",          "Vampire",         "PlayerSaveGame",
                              "Egg Miner",       "Dead Egg Miner",  "Dead Body",
                              "Cattle",          "Buoyant Armiger", "Imperial Sharpshooter",
                              "Worshipper"})
        EXPECT_TRUE(IsCloneName(clone)) << clone;
    for (const char* named :
         {"", "Gaurd", "Ordinators", "Imperial Archers", "Dreamers", "Vampire Lord", "Egg Miner Boss", "Dead",
          "Dead Body Snatcher", "Cattle Herder", "Worshippers", "Armiger", "Players"})
        EXPECT_FALSE(IsCloneName(named)) << named;
}

TEST(NpcList, FactionsShowTheRankNameOfEveryRecordOfTheFaction) {
    const std::vector<std::string> ranks{"Hireling",   "Retainer",          "Oathman",       "Lawman",
                                         "Kinsman",    "House Cousin",      "House Brother", "House Father",
                                         "Councilman", std::string(32, 'G')};
    Loaded f(File({Faction("Hlaalu", ranks), Faction("Temple", {"Layman", std::string("Novice\0junk", 11)}),
                   Faction("TEMPLE", {"Initiate", "Acolyte"}), Npc("n1", "No Faction"),
                   Npc("n2", "One Letter", "Dark Elf", "Commoner", "X"),
                   Npc("n3", "Undefined", "Dark Elf", "Commoner", "Twin Lamps", false, 3),
                   Npc("n4", "Short Form", "Dark Elf", "Commoner", "hlaalu", false, 2),
                   Npc("n5", "Long Form", "Dark Elf", "Commoner", "Hlaalu", false, 8, true),
                   Npc("n6", "Twice", "Dark Elf", "Commoner", "Temple", false, 1),
                   Npc("n7", "Top Rank", "Dark Elf", "Commoner", "Hlaalu", false, 9, true),
                   Npc("n8", "Past Ten", "Dark Elf", "Commoner", "Hlaalu", false, 10),
                   Npc("n9", "Unnamed Slot", "Dark Elf", "Commoner", "Temple", false, 5),
                   Cell("Hall", {"n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8", "n9"})}));
    std::vector<std::string> factions;
    for (const NPC_Record& npc : f.store.tblNPC_) factions.push_back(FactionText(npc, f.store.tblFACT));
    EXPECT_EQ(factions, (std::vector<std::string>{
                            "None",
                            "None",                  // a faction ID of one character
                            "Twin Lamps, ",          // a faction the file does not define
                            "hlaalu, Oathman",       // the short NPDT's byte 4, the ID as the NPC stores it
                            "Hlaalu, Councilman",    // the long NPDT's byte 46
                            "Temple, NoviceAcolyte", // both records, the rank name cut at its zero
                            "Hlaalu, " + std::string(32, 'G'), // a rank name without a zero: all 32
                            "Hlaalu, ",                        // no rank above 9
                            "Temple, ",                        // unnamed slots give nothing
                        }));
    EXPECT_EQ(FactionText(f.store.tblNPC_.at(3), {}), "hlaalu, ") << "no faction table at all";

    EXPECT_EQ(f.names(Opts("Hall")).size(), 9u);
}

// With no NPC listed, each markup writes its header and tail around the count alone: the same as with one
// NPC listed, less the cell and its block. (The full markups are pinned by the golden outputs.)
TEST(NpcList, EachMarkupWithoutNpcsKeepsItsHeaderAndTail) {
    Loaded one(File({Npc("ralen", "Ralen"), Cell("Fort", {"ralen"})}));
    Loaded none(File({Npc("g", "Guard"), Crea("rat", "Rat"), Cell("Fort", {"g", "rat"})}));
    for (NpcListMarkup m : {NpcListMarkup::PureText, NpcListMarkup::PhpBB, NpcListMarkup::Html}) {
        FakeUi ui, noneUi;
        const std::string listed = one.list(Opts("Fort", m), ui);
        // A guard is a clone and a rat no NPC: nothing listed.
        const std::string empty = none.list(Opts("Fort", m), noneUi, NpcListResult::NoneListed);
        const size_t head = empty.find("Total NPCs: 0"), cell = listed.find("Fort:");
        ASSERT_NE(head, std::string::npos) << empty;
        EXPECT_EQ(listed.substr(0, cell), empty.substr(0, head));
        EXPECT_TRUE(listed.ends_with("Total NPCs: 1" + empty.substr(head + 13))) << listed;
        EXPECT_EQ(noneUi.log.back(), "-No NPCs found in given cell in \"Town.esp\"");
    }
}

TEST(NpcList, ProgressRunsOverTheCells) {
    Loaded one(File({Npc("n", "Nerevar"), Cell("Only", {"n"})}));
    Loaded three(File({Npc("n", "Nerevar"), Cell("A", {"n"}), Cell("B", {"n"}), Cell("C", {"n"})}));
    FakeUi ui, ui3;
    one.list(Opts("Only"), ui);
    three.list(Opts("B"), ui3);
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.0})) << "a single cell sets 0, then the end sets 0";
    EXPECT_EQ(ui3.progress, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));
}

TEST(NpcList, CountChecksAndTheCellQuestion) {
    FakeUi ui;
    EXPECT_EQ((std::vector<bool>{CheckNpcListCounts(0, 5, ui), CheckNpcListCounts(3, -1, ui),
                                 CheckNpcListCounts(0, 0, ui), CheckNpcListCounts(1, 1, ui)}),
              (std::vector<bool>{false, false, false, true}));
    // Cells are checked first.
    std::vector<std::string> shown;
    for (const ShownMessage& m : ui.messages) shown.push_back(m.text);
    EXPECT_EQ(shown,
              (std::vector<std::string>{"No cells found in current file.", "No NPCs found in current file.",
                                        "No cells found in current file."}));

    ui.inputs = {"Bal", "", std::nullopt};
    EXPECT_EQ(AskNpcListCellText(ui), std::optional<std::string>("Bal"));
    EXPECT_EQ(AskNpcListCellText(ui), std::nullopt);
    EXPECT_EQ(AskNpcListCellText(ui), std::nullopt);
}

TEST(NpcList, AListThatCannotBeWrittenIsReported) {
    Loaded f(File({Npc("n", "Nerevar"), Cell("Hall", {"n"})}));
    FakeUi ui;
    std::string out = f.dir.file("no-such-folder/list.txt");
    EXPECT_EQ(ExportNpcList(out, Opts("Hall"), f.store, ui, f.path), NpcListResult::WriteFailed);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.log.back(), "-An error occured during NPC listing. The list may be incomplete.");
    EXPECT_EQ(ui.progress.back(), 0.0);

    // A read-only file is left as it was.
    std::string locked = f.dir.file("locked.txt");
    testutil::WriteFile(locked, "keep me");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    FakeUi ro;
    EXPECT_EQ(ExportNpcList(locked, Opts("Hall"), f.store, ro, f.path), NpcListResult::WriteFailed);
    EXPECT_EQ(testutil::ReadFile(locked), "keep me");
    EXPECT_EQ(ro.messages.size(), 1u);
}

// Runs the quote export of the loaded file to `name` with the given answers; returns what was written.
std::string Quotes(Loaded& f, const std::string& name, FakeUi& ui,
                   ExportResult expected = ExportResult::Exported) {
    const std::string out = f.dir.file(name);
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), expected);
    return testutil::ReadFile(out);
}

TEST(QuoteExport, SkipsResponsesWithoutActorOrWithPlayerPlaceholdersAndEscapesNothing) {
    Loaded f(File({Npc("fargoth", "Fargoth"), Npc("a&b", "<Ann & Bo>"), Dial("Greeting"),
                   Info("1", "A journal line.", "", ""), Info("2", "Hello, %pcname."),
                   Info("3", "Well met, %RANK."), Info("4", "Hello there."),
                   Info("5", "100% PCs? No, 100%Pc."), Info("6", "1 < 2 & \"q\" </text>", "", "a&b")}));
    FakeUi ui;
    ui.inputs = {"Vivec & <Sons>"};
    EXPECT_EQ(Quotes(f, "q.xml", ui), "<quotes>" + Quote("Hello there.", "Fargoth", "Vivec & <Sons>") +
                                          Quote("1 < 2 & \"q\" </text>", "<Ann & Bo>", "Vivec & <Sons>") +
                                          "</quotes>");
    // The log line counts every response of the file, the skipped ones too.
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-Exported 6 responses from \"Town.esp\" successfully."}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.2, 0.4, 0.6, 0.8, 1.0, 0.0}));
}

TEST(QuoteExport, FillsPlaceholdersInAnyCaseInTheirOrder) {
    // The class ID holds "%Name", which the later pass fills; the race holds "%class", which stays, because
    // the class pass is over when the race is put in.
    Loaded f(
        File({Npc("trader", "Ralen", "x%classx", "Trader %Name", "Hlaalu"), Dial("Greeting"),
              Info("1", "I am %NAME, a %Class of %rAcE blood, %FACTION sworn. %name! %Nam", "", "TRADER")}));
    FakeUi ui;
    ui.inputs = {"Balmora"};
    EXPECT_EQ(Quotes(f, "q.xml", ui),
              "<quotes>" +
                  Quote("I am Ralen, a Trader Ralen of x%classx blood, Hlaalu sworn. Ralen! %Nam", "Ralen",
                        "Balmora") +
                  "</quotes>");
    QuoteSpeaker s{"N", "R", "C", "F"};
    EXPECT_EQ(QuoteText("%CLASS%class%Race%RACE%faction%NAME%", s), "CCRRFN%");
    EXPECT_EQ(QuoteText("%%name%%", s), "%N%%") << "a match starts at the first place it can";
}

TEST(QuoteExport, FindsTheFirstNpcThenTheCreatureIgnoringCase) {
    Loaded f(File({Npc("Vivec", "Vivec the First", "Chimer", "God", "Tribunal"),
                   Npc("VIVEC", "Vivec the Second", "Dunmer", "Poet", "Temple"),
                   Crea("vivec", "Vivec Creature"), Crea("ViVeC", "Second Creature"), Crea("scrib", "Scrib"),
                   Dial("Greeting"), Info("1", "%Name, %race %class of the %faction.", "", "vivec"),
                   Info("2", "%Name %race.", "", "SCRIB")}));
    // The creature's name wins; race, class and faction of the first NPC.
    const QuoteSpeakers speakers(f.store);
    const QuoteSpeaker v = speakers.find("vIVEC"), scrib = speakers.find("Scrib");
    EXPECT_EQ(std::tie(v.name, v.race, v.cls, v.faction),
              std::make_tuple("Vivec Creature", "Chimer", "God", "Tribunal"));
    EXPECT_EQ(std::tie(scrib.name, scrib.race, scrib.cls, scrib.faction),
              std::make_tuple("Scrib", "", "", ""));
    FakeUi ui;
    ui.inputs = {std::nullopt}; // a cancelled city question gives an empty city
    EXPECT_EQ(Quotes(f, "q.xml", ui),
              "<quotes>" + Quote("Vivec Creature, Chimer God of the Tribunal.", "Vivec Creature", "") +
                  Quote("Scrib .", "Scrib", "") + "</quotes>");
}

TEST(QuoteExport, UnknownActorsAndEmptyNamesGetTheActorIdInProperCase) {
    Loaded f(File({Npc("nameless", ""), Dial("Greeting"),
                   Info("1", "I am %Name the %class.", "", "  old_MAN jones "),
                   Info("2", "No name.", "", "Nameless")}));
    EXPECT_EQ(FallbackQuoteName("o'NEILL"), "O'neill");
    FakeUi ui;
    ui.inputs = {"Ald'ruhn"};
    // The XML export asks nothing about names, not even for a name with "_".
    EXPECT_EQ(Quotes(f, "q.xml", ui), "<quotes>" + Quote("I am  the .", "Old_man Jones", "Ald'ruhn") +
                                          Quote("No name.", "Nameless", "Ald'ruhn") + "</quotes>");
    EXPECT_EQ(ui.inputPrompts.size(), 1u);
}

TEST(QuoteExport, QuoteFileHoldsOneRecordOf576BytesPerQuoteWithFieldsCut) {
    const std::string name32(32, 'N'), name40(40, 'L');
    Loaded f(File({Npc("plain", "Plain Name"), Npc("exact", name32), Npc("long", name40), Dial("Greeting"),
                   Info("1", "Short text.", "", "plain"), Info("2", std::string(600, 'x'), "", "exact"),
                   Info("3", "%Name", "", "long"), Info("4", "skipped", "", "")}));
    FakeUi ui;
    ui.inputs = {"A city name that is longer than thirty-two letters"};
    const std::string city = "A city name that is longer than ";
    // The text keeps the full name.
    EXPECT_EQ(Quotes(f, "quotes.BRQ", ui), Brq("Plain Name", city, "Short text.") +
                                               Brq(name32, city, std::string(600, 'x')) +
                                               Brq(name40, city, name40));
    EXPECT_EQ(ui.log.back(), "-Exported 4 responses from \"Town.esp\" successfully.");
}

TEST(QuoteExport, QuoteFileAsksForNamesHoldingAnUnderscore) {
    Loaded f(File({Npc("guard_1", "Hlaalu_Guard"), Npc("guard_2", "Redoran_Guard"),
                   Npc("guard_3", "Telvanni_Guard"), Npc("silent one", ""), Dial("Greeting"),
                   Info("1", "Halt.", "", "guard_1"), Info("2", "Move along.", "", "guard_2"),
                   Info("3", "Begone.", "", "guard_3"), Info("4", "Woof.", "", "stray_dog"),
                   Info("5", "Again.", "", "guard_1"), Info("6", "...", "", "silent one"),
                   Info("7", "Who?", "", "MISSING person")}));
    FakeUi ui;
    ui.inputs = {"Vivec",
                 "Dreven",        // guard_1: the answer is used
                 std::nullopt,    // guard_2: cancelled: the ID in proper case, which holds "_", is asked
                 "Second Answer", //   and the answer to that question is used
                 "",              // guard_3: empty: the same second question
                 std::nullopt,    //   cancelled too: an empty name
                 "Rover",         // stray_dog: no speaker, so only the second question
                 std::nullopt,    // guard_1 again: asked again
                 std::nullopt};
    // IDs in proper case without "_" are used without asking.
    EXPECT_EQ(Quotes(f, "q.brq", ui),
              Brq("Dreven", "Vivec", "Halt.") + Brq("Second Answer", "Vivec", "Move along.") +
                  Brq("", "Vivec", "Begone.") + Brq("Rover", "Vivec", "Woof.") + Brq("", "Vivec", "Again.") +
                  Brq("Silent One", "Vivec", "...") + Brq("Missing Person", "Vivec", "Who?"));
    EXPECT_EQ(ui.inputPrompts, (std::vector<std::string>{
                                   "Please, enter the name of the city to export from:",
                                   "Enter a name for the NPC:\r\n\r\nHlaalu_Guard",
                                   "Enter a name for the NPC:\r\n\r\nRedoran_Guard", "Guard_2",
                                   "Enter a name for the NPC:\r\n\r\nTelvanni_Guard", "Guard_3", "Stray_dog",
                                   "Enter a name for the NPC:\r\n\r\nHlaalu_Guard", "Guard_1"}));
}

TEST(QuoteExport, WithoutResponsesOrAFileToWriteTheErrorIsReported) {
    const std::vector<std::string> failed = {"-An error occured during dialogue exporting."};
    for (const std::string& bytes : {File({Dial("lonely")}), File({Dial("t"), Info("", "no id")})}) {
        Loaded f(bytes);
        FakeUi xml, brq;
        testutil::WriteFile(f.dir.file("none.xml"), "old content");
        EXPECT_EQ(Quotes(f, "none.xml", xml, ExportResult::NoResponses), "<quotes>");
        EXPECT_EQ(std::make_tuple(xml.inputPrompts.size(), xml.messages.size()), std::make_tuple(1u, 1u))
            << "reported after the city question";
        EXPECT_EQ(std::tie(xml.log, xml.progress), std::make_tuple(failed, std::vector<double>{0.0}));
        // The quote file export writes an empty file and shows no message.
        EXPECT_EQ(Quotes(f, "none.brq", brq, ExportResult::NoResponses), "");
        EXPECT_TRUE(std::filesystem::exists(f.dir.file("none.brq")) && brq.messages.empty());
        EXPECT_EQ(brq.log, failed);
    }
    Loaded f(File({Npc("a", "A"), Dial("Greeting"), Info("1", "Hello.", "", "a")}));
    FakeUi ui;
    EXPECT_EQ(ExportDialogue(f.dir.file("missing-folder/q.xml"), f.store, ui, f.path),
              ExportResult::WriteFailed);
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("missing-folder")));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.log, failed);
}
