#include "records/world.h"

#include <string_view>

#include "records/common.h"

namespace vellum {

namespace {

constexpr size_t kRegionSoundSize = 33; // a sound ID of 32 characters and the chance byte

// A flag byte in a 4-byte word; a subrecord of another length is kept whole.
void ReadFlagWord(Body& b, int32_t& len, uint8_t& v, Extras& extras) {
    b.layout(4, extras, [&] {
        len = 4;
        v = ReadFlagByte(b);
    });
}

void ReadSoundData(Body& b, SOUNRecord& rec) {
    b.layout(3, rec.extras, [&] {
        rec.DATALen = 3;
        rec.Volume = b.u8();
        rec.MinRange = b.u8();
        rec.MaxRange = b.u8();
    });
}

// The weather chances, as many bytes as the subrecord holds; one of size 0 is kept whole.
void ReadWeather(Body& b, REGNRecord& rec) {
    if (b.size() == 0) return b.keep(rec.extras);
    rec.WEATLen = static_cast<int32_t>(b.size());
    const std::string_view d = b.data();
    rec.Weather.assign(d.begin(), d.end());
}
// The map colour: three bytes and a filler byte.
void ReadColour(Body& b, REGNRecord& rec) {
    b.layout(4, rec.extras, [&] {
        rec.CNAMLen = 4;
        rec.Red = b.u8();
        rec.Green = b.u8();
        rec.Blue = b.u8();
    });
}
void ReadRegionSound(Body& b, REGNRecord& rec) {
    b.layout(kRegionSoundSize, rec.extras, [&] {
        RegionSoundData& snd = rec.Sounds.emplace_back();
        snd.SNAMLen = static_cast<int32_t>(kRegionSoundSize);
        snd.SoundID = b.fixed(32);
        snd.Chance = b.u8();
    });
}

void ReadChanceNone(Body& b, LEVIRecord& rec) {
    b.layout(1, rec.extras, [&] {
        rec.NNAMLen = 1;
        rec.ChanceNone = b.u8();
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
        case "DATA"_tag: ReadFlagWord(b, rec.DATALen, rec.ListFlags, rec.extras); break;
        case "NNAM"_tag: ReadChanceNone(b, rec); break;
        case "INDX"_tag: ReadInt32(b, rec.extras, rec.INDXLen, rec.INDX); break;
        case EntryTag: ReadEntryName(b, rec); break;
        case "INTV"_tag: ReadEntryLevel(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

// NAME, then for a deleted record DELE. Returns true when the record is deleted and nothing else follows.
template <class R> bool WriteNameAndDele(ByteWriter& w, const R& rec) {
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (!IsDeleted(rec.Flags)) return false;
    w.deleSub();
    return true;
}

void WriteFlagWordIfSet(ByteWriter& w, std::string_view tag, int32_t len, uint8_t v) {
    if (len == 0) return;
    size_t s = w.beginSub(tag);
    WriteFlagByte(w, v);
    w.endSub(s);
}

void WriteSoundData(ByteWriter& w, const SOUNRecord& rec) {
    size_t s = w.beginSub("DATA");
    w.u8(rec.Volume);
    w.u8(rec.MinRange);
    w.u8(rec.MaxRange);
    w.endSub(s);
}

void WriteWeather(ByteWriter& w, const REGNRecord& rec) {
    size_t s = w.beginSub("WEAT");
    w.raw(rec.Weather.data(), rec.Weather.size());
    w.endSub(s);
}
// The map colour, its filler byte written as zero.
void WriteColour(ByteWriter& w, const REGNRecord& rec) {
    size_t s = w.beginSub("CNAM");
    w.u8(rec.Red);
    w.u8(rec.Green);
    w.u8(rec.Blue);
    w.u8(0);
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
void WriteEntries(ByteWriter& w, const LEVIRecord& rec, std::string_view entryTag) {
    for (const LevelledItemData& e : rec.Items) {
        w.zstringSub(entryTag, e.INAM);
        if (e.INTVLen == 0) continue;
        size_t s = w.beginSub("INTV");
        w.i16(e.Level);
        w.endSub(s);
    }
}

void WriteLevelled(ByteWriter& w, const LEVIRecord& rec, std::string_view recordTag,
                   std::string_view entryTag) {
    size_t m = w.beginRecord(recordTag, rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteFlagWordIfSet(w, "DATA", rec.DATALen, rec.ListFlags);
        if (rec.NNAMLen != 0) {
            size_t s = w.beginSub("NNAM");
            w.u8(rec.ChanceNone);
            w.endSub(s);
        }
        WriteInt32IfSet(w, "INDX", rec.INDXLen, rec.INDX);
        WriteEntries(w, rec, entryTag);
    }
    w.endRecord(m);
}

} // namespace

void ReadSOUN(Body& b, SOUNRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "DATA"_tag: ReadSoundData(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteSOUN(ByteWriter& w, const SOUNRecord& rec) {
    size_t m = w.beginRecord("SOUN", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        if (rec.DATALen != 0) WriteSoundData(w, rec);
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
        case "CNAM"_tag: ReadColour(b, rec); break;
        case "SNAM"_tag: ReadRegionSound(b, rec); break;
        case "WNAM"_tag: ReadInt32(b, rec.extras, rec.WNAMLen, rec.WNAM); break;
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
        if (rec.CNAMLen != 0) WriteColour(w, rec);
        WriteRegionSounds(w, rec);
        WriteInt32IfSet(w, "WNAM", rec.WNAMLen, rec.WNAM);
    }
    w.endRecord(m);
}

void ReadLTEX(Body& b, LTEXRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "INTV"_tag: ReadInt32(b, rec.extras, rec.INTVLen, rec.INTV); break;
        case "DATA"_tag: ReadZString(b, rec.DATALen, rec.DATA); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteLTEX(ByteWriter& w, const LTEXRecord& rec) {
    size_t m = w.beginRecord("LTEX", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteInt32IfSet(w, "INTV", rec.INTVLen, rec.INTV);
        WriteZStringIfSet(w, "DATA", rec.DATALen, rec.DATA);
    }
    w.endRecord(m);
}

void ReadSNDG(Body& b, SNDGRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "DATA"_tag: ReadFlagWord(b, rec.DATALen, rec.SoundType, rec.extras); break;
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
        WriteFlagWordIfSet(w, "DATA", rec.DATALen, rec.SoundType);
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
