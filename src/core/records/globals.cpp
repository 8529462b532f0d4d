#include "records/globals.h"

#include <cmath>

#include "records/common.h"

namespace vellum {

double RoundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    const double whole = std::floor(v);
    const double fraction = v - whole; // exact for every double
    if (fraction > 0.5) return whole + 1;
    if (fraction < 0.5) return whole;
    return std::fmod(whole, 2.0) == 0 ? whole : whole + 1;
}

float NormaliseGlobalValue(const std::string& name, const std::string& type, float value) {
    if (name == "ratskilled") value = 0;
    if (type == "s") {
        // A comparison with a value that is not a number is false, so such a value becomes 0 as well.
        if (value >= -32767.0f && value <= 32767.0f) return static_cast<float>(RoundHalfEven(value));
        return 0;
    }
    if (type == "l") return static_cast<float>(RoundHalfEven(value));
    return value;
}

float RoundSettingValue(float value) {
    // A float has 24 significant bits and 10000 needs 14, so the scaled value is exact in a double and the
    // halfway test sees the value that the file holds.
    return static_cast<float>(RoundHalfEven(static_cast<double>(value) * 10000.0) / 10000.0);
}

namespace {

// The type letter: one character. A subrecord of another size is made into one of 1 character: the bytes
// after the first are skipped and taken off the record's Size, and an empty one is left out.
void ReadGlobalType(ByteReader& r, GLOBRecord& rec) {
    const int32_t len = r.i32();
    if (len <= 0) {
        rec.FNAMLen = 0;
        rec.FNAM.clear();
        if (!IsDeleted(rec.Flags)) DropFromSize(rec.Size, 8);
        return;
    }
    rec.FNAMLen = 1;
    rec.FNAM = r.fixed(1);
    if (len > 1) {
        r.skip(static_cast<uint32_t>(len) - 1);
        if (!IsDeleted(rec.Flags)) DropFromSize(rec.Size, static_cast<uint32_t>(len) - 1);
    }
}

} // namespace

GLOBRecord ReadGLOB(ByteReader& r, std::string& pendingTag) {
    return ReadSubrecords<GLOBRecord>(r, pendingTag, [&r](GLOBRecord& rec, const std::string& tag) {
        SubRead kind = SubRead::Data;
        if (tag == "NAME") {
            ReadZString(r, rec.NAMELen, rec.NAME);
            kind = SubRead::Identity;
        } else if (tag == "FNAM") {
            ReadGlobalType(r, rec);
        } else if (tag == "FLTV") {
            rec.FLTVLen = r.i32();
            rec.FLTV = NormaliseGlobalValue(rec.NAME, rec.FNAM, r.f32());
        } else {
            return SubRead::End;
        }
        return kind;
    });
}

void WriteGLOB(ByteWriter& w, const GLOBRecord& rec) {
    size_t m = w.beginRecord("GLOB", rec.Size, rec.Header1, rec.Flags);
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        if (rec.FNAMLen != 0) {
            size_t s = w.beginSub("FNAM");
            w.fixed(rec.FNAM, 1);
            w.endSub(s);
        }
        if (rec.FLTVLen != 0) {
            size_t s = w.beginSub("FLTV");
            w.f32(rec.FLTV);
            w.endSub(s);
        }
    }
    w.endRecord(m);
}

namespace {

// Bytes of a number subrecord (INTV, FLTV) that was read: tag, size and 4 bytes; none when absent.
uint64_t NumberBytes(int32_t len) {
    return len == 0 ? 0 : 12;
}

} // namespace

GMSTRecord ReadGMST(ByteReader& r, std::string& pendingTag) {
    GMSTRecord rec = ReadSubrecords<GMSTRecord>(r, pendingTag, [&r](GMSTRecord& rec, const std::string& tag) {
        SubRead kind = SubRead::Data;
        if (tag == "NAME") {
            ReadText(r, rec.NAMELen, rec.NAME);
            kind = SubRead::Identity;
        } else if (tag == "STRV") {
            ReadText(r, rec.STRVLen, rec.STRV);
        } else if (tag == "INTV") {
            rec.INTVLen = r.i32();
            rec.INTV = r.i32();
        } else if (tag == "FLTV") {
            rec.FLTVLen = r.i32();
            rec.FLTV = RoundSettingValue(r.f32());
        } else {
            return SubRead::End;
        }
        return kind;
    });
    // Only the first value that is set is written back (string, then integer, then float): the others are
    // taken off the Size. A deleted record has lost all of them already.
    if (!IsDeleted(rec.Flags)) {
        if (rec.STRVLen != 0) {
            DropFromSize(rec.Size, NumberBytes(rec.INTVLen) + NumberBytes(rec.FLTVLen));
        } else if (rec.INTVLen != 0) {
            DropFromSize(rec.Size, NumberBytes(rec.FLTVLen));
        }
    }
    return rec;
}

void WriteGMST(ByteWriter& w, const GMSTRecord& rec) {
    size_t m = w.beginRecord("GMST", rec.Size, rec.Header1, rec.Flags);
    WriteTextIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else if (rec.STRVLen != 0) {
        w.textSub("STRV", rec.STRV);
    } else if (rec.INTVLen != 0) {
        size_t s = w.beginSub("INTV");
        w.i32(rec.INTV);
        w.endSub(s);
    } else if (rec.FLTVLen != 0) {
        size_t s = w.beginSub("FLTV");
        w.f32(rec.FLTV);
        w.endSub(s);
    }
    w.endRecord(m);
}

} // namespace vellum
