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

} // namespace

// ---- MGEF ----

namespace {

constexpr auto EffectFields = [](auto&& io, auto& rec) {
    io(rec.School, rec.BaseCost, rec.EffectFlags, rec.Red, rec.Green, rec.Blue, rec.SpeedX, rec.SizeX,
       rec.SizeCap);
};

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
        case "INDX"_tag: ReadValue(b, rec.extras, rec.INDXLen, rec.INDX); break;
        case "MEDT"_tag: ReadLayout(b, rec, rec.MEDTLen, kMEDTBytes, EffectFields); break;
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
    WriteValueIfSet(w, "INDX", rec.INDXLen, rec.INDX);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteLayoutIfSet(w, "MEDT", rec.MEDTLen, rec, EffectFields);
        WriteEffectStrings(w, rec);
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
    }
    w.endRecord(m);
}

// ---- SPEL ----

namespace {

constexpr auto SpellFields = [](auto&& io, auto& rec) {
    io(rec.SpellType, rec.Cost, FlagByte(rec.SpellFlags));
};

} // namespace

void ReadSPEL(Body& b, SPELRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SPDT"_tag: ReadLayout(b, rec, rec.SPDTLen, kSPDTBytes, SpellFields); break;
        case "ENAM"_tag: ReadEffectSlot(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteSPEL(ByteWriter& w, const SPELRecord& rec) {
    size_t m = w.beginRecord("SPEL", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteLayoutIfSet(w, "SPDT", rec.SPDTLen, rec, SpellFields);
        WriteEffects(w, rec);
    }
    w.endRecord(m);
}

// ---- ENCH ----

namespace {

constexpr auto EnchantFields = [](auto&& io, auto& rec) {
    io(rec.EnchantType, rec.Cost, rec.Charge, FlagByte(rec.AutoCalc));
};

} // namespace

void ReadENCH(Body& b, ENCHRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "ENDT"_tag: ReadLayout(b, rec, rec.ENDTLen, kENDTBytes, EnchantFields); break;
        case "ENAM"_tag: ReadEffectSlot(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteENCH(ByteWriter& w, const ENCHRecord& rec) {
    size_t m = w.beginRecord("ENCH", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteLayoutIfSet(w, "ENDT", rec.ENDTLen, rec, EnchantFields);
        WriteEffects(w, rec);
    }
    w.endRecord(m);
}

} // namespace vellum
