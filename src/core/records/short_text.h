// Short fixed-capacity texts for the one- and two-character pieces of a subrecord.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>

namespace vellum {

// A text of at most N characters kept inside its structure, for the one- and two-character pieces of a
// subrecord: a std::string would take 32 bytes and sometimes an allocation for each. Reads as a string view;
// assigning a longer text keeps its first N characters.
template <size_t N> class ShortText {
  public:
    ShortText() = default;
    ShortText(std::string_view s) { *this = s; }
    ShortText& operator=(std::string_view s) {
        size_ = static_cast<uint8_t>(std::min(s.size(), N));
        std::fill(std::begin(data_), std::end(data_), '\0');
        std::copy_n(s.data(), size_, data_);
        return *this;
    }
    operator std::string_view() const { return {data_, size_}; }
    std::string str() const { return std::string(data_, size_); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    bool operator==(const ShortText&) const = default;
    friend bool operator==(const ShortText& a, std::string_view b) { return std::string_view(a) == b; }
    friend std::ostream& operator<<(std::ostream& o, const ShortText& t) { return o << std::string_view(t); }

  private:
    char data_[N] = {};
    uint8_t size_ = 0;
};

} // namespace vellum
