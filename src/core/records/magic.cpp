#include "records/magic.h"

namespace vellum {

namespace {

// The string subrecords of a magic effect, in the order its writer writes them after ITEX.
struct EffectString {
    const char* tag;
    int32_t MGEFRecord::*len;
    std::string MGEFRecord::*text;
};
constexpr EffectString kEffectStrings[] = {
    {"ITEX", &MGEFRecord::ITEXLen, &MGEFRecord::ITEX}, {"PTEX", &MGEFRecord::PTEXLen, &MGEFRecord::PTEX},
    {"BSND", &MGEFRecord::BSNDLen, &MGEFRecord::BSND}, {"CSND", &MGEFRecord::CSNDLen, &MGEFRecord::CSND},
    {"HSND", &MGEFRecord::HSNDLen, &MGEFRecord::HSND}, {"ASND", &MGEFRecord::ASNDLen, &MGEFRecord::ASND},
    {"BVFX", &MGEFRecord::BVFXLen, &MGEFRecord::BVFX}, {"CVFX", &MGEFRecord::CVFXLen, &MGEFRecord::CVFX},
    {"HVFX", &MGEFRecord::HVFXLen, &MGEFRecord::HVFX}, {"AVFX", &MGEFRecord::AVFXLen, &MGEFRecord::AVFX},
};

// An ENAM fills the next of the 8 effect slots, counted for the whole record. One beyond the last slot is
// skipped by its stored length, and its bytes leave the record's Size.
template <class Rec> void ReadEffectInto(ByteReader& r, Rec& rec, size_t& slot) {
    if (slot < rec.Effects.size()) {
        rec.Effects[slot++] = ReadEffect(r);
        return;
    }
    const int32_t len = r.i32();
    const uint64_t skipped = len > 0 ? static_cast<uint32_t>(len) : 0;
    r.skip(skipped);
    if (!IsDeleted(rec.Flags)) DropFromSize(rec.Size, 8 + skipped);
}

// The used effect slots, in slot order.
template <class Rec> void WriteEffects(ByteWriter& w, const Rec& rec) {
    for (const EffectData& e : rec.Effects)
        if (e.ENAMLen != 0) WriteEffect(w, e);
}

} // namespace

// ---- MGEF ----

MGEFRecord ReadMGEF(ByteReader& r, std::string& pendingTag) {
    return ReadSubrecords<MGEFRecord>(r, pendingTag, [&r](MGEFRecord& rec, const std::string& tag) {
        SubRead kind = SubRead::Data;
        if (tag == "INDX") {
            rec.INDXLen = r.i32();
            rec.INDX = r.i32();
            kind = SubRead::Identity;
        } else if (tag == "MEDT") {
            rec.MEDTLen = r.i32();
            rec.School = r.i32();
            rec.BaseCost = r.f32();
            rec.EffectFlags = r.i32();
            rec.Red = r.i32();
            rec.Green = r.i32();
            rec.Blue = r.i32();
            rec.SpeedX = r.f32();
            rec.SizeX = r.f32();
            rec.SizeCap = r.f32();
        } else if (tag == "DESC") {
            ReadText(r, rec.DESCLen, rec.DESC);
        } else {
            const EffectString* found = nullptr;
            for (const EffectString& s : kEffectStrings)
                if (tag == s.tag) found = &s;
            if (!found) return SubRead::End;
            ReadZString(r, rec.*(found->len), rec.*(found->text));
        }
        return kind;
    });
}

void WriteMGEF(ByteWriter& w, const MGEFRecord& rec) {
    size_t m = w.beginRecord("MGEF", rec.Size, rec.Header1, rec.Flags);
    if (rec.INDXLen != 0) {
        size_t s = w.beginSub("INDX");
        w.i32(rec.INDX);
        w.endSub(s);
    }
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        if (rec.MEDTLen != 0) {
            size_t s = w.beginSub("MEDT");
            w.i32(rec.School);
            w.f32(rec.BaseCost);
            w.i32(rec.EffectFlags);
            w.i32(rec.Red);
            w.i32(rec.Green);
            w.i32(rec.Blue);
            w.f32(rec.SpeedX);
            w.f32(rec.SizeX);
            w.f32(rec.SizeCap);
            w.endSub(s);
        }
        for (const EffectString& s : kEffectStrings) WriteZStringIfSet(w, s.tag, rec.*(s.len), rec.*(s.text));
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
    }
    w.endRecord(m);
}

// ---- SPEL ----

SPELRecord ReadSPEL(ByteReader& r, std::string& pendingTag) {
    size_t slot = 0;
    return ReadSubrecords<SPELRecord>(r, pendingTag, [&r, &slot](SPELRecord& rec, const std::string& tag) {
        SubRead kind = SubRead::Data;
        if (tag == "NAME") {
            ReadZString(r, rec.NAMELen, rec.NAME);
            kind = SubRead::Identity;
        } else if (tag == "FNAM") {
            ReadZString(r, rec.FNAMLen, rec.FNAM);
        } else if (tag == "SPDT") {
            rec.SPDTLen = r.i32();
            rec.SpellType = r.i32();
            rec.Cost = r.i32();
            rec.SpellFlags = ReadFlagByte(r);
        } else if (tag == "ENAM") {
            ReadEffectInto(r, rec, slot);
        } else {
            return SubRead::End;
        }
        return kind;
    });
}

void WriteSPEL(ByteWriter& w, const SPELRecord& rec) {
    size_t m = w.beginRecord("SPEL", rec.Size, rec.Header1, rec.Flags);
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        if (rec.SPDTLen != 0) {
            size_t s = w.beginSub("SPDT");
            w.i32(rec.SpellType);
            w.i32(rec.Cost);
            WriteFlagByte(w, rec.SpellFlags);
            w.endSub(s);
        }
        WriteEffects(w, rec);
    }
    w.endRecord(m);
}

// ---- ENCH ----

ENCHRecord ReadENCH(ByteReader& r, std::string& pendingTag) {
    size_t slot = 0;
    return ReadSubrecords<ENCHRecord>(r, pendingTag, [&r, &slot](ENCHRecord& rec, const std::string& tag) {
        SubRead kind = SubRead::Data;
        if (tag == "NAME") {
            ReadZString(r, rec.NAMELen, rec.NAME);
            kind = SubRead::Identity;
        } else if (tag == "ENDT") {
            rec.ENDTLen = r.i32();
            rec.EnchantType = r.i32();
            rec.Cost = r.i32();
            rec.Charge = r.i32();
            rec.AutoCalc = ReadFlagByte(r);
        } else if (tag == "ENAM") {
            ReadEffectInto(r, rec, slot);
        } else {
            return SubRead::End;
        }
        return kind;
    });
}

void WriteENCH(ByteWriter& w, const ENCHRecord& rec) {
    size_t m = w.beginRecord("ENCH", rec.Size, rec.Header1, rec.Flags);
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        if (rec.ENDTLen != 0) {
            size_t s = w.beginSub("ENDT");
            w.i32(rec.EnchantType);
            w.i32(rec.Cost);
            w.i32(rec.Charge);
            WriteFlagByte(w, rec.AutoCalc);
            w.endSub(s);
        }
        WriteEffects(w, rec);
    }
    w.endRecord(m);
}

} // namespace vellum
