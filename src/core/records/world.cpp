#include "records/world.h"

#include <string_view>

#include "records/common.h"

namespace vellum {

namespace {

constexpr size_t kRegionSoundSize = 33; // a sound ID of 32 characters and the chance byte

constexpr auto ListFields = [](auto&& io, auto& rec) { io(FlagByte(rec.ListFlags)); };
constexpr auto SoundGenFields = [](auto&& io, auto& rec) { io(FlagByte(rec.SoundType)); };
constexpr auto SoundFields = [](auto&& io, auto& rec) { io(rec.Volume, rec.MinRange, rec.MaxRange); };
// The map colour: three bytes and a filler byte.
constexpr auto ColourFields = [](auto&& io, auto& rec) { io(rec.Red, rec.Green, rec.Blue, UnusedBytes{1}); };

// The weather chances, as many bytes as the subrecord holds; one of size 0 is kept whole.
void ReadWeather(Body& b, REGNRecord& rec) {
    if (b.size() == 0) return b.keep(rec.extras);
    rec.WEATLen = static_cast<int32_t>(b.size());
    const std::string_view d = b.data();
    rec.Weather.assign(d.begin(), d.end());
}
void ReadRegionSound(Body& b, REGNRecord& rec) {
    b.layout(kRegionSoundSize, rec.extras, [&] {
        RegionSoundData& snd = rec.Sounds.emplace_back();
        snd.SNAMLen = static_cast<int32_t>(kRegionSoundSize);
        snd.SoundID = b.fixed(32);
        snd.Chance = b.u8();
    });
}

// The name of a levelled list's entry starts a new entry.
void ReadEntryName(Body& b, LEVIRecord& rec) {
    LevelledItemData& e = rec.Items.emplace_back();
    ReadZString(b, e.INAMLen, e.INAM);
}
// The level of the entry named last. A level without an entry waiting for one, or of another length than
// 2 bytes, is kept whole.
void ReadEntryLevel(Body& b, LEVIRecord& rec) {
    if (rec.Items.empty() || rec.Items.back().INTVLen != 0 || b.size() != 2) return b.keep(rec.extras);
    rec.Items.back().INTVLen = 2;
    rec.Items.back().Level = b.i16();
}

template <uint32_t EntryTag> void ReadLevelled(Body& b, LEVIRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "DATA"_tag: ReadLayout(b, rec, rec.DATALen, 4, ListFields); break;
        case "NNAM"_tag: ReadValue(b, rec.extras, rec.NNAMLen, rec.ChanceNone); break;
        case "INDX"_tag: ReadValue(b, rec.extras, rec.INDXLen, rec.INDX); break;
        case EntryTag: ReadEntryName(b, rec); break;
        case "INTV"_tag: ReadEntryLevel(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteWeather(ByteWriter& w, const REGNRecord& rec) {
    size_t s = w.beginSub("WEAT");
    w.raw(rec.Weather.data(), rec.Weather.size());
    w.endSub(s);
}
void WriteRegionSounds(ByteWriter& w, const REGNRecord& rec) {
    for (const RegionSoundData& snd : rec.Sounds) {
        size_t s = w.beginSub("SNAM");
        w.fixed(snd.SoundID, 32);
        w.u8(snd.Chance);
        w.endSub(s);
    }
}

// Every entry: its name, then its level when it had one.
void WriteLevelledEntries(ByteWriter& w, const LEVIRecord& rec, std::string_view entryTag) {
    for (const LevelledItemData& e : rec.Items) {
        w.zstringSub(entryTag, e.INAM);
        if (e.INTVLen == 0) continue;
        w.valueSub("INTV", e.Level);
    }
}

void WriteLevelled(ByteWriter& w, const LEVIRecord& rec, std::string_view recordTag,
                   std::string_view entryTag) {
    size_t m = w.beginRecord(recordTag, rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteLayoutIfSet(w, "DATA", rec.DATALen, rec, ListFields);
        WriteValueIfSet(w, "NNAM", rec.NNAMLen, rec.ChanceNone);
        WriteValueIfSet(w, "INDX", rec.INDXLen, rec.INDX);
        WriteLevelledEntries(w, rec, entryTag);
    }
    w.endRecord(m);
}

} // namespace

void ReadSOUN(Body& b, SOUNRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "DATA"_tag: ReadLayout(b, rec, rec.DATALen, 3, SoundFields); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteSOUN(ByteWriter& w, const SOUNRecord& rec) {
    size_t m = w.beginRecord("SOUN", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteLayoutIfSet(w, "DATA", rec.DATALen, rec, SoundFields);
    }
    w.endRecord(m);
}

// Every SNAM adds a sound, wherever it stands in the record, as the game itself reads them.
void ReadREGN(Body& b, REGNRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "WEAT"_tag: ReadWeather(b, rec); break;
        case "BNAM"_tag: ReadZString(b, rec.BNAMLen, rec.BNAM); break;
        case "CNAM"_tag: ReadLayout(b, rec, rec.CNAMLen, 4, ColourFields); break;
        case "SNAM"_tag: ReadRegionSound(b, rec); break;
        case "WNAM"_tag: ReadValue(b, rec.extras, rec.WNAMLen, rec.WNAM); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteREGN(ByteWriter& w, const REGNRecord& rec) {
    size_t m = w.beginRecord("REGN", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        if (rec.WEATLen != 0) WriteWeather(w, rec);
        WriteZStringIfSet(w, "BNAM", rec.BNAMLen, rec.BNAM);
        WriteLayoutIfSet(w, "CNAM", rec.CNAMLen, rec, ColourFields);
        WriteRegionSounds(w, rec);
        WriteValueIfSet(w, "WNAM", rec.WNAMLen, rec.WNAM);
    }
    w.endRecord(m);
}

void ReadLTEX(Body& b, LTEXRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "INTV"_tag: ReadValue(b, rec.extras, rec.INTVLen, rec.INTV); break;
        case "DATA"_tag: ReadZString(b, rec.DATALen, rec.DATA); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteLTEX(ByteWriter& w, const LTEXRecord& rec) {
    size_t m = w.beginRecord("LTEX", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteValueIfSet(w, "INTV", rec.INTVLen, rec.INTV);
        WriteZStringIfSet(w, "DATA", rec.DATALen, rec.DATA);
    }
    w.endRecord(m);
}

void ReadSNDG(Body& b, SNDGRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "DATA"_tag: ReadLayout(b, rec, rec.DATALen, 4, SoundGenFields); break;
        case "CNAM"_tag: ReadZString(b, rec.CNAMLen, rec.CNAM); break;
        case "SNAM"_tag: ReadZString(b, rec.SNAMLen, rec.SNAM); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

// The sound is written before the creature, whatever order the file had.
void WriteSNDG(ByteWriter& w, const SNDGRecord& rec) {
    size_t m = w.beginRecord("SNDG", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteLayoutIfSet(w, "DATA", rec.DATALen, rec, SoundGenFields);
        WriteZStringIfSet(w, "SNAM", rec.SNAMLen, rec.SNAM);
        WriteZStringIfSet(w, "CNAM", rec.CNAMLen, rec.CNAM);
    }
    w.endRecord(m);
}

void ReadLEVI(Body& b, LEVIRecord& rec) {
    ReadLevelled<"INAM"_tag>(b, rec);
}
void WriteLEVI(ByteWriter& w, const LEVIRecord& rec) {
    WriteLevelled(w, rec, "LEVI", "INAM");
}
void ReadLEVC(Body& b, LEVCRecord& rec) {
    ReadLevelled<"CNAM"_tag>(b, rec);
}
void WriteLEVC(ByteWriter& w, const LEVCRecord& rec) {
    WriteLevelled(w, rec, "LEVC", "CNAM");
}

} // namespace vellum
