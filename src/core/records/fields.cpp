#include "records/fields.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "esfile/body.h"

namespace vellum {

namespace {

// One row: a record tag ("*" for every record), a subrecord tag and its layout, written as "z" (a
// zero-terminated string), "t" (text) or fields "Name:type" separated by spaces, where type is i8, u8, i16,
// u16, i32, u32, u64, f32 or cN (a text of N bytes), and "*N" after it makes a list of N values. Layouts
// follow the game's own file layout; a subrecord whose bytes do not fit its row is shown as hex.
struct Row {
    const char* record;
    const char* sub;
    const char* layout;
};

constexpr const char* kPosition = "PosX:f32 PosY:f32 PosZ:f32 RotX:f32 RotY:f32 RotZ:f32";
constexpr const char* kEffect =
    "Effect:i16 Skill:i8 Attribute:i8 Range:i32 Area:i32 Duration:i32 MagnitudeMin:i32 MagnitudeMax:i32";

const Row kRows[] = {
    // Subrecords that mean the same in every record.
    {"*", "NAME", "z"},
    {"*", "FNAM", "z"},
    {"*", "MODL", "z"},
    {"*", "ICON", "z"},
    {"*", "ITEX", "z"},
    {"*", "SCRI", "z"},
    {"*", "DESC", "t"},
    {"*", "DELE", "Deleted:i32"},
    {"*", "NPCO", "Count:i32 Item:c32"},
    {"*", "NPCS", "Spell:c32"},
    {"*", "XSCL", "Scale:f32"},
    {"*", "ENAM", "z"},
    {"*", "BNAM", "z"},
    {"*", "CNAM", "z"},
    {"*", "ANAM", "z"},
    {"*", "SNAM", "z"},
    {"*", "RNAM", "z"},
    {"*", "KNAM", "z"},
    {"*", "DNAM", "z"},
    {"*", "TNAM", "z"},
    {"*", "INTV", "Value:i32"},
    {"*", "FLTV", "Value:f32"},
    {"*", "INDX", "Index:i32"},
    {"*", "FLAG", "Flags:i32"},
    // The header.
    {"TES3", "HEDR", "Version:f32 FileType:i32 Author:c32 Description:c256 Records:i32"},
    {"TES3", "MAST", "z"},
    {"TES3", "DATA", "Size:u64"},
    // Settings, globals, character.
    {"GMST", "STRV", "t"},
    {"GLOB", "FNAM", "t"},
    {"CLAS", "CLDT", "Attributes:i32*2 Specialization:i32 Skills:i32*10 Playable:i32 Services:i32"},
    {"FACT", "RNAM", "Rank:c32"},
    {"FACT", "FADT", "Attributes:i32*2 Ranks:i32*50 Skills:i32*7 Unknown:i32 Flags:i32"},
    {"FACT", "INTV", "Reaction:i32"},
    {"RACE", "RADT", "Skills:i32*14 Attributes:i32*16 Height:f32*2 Weight:f32*2 Flags:i32"},
    {"SOUN", "DATA", "Volume:u8 MinRange:u8 MaxRange:u8"},
    {"SKIL", "INDX", "Skill:i32"},
    {"SKIL", "SKDT", "Attribute:i32 Specialization:i32 UseValues:f32*4"},
    {"MGEF", "INDX", "Effect:i32"},
    {"MGEF", "MEDT",
     "School:i32 BaseCost:f32 Flags:i32 Red:i32 Green:i32 Blue:i32 SpeedX:f32 SizeX:f32 SizeCap:f32"},
    {"MGEF", "PTEX", "z"},
    {"MGEF", "CVFX", "z"},
    {"MGEF", "BVFX", "z"},
    {"MGEF", "HVFX", "z"},
    {"MGEF", "AVFX", "z"},
    {"MGEF", "CSND", "z"},
    {"MGEF", "BSND", "z"},
    {"MGEF", "HSND", "z"},
    {"MGEF", "ASND", "z"},
    {"SCPT", "SCHD", "Name:c32 Shorts:i32 Longs:i32 Floats:i32 DataSize:i32 LocalsSize:i32"},
    {"SCPT", "SCVR", "t"},
    {"SCPT", "SCTX", "t"},
    {"REGN", "WEAT", "Clear:u8 Cloudy:u8 Foggy:u8 Overcast:u8 Rain:u8 Thunder:u8 Ash:u8 Blight:u8"},
    {"REGN", "WEAT",
     "Clear:u8 Cloudy:u8 Foggy:u8 Overcast:u8 Rain:u8 Thunder:u8 Ash:u8 Blight:u8 Snow:u8 Blizzard:u8"},
    {"REGN", "CNAM", "Red:u8 Green:u8 Blue:u8 Alpha:u8"},
    {"REGN", "SNAM", "Sound:c32 Chance:u8"},
    {"LTEX", "DATA", "z"},
    // Objects.
    {"MISC", "MCDT", "Weight:f32 Value:i32 Unknown:i32"},
    {"WEAP", "WPDT",
     "Weight:f32 Value:i32 Type:i16 Health:u16 Speed:f32 Reach:f32 Enchantment:u16 ChopMin:u8 ChopMax:u8 "
     "SlashMin:u8 SlashMax:u8 ThrustMin:u8 ThrustMax:u8 Flags:i32"},
    {"CONT", "CNDT", "Weight:f32"},
    {"SPEL", "SPDT", "Type:i32 Cost:i32 Flags:i32"},
    {"SPEL", "ENAM", kEffect},
    {"ENCH", "ENDT", "Type:i32 Cost:i32 Charge:i32 Flags:i32"},
    {"ENCH", "ENAM", kEffect},
    {"ALCH", "ALDT", "Weight:f32 Value:i32 AutoCalc:i32"},
    {"ALCH", "ENAM", kEffect},
    {"ALCH", "TEXT", "z"},
    {"BODY", "BYDT", "Part:u8 Vampire:u8 Flags:u8 Type:u8"},
    {"LIGH", "LHDT", "Weight:f32 Value:i32 Time:i32 Radius:i32 Red:u8 Green:u8 Blue:u8 Alpha:u8 Flags:i32"},
    {"ARMO", "AODT", "Type:i32 Weight:f32 Value:i32 Health:i32 Enchantment:i32 Armor:i32"},
    {"ARMO", "INDX", "Part:u8"},
    {"CLOT", "CTDT", "Type:i32 Weight:f32 Value:u16 Enchantment:u16"},
    {"CLOT", "INDX", "Part:u8"},
    {"REPA", "RIDT", "Weight:f32 Value:i32 Uses:i32 Quality:f32"},
    {"APPA", "AADT", "Type:i32 Quality:f32 Weight:f32 Value:i32"},
    {"LOCK", "LKDT", "Weight:f32 Value:i32 Quality:f32 Uses:i32"},
    {"PROB", "PBDT", "Weight:f32 Value:i32 Quality:f32 Uses:i32"},
    {"INGR", "IRDT", "Weight:f32 Value:i32 Effects:i32*4 Skills:i32*4 Attributes:i32*4"},
    {"BOOK", "BKDT", "Weight:f32 Value:i32 Scroll:i32 Skill:i32 Enchantment:i32"},
    {"BOOK", "TEXT", "t"},
    {"LEVI", "DATA", "Flags:i32"},
    {"LEVI", "NNAM", "Chance:u8"},
    {"LEVI", "INDX", "Count:i32"},
    {"LEVI", "INAM", "z"},
    {"LEVI", "INTV", "Level:i16"},
    {"LEVC", "DATA", "Flags:i32"},
    {"LEVC", "NNAM", "Chance:u8"},
    {"LEVC", "INDX", "Count:i32"},
    {"LEVC", "INTV", "Level:i16"},
    {"SNDG", "DATA", "Type:i32"},
    {"SSCR", "DATA", "z"},
    // Actors.
    {"NPC_", "NPDT",
     "Level:i16 Attributes:u8*8 Skills:u8*27 Unknown:u8 Health:u16 Magicka:u16 Fatigue:u16 Disposition:u8 "
     "Reputation:u8 Rank:u8 Unknown2:u8 Gold:i32"},
    {"NPC_", "NPDT", "Level:i16 Disposition:u8 Reputation:u8 Rank:u8 Unknown:u8*3 Gold:i32"},
    {"CREA", "NPDT",
     "Type:i32 Level:i32 Attributes:i32*8 Health:i32 Magicka:i32 Fatigue:i32 Soul:i32 Combat:i32 Magic:i32 "
     "Stealth:i32 Attacks:i32*6 Gold:i32"},
    {"*", "AIDT", "Hello:u8 Unknown:u8 Fight:u8 Flee:u8 Alarm:u8 Unknown2:u8*3 Services:i32"},
    {"*", "DODT", kPosition},
    {"*", "AI_W", "Distance:i16 Duration:i16 TimeOfDay:u8 Idles:u8*8 Repeat:u8"},
    {"*", "AI_T", "X:f32 Y:f32 Z:f32 Unknown:i32"},
    {"*", "AI_E", "X:f32 Y:f32 Z:f32 Duration:i16 Target:c32 Unknown:i16"},
    {"*", "AI_F", "X:f32 Y:f32 Z:f32 Duration:i16 Target:c32 Unknown:i16"},
    {"*", "AI_A", "Target:c32 Unknown:u8"},
    {"*", "CNDT", "z"},
    // Cells and their references.
    {"CELL", "DATA", "Flags:i32 GridX:i32 GridY:i32"},
    {"CELL", "DATA", kPosition},
    {"CELL", "RGNN", "z"},
    {"CELL", "NAM0", "References:i32"},
    {"CELL", "NAM5", "Color:i32"},
    {"CELL", "WHGT", "Water:f32"},
    {"CELL", "AMBI", "Ambient:u32 Sunlight:u32 Fog:u32 FogDensity:f32"},
    {"CELL", "FRMR", "Index:u32"},
    {"CELL", "MVRF", "Index:u32"},
    {"CELL", "CNDT", "GridX:i32 GridY:i32"},
    {"CELL", "UNAM", "Blocked:u8"},
    {"CELL", "INTV", "Health:i32"},
    {"CELL", "NAM9", "Count:i32"},
    {"CELL", "XSOL", "z"},
    {"CELL", "XCHG", "Charge:f32"},
    {"CELL", "FLTV", "Lock:i32"},
    {"PGRD", "DATA", "GridX:i32 GridY:i32 Flags:u16 Points:u16"},
    {"LAND", "INTV", "GridX:i32 GridY:i32"},
    {"LAND", "DATA", "Flags:i32"},
    // Dialogue.
    {"DIAL", "DATA", "Type:u8"},
    {"DIAL", "DATA", "Type:u8 Unknown:u8*3"},
    {"INFO", "INAM", "z"},
    {"INFO", "PNAM", "z"},
    {"INFO", "NNAM", "z"},
    {"INFO", "DATA", "Type:u8 Unknown:u8*3 Disposition:i32 Rank:i8 Sex:i8 PCRank:i8 Unknown2:u8"},
    {"INFO", "ONAM", "z"},
    {"INFO", "NAME", "t"},
    {"INFO", "SCVR", "t"},
    {"INFO", "BNAM", "t"},
    {"INFO", "QSTN", "Name:u8"},
    {"INFO", "QSTF", "Finished:u8"},
    {"INFO", "QSTR", "Restart:u8"},
};

// Which subrecord gives a record's ID and display name, where it is not NAME and FNAM.
struct NamingRow {
    const char* record;
    const char* id;
    const char* name;
};
const NamingRow kNaming[] = {
    {"INFO", "INAM", "NAME"},
    {"LAND", "INTV", "INTV"},
};

FieldType ParseType(std::string_view t, uint32_t& chars) {
    static const std::map<std::string_view, FieldType> types = {
        {"i8", FieldType::I8},   {"u8", FieldType::U8},   {"i16", FieldType::I16}, {"u16", FieldType::U16},
        {"i32", FieldType::I32}, {"u32", FieldType::U32}, {"u64", FieldType::U64}, {"f32", FieldType::F32}};
    if (auto it = types.find(t); it != types.end()) return it->second;
    if (t.size() > 1 && t[0] == 'c') {
        chars = static_cast<uint32_t>(std::stoul(std::string(t.substr(1))));
        return FieldType::Chars;
    }
    throw std::logic_error("unknown field type in the field table: " + std::string(t));
}

SubLayout ParseLayout(std::string_view text) {
    SubLayout l;
    if (text == "z" || text == "t") {
        l.kind = text == "z" ? SubKind::ZString : SubKind::Text;
        return l;
    }
    while (!text.empty()) {
        const size_t end = std::min(text.find(' '), text.size());
        std::string_view word = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const size_t colon = word.find(':'), star = word.find('*');
        FieldSpec f;
        f.name = std::string(word.substr(0, colon));
        f.type = ParseType(word.substr(colon + 1, star == std::string_view::npos ? star : star - colon - 1),
                           f.chars);
        if (star != std::string_view::npos)
            f.count = static_cast<uint32_t>(std::stoul(std::string(word.substr(star + 1))));
        l.bytes += f.bytes();
        l.fields.push_back(std::move(f));
    }
    return l;
}

struct Table {
    std::vector<std::unique_ptr<SubLayout>> layouts;
    // (record tag or 0 for every record, subrecord tag) -> layouts, the record's own first.
    std::map<std::pair<uint32_t, uint32_t>, std::vector<const SubLayout*>> own, shared;
};

const Table& TheTable() {
    static const Table table = [] {
        Table t;
        for (const Row& r : kRows) {
            t.layouts.push_back(std::make_unique<SubLayout>(ParseLayout(r.layout)));
            const bool every = std::string_view(r.record) == "*";
            auto& map = every ? t.shared : t.own;
            map[{every ? 0 : TagValue(r.record), TagValue(r.sub)}].push_back(t.layouts.back().get());
        }
        return t;
    }();
    return table;
}

} // namespace

size_t FieldSpec::bytes() const {
    switch (type) {
    case FieldType::I8:
    case FieldType::U8: return count;
    case FieldType::I16:
    case FieldType::U16: return 2 * size_t(count);
    case FieldType::I32:
    case FieldType::U32:
    case FieldType::F32: return 4 * size_t(count);
    case FieldType::U64: return 8 * size_t(count);
    case FieldType::Chars: return size_t(chars) * count;
    }
    return 0;
}

std::span<const SubLayout* const> SubLayoutsOf(uint32_t recordTag, uint32_t subTag) {
    const Table& t = TheTable();
    if (auto it = t.own.find({recordTag, subTag}); it != t.own.end()) return it->second;
    if (auto it = t.shared.find({0, subTag}); it != t.shared.end()) return it->second;
    return {};
}

RecordNaming NamingOf(uint32_t recordTag) {
    for (const NamingRow& n : kNaming)
        if (TagValue(n.record) == recordTag) return {TagValue(n.id), TagValue(n.name)};
    return {"NAME"_tag, "FNAM"_tag};
}

} // namespace vellum
