#include "esfile/bytes.h"

#include <algorithm>

#include "esfile/body.h"

namespace vellum {

// Called when fewer than n bytes are left: what is left, then zero bytes.
void ByteReader::copyOutPastEnd(void* out, size_t n) {
    const size_t have = remaining();
    if (have) std::memcpy(out, data_.data() + pos_, have);
    std::memset(static_cast<char*>(out) + have, 0, n - have);
    pos_ = data_.size();
}

// Called when fewer than n bytes are left: what is left, then at most kMaxPadding zero bytes.
std::string ByteReader::fixedPastEnd(uint64_t n) {
    std::string s(data_.substr(pos_));
    pos_ = data_.size();
    s.append(static_cast<size_t>(std::min<uint64_t>(n - s.size(), kMaxPadding)), '\0');
    return s;
}

void ByteReader::skip(uint64_t n) {
    pos_ += static_cast<size_t>(std::min<uint64_t>(n, remaining()));
}

void ByteWriter::fixed(std::string_view s, size_t n) {
    if (s.size() >= n) {
        buf_.append(s.data(), n);
    } else {
        buf_.append(s);
        buf_.append(n - s.size(), '\0');
    }
}

size_t ByteWriter::beginRecord(std::string_view t, int32_t header1, int32_t flags, const Extras* extras) {
    size_t mark = buf_.size();
    tag(t);
    u32(0); // the Size, written by endRecord
    i32(header1);
    i32(flags);
    extras_ = extras && !extras->empty() ? extras : nullptr;
    nextExtra_ = 0;
    subs_ = 0;
    return mark;
}

void ByteWriter::endRecord(size_t mark) {
    if (extras_) putExtras(true);
    extras_ = nullptr;
    patch32(mark + 4, static_cast<uint32_t>(buf_.size() - mark - 16));
}

void ByteWriter::putExtras(bool all) {
    const auto& subs = extras_->subs;
    while (nextExtra_ < subs.size() && (all || subs[nextExtra_].before <= subs_)) {
        raw(subs[nextExtra_++].bytes);
        ++subs_;
    }
}

std::string TagName(uint32_t tag) {
    return {char(tag), char(tag >> 8), char(tag >> 16), char(tag >> 24)};
}

void ByteWriter::endSub(size_t mark) {
    patch32(mark, static_cast<uint32_t>(buf_.size() - mark - 4));
}

void ByteWriter::zstringSub(std::string_view t, std::string_view s) {
    if (extras_) putExtras(false);
    ++subs_;
    tag(t);
    u32(static_cast<uint32_t>(s.size() + 1));
    raw(s);
    u8(0);
}

void ByteWriter::textSub(std::string_view t, std::string_view s) {
    if (extras_) putExtras(false);
    ++subs_;
    tag(t);
    u32(static_cast<uint32_t>(s.size()));
    raw(s);
}

void ByteWriter::deleSub() {
    if (extras_) putExtras(false);
    ++subs_;
    tag("DELE");
    u32(4);
    u32(0);
}

} // namespace vellum
