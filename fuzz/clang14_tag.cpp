// Clang 14 emits calls to the consteval operator""_tag of esfile/body.h from some function templates instead
// of evaluating them at compile time (llvm-project issue 54578), which leaves the fuzz programs with an
// undefined reference. This out-of-line definition, built only with Clang 14, gives those calls the same
// value.
#include <cstddef>
#include <cstdint>

namespace vellum {

uint32_t operator""_tag(const char* s, size_t);
uint32_t operator""_tag(const char* s, size_t) {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

} // namespace vellum
