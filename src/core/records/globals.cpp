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

// The type letter: 1 character in the game's files. A subrecord of another length keeps all its characters
// (its first one is the letter the value rules look at); an empty one is kept whole.
void ReadGlobalType(Body& b, GLOBRecord& rec) {
    if (b.size() == 0) {
        b.keep(rec.extras);
        return;
    }
    ReadText(b, rec.FNAMLen, rec.FNAM);
}

// The value, with the rules of the name and the type letter read before it.
void ReadGlobalValue(Body& b, GLOBRecord& rec) {
    b.layout(4, rec.extras, [&] {
        rec.FLTVLen = 4;
        rec.FLTV = NormaliseGlobalValue(rec.NAME, rec.FNAM.substr(0, 1), b.f32());
    });
}

void ReadSettingInt(Body& b, GMSTRecord& rec) {
    b.layout(4, rec.extras, [&] {
        rec.INTVLen = 4;
        rec.INTV = b.i32();
    });
}

void ReadSettingFloat(Body& b, GMSTRecord& rec) {
    b.layout(4, rec.extras, [&] {
        rec.FLTVLen = 4;
        rec.FLTV = RoundSettingValue(b.f32());
    });
}

} // namespace

// ---- GLOB ----

void ReadGLOB(Body& b, GLOBRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadGlobalType(b, rec); break;
        case "FLTV"_tag: ReadGlobalValue(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteGLOB(ByteWriter& w, const GLOBRecord& rec) {
    size_t m = w.beginRecord("GLOB", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteTextIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteValueIfSet(w, "FLTV", rec.FLTVLen, rec.FLTV);
    }
    w.endRecord(m);
}

// ---- GMST ----

void ReadGMST(Body& b, GMSTRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadText(b, rec.NAMELen, rec.NAME); break;
        case "STRV"_tag: ReadText(b, rec.STRVLen, rec.STRV); break;
        case "INTV"_tag: ReadSettingInt(b, rec); break;
        case "FLTV"_tag: ReadSettingFloat(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

// Only the first value that is set is written (string, then integer, then float), as the game reads one.
void WriteGMST(ByteWriter& w, const GMSTRecord& rec) {
    size_t m = w.beginRecord("GMST", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    WriteTextIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else if (rec.STRVLen != 0) {
        w.textSub("STRV", rec.STRV);
    } else if (rec.INTVLen != 0) {
        w.valueSub("INTV", rec.INTV);
    } else if (rec.FLTVLen != 0) {
        w.valueSub("FLTV", rec.FLTV);
    }
    w.endRecord(m);
}

} // namespace vellum
