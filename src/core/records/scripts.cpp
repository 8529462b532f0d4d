#include "records/scripts.h"

#include <string_view>

#include "records/common.h"

namespace vellum {

namespace {

// A string subrecord without terminator. One of size 0 holds nothing and is not written back, so its
// 8 bytes leave the record's Size.
void ReadTextPair(ByteReader& r, int32_t& size, int32_t& len, std::string& s) {
    ReadText(r, len, s);
    if (len <= 0) {
        len = 0;
        s.clear();
        DropFromSize(size, 8);
    }
}

// Saved-game values of the locals: as many whole values as the subrecord holds. Bytes of an incomplete last
// value are dropped; a subrecord left without values is not written back.
template <class T, class Get>
void ReadValues(ByteReader& r, int32_t& size, int32_t& len, std::vector<T>& out, size_t width, Get get) {
    std::string b = layout::ReadSubData(r, &len);
    size_t n = b.size() / width;
    ByteReader d(b);
    out.clear();
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) out.push_back(get(d));
    const uint64_t kept = n * width;
    AddToSize(size, kept ? 8 + kept : 0);
    DropFromSize(size, 8 + layout::DataBytes(len));
    len = static_cast<int32_t>(kept);
}

// Splits the list of variable names at its zero characters and files the names by the header's counts:
// shorts first, then longs, then floats. Names beyond the counts are dropped; SCVRLen and Size then describe
// the names kept, and a list that keeps no name is not written back.
void FileVariableNames(SCPTRecord& rec, std::string_view list) {
    size_t pos = 0;
    bool done = list.empty();
    auto take = [&](int32_t count, std::vector<std::string>& out) {
        for (int32_t i = 0; i < count && !done; ++i) {
            size_t zero = list.find('\0', pos);
            if (zero == std::string_view::npos) {
                out.emplace_back(list.substr(pos));
                done = true;
            } else {
                out.emplace_back(list.substr(pos, zero - pos));
                pos = zero + 1;
            }
        }
    };
    take(rec.NumShorts, rec.ShortNames);
    take(rec.NumLongs, rec.LongNames);
    take(rec.NumFloats, rec.FloatNames);
    uint64_t kept = 0;
    for (const auto* names : {&rec.ShortNames, &rec.LongNames, &rec.FloatNames})
        for (const std::string& n : *names) kept += n.size() + 1;
    AddToSize(rec.Size, kept ? 8 + kept : 0);
    DropFromSize(rec.Size, 8 + layout::DataBytes(rec.SCVRLen));
    rec.SCVRLen = static_cast<int32_t>(kept);
}

} // namespace

SCPTRecord ReadSCPT(ByteReader& r, std::string& pendingTag) {
    SCPTRecord rec;
    rec.Size = r.i32();
    rec.Header1 = r.i32();
    rec.Flags = r.i32();
    // The names are split once the whole record is read, so that a header that comes after the list
    // still gives the counts.
    std::string names;
    bool hasNames = false;
    pendingTag = r.tag();
    for (;;) {
        if (pendingTag == "SCHD") {
            // Read by its stored length: missing bytes read as zeros, bytes beyond the header are dropped,
            // and the header is written with its own size.
            layout::ReadFixedSub<kSCHDSize>(r, rec.SCHDLen, [&](ByteReader& d) {
                rec.ScriptName = d.fixed(32);
                rec.NumShorts = d.i32();
                rec.NumLongs = d.i32();
                rec.NumFloats = d.i32();
                rec.ScriptDataSize = d.i32();
                rec.LocalVarSize = d.i32();
            });
            AddToSize(rec.Size, kSCHDSize);
            DropFromSize(rec.Size, layout::DataBytes(rec.SCHDLen));
            rec.SCHDLen = kSCHDSize;
        } else if (pendingTag == "SCVR") {
            // The list without its last terminating zero.
            names = layout::ReadSubData(r, &rec.SCVRLen);
            if (!names.empty() && names.size() == layout::DataBytes(rec.SCVRLen)) names.pop_back();
            hasNames = true;
        } else if (pendingTag == "SCDT") {
            ReadTextPair(r, rec.Size, rec.SCDTLen, rec.SCDT);
        } else if (pendingTag == "SCTX") {
            ReadText(r, rec.SCTXLen, rec.SCTX);
            if (rec.SCTXLen < 0) rec.SCTXLen = 0;
        } else if (pendingTag == "RNAM") {
            ReadTextPair(r, rec.Size, rec.RNAMLen, rec.RNAM);
        } else if (pendingTag == "SLCS") {
            ReadTextPair(r, rec.Size, rec.SLCSLen, rec.SLCS);
        } else if (pendingTag == "SLSD") {
            ReadValues(r, rec.Size, rec.SLSDLen, rec.ShortValues, 2, [](ByteReader& d) { return d.i16(); });
        } else if (pendingTag == "SLFD") {
            ReadValues(r, rec.Size, rec.SLFDLen, rec.FloatValues, 4, [](ByteReader& d) { return d.f32(); });
        } else if (pendingTag == "DELE") {
            // Consumed like in every other record; a script is never written with DELE, so its 12 bytes
            // leave the Size.
            r.skip(8);
            DropFromSize(rec.Size, 12);
        } else {
            break;
        }
        pendingTag = r.tag();
    }
    if (hasNames) FileVariableNames(rec, names);
    return rec;
}

void WriteSCPT(ByteWriter& w, const SCPTRecord& rec, bool alwaysWriteText) {
    size_t m = w.beginRecord("SCPT", rec.Size, rec.Header1, rec.Flags);
    if (rec.SCHDLen != 0) {
        size_t s = w.beginSub("SCHD");
        w.fixed(rec.ScriptName, 32);
        w.i32(rec.NumShorts);
        w.i32(rec.NumLongs);
        w.i32(rec.NumFloats);
        w.i32(rec.ScriptDataSize);
        w.i32(rec.LocalVarSize);
        w.endSub(s);
    }
    if (rec.SCVRLen != 0) {
        size_t s = w.beginSub("SCVR");
        for (const auto* names : {&rec.ShortNames, &rec.LongNames, &rec.FloatNames}) {
            for (const std::string& n : *names) {
                w.raw(n);
                w.u8(0);
            }
        }
        w.endSub(s);
    }
    WriteTextIfSet(w, "SCDT", rec.SCDTLen, rec.SCDT);
    if (alwaysWriteText || rec.SCTXLen != 0) w.textSub("SCTX", rec.SCTX);
    WriteTextIfSet(w, "SLCS", rec.SLCSLen, rec.SLCS);
    if (rec.SLSDLen != 0) {
        size_t s = w.beginSub("SLSD");
        for (int16_t v : rec.ShortValues) w.i16(v);
        w.endSub(s);
    }
    if (rec.SLFDLen != 0) {
        size_t s = w.beginSub("SLFD");
        for (float v : rec.FloatValues) w.f32(v);
        w.endSub(s);
    }
    WriteTextIfSet(w, "RNAM", rec.RNAMLen, rec.RNAM);
    w.endRecord(m);
}

SSCRRecord ReadSSCR(ByteReader& r, std::string& pendingTag) {
    // Both strings are written for a deleted entry as well.
    return ReadSubrecords<SSCRRecord>(r, pendingTag, [&r](SSCRRecord& rec, const std::string& tag) {
        if (tag == "DATA") {
            ReadTextPair(r, rec.Size, rec.DATALen, rec.DATA);
        } else if (tag == "NAME") {
            ReadTextPair(r, rec.Size, rec.NAMELen, rec.NAME);
        } else {
            return SubRead::End;
        }
        return SubRead::Identity;
    });
}

void WriteSSCR(ByteWriter& w, const SSCRRecord& rec) {
    size_t m = w.beginRecord("SSCR", rec.Size, rec.Header1, rec.Flags);
    if (IsDeleted(rec.Flags)) w.deleSub();
    WriteTextIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    WriteTextIfSet(w, "DATA", rec.DATALen, rec.DATA);
    w.endRecord(m);
}

} // namespace vellum
