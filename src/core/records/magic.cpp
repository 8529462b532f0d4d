#include "records/magic.h"

#include <algorithm>

namespace vellum {

namespace {

constexpr size_t kMEDTBytes = 36;
constexpr size_t kSPDTBytes = 12;
constexpr size_t kENDTBytes = 16;

// An effect fills the first free one of the 8 slots. One beyond the last slot, or one of another length
// than the layout's, is kept whole.
template <class Rec> void ReadEffectSlot(Body& b, Rec& rec) {
    auto slot = std::find_if(rec.Effects.begin(), rec.Effects.end(),
                             [](const EffectData& e) { return e.ENAMLen == 0; });
    if (slot == rec.Effects.end() || b.size() != kENAMBytes)
        b.keep(rec.extras);
    else
        *slot = ReadEffect(b);
}

// The used effect slots, in slot order.
template <class Rec> void WriteEffects(ByteWriter& w, const Rec& rec) {
    for (const EffectData& e : rec.Effects)
        if (e.ENAMLen != 0) WriteEffect(w, e);
}

void WriteNumberSub(ByteWriter& w, std::string_view tag, int32_t v) {
    size_t s = w.beginSub(tag);
    w.i32(v);
    w.endSub(s);
}

} // namespace

// ---- MGEF ----

namespace {

void ReadEffectIndex(Body& b, MGEFRecord& rec) {
    b.layout(4, rec.extras, [&] {
        rec.INDXLen = 4;
        rec.INDX = b.i32();
    });
}

void ReadEffectData(Body& b, MGEFRecord& rec) {
    b.layout(kMEDTBytes, rec.extras, [&] {
        rec.MEDTLen = static_cast<int32_t>(kMEDTBytes);
        rec.School = b.i32();
        rec.BaseCost = b.f32();
        rec.EffectFlags = b.i32();
        rec.Red = b.i32();
        rec.Green = b.i32();
        rec.Blue = b.i32();
        rec.SpeedX = b.f32();
        rec.SizeX = b.f32();
        rec.SizeCap = b.f32();
    });
}

void WriteEffectData(ByteWriter& w, const MGEFRecord& rec) {
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

// The textures, sounds and visuals, in the writer's fixed order.
void WriteEffectStrings(ByteWriter& w, const MGEFRecord& rec) {
    WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
    WriteZStringIfSet(w, "PTEX", rec.PTEXLen, rec.PTEX);
    WriteZStringIfSet(w, "BSND", rec.BSNDLen, rec.BSND);
    WriteZStringIfSet(w, "CSND", rec.CSNDLen, rec.CSND);
    WriteZStringIfSet(w, "HSND", rec.HSNDLen, rec.HSND);
    WriteZStringIfSet(w, "ASND", rec.ASNDLen, rec.ASND);
    WriteZStringIfSet(w, "BVFX", rec.BVFXLen, rec.BVFX);
    WriteZStringIfSet(w, "CVFX", rec.CVFXLen, rec.CVFX);
    WriteZStringIfSet(w, "HVFX", rec.HVFXLen, rec.HVFX);
    WriteZStringIfSet(w, "AVFX", rec.AVFXLen, rec.AVFX);
}

} // namespace

void ReadMGEF(Body& b, MGEFRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "INDX"_tag: ReadEffectIndex(b, rec); break;
        case "MEDT"_tag: ReadEffectData(b, rec); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "PTEX"_tag: ReadZString(b, rec.PTEXLen, rec.PTEX); break;
        case "BSND"_tag: ReadZString(b, rec.BSNDLen, rec.BSND); break;
        case "CSND"_tag: ReadZString(b, rec.CSNDLen, rec.CSND); break;
        case "HSND"_tag: ReadZString(b, rec.HSNDLen, rec.HSND); break;
        case "ASND"_tag: ReadZString(b, rec.ASNDLen, rec.ASND); break;
        case "BVFX"_tag: ReadZString(b, rec.BVFXLen, rec.BVFX); break;
        case "CVFX"_tag: ReadZString(b, rec.CVFXLen, rec.CVFX); break;
        case "HVFX"_tag: ReadZString(b, rec.HVFXLen, rec.HVFX); break;
        case "AVFX"_tag: ReadZString(b, rec.AVFXLen, rec.AVFX); break;
        case "DESC"_tag: ReadText(b, rec.DESCLen, rec.DESC); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteMGEF(ByteWriter& w, const MGEFRecord& rec) {
    size_t m = w.beginRecord("MGEF", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (rec.INDXLen != 0) WriteNumberSub(w, "INDX", rec.INDX);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        if (rec.MEDTLen != 0) WriteEffectData(w, rec);
        WriteEffectStrings(w, rec);
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
    }
    w.endRecord(m);
}

// ---- SPEL ----

namespace {

void ReadSpellData(Body& b, SPELRecord& rec) {
    b.layout(kSPDTBytes, rec.extras, [&] {
        rec.SPDTLen = static_cast<int32_t>(kSPDTBytes);
        rec.SpellType = b.i32();
        rec.Cost = b.i32();
        rec.SpellFlags = ReadFlagByte(b);
    });
}

void WriteSpellData(ByteWriter& w, const SPELRecord& rec) {
    size_t s = w.beginSub("SPDT");
    w.i32(rec.SpellType);
    w.i32(rec.Cost);
    WriteFlagByte(w, rec.SpellFlags);
    w.endSub(s);
}

} // namespace

void ReadSPEL(Body& b, SPELRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SPDT"_tag: ReadSpellData(b, rec); break;
        case "ENAM"_tag: ReadEffectSlot(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteSPEL(ByteWriter& w, const SPELRecord& rec) {
    size_t m = w.beginRecord("SPEL", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        if (rec.SPDTLen != 0) WriteSpellData(w, rec);
        WriteEffects(w, rec);
    }
    w.endRecord(m);
}

// ---- ENCH ----

namespace {

void ReadEnchantData(Body& b, ENCHRecord& rec) {
    b.layout(kENDTBytes, rec.extras, [&] {
        rec.ENDTLen = static_cast<int32_t>(kENDTBytes);
        rec.EnchantType = b.i32();
        rec.Cost = b.i32();
        rec.Charge = b.i32();
        rec.AutoCalc = ReadFlagByte(b);
    });
}

void WriteEnchantData(ByteWriter& w, const ENCHRecord& rec) {
    size_t s = w.beginSub("ENDT");
    w.i32(rec.EnchantType);
    w.i32(rec.Cost);
    w.i32(rec.Charge);
    WriteFlagByte(w, rec.AutoCalc);
    w.endSub(s);
}

} // namespace

void ReadENCH(Body& b, ENCHRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "ENDT"_tag: ReadEnchantData(b, rec); break;
        case "ENAM"_tag: ReadEffectSlot(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteENCH(ByteWriter& w, const ENCHRecord& rec) {
    size_t m = w.beginRecord("ENCH", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        if (rec.ENDTLen != 0) WriteEnchantData(w, rec);
        WriteEffects(w, rec);
    }
    w.endRecord(m);
}

} // namespace vellum
