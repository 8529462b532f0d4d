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

} // namespace fixture
