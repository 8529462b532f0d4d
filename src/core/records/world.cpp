#include "records/world.h"

#include <string_view>

#include "records/common.h"

namespace vellum {

namespace {

constexpr size_t kRegionSoundSize = 33; // a sound ID of 32 characters and the chance byte

// The Size that a reader's own drops and additions go to. A deleted record is written without its data
// subrecords, whose bytes the reading loop takes off the Size whole; their inner changes then count for
// nothing.
template <class R> int32_t& DataSize(R& rec, int32_t& scratch) {
    return IsDeleted(rec.Flags) ? scratch : rec.Size;
}

// A zero-terminated string subrecord. One of size 0 holds nothing and is not written back, so its 8 bytes
// leave the Size.
void ReadPair(ByteReader& r, int32_t& size, int32_t& len, std::string& s) {
    ReadZString(r, len, s);
    if (len <= 0) {
        len = 0;
        s.clear();
        DropFromSize(size, 8);
    }
}

// A data subrecord of a fixed layout of N bytes, read by its stored length so that the subrecords after it
// are still found: missing bytes read as zeros, bytes beyond the layout are dropped. The length becomes the
// layout's and the Size follows.
template <size_t N, class Fields>
void ReadLayout(ByteReader& r, int32_t& size, int32_t& len, Fields&& fields) {
    layout::ReadFixedSub<N>(r, len, fields);
    AddToSize(size, N);
    DropFromSize(size, layout::DataBytes(len));
    len = static_cast<int32_t>(N);
}

// NAME, then for a deleted record DELE. Returns true when the record is deleted and nothing else follows.
template <class R> bool WriteNameAndDele(ByteWriter& w, const R& rec) {
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (!IsDeleted(rec.Flags)) return false;
    w.deleSub();
    return true;
}

LEVIRecord ReadLevelled(ByteReader& r, std::string& pendingTag, std::string_view entryTag) {
    return ReadSubrecords<LEVIRecord>(r, pendingTag, [&](LEVIRecord& rec, const std::string& tag) {
        int32_t scratch = 0;
        int32_t& size = DataSize(rec, scratch);
        if (tag == "NAME") {
            ReadPair(r, rec.Size, rec.NAMELen, rec.NAME);
            return SubRead::Identity;
        } else if (tag == "DATA") {
            ReadLayout<4>(r, size, rec.DATALen, [&](ByteReader& d) { rec.ListFlags = d.u8(); });
        } else if (tag == "NNAM") {
            ReadLayout<1>(r, size, rec.NNAMLen, [&](ByteReader& d) { rec.ChanceNone = d.u8(); });
        } else if (tag == "INDX") {
            ReadLayout<4>(r, size, rec.INDXLen, [&](ByteReader& d) { rec.INDX = d.i32(); });
        } else if (tag == entryTag) {
            LevelledItemData& e = rec.Items.emplace_back();
            e.INAMLen = r.i32();
            e.INAM = r.zstring(e.INAMLen);
            if (e.INAMLen <= 0) {
                // A name of size 0 is written as an empty name with its terminator, which keeps the entry.
                AddToSize(size, 1);
                DropFromSize(size, layout::DataBytes(e.INAMLen));
                e.INAMLen = 1;
            }
            // The level follows as INTV; an entry without one keeps no level and the tag is left to be
            // read as the next subrecord.
            if (PeekTag(r) == "INTV") {
                r.skip(4);
                ReadLayout<2>(r, size, e.INTVLen, [&](ByteReader& d) { e.Level = d.i16(); });
            }
        } else {
            return SubRead::End;
        }
        return SubRead::Data;
    });
}

void WriteLevelled(ByteWriter& w, const LEVIRecord& rec, std::string_view recordTag,
                   std::string_view entryTag) {
    size_t m = w.beginRecord(recordTag, rec.Size, rec.Header1, rec.Flags);
    if (!WriteNameAndDele(w, rec)) {
        if (rec.DATALen != 0) {
            size_t s = w.beginSub("DATA");
            WriteFlagByte(w, rec.ListFlags);
            w.endSub(s);
        }
        if (rec.NNAMLen != 0) {
            size_t s = w.beginSub("NNAM");
            w.u8(rec.ChanceNone);
            w.endSub(s);
        }
        if (rec.INDXLen != 0) {
            size_t s = w.beginSub("INDX");
            w.i32(rec.INDX);
            w.endSub(s);
        }
        if (!rec.Items.empty() && rec.Items.front().INAMLen != 0) {
            for (const LevelledItemData& e : rec.Items) {
                w.zstringSub(entryTag, e.INAM);
                if (e.INTVLen != 0) {
                    size_t s = w.beginSub("INTV");
                    w.i16(e.Level);
                    w.endSub(s);
                }
            }
        }
    }
    w.endRecord(m);
}

} // namespace

SOUNRecord ReadSOUN(ByteReader& r, std::string& pendingTag) {
    return ReadSubrecords<SOUNRecord>(r, pendingTag, [&r](SOUNRecord& rec, const std::string& tag) {
        int32_t scratch = 0;
        int32_t& size = DataSize(rec, scratch);
        if (tag == "NAME") {
            ReadPair(r, rec.Size, rec.NAMELen, rec.NAME);
            return SubRead::Identity;
        } else if (tag == "FNAM") {
            ReadPair(r, size, rec.FNAMLen, rec.FNAM);
        } else if (tag == "DATA") {
            ReadLayout<3>(r, size, rec.DATALen, [&](ByteReader& d) {
                rec.Volume = d.u8();
                rec.MinRange = d.u8();
                rec.MaxRange = d.u8();
            });
        } else {
            return SubRead::End;
        }
        return SubRead::Data;
    });
}

void WriteSOUN(ByteWriter& w, const SOUNRecord& rec) {
    size_t m = w.beginRecord("SOUN", rec.Size, rec.Header1, rec.Flags);
    if (!WriteNameAndDele(w, rec)) {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        if (rec.DATALen != 0) {
            size_t s = w.beginSub("DATA");
            w.u8(rec.Volume);
            w.u8(rec.MinRange);
            w.u8(rec.MaxRange);
            w.endSub(s);
        }
    }
    w.endRecord(m);
}

REGNRecord ReadREGN(ByteReader& r, std::string& pendingTag) {
    size_t afterLastSound = 0; // where the last SNAM read ended: an SNAM starting there continues its run
    return ReadSubrecords<REGNRecord>(r, pendingTag, [&](REGNRecord& rec, const std::string& tag) {
        int32_t scratch = 0;
        int32_t& size = DataSize(rec, scratch);
        if (tag == "NAME") {
            ReadPair(r, rec.Size, rec.NAMELen, rec.NAME);
            return SubRead::Identity;
        } else if (tag == "SNAM") {
            if (r.position() - 4 != afterLastSound) {
                // A new run of sounds starts again at the first element: the sounds of an earlier run are
                // dropped.
                DropFromSize(size, rec.Sounds.size() * (8 + kRegionSoundSize));
                rec.Sounds.clear();
            }
            RegionSoundData& snd = rec.Sounds.emplace_back();
            ReadLayout<kRegionSoundSize>(r, size, snd.SNAMLen, [&](ByteReader& d) {
                snd.SoundID = d.fixed(32);
                snd.Chance = d.u8();
            });
            afterLastSound = r.position();
        } else if (tag == "FNAM") {
            ReadPair(r, size, rec.FNAMLen, rec.FNAM);
        } else if (tag == "WEAT") {
            std::string b = layout::ReadSubData(r, &rec.WEATLen);
            rec.Weather.assign(b.begin(), b.end());
            if (rec.Weather.empty()) {
                // Weather chances of size 0 are not written back.
                DropFromSize(size, 8 + layout::DataBytes(rec.WEATLen));
                rec.WEATLen = 0;
            }
        } else if (tag == "BNAM") {
            ReadPair(r, size, rec.BNAMLen, rec.BNAM);
        } else if (tag == "CNAM") {
            ReadLayout<4>(r, size, rec.CNAMLen, [&](ByteReader& d) {
                rec.Red = d.u8();
                rec.Green = d.u8();
                rec.Blue = d.u8();
            });
        } else if (tag == "WNAM") {
            ReadLayout<4>(r, size, rec.WNAMLen, [&](ByteReader& d) { rec.WNAM = d.i32(); });
        } else {
            return SubRead::End;
        }
        return SubRead::Data;
    });
}

void WriteREGN(ByteWriter& w, const REGNRecord& rec) {
    size_t m = w.beginRecord("REGN", rec.Size, rec.Header1, rec.Flags);
    if (!WriteNameAndDele(w, rec)) {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        if (rec.WEATLen != 0) {
            size_t s = w.beginSub("WEAT");
            w.raw(rec.Weather.data(), rec.Weather.size());
            w.endSub(s);
        }
        WriteZStringIfSet(w, "BNAM", rec.BNAMLen, rec.BNAM);
        if (rec.CNAMLen != 0) {
            size_t s = w.beginSub("CNAM");
            w.u8(rec.Red);
            w.u8(rec.Green);
            w.u8(rec.Blue);
            w.u8(0);
            w.endSub(s);
        }
        if (!rec.Sounds.empty() && rec.Sounds.front().SNAMLen != 0) {
            for (const RegionSoundData& snd : rec.Sounds) {
                size_t s = w.beginSub("SNAM");
                w.fixed(snd.SoundID, 32);
                w.u8(snd.Chance);
                w.endSub(s);
            }
        }
        if (rec.WNAMLen != 0) {
            size_t s = w.beginSub("WNAM");
            w.i32(rec.WNAM);
            w.endSub(s);
        }
    }
    w.endRecord(m);
}

LTEXRecord ReadLTEX(ByteReader& r, std::string& pendingTag) {
    return ReadSubrecords<LTEXRecord>(r, pendingTag, [&r](LTEXRecord& rec, const std::string& tag) {
        int32_t scratch = 0;
        int32_t& size = DataSize(rec, scratch);
        if (tag == "NAME") {
            ReadPair(r, rec.Size, rec.NAMELen, rec.NAME);
            return SubRead::Identity;
        } else if (tag == "INTV") {
            ReadLayout<4>(r, size, rec.INTVLen, [&](ByteReader& d) { rec.INTV = d.i32(); });
        } else if (tag == "DATA") {
            ReadPair(r, size, rec.DATALen, rec.DATA);
        } else {
            return SubRead::End;
        }
        return SubRead::Data;
    });
}

void WriteLTEX(ByteWriter& w, const LTEXRecord& rec) {
    size_t m = w.beginRecord("LTEX", rec.Size, rec.Header1, rec.Flags);
    if (!WriteNameAndDele(w, rec)) {
        if (rec.INTVLen != 0) {
            size_t s = w.beginSub("INTV");
            w.i32(rec.INTV);
            w.endSub(s);
        }
        WriteZStringIfSet(w, "DATA", rec.DATALen, rec.DATA);
    }
    w.endRecord(m);
}

SNDGRecord ReadSNDG(ByteReader& r, std::string& pendingTag) {
    return ReadSubrecords<SNDGRecord>(r, pendingTag, [&r](SNDGRecord& rec, const std::string& tag) {
        int32_t scratch = 0;
        int32_t& size = DataSize(rec, scratch);
        if (tag == "NAME") {
            ReadPair(r, rec.Size, rec.NAMELen, rec.NAME);
            return SubRead::Identity;
        } else if (tag == "DATA") {
            ReadLayout<4>(r, size, rec.DATALen, [&](ByteReader& d) { rec.SoundType = d.u8(); });
        } else if (tag == "CNAM") {
            ReadPair(r, size, rec.CNAMLen, rec.CNAM);
        } else if (tag == "SNAM") {
            ReadPair(r, size, rec.SNAMLen, rec.SNAM);
        } else {
            return SubRead::End;
        }
        return SubRead::Data;
    });
}

void WriteSNDG(ByteWriter& w, const SNDGRecord& rec) {
    size_t m = w.beginRecord("SNDG", rec.Size, rec.Header1, rec.Flags);
    if (!WriteNameAndDele(w, rec)) {
        if (rec.DATALen != 0) {
            size_t s = w.beginSub("DATA");
            WriteFlagByte(w, rec.SoundType);
            w.endSub(s);
        }
        WriteZStringIfSet(w, "SNAM", rec.SNAMLen, rec.SNAM);
        WriteZStringIfSet(w, "CNAM", rec.CNAMLen, rec.CNAM);
    }
    w.endRecord(m);
}

LEVIRecord ReadLEVI(ByteReader& r, std::string& pendingTag) {
    return ReadLevelled(r, pendingTag, "INAM");
}
void WriteLEVI(ByteWriter& w, const LEVIRecord& rec) {
    WriteLevelled(w, rec, "LEVI", "INAM");
}
LEVCRecord ReadLEVC(ByteReader& r, std::string& pendingTag) {
    return ReadLevelled(r, pendingTag, "CNAM");
}
void WriteLEVC(ByteWriter& w, const LEVCRecord& rec) {
    WriteLevelled(w, rec, "LEVC", "CNAM");
}

} // namespace vellum
