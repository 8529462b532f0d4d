// A small byte-level builder for test files: records and subrecords written by hand, independent of the
// program's own writers, so that tests can check those writers against it.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace fixture {

// Little-endian encoders.
inline std::string U8(uint8_t v) {
    return std::string(1, static_cast<char>(v));
}
inline std::string U16(uint16_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}
inline std::string U32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}
inline std::string I32(int32_t v) {
    return U32(static_cast<uint32_t>(v));
}
inline std::string F32(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return U32(b);
}
// Exactly n bytes: s cut or padded with zeros.
inline std::string Fixed(std::string_view s, size_t n) {
    std::string r(s.substr(0, n));
    r.resize(n, '\0');
    return r;
}
inline std::string Z(std::string_view s) {
    return std::string(s) + '\0';
} // with its terminating zero

// A subrecord: tag, 32-bit size of data, data.
inline std::string Sub(std::string_view tag, std::string_view data) {
    return std::string(tag) + U32(static_cast<uint32_t>(data.size())) + std::string(data);
}
// A subrecord whose size field says something else than its data (damaged files).
inline std::string SubWithSize(std::string_view tag, uint32_t size, std::string_view data) {
    return std::string(tag) + U32(size) + std::string(data);
}
inline std::string ZSub(std::string_view tag, std::string_view s) {
    return Sub(tag, Z(s));
}
inline std::string Dele() {
    return Sub("DELE", U32(0));
}

// A record whose Size is the bytes of its subrecords.
inline std::string Record(std::string_view tag, std::string_view body, uint32_t flags = 0,
                          uint32_t header1 = 0) {
    return std::string(tag) + U32(static_cast<uint32_t>(body.size())) + U32(header1) + U32(flags) +
           std::string(body);
}
inline std::string RecordWithSize(std::string_view tag, uint32_t size, std::string_view body,
                                  uint32_t flags = 0) {
    return std::string(tag) + U32(size) + U32(0) + U32(flags) + std::string(body);
}

struct Master {
    std::string name;
    uint64_t size = 0;
};

// The HEDR subrecord: version 1.3, file type, author, description, announced count.
inline std::string Hedr(uint32_t fileType, int32_t announced, std::string_view author = "tester",
                        std::string_view description = "test file") {
    return Sub("HEDR",
               F32(1.3f) + U32(fileType) + Fixed(author, 32) + Fixed(description, 256) + I32(announced));
}

// An inventory entry, and a spell entry of `length` bytes (the game writes 32).
inline std::string Npco(int32_t count, std::string_view id) {
    return Sub("NPCO", I32(count) + Fixed(id, 32));
}
inline std::string Npcs(std::string_view id, size_t length = 32) {
    return Sub("NPCS", Fixed(id, length));
}

// A dialogue topic: its name and type (0 a topic, 2 a greeting, 4 a journal).
inline std::string Dial(std::string_view name, uint8_t type = 0, uint32_t flags = 0) {
    return Record("DIAL", ZSub("NAME", name) + Sub("DATA", U8(type)), flags);
}

// A TES3 header record.
inline std::string Header(int32_t announced, uint32_t fileType = 0, const std::vector<Master>& masters = {}) {
    std::string body = Hedr(fileType, announced);
    for (const Master& m : masters) {
        body += ZSub("MAST", m.name);
        body += Sub("DATA", U32(static_cast<uint32_t>(m.size)) + U32(static_cast<uint32_t>(m.size >> 32)));
    }
    return Record("TES3", body);
}

// A file: header announcing the number of records, then the records.
inline std::string File(const std::vector<std::string>& records, uint32_t fileType = 0,
                        const std::vector<Master>& masters = {}) {
    std::string out = Header(static_cast<int32_t>(records.size()), fileType, masters);
    for (const std::string& r : records) out += r;
    return out;
}

// Records and texts for the tests of the tools (dialogue, NPC list, clean-up, command line): in the records
// the fields the tools read, the rest filled in. In a namespace of their own: the record tests build these
// records field by field.
namespace tools {

// A condition of a response; the loop check looks for choice conditions (type 1, function 50).
struct Cond {
    char type = '1';
    std::string function = "50";
    char comparison = '0';
    int32_t value = 1;
    bool isFloat = false;
    std::string name;
};

inline Cond Choice(int32_t n, char comparison = '0') {
    return Cond{'1', "50", comparison, n, false, ""};
}

// A response in the writer's order of subrecords; an empty actor, text or result leaves its subrecord out.
// Flags 0x20 mark it deleted, type 4 a journal entry.
inline std::string Info(std::string_view id, std::string_view text, std::string_view result = "",
                        std::string_view actor = "fargoth", uint32_t flags = 0, int32_t type = 0,
                        const std::vector<Cond>& conds = {}) {
    std::string body = ZSub("INAM", id) + ZSub("PNAM", "") + Sub("DATA", I32(type) + I32(0) + U32(0));
    if (!actor.empty()) body += ZSub("ONAM", actor);
    if (!text.empty()) body += Sub("NAME", text);
    for (size_t k = 0; k < conds.size(); ++k) {
        const Cond& c = conds[k];
        body += Sub("SCVR",
                    std::string(1, static_cast<char>('0' + k)) + c.type + c.function + c.comparison + c.name);
        body += c.isFloat ? Sub("FLTV", F32(static_cast<float>(c.value))) : Sub("INTV", I32(c.value));
    }
    if (!result.empty()) body += Sub("BNAM", result);
    return Record("INFO", body, flags);
}
inline std::string Info(std::string_view id, std::string_view text, std::string_view result,
                        const std::vector<Cond>& conds, std::string_view actor = "fargoth",
                        uint32_t flags = 0) {
    return Info(id, text, result, actor, flags, 0, conds);
}

// An NPC with the fields the list shows; the rank goes to byte 4 of a short NPDT or byte 46 of a long one.
inline std::string Npc(std::string_view id, std::string_view name, std::string_view race = "Dark Elf",
                       std::string_view cls = "Commoner", std::string_view faction = "", bool female = false,
                       int rank = 0, bool longNpdt = false) {
    std::string body = ZSub("NAME", id) + ZSub("FNAM", name) + ZSub("RNAM", race) + ZSub("CNAM", cls);
    if (!faction.empty()) body += ZSub("ANAM", faction);
    std::string npdt(longNpdt ? 52 : 12, '\x05'); // filler that is no rank of the tests
    npdt[longNpdt ? 46 : 4] = static_cast<char>(rank);
    body += Sub("NPDT", npdt) + Sub("FLAG", U32(female ? 0x19 : 0x18));
    return Record("NPC_", body);
}

// A cell with references to the given IDs; a region puts its grid position in the NPC list's heading.
inline std::string Cell(std::string_view name, const std::vector<std::string>& ids,
                        std::string_view region = "", int32_t x = 0, int32_t y = 0) {
    std::string body = ZSub("NAME", name) + Sub("DATA", I32(region.empty() ? 1 : 0) + I32(x) + I32(y));
    if (!region.empty()) body += ZSub("RGNN", region);
    uint32_t i = 1;
    for (const std::string& id : ids)
        body += Sub("FRMR", U32(i++)) + ZSub("NAME", id) + Sub("DATA", std::string(24, '\0'));
    return Record("CELL", body);
}

// One quote of a quote file (.brq): name, city and text in fields of 32, 32 and 512 bytes.
inline std::string Brq(std::string_view name, std::string_view city, std::string_view text) {
    return Fixed(name, 32) + Fixed(city, 32) + Fixed(text, 512);
}

// A text that the clean-up makes `prefix` + 510 characters long: each of the 170 commas gets a blank (and
// what it becomes, with `piece` ", a").
inline std::string Growing(size_t prefix, std::string_view piece = ",a") {
    std::string s(prefix, 'x');
    for (int i = 0; i < 170; ++i) s += piece;
    return s;
}
inline std::string Grown(size_t prefix) {
    return Growing(prefix, ", a");
}

} // namespace tools

} // namespace fixture
