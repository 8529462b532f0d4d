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

} // namespace

// ---- CLAS ----

namespace {

constexpr auto ClassFields = [](auto&& io, auto& rec) {
    io(rec.Attribute1, rec.Attribute2, rec.Specialization, rec.Skills, FlagByte(rec.Playable), rec.AutoCalc);
};

} // namespace

void ReadCLAS(Body& b, CLASRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "CLDT"_tag: ReadLayout(b, rec, rec.CLDTLen, kCLDTBytes, ClassFields); break;
        case "DESC"_tag: ReadText(b, rec.DESCLen, rec.DESC); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteCLAS(ByteWriter& w, const CLASRecord& rec) {
    size_t m = w.beginRecord("CLAS", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteLayoutIfSet(w, "CLDT", rec.CLDTLen, rec, ClassFields);
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

constexpr auto FactionFields = [](auto&& io, auto& rec) {
    io(rec.Attribute1, rec.Attribute2);
    for (auto& d : rec.Ranks) io(d.Attribute1, d.Attribute2, d.Skill1, d.Skill2, d.Reputation);
    io(rec.Skills, rec.FactionUnknown, rec.FactionFlags);
};

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

void WriteReactions(ByteWriter& w, const FACTRecord& rec) {
    for (const ReactionData& d : rec.Reactions) {
        w.textSub("ANAM", d.ANAM);
        WriteValueIfSet(w, "INTV", d.INTVLen, d.INTV);
    }
}

} // namespace

void ReadFACT(Body& b, FACTRecord& rec) {
    FactionRuns runs;
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "RNAM"_tag: ReadRankName(b, rec, runs); break;
        case "FADT"_tag: ReadLayout(b, rec, rec.FADTLen, kFADTBytes, FactionFields); break;
        case "ANAM"_tag: ReadReaction(b, rec, runs); break;
        case "INTV"_tag: ReadReactionValue(b, rec, runs); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteFACT(ByteWriter& w, const FACTRecord& rec) {
    size_t m = w.beginRecord("FACT", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteRankNames(w, rec);
        WriteLayoutIfSet(w, "FADT", rec.FADTLen, rec, FactionFields);
        WriteReactions(w, rec);
    }
    w.endRecord(m);
}

// ---- RACE ----

namespace {

constexpr auto RaceFields = [](auto&& io, auto& rec) {
    for (auto& d : rec.SkillBonuses) io(d.Skill, d.Bonus);
    for (auto& d : rec.Attributes) io(d.Male, d.Female);
    io(rec.HeightMale, rec.HeightFemale, rec.WeightMale, rec.WeightFemale, rec.RaceFlags);
};

} // namespace

void ReadRACE(Body& b, RACERecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "RADT"_tag: ReadLayout(b, rec, rec.RADTLen, kRADTBytes, RaceFields); break;
        case "NPCS"_tag: ReadSpecial(b, rec.Specials, rec.extras); break;
        case "DESC"_tag: ReadText(b, rec.DESCLen, rec.DESC); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteRACE(ByteWriter& w, const RACERecord& rec) {
    size_t m = w.beginRecord("RACE", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    if (!WriteNameAndDele(w, rec)) {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteLayoutIfSet(w, "RADT", rec.RADTLen, rec, RaceFields);
        WriteSpecials(w, rec.Specials);
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
    }
    w.endRecord(m);
}

// ---- SKIL ----

namespace {

constexpr auto SkillFields = [](auto&& io, auto& rec) {
    io(rec.Attribute, rec.Specialization, rec.UseValues);
};

} // namespace

void ReadSKIL(Body& b, SKILRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "INDX"_tag: ReadValue(b, rec.extras, rec.INDXLen, rec.INDX); break;
        case "SKDT"_tag: ReadLayout(b, rec, rec.SKDTLen, kSKDTBytes, SkillFields); break;
        case "DESC"_tag: ReadText(b, rec.DESCLen, rec.DESC); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteSKIL(ByteWriter& w, const SKILRecord& rec) {
    size_t m = w.beginRecord("SKIL", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    WriteValueIfSet(w, "INDX", rec.INDXLen, rec.INDX);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        WriteLayoutIfSet(w, "SKDT", rec.SKDTLen, rec, SkillFields);
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
    if (!WriteNameAndDele(w, rec)) {
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteZStringIfSet(w, "TNAM", rec.TNAMLen, rec.TNAM);
        WriteTextIfSet(w, "DESC", rec.DESCLen, rec.DESC);
        WriteSpecials(w, rec.Specials);
    }
    w.endRecord(m);
}

} // namespace vellum
