#include "records/character.h"

namespace vellum {

namespace {

// Takes bytes that the reader drops off the record's Size. A deleted record has lost all its data bytes
// in the reading loop already.
void Dropped(int32_t& size, int32_t flags, uint64_t bytes) {
    if (!IsDeleted(flags)) DropFromSize(size, bytes);
}

// The bytes of a reaction as the writer writes it: ANAM with its characters, and INTV when it was read.
uint64_t ReactionBytes(const ReactionData& d) {
    return 8 + d.ANAM.size() + (d.INTVLen != 0 ? 12 : 0);
}

void WriteNumberSub(ByteWriter& w, std::string_view tag, int32_t v) {
    size_t s = w.beginSub(tag);
    w.i32(v);
    w.endSub(s);
}

// The spell entries of races and birthsigns: all of them when the first one was read from the file.
void WriteSpecials(ByteWriter& w, const std::vector<NPCSData>& specials) {
    if (specials.empty() || specials.front().NPCSLen == 0) return;
    for (const NPCSData& d : specials) WriteNPCS(w, d);
}

} // namespace

// ---- CLAS ----

CLASRecord ReadCLAS(ByteReader& r, std::string& pendingTag) {
    return ReadSubrecords<CLASRecord>(r, pendingTag, [&r](CLASRecord& rec, const std::string& tag) {
        SubRead kind = SubRead::Data;
        if (tag == "NAME") {
            ReadZString(r, rec.NAMELen, rec.NAME);
            kind = SubRead::Identity;
        } else if (tag == "FNAM") {
            ReadZString(r, rec.FNAMLen, rec.FNAM);
        } else if (tag == "CLDT") {
            rec.CLDTLen = r.i32();
            rec.Attribute1 = r.i32();
            rec.Attribute2 = r.i32();
            rec.Specialization = r.i32();
            for (int32_t& v : rec.Skills) v = r.i32();
            rec.Playable = ReadFlagByte(r);
            rec.AutoCalc = r.i32();
        } else if (tag == "DESC") {
            ReadText(r, rec.DESCLen, rec.DESC);
        } else {
            return SubRead::End;
        }
        return kind;
    });
}

void WriteCLAS(ByteWriter& w, const CLASRecord& rec) {
    size_t m = w.beginRecord("CLAS", rec.Size, rec.Header1, rec.Flags);
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        if (rec.CLDTLen != 0) {
            size_t s = w.beginSub("CLDT");
            w.i32(rec.Attribute1);
            w.i32(rec.Attribute2);
            w.i32(rec.Specialization);
            for (int32_t v : rec.Skills) w.i32(v);
            WriteFlagByte(w, rec.Playable);
            w.i32(rec.AutoCalc);
            w.endSub(s);
        }
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
    }
    w.endRecord(m);
}

// ---- FACT ----

namespace {

// A run of RNAM subrecords (the first one's tag just read) fills the rank names from slot 0. A slot that an
// earlier run filled is overwritten (the earlier name's bytes leave the Size); names beyond the last slot
// are skipped by their stored length and leave the Size as well.
void ReadRankNames(ByteReader& r, FACTRecord& rec) {
    for (size_t slot = 0;; ++slot) {
        const int32_t len = r.i32();
        if (slot < kRankSlots) {
            RankNameData& d = rec.RankNames[slot];
            if (d.RNAMLen != 0) Dropped(rec.Size, rec.Flags, 8 + 32);
            d.RNAMLen = len;
            d.RankName = r.fixed(32);
        } else {
            const uint64_t skipped = len > 0 ? static_cast<uint32_t>(len) : 0;
            r.skip(skipped);
            Dropped(rec.Size, rec.Flags, 8 + skipped);
        }
        if (PeekTag(r) != "RNAM") return;
        r.skip(4);
    }
}

// A run of ANAM subrecords (the first one's tag just read), each followed by its INTV, replaces the
// reactions read so far (their bytes leave the Size). An ANAM that is not followed by an INTV keeps the
// value 0 with INTVLen 0, and the tag that follows it is read as the next subrecord.
void ReadReactions(ByteReader& r, FACTRecord& rec) {
    for (const ReactionData& old : rec.Reactions) Dropped(rec.Size, rec.Flags, ReactionBytes(old));
    rec.Reactions.clear();
    for (;;) {
        ReactionData& d = rec.Reactions.emplace_back();
        ReadText(r, d.ANAMLen, d.ANAM);
        if (PeekTag(r) == "INTV") {
            r.skip(4);
            d.INTVLen = r.i32();
            d.INTV = r.i32();
        }
        if (PeekTag(r) != "ANAM") return;
        r.skip(4);
    }
}

} // namespace

FACTRecord ReadFACT(ByteReader& r, std::string& pendingTag) {
    return ReadSubrecords<FACTRecord>(r, pendingTag, [&r](FACTRecord& rec, const std::string& tag) {
        if (tag == "NAME") {
            ReadZString(r, rec.NAMELen, rec.NAME);
            return SubRead::Identity;
        }
        if (tag == "FNAM") {
            ReadZString(r, rec.FNAMLen, rec.FNAM);
        } else if (tag == "RNAM") {
            ReadRankNames(r, rec);
        } else if (tag == "FADT") {
            rec.FADTLen = r.i32();
            rec.Attribute1 = r.i32();
            rec.Attribute2 = r.i32();
            for (RankData& d : rec.Ranks) {
                d.Attribute1 = r.i32();
                d.Attribute2 = r.i32();
                d.Skill1 = r.i32();
                d.Skill2 = r.i32();
                d.Reputation = r.i32();
            }
            for (int32_t& v : rec.Skills) v = r.i32();
            rec.FactionUnknown = r.i32();
            rec.FactionFlags = r.i32();
        } else if (tag == "ANAM") {
            ReadReactions(r, rec);
        } else {
            return SubRead::End;
        }
        return SubRead::Data;
    });
}

void WriteFACT(ByteWriter& w, const FACTRecord& rec) {
    size_t m = w.beginRecord("FACT", rec.Size, rec.Header1, rec.Flags);
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        for (const RankNameData& d : rec.RankNames) {
            if (d.RNAMLen == 0) continue;
            size_t s = w.beginSub("RNAM");
            w.fixed(d.RankName, 32);
            w.endSub(s);
        }
        if (rec.FADTLen != 0) {
            size_t s = w.beginSub("FADT");
            w.i32(rec.Attribute1);
            w.i32(rec.Attribute2);
            for (const RankData& d : rec.Ranks) {
                w.i32(d.Attribute1);
                w.i32(d.Attribute2);
                w.i32(d.Skill1);
                w.i32(d.Skill2);
                w.i32(d.Reputation);
            }
            for (int32_t v : rec.Skills) w.i32(v);
            w.i32(rec.FactionUnknown);
            w.i32(rec.FactionFlags);
            w.endSub(s);
        }
        if (!rec.Reactions.empty() && rec.Reactions.front().ANAMLen != 0) {
            for (const ReactionData& d : rec.Reactions) {
                w.textSub("ANAM", d.ANAM);
                if (d.INTVLen != 0) WriteNumberSub(w, "INTV", d.INTV);
            }
        }
    }
    w.endRecord(m);
}

// ---- RACE ----

RACERecord ReadRACE(ByteReader& r, std::string& pendingTag) {
    return ReadSubrecords<RACERecord>(r, pendingTag, [&r](RACERecord& rec, const std::string& tag) {
        SubRead kind = SubRead::Data;
        if (tag == "NAME") {
            ReadZString(r, rec.NAMELen, rec.NAME);
            kind = SubRead::Identity;
        } else if (tag == "FNAM") {
            ReadZString(r, rec.FNAMLen, rec.FNAM);
        } else if (tag == "RADT") {
            rec.RADTLen = r.i32();
            for (SkillBonusData& d : rec.SkillBonuses) {
                d.Skill = r.i32();
                d.Bonus = r.i32();
            }
            for (AttributeValueData& d : rec.Attributes) {
                d.Male = r.i32();
                d.Female = r.i32();
            }
            rec.HeightMale = r.f32();
            rec.HeightFemale = r.f32();
            rec.WeightMale = r.f32();
            rec.WeightFemale = r.f32();
            rec.RaceFlags = r.i32();
        } else if (tag == "NPCS") {
            rec.Specials.push_back(ReadNPCS(r));
        } else if (tag == "DESC") {
            ReadText(r, rec.DESCLen, rec.DESC);
        } else {
            return SubRead::End;
        }
        return kind;
    });
}

void WriteRACE(ByteWriter& w, const RACERecord& rec) {
    size_t m = w.beginRecord("RACE", rec.Size, rec.Header1, rec.Flags);
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        if (rec.RADTLen != 0) {
            size_t s = w.beginSub("RADT");
            for (const SkillBonusData& d : rec.SkillBonuses) {
                w.i32(d.Skill);
                w.i32(d.Bonus);
            }
            for (const AttributeValueData& d : rec.Attributes) {
                w.i32(d.Male);
                w.i32(d.Female);
            }
            w.f32(rec.HeightMale);
            w.f32(rec.HeightFemale);
            w.f32(rec.WeightMale);
            w.f32(rec.WeightFemale);
            w.i32(rec.RaceFlags);
            w.endSub(s);
        }
        WriteSpecials(w, rec.Specials);
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
    }
    w.endRecord(m);
}

// ---- SKIL ----

SKILRecord ReadSKIL(ByteReader& r, std::string& pendingTag) {
    return ReadSubrecords<SKILRecord>(r, pendingTag, [&r](SKILRecord& rec, const std::string& tag) {
        SubRead kind = SubRead::Data;
        if (tag == "INDX") {
            rec.INDXLen = r.i32();
            rec.INDX = r.i32();
            kind = SubRead::Identity;
        } else if (tag == "SKDT") {
            rec.SKDTLen = r.i32();
            rec.Attribute = r.i32();
            rec.Specialization = r.i32();
            for (float& v : rec.UseValues) v = r.f32();
        } else if (tag == "DESC") {
            ReadText(r, rec.DESCLen, rec.DESC);
        } else {
            return SubRead::End;
        }
        return kind;
    });
}

void WriteSKIL(ByteWriter& w, const SKILRecord& rec) {
    size_t m = w.beginRecord("SKIL", rec.Size, rec.Header1, rec.Flags);
    if (rec.INDXLen != 0) WriteNumberSub(w, "INDX", rec.INDX);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        if (rec.SKDTLen != 0) {
            size_t s = w.beginSub("SKDT");
            w.i32(rec.Attribute);
            w.i32(rec.Specialization);
            for (float v : rec.UseValues) w.f32(v);
            w.endSub(s);
        }
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
    }
    w.endRecord(m);
}

// ---- BSGN ----

BSGNRecord ReadBSGN(ByteReader& r, std::string& pendingTag) {
    return ReadSubrecords<BSGNRecord>(r, pendingTag, [&r](BSGNRecord& rec, const std::string& tag) {
        SubRead kind = SubRead::Data;
        if (tag == "NAME") {
            ReadZString(r, rec.NAMELen, rec.NAME);
            kind = SubRead::Identity;
        } else if (tag == "FNAM") {
            ReadZString(r, rec.FNAMLen, rec.FNAM);
        } else if (tag == "TNAM") {
            ReadZString(r, rec.TNAMLen, rec.TNAM);
        } else if (tag == "DESC") {
            ReadText(r, rec.DESCLen, rec.DESC);
        } else if (tag == "NPCS") {
            rec.Specials.push_back(ReadNPCS(r));
        } else {
            return SubRead::End;
        }
        return kind;
    });
}

void WriteBSGN(ByteWriter& w, const BSGNRecord& rec) {
    size_t m = w.beginRecord("BSGN", rec.Size, rec.Header1, rec.Flags);
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteZStringIfSet(w, "TNAM", rec.TNAMLen, rec.TNAM);
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
        WriteSpecials(w, rec.Specials);
    }
    w.endRecord(m);
}

} // namespace vellum
