#include "records/character.h"

namespace vellum {

namespace {

constexpr size_t kCLDTBytes = 60;
constexpr size_t kFADTBytes = 240;
constexpr size_t kRADTBytes = 140;
constexpr size_t kSKDTBytes = 24;

// A spell entry of a race or a birthsign; an empty one is kept whole.
void ReadSpecial(Body& b, std::vector<NPCSData>& specials, Extras& extras) {
    if (b.size() == 0) {
        b.keep(extras);
        return;
    }
    specials.push_back(ReadNPCS(b));
}

void WriteSpecials(ByteWriter& w, const std::vector<NPCSData>& specials) {
    for (const NPCSData& d : specials) WriteNPCS(w, d);
}

void WriteNumberSub(ByteWriter& w, std::string_view tag, int32_t v) {
    size_t s = w.beginSub(tag);
    w.i32(v);
    w.endSub(s);
}

} // namespace

// ---- CLAS ----

namespace {

void ReadClassData(Body& b, CLASRecord& rec) {
    b.layout(kCLDTBytes, rec.extras, [&] {
        rec.CLDTLen = static_cast<int32_t>(kCLDTBytes);
        rec.Attribute1 = b.i32();
        rec.Attribute2 = b.i32();
        rec.Specialization = b.i32();
        for (int32_t& v : rec.Skills) v = b.i32();
        rec.Playable = ReadFlagByte(b);
        rec.AutoCalc = b.i32();
    });
}

void WriteClassData(ByteWriter& w, const CLASRecord& rec) {
    size_t s = w.beginSub("CLDT");
    w.i32(rec.Attribute1);
    w.i32(rec.Attribute2);
    w.i32(rec.Specialization);
    for (int32_t v : rec.Skills) w.i32(v);
    WriteFlagByte(w, rec.Playable);
    w.i32(rec.AutoCalc);
    w.endSub(s);
}

} // namespace

void ReadCLAS(Body& b, CLASRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "CLDT"_tag: ReadClassData(b, rec); break;
        case "DESC"_tag: ReadText(b, rec.DESCLen, rec.DESC); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteCLAS(ByteWriter& w, const CLASRecord& rec) {
    size_t m = w.beginRecord("CLAS", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        if (rec.CLDTLen != 0) WriteClassData(w, rec);
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
    }
    w.endRecord(m);
}

// ---- FACT ----

namespace {

// A run of rank names or of reactions while a faction is read. It goes on while the subrecords since its
// last one were all kept whole (other tags, other lengths); any other subrecord ends it.
struct Run {
    bool open = false;
    uint32_t next = 0; // the index after the run's last subrecord
    size_t kept = 0;   // the record's kept subrecords at that point
    bool goesOn(const Body& b, const Extras& extras) const {
        return open && b.index() - next == extras.subs.size() - kept;
    }
    void mark(const Body& b, const Extras& extras) {
        open = true;
        next = b.index() + 1;
        kept = extras.subs.size();
    }
};
// A new run of rank names fills the slots again from the first; a new run of reactions replaces the
// reactions read before.
struct FactionRuns {
    Run ranks;
    size_t rankSlot = 0; // the slot the next rank name of the run fills
    Run reactions;
};

// A rank name fills the next slot of its run. One beyond the last slot, or an empty one, is kept whole.
void ReadRankName(Body& b, FACTRecord& rec, FactionRuns& runs) {
    const size_t slot = runs.ranks.goesOn(b, rec.extras) ? runs.rankSlot : 0;
    runs.rankSlot = slot + 1;
    if (slot >= kRankSlots || b.size() == 0)
        b.keep(rec.extras);
    else
        rec.RankNames[slot] = {static_cast<int32_t>(b.size()), b.text()};
    runs.ranks.mark(b, rec.extras);
}

void ReadFactionData(Body& b, FACTRecord& rec) {
    b.layout(kFADTBytes, rec.extras, [&] {
        rec.FADTLen = static_cast<int32_t>(kFADTBytes);
        rec.Attribute1 = b.i32();
        rec.Attribute2 = b.i32();
        for (RankData& d : rec.Ranks) {
            d.Attribute1 = b.i32();
            d.Attribute2 = b.i32();
            d.Skill1 = b.i32();
            d.Skill2 = b.i32();
            d.Reputation = b.i32();
        }
        for (int32_t& v : rec.Skills) v = b.i32();
        rec.FactionUnknown = b.i32();
        rec.FactionFlags = b.i32();
    });
}

// The other faction of a reaction, with all its characters (its terminating zero included).
void ReadReaction(Body& b, FACTRecord& rec, FactionRuns& runs) {
    if (!runs.reactions.goesOn(b, rec.extras)) rec.Reactions.clear();
    ReactionData& d = rec.Reactions.emplace_back();
    ReadText(b, d.ANAMLen, d.ANAM);
    runs.reactions.mark(b, rec.extras);
}

// The value of the reaction whose ANAM came before it. An INTV that follows no such ANAM, or one of another
// length than 4 bytes, is kept whole.
void ReadReactionValue(Body& b, FACTRecord& rec, FactionRuns& runs) {
    const bool inRun = runs.reactions.goesOn(b, rec.extras);
    ReactionData* d = inRun && !rec.Reactions.empty() && rec.Reactions.back().INTVLen == 0
                          ? &rec.Reactions.back()
                          : nullptr;
    if (!d || b.size() != 4) {
        b.keep(rec.extras);
    } else {
        d->INTVLen = 4;
        d->INTV = b.i32();
    }
    if (inRun) runs.reactions.mark(b, rec.extras);
}

void WriteRankNames(ByteWriter& w, const FACTRecord& rec) {
    for (const RankNameData& d : rec.RankNames) {
        if (d.RNAMLen == 0) continue;
        size_t s = w.beginSub("RNAM");
        w.fixed(d.RankName, static_cast<size_t>(d.RNAMLen));
        w.endSub(s);
    }
}

void WriteFactionData(ByteWriter& w, const FACTRecord& rec) {
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

void WriteReactions(ByteWriter& w, const FACTRecord& rec) {
    for (const ReactionData& d : rec.Reactions) {
        w.textSub("ANAM", d.ANAM);
        if (d.INTVLen != 0) WriteNumberSub(w, "INTV", d.INTV);
    }
}

} // namespace

void ReadFACT(Body& b, FACTRecord& rec) {
    FactionRuns runs;
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "RNAM"_tag: ReadRankName(b, rec, runs); break;
        case "FADT"_tag: ReadFactionData(b, rec); break;
        case "ANAM"_tag: ReadReaction(b, rec, runs); break;
        case "INTV"_tag: ReadReactionValue(b, rec, runs); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteFACT(ByteWriter& w, const FACTRecord& rec) {
    size_t m = w.beginRecord("FACT", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteRankNames(w, rec);
        if (rec.FADTLen != 0) WriteFactionData(w, rec);
        WriteReactions(w, rec);
    }
    w.endRecord(m);
}

// ---- RACE ----

namespace {

void ReadRaceData(Body& b, RACERecord& rec) {
    b.layout(kRADTBytes, rec.extras, [&] {
        rec.RADTLen = static_cast<int32_t>(kRADTBytes);
        for (SkillBonusData& d : rec.SkillBonuses) {
            d.Skill = b.i32();
            d.Bonus = b.i32();
        }
        for (AttributeValueData& d : rec.Attributes) {
            d.Male = b.i32();
            d.Female = b.i32();
        }
        rec.HeightMale = b.f32();
        rec.HeightFemale = b.f32();
        rec.WeightMale = b.f32();
        rec.WeightFemale = b.f32();
        rec.RaceFlags = b.i32();
    });
}

void WriteRaceData(ByteWriter& w, const RACERecord& rec) {
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

} // namespace

void ReadRACE(Body& b, RACERecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "RADT"_tag: ReadRaceData(b, rec); break;
        case "NPCS"_tag: ReadSpecial(b, rec.Specials, rec.extras); break;
        case "DESC"_tag: ReadText(b, rec.DESCLen, rec.DESC); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteRACE(ByteWriter& w, const RACERecord& rec) {
    size_t m = w.beginRecord("RACE", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        if (rec.RADTLen != 0) WriteRaceData(w, rec);
        WriteSpecials(w, rec.Specials);
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
    }
    w.endRecord(m);
}

// ---- SKIL ----

namespace {

void ReadSkillIndex(Body& b, SKILRecord& rec) {
    b.layout(4, rec.extras, [&] {
        rec.INDXLen = 4;
        rec.INDX = b.i32();
    });
}

void ReadSkillData(Body& b, SKILRecord& rec) {
    b.layout(kSKDTBytes, rec.extras, [&] {
        rec.SKDTLen = static_cast<int32_t>(kSKDTBytes);
        rec.Attribute = b.i32();
        rec.Specialization = b.i32();
        for (float& v : rec.UseValues) v = b.f32();
    });
}

void WriteSkillData(ByteWriter& w, const SKILRecord& rec) {
    size_t s = w.beginSub("SKDT");
    w.i32(rec.Attribute);
    w.i32(rec.Specialization);
    for (float v : rec.UseValues) w.f32(v);
    w.endSub(s);
}

} // namespace

void ReadSKIL(Body& b, SKILRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "INDX"_tag: ReadSkillIndex(b, rec); break;
        case "SKDT"_tag: ReadSkillData(b, rec); break;
        case "DESC"_tag: ReadText(b, rec.DESCLen, rec.DESC); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteSKIL(ByteWriter& w, const SKILRecord& rec) {
    size_t m = w.beginRecord("SKIL", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (rec.INDXLen != 0) WriteNumberSub(w, "INDX", rec.INDX);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        if (rec.SKDTLen != 0) WriteSkillData(w, rec);
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
    }
    w.endRecord(m);
}

// ---- BSGN ----

void ReadBSGN(Body& b, BSGNRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "TNAM"_tag: ReadZString(b, rec.TNAMLen, rec.TNAM); break;
        case "DESC"_tag: ReadText(b, rec.DESCLen, rec.DESC); break;
        case "NPCS"_tag: ReadSpecial(b, rec.Specials, rec.extras); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteBSGN(ByteWriter& w, const BSGNRecord& rec) {
    size_t m = w.beginRecord("BSGN", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
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
