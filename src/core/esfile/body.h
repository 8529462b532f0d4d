// The body of one record, exactly the Size bytes that follow its 16-byte header, taken one subrecord at a
// time. Every record reader has the same shape:
//
//     void ReadDOOR(Body& b, DOORRecord& r) {
//         while (b.more()) switch (b.next()) {
//             case "NAME"_tag: r.NAME = b.zstring(); break;
//             case "MODL"_tag: r.MODL = b.zstring(); break;
//             default: b.keep(r.extras); break;
//         }
//     }
//
// A subrecord the reader does not know, or one whose length does not fit its layout, is kept whole in the
// record's Extras and written back in its place among the others, so that nothing of a record is lost.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "esfile/bytes.h"

namespace vellum {

// A tag as the number its four characters make (little-endian, as in the file), for switching on tags.
constexpr uint32_t TagValue(std::string_view t) {
    return uint32_t(uint8_t(t[0])) | (uint32_t(uint8_t(t[1])) << 8) | (uint32_t(uint8_t(t[2])) << 16) |
           (uint32_t(uint8_t(t[3])) << 24);
}
// (constexpr rather than consteval: Clang 14 leaves some consteval calls in templates undefined.)
constexpr uint32_t operator""_tag(const char* s, size_t n) {
    return n == 4 ? TagValue(std::string_view(s, 4)) : throw "a tag has four characters";
}
// The four characters of a tag.
std::string TagName(uint32_t tag);

// A subrecord kept as it was read: its whole bytes (tag, length, data), and how many subrecords of its
// record came before it, so that the writer puts it back in the same place.
struct KeptSub {
    uint32_t before = 0;
    std::string bytes;
    uint32_t tag() const { return bytes.size() >= 4 ? TagValue(bytes) : 0; }
    bool operator==(const KeptSub&) const = default;
};

// A list of kept subrecords. Most records keep none, so an empty list costs one pointer: the tables of a
// master file hold hundreds of thousands of records.
class KeptList {
  public:
    KeptList() = default;
    KeptList(std::initializer_list<KeptSub> l) {
        if (l.size() != 0) p_ = std::make_unique<std::vector<KeptSub>>(l);
    }
    KeptList(const KeptList& o) : p_(o.p_ ? std::make_unique<std::vector<KeptSub>>(*o.p_) : nullptr) {}
    KeptList(KeptList&&) noexcept = default;
    KeptList& operator=(const KeptList& o) {
        if (this != &o) p_ = o.p_ ? std::make_unique<std::vector<KeptSub>>(*o.p_) : nullptr;
        return *this;
    }
    KeptList& operator=(KeptList&&) noexcept = default;
    ~KeptList() = default;

    size_t size() const { return p_ ? p_->size() : 0; }
    bool empty() const { return size() == 0; }
    const KeptSub* begin() const { return p_ ? p_->data() : nullptr; }
    const KeptSub* end() const { return p_ ? p_->data() + p_->size() : nullptr; }
    const KeptSub& operator[](size_t i) const { return (*p_)[i]; }
    void push_back(KeptSub k) {
        if (!p_) p_ = std::make_unique<std::vector<KeptSub>>();
        p_->push_back(std::move(k));
    }
    bool operator==(const KeptList& o) const { return std::equal(begin(), end(), o.begin(), o.end()); }

  private:
    std::unique_ptr<std::vector<KeptSub>> p_;
};

// The subrecords of one record that its reader kept whole, in file order.
struct Extras {
    KeptList subs;
    bool empty() const { return subs.empty(); }
    bool has(uint32_t tag) const {
        for (const KeptSub& k : subs)
            if (k.tag() == tag) return true;
        return false;
    }
    bool operator==(const Extras&) const = default;
};

class Body {
  public:
    // bytes: the record's body; offset: where it starts in the file (for the damage report).
    explicit Body(std::string_view bytes, uint64_t offset = 0) : bytes_(bytes), offset_(offset) {}

    // True while another whole subrecord starts at the cursor. A subrecord header cut short, or a length
    // that runs past the end of the body, ends the walk: the body is then damaged from that subrecord on.
    bool more() {
        if (pos_ == bytes_.size()) return false;
        if (bytes_.size() - pos_ >= 8) {
            const uint32_t len = Peek32(pos_ + 4);
            if (len <= bytes_.size() - pos_ - 8) return true;
        }
        damagedAt_ = pos_;
        return false;
    }
    // Takes the next subrecord (more() must have said there is one) and returns its tag. Its data is read
    // with the getters below.
    uint32_t next() {
        start_ = pos_;
        tag_ = Peek32(pos_);
        const uint32_t len = Peek32(pos_ + 4);
        data_ = ByteReader(bytes_.substr(pos_ + 8, len));
        pos_ += 8 + static_cast<size_t>(len);
        ++taken_;
        return tag_;
    }

    // The whole body, for records kept as raw bytes.
    std::string_view whole() const { return bytes_; }

    uint32_t tag() const { return tag_; }
    // The data length of the current subrecord.
    uint32_t size() const { return static_cast<uint32_t>(data_.size()); }
    // How many subrecords of this body came before the current one.
    uint32_t index() const { return taken_ - 1; }
    // The current subrecord's data, and a cursor over it. Reads past its end give zero bytes.
    std::string_view data() const { return bytes_.substr(start_ + 8, data_.size()); }
    size_t left() const { return data_.remaining(); }

    uint8_t u8() { return data_.u8(); }
    uint16_t u16() { return data_.u16(); }
    int16_t i16() { return data_.i16(); }
    uint32_t u32() { return data_.u32(); }
    int32_t i32() { return data_.i32(); }
    float f32() { return data_.f32(); }
    std::string fixed(size_t n) { return data_.fixed(n); }
    void bytes(void* out, size_t n) { data_.bytes(out, n); }
    void skip(size_t n) { data_.skip(n); }
    // A zero-terminated string: the data without its last byte when that byte is zero.
    std::string zstring() const {
        std::string_view d = data();
        if (!d.empty() && d.back() == '\0') d.remove_suffix(1);
        return std::string(d);
    }
    // The whole data as characters.
    std::string text() const { return std::string(data()); }

    // Keeps the current subrecord whole, in its place.
    void keep(Extras& extras) const {
        extras.subs.push_back({index(), std::string(bytes_.substr(start_, 8 + data_.size()))});
    }
    // A subrecord of a fixed layout of n bytes: fields() reads it when its length is n; any other length
    // keeps it whole. Returns whether the fields were read.
    template <class Fields> bool layout(size_t n, Extras& extras, Fields&& fields) {
        if (size() != n) {
            keep(extras);
            return false;
        }
        fields();
        return true;
    }

    // Where the subrecords stopped fitting the body, and how many bytes of the body that leaves unread.
    bool damaged() const { return damagedAt_ != kNone; }
    uint64_t damageOffset() const { return offset_ + damagedAt_; }
    uint64_t damagedBytes() const { return damaged() ? bytes_.size() - damagedAt_ : 0; }

  private:
    uint32_t Peek32(size_t at) const {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data() + at);
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    }
    static constexpr size_t kNone = ~size_t(0);

    std::string_view bytes_;
    uint64_t offset_ = 0;
    size_t pos_ = 0;
    size_t start_ = 0;
    uint32_t tag_ = 0;
    uint32_t taken_ = 0;
    ByteReader data_;
    size_t damagedAt_ = kNone;
};

} // namespace vellum
