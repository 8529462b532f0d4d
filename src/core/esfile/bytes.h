// Little-endian reading from a file held in memory, and writing into a growing buffer.
//
// The reader never reads out of bounds: bytes asked for past the end of the data read as zero bytes. Strings
// are never made much longer than the bytes that are actually there, so a hostile length cannot make it
// allocate more memory than the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace vellum {

struct Extras;

class ByteReader {
  public:
    ByteReader() = default;
    explicit ByteReader(std::string_view data) : data_(data) {}

    size_t size() const { return data_.size(); }
    size_t remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }

    uint8_t u8() {
        uint8_t v = 0;
        copyOut(&v, 1);
        return v;
    }
    uint16_t u16() { return static_cast<uint16_t>(u8() | (u8() << 8)); }
    uint32_t u32() {
        unsigned char b[4];
        copyOut(b, 4);
        return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    }
    int8_t i8() { return static_cast<int8_t>(u8()); }
    int16_t i16() { return static_cast<int16_t>(u16()); }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    uint64_t u64() {
        uint64_t lo = u32();
        return lo | (uint64_t(u32()) << 32);
    }
    float f32() {
        uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    // Exactly n characters when the data holds them; past the end the missing bytes are zero bytes, but at
    // most kMaxPadding of them are materialised (the reader is past the end in any case).
    std::string fixed(uint64_t n) {
        if (n <= remaining()) {
            std::string s(data_.data() + pos_, static_cast<size_t>(n));
            pos_ += static_cast<size_t>(n);
            return s;
        }
        return fixedPastEnd(n);
    }
    // Read into a caller-owned buffer of n bytes (missing bytes are zero).
    void bytes(void* out, size_t n) { copyOut(out, n); }
    void skip(uint64_t n);

    static constexpr size_t kMaxPadding = 1 << 16;

  private:
    void copyOut(void* out, size_t n) {
        if (n <= remaining()) {
            std::memcpy(out, data_.data() + pos_, n);
            pos_ += n;
        } else {
            copyOutPastEnd(out, n);
        }
    }
    void copyOutPastEnd(void* out, size_t n);
    std::string fixedPastEnd(uint64_t n);

    std::string_view data_;
    size_t pos_ = 0;
};

class ByteWriter {
  public:
    std::string& buffer() { return buf_; }
    const std::string& buffer() const { return buf_; }
    size_t size() const { return buf_.size(); }
    void reserve(size_t n) { buf_.reserve(n); }

    void u8(uint8_t v) { buf_.push_back(static_cast<char>(v)); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        buf_.append(b, 4);
    }
    void i8(int8_t v) { u8(static_cast<uint8_t>(v)); }
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void u64(uint64_t v) {
        u32(static_cast<uint32_t>(v));
        u32(static_cast<uint32_t>(v >> 32));
    }
    void f32(float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        u32(bits);
    }
    void raw(std::string_view s) { buf_.append(s); }
    void raw(const void* p, size_t n) { buf_.append(static_cast<const char*>(p), n); }
    // Exactly n characters: s cut or padded with zero bytes.
    void fixed(std::string_view s, size_t n);
    void tag(std::string_view t) { fixed(t, 4); }

    // Records: the header, then the subrecords; endRecord writes the Size of the bytes that followed and puts
    // the record's kept subrecords (extras) that are still due after the others. A kept subrecord goes in
    // before the first subrecord written once as many as stood before it in the file have been written.
    size_t beginRecord(std::string_view tag, int32_t header1, int32_t flags, const Extras* extras = nullptr);
    void endRecord(size_t mark);

    // Between records, hands the bytes written so far to sink once they reach threshold bytes, so that a
    // large file is written out piece by piece instead of being held whole. A failing sink stops the passing
    // on (the bytes are then kept) and is remembered in sinkFailed().
    template <class Sink> void flushTo(Sink&& sink, size_t threshold) {
        if (buf_.size() < threshold || sinkFailed_) return;
        if (!sink(std::string_view(buf_))) {
            sinkFailed_ = true;
            return;
        }
        flushed_ += buf_.size();
        buf_.clear();
    }
    bool sinkFailed() const { return sinkFailed_; }
    // Bytes handed to a sink so far.
    uint64_t flushed() const { return flushed_; }

    // Subrecords: the size field always describes the bytes that follow it. For every record read from a
    // well-formed file this is the size that was stored.
    size_t beginSub(std::string_view t) {
        if (extras_) putExtras(false);
        ++subs_;
        tag(t);
        size_t mark = buf_.size();
        u32(0);
        return mark;
    }
    void endSub(size_t mark);
    // A zero-terminated string subrecord: tag, size (characters + 1), characters, zero byte.
    void zstringSub(std::string_view tag, std::string_view s);
    // A subrecord holding the characters of s without a terminator.
    void textSub(std::string_view tag, std::string_view s);
    // The DELE subrecord of a deleted record: size 4, value 0.
    void deleSub();
    // A subrecord holding one value.
    template <class T> void valueSub(std::string_view tag, T v) {
        size_t m = beginSub(tag);
        if constexpr (std::is_same_v<T, float>)
            f32(v);
        else if constexpr (sizeof(T) == 1)
            u8(static_cast<uint8_t>(v));
        else if constexpr (sizeof(T) == 2)
            u16(static_cast<uint16_t>(v));
        else {
            static_assert(sizeof(T) == 4, "a value subrecord holds 1, 2 or 4 bytes");
            u32(static_cast<uint32_t>(v));
        }
        endSub(m);
    }

  private:
    void patch32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) buf_[at + i] = static_cast<char>(v >> (8 * i));
    }
    // Writes the kept subrecords that are due (all of them at the end of the record).
    void putExtras(bool all);

    std::string buf_;
    const Extras* extras_ = nullptr; // the kept subrecords of the record being written
    size_t nextExtra_ = 0;
    uint32_t subs_ = 0; // subrecords written in the current record
    uint64_t flushed_ = 0;
    bool sinkFailed_ = false;
};

// A record counts as deleted when the low byte of its Flags is 20 or more.
inline bool IsDeleted(int32_t flags) {
    return (static_cast<uint32_t>(flags) & 0xFFu) >= 20;
}

} // namespace vellum
