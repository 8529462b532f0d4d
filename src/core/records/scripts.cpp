#include "records/scripts.h"

#include <cstddef>
#include <iterator>
#include <string_view>
#include <type_traits>
#include <utility>

#include "records/common.h"

namespace vellum {

namespace {

// Files the variable names by the header's counts: shorts first, then longs, then floats. Names beyond the
// counts go to ExtraNames, and a type whose names run out stays short, so that the list is written back as
// it was. Done whenever the names or the counts are read, so that a list met before its header is filed by
// that header.
void FileVariableNames(SCPTRecord& rec) {
    std::vector<std::string> all;
    for (auto* names : {&rec.ShortNames, &rec.LongNames, &rec.FloatNames, &rec.ExtraNames}) {
        for (std::string& n : *names) all.push_back(std::move(n));
        names->clear();
    }
    size_t next = 0;
    auto take = [&](int32_t count, std::vector<std::string>& out) {
        for (int32_t i = 0; i < count && next < all.size(); ++i) out.push_back(std::move(all[next++]));
    };
    take(rec.NumShorts, rec.ShortNames);
    take(rec.NumLongs, rec.LongNames);
    take(rec.NumFloats, rec.FloatNames);
    rec.ExtraNames.assign(std::make_move_iterator(all.begin() + static_cast<std::ptrdiff_t>(next)),
                          std::make_move_iterator(all.end()));
}

constexpr auto HeaderFields = [](auto&& io, auto& rec) {
    io(FixedChars(rec.ScriptName, 32), rec.NumShorts, rec.NumLongs, rec.NumFloats, rec.ScriptDataSize,
       rec.LocalVarSize);
};

void ReadHeader(Body& b, SCPTRecord& rec) {
    b.layout(kSCHDSize, rec.extras, [&] {
        rec.SCHDLen = kSCHDSize;
        HeaderFields(FieldReader{b}, rec);
        FileVariableNames(rec);
    });
}

// The list of variable names: every name followed by one zero byte. A list that is empty or does not end
// with a zero is kept whole, since its names cannot give its bytes back.
void ReadVariableList(Body& b, SCPTRecord& rec) {
    std::string_view list = b.data();
    if (list.empty() || list.back() != '\0') return b.keep(rec.extras);
    rec.SCVRLen = static_cast<int32_t>(b.size());
    for (auto* names : {&rec.ShortNames, &rec.LongNames, &rec.FloatNames}) names->clear();
    rec.ExtraNames.clear();
    list.remove_suffix(1);
    for (size_t pos = 0;;) {
        const size_t zero = list.find('\0', pos);
        rec.ExtraNames.emplace_back(list.substr(pos, zero - pos));
        if (zero == std::string_view::npos) break;
        pos = zero + 1;
    }
    FileVariableNames(rec);
}

// A string subrecord without terminator. One of size 0 is kept whole: the writer leaves out a string of
// length 0.
void ReadBytes(Body& b, int32_t& len, std::string& s, Extras& extras) {
    if (b.size() == 0) return b.keep(extras);
    ReadText(b, len, s);
}

// Saved-game values of the locals, 2-byte shorts or 4-byte floats. A subrecord that does not hold a whole
// number of values (or none) is kept whole.
template <class T> void ReadValues(Body& b, int32_t& len, std::vector<T>& out, Extras& extras) {
    if (b.size() == 0 || b.size() % sizeof(T) != 0) return b.keep(extras);
    len = static_cast<int32_t>(b.size());
    out.resize(b.size() / sizeof(T));
    for (T& v : out) FieldReader{b}(v);
}

void WriteVariableList(ByteWriter& w, const SCPTRecord& rec) {
    size_t s = w.beginSub("SCVR");
    for (const auto* names : {&rec.ShortNames, &rec.LongNames, &rec.FloatNames, &rec.ExtraNames}) {
        for (const std::string& n : *names) {
            w.raw(n);
            w.u8(0);
        }
    }
    w.endSub(s);
}

template <class T> void WriteValues(ByteWriter& w, std::string_view tag, const std::vector<T>& values) {
    size_t s = w.beginSub(tag);
    for (T v : values) FieldWriter{w}(v);
    w.endSub(s);
}

} // namespace

void ReadSCPT(Body& b, SCPTRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "SCHD"_tag: ReadHeader(b, rec); break;
        case "SCVR"_tag: ReadVariableList(b, rec); break;
        case "SCDT"_tag: ReadBytes(b, rec.SCDTLen, rec.SCDT, rec.extras); break;
        case "SCTX"_tag: ReadText(b, rec.SCTXLen, rec.SCTX); break;
        case "RNAM"_tag: ReadBytes(b, rec.RNAMLen, rec.RNAM, rec.extras); break;
        case "SLCS"_tag: ReadBytes(b, rec.SLCSLen, rec.SLCS, rec.extras); break;
        case "SLSD"_tag: ReadValues(b, rec.SLSDLen, rec.ShortValues, rec.extras); break;
        case "SLFD"_tag: ReadValues(b, rec.SLFDLen, rec.FloatValues, rec.extras); break;
        case "DELE"_tag: break; // a script is never written with DELE
        default: b.keep(rec.extras); break;
        }
}

void WriteSCPT(ByteWriter& w, const SCPTRecord& rec, bool alwaysWriteText) {
    size_t m = w.beginRecord("SCPT", rec.Header1, rec.Flags, &rec.extras);
    if (rec.SCHDLen != 0) WriteLayout(w, "SCHD", rec, HeaderFields);
    if (rec.SCVRLen != 0) WriteVariableList(w, rec);
    WriteTextIfSet(w, "SCDT", rec.SCDTLen, rec.SCDT);
    if (alwaysWriteText || rec.SCTXLen != 0) w.textSub("SCTX", rec.SCTX);
    WriteTextIfSet(w, "SLCS", rec.SLCSLen, rec.SLCS);
    if (rec.SLSDLen != 0) WriteValues(w, "SLSD", rec.ShortValues);
    if (rec.SLFDLen != 0) WriteValues(w, "SLFD", rec.FloatValues);
    WriteTextIfSet(w, "RNAM", rec.RNAMLen, rec.RNAM);
    w.endRecord(m);
}

void ReadSSCR(Body& b, SSCRRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "DATA"_tag: ReadBytes(b, rec.DATALen, rec.DATA, rec.extras); break;
        case "NAME"_tag: ReadBytes(b, rec.NAMELen, rec.NAME, rec.extras); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

// A deleted entry keeps both strings after its DELE.
void WriteSSCR(ByteWriter& w, const SSCRRecord& rec) {
    size_t m = w.beginRecord("SSCR", rec.Header1, rec.Flags, &rec.extras);
    if (IsDeleted(rec.Flags)) w.deleSub();
    WriteTextIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    WriteTextIfSet(w, "DATA", rec.DATALen, rec.DATA);
    w.endRecord(m);
}

} // namespace vellum
