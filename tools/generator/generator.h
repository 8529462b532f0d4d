// Synthetic TES3 plugin generator.
//
// Builds a complete, well-formed plugin or master file byte by byte, without
// any help from the program's own readers and writers, so that tests and
// benchmarks can check those against an independent encoder. Every record is
// laid out the way the program writes it back (subrecords in the writer's
// order, zero-terminated strings with their zero, fixed-size data at its exact
// size, flag words with zero upper bytes, normalised global and setting
// values), so a generated file is read and written back to identical bytes.
// The unusual layout (GenOptions::unusualLayout) keeps that framing but not the
// game's own subrecord sizes.
//
// The output depends only on the options: the same seed gives the same bytes
// on every platform and standard library.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace vellum::gen {

struct GenOptions {
    uint64_t seed = 1;
    // Master file (file type 1, no master list) instead of a plugin that
    // depends on Morrowind.esm. Save a master as .esm, a plugin as .esp, so
    // that the file type written back matches.
    bool master = false;
    std::string author = "vellum-gen";
    std::string description = "Synthetic plugin made by vellum-gen.";
    // Name of the main town; interior cells are named "<town>, <place>".
    std::string townName = "Vellum Town";
    // A few deleted records (objects, a topic, responses, a cell, references).
    bool deletedRecords = false;
    // Moved references (MVRF) in exterior cells.
    bool movedReferences = false;
    // Subrecords as other modding tools write them, every one still framed
    // exactly: races and birthsigns name two special spells in NPCS of 15 and
    // 24 bytes (the game's tool writes 32), faction rank names (RNAM) take 20
    // bytes (not 32), and the first NPC and the first reference carry an
    // unknown XTRA subrecord among their own.
    bool unusualLayout = false;

    // Records per type.
    int gameSettings = 6;
    int globals = 3;
    int classes = 2;
    int factions = 2;
    int races = 1;
    int sounds = 2;
    int skills = 1;
    int magicEffects = 1;
    int scripts = 2;
    int regions = 1;
    int birthsigns = 1;
    int landTextures = 2;
    int statics = 4;
    int doors = 2;
    int miscItems = 2;
    int weapons = 2;
    int containers = 2;
    int spells = 2;
    int enchantments = 2;
    int bodyParts = 2;
    int lights = 2;
    int armor = 2;
    int clothing = 2;
    int repairItems = 1;
    int activators = 2;
    int apparatus = 1;
    int lockpicks = 1;
    int probes = 1;
    int ingredients = 2;
    int books = 2;
    int potions = 2;
    int levelledItems = 1;
    int levelledCreatures = 1;
    int soundGenerators = 1;
    int startScripts = 1;
    int npcs = 6;
    int creatures = 2;
    int interiorCells = 2;
    int exteriorCells = 2;
    int refsPerCell = 10; // average; NPC references come on top
    int landRecords = 1;
    int pathGrids = 1;
    int topics = 8;     // DIAL records, all five dialogue types among them
    int responses = 40; // INFO records, spread over the topics
};

struct GenStats {
    std::map<std::string, int64_t> records; // per record tag, the header (TES3) included
    int64_t totalRecords = 0;               // every record, the header included
    int64_t announcedRecords = 0;           // HEDR's record count: records after the header
    int64_t fileSize = 0;
    int64_t references = 0;           // FRMR references in all cells
    int64_t persistentReferences = 0; // references before their cell's NAM0
    int64_t npcReferences = 0;        // references whose NAME is an NPC's ID
    int64_t movedReferences = 0;
    int64_t deletedReferences = 0;
    int64_t choiceConditions = 0; // conditions of type "1", function "50"
    // Responses that a loop check must show: each has one choice condition
    // N (comparison "0") and one result line that offers choice N again.
    int64_t loopResponses = 0;
};

// A small town: a few interiors named "Vellum Town, ...", a few dozen NPCs, a
// few hundred responses under about 40 topics, a few of every other type.
GenOptions SamplePreset();
// The scale of the base game's master file: about 90 MB, 30,000 responses,
// 2,700 NPCs, 2,500 cells with about 400,000 references, 1,400 LAND records.
GenOptions MasterPreset();
// For tests: every record type, `responses` responses, everything else small.
GenOptions SmallPreset(int responses);
// About thirty records in the unusual layout (see unusualLayout): a header,
// settings, globals, a faction, a race, a birthsign, spells, a few objects and
// NPCs, an interior and an exterior cell, a topic with two responses.
GenOptions UnusualPreset();

// The whole file's bytes. Fills `stats` when given.
std::string GeneratePlugin(const GenOptions& options, GenStats* stats = nullptr);

} // namespace vellum::gen
