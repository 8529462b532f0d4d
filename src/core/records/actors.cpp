#include "records/actors.h"

#include <algorithm>
#include <string_view>

namespace vellum {

namespace {

// The layouts of the fixed subrecords, in bytes.
constexpr size_t kNpcDataShort = 12, kNpcDataLong = 52, kCreatureData = 96;
constexpr size_t kFlagBytes = 4, kAiDataBytes = 12;
constexpr size_t kWanderBytes = 14, kTravelBytes = 16, kEscortBytes = 48, kActivateBytes = 33,
                 kDestBytes = 24;

// A CNDT belongs to the AI_E or AI_F, a DNAM to the DODT, that was stored right before it: the tag it may
// have, the index it must stand at, and where its name goes. Anywhere else it is kept whole.
struct Trailer {
    uint32_t tag = 0;
    uint32_t at = 0;
    int32_t* len = nullptr;
    std::string* name = nullptr;
};

void ReadTrailer(Body& b, Trailer& t, Extras& extras) {
    if (b.tag() != t.tag || b.index() != t.at || b.size() == 0) return b.keep(extras);
    ReadZString(b, *t.len, *t.name);
    t = {};
}

// FLAG: the first two bytes of the word are kept; the writer puts two zero bytes after them.
constexpr auto FlagFields = [](auto&& io, auto& rec) { io(rec.FLAG0, rec.FLAG1, UnusedBytes{2}); };
constexpr auto AiFields = [](auto&& io, auto& rec) { io(rec.AIDTBytes, rec.AIFlags); };
constexpr auto WanderFields = [](auto&& io, auto& d) {
    io(d.Distance, d.Duration, d.TimeOfDay, d.Idles, d.Tail);
};
constexpr auto TravelFields = [](auto&& io, auto& d) { io(d.X, d.Y, d.Z, d.Tail); };
constexpr auto EscortFields = [](auto&& io, auto& d) {
    io(d.X, d.Y, d.Z, d.Duration, FixedChars(d.TargetID, 32), d.Tail);
};
constexpr auto ActivateFields = [](auto&& io, auto& d) { io(FixedChars(d.TargetID, 32), d.Tail); };
constexpr auto DestinationFields = [](auto&& io, auto& d) { io(d.DODT); };

// NPDT of an NPC: the short (auto-calculated) form of 12 bytes or the long form of 52; only the form read
// is filled.
void ReadNpcData(Body& b, NPC_Record& rec) {
    if (b.size() != kNpcDataShort && b.size() != kNpcDataLong) return b.keep(rec.extras);
    rec.NPDTLen = static_cast<int32_t>(b.size());
    rec.NPDTShort = {};
    rec.NPDTLong = {};
    if (b.size() == kNpcDataShort)
        b.bytes(rec.NPDTShort.data(), rec.NPDTShort.size());
    else
        b.bytes(rec.NPDTLong.data(), rec.NPDTLong.size());
}

// NPDT of a creature: its size, then its 96 bytes, in one block.
void ReadCreatureData(Body& b, CREARecord& rec) {
    b.layout(kCreatureData, rec.extras, [&] {
        rec.NPDTBlock = {};
        rec.NPDTBlock[0] = kCreatureData;
        b.bytes(rec.NPDTBlock.data() + 4, kCreatureData);
    });
}

template <class R> void ReadInventory(Body& b, R& rec) {
    if (b.size() != kNPCOBytes) return b.keep(rec.extras);
    rec.NPCO.push_back(ReadNPCO(b));
}

// A spell ID of any length but 0 is read with its length, and written back so.
template <class R> void ReadSpell(Body& b, R& rec) {
    if (b.size() == 0) return b.keep(rec.extras);
    rec.NPCS.push_back(ReadNPCS(b));
}

// An AI_E or AI_F package; a CNDT right after it gives the package's cell.
void ReadEscortOrFollow(Body& b, std::vector<AI_EFData>& list, Extras& extras, Trailer& t) {
    if (AI_EFData* d = ReadEntry(b, list, extras, &AI_EFData::Len, kEscortBytes, EscortFields))
        t = {"CNDT"_tag, b.index() + 1, &d->CNDTLen, &d->CNDT};
}

// A DODT fills the first empty destination slot; a DNAM right after it gives the destination's cell. A DODT
// beyond the four slots is kept whole, and so is the DNAM after it.
template <class R> void ReadDestination(Body& b, R& rec, Trailer& t) {
    auto slot = std::find_if(rec.Destinations.begin(), rec.Destinations.end(),
                             [](const DODTData& d) { return d.DODTLen == 0; });
    if (slot == rec.Destinations.end() || b.size() != kDestBytes) return b.keep(rec.extras);
    slot->DODTLen = kDestBytes;
    DestinationFields(FieldReader{b}, *slot);
    t = {"DNAM"_tag, b.index() + 1, &slot->DNAMLen, &slot->DNAM};
}

// The subrecords that NPCs and creatures share, and whatever else either record meets.
template <class R> void ReadActorSub(Body& b, R& rec, Trailer& t) {
    switch (b.tag()) {
    case "NPCO"_tag: ReadInventory(b, rec); break;
    case "NPCS"_tag: ReadSpell(b, rec); break;
    case "AIDT"_tag: ReadLayout(b, rec, rec.AIDTLen, kAiDataBytes, AiFields); break;
    case "INDX"_tag: ReadValue(b, rec.extras, rec.INDXLen, rec.INDX); break;
    case "AI_W"_tag:
        ReadEntry(b, rec.AI_W, rec.extras, &AI_WData::AI_WLen, kWanderBytes, WanderFields);
        break;
    case "AI_T"_tag:
        ReadEntry(b, rec.AI_T, rec.extras, &AI_TData::AI_TLen, kTravelBytes, TravelFields);
        break;
    case "AI_E"_tag: ReadEscortOrFollow(b, rec.AI_E, rec.extras, t); break;
    case "AI_F"_tag: ReadEscortOrFollow(b, rec.AI_F, rec.extras, t); break;
    case "AI_A"_tag:
        ReadEntry(b, rec.AI_A, rec.extras, &AI_AData::AI_ALen, kActivateBytes, ActivateFields);
        break;
    case "DODT"_tag: ReadDestination(b, rec, t); break;
    case "CNDT"_tag: ReadTrailer(b, t, rec.extras); break;
    case "DNAM"_tag: ReadTrailer(b, t, rec.extras); break;
    case "DELE"_tag: break; // the deleted state is carried by Flags alone
    default: b.keep(rec.extras); break;
    }
}

// FLAG: the two bytes kept, then two zero bytes. Not written in place of a FLAG kept whole.
template <class R> void WriteFlag(ByteWriter& w, const R& rec) {
    if (rec.FLAGLen == 0 && rec.extras.has("FLAG"_tag)) return;
    WriteLayout(w, "FLAG", rec, FlagFields);
}

// The NPC's NPDT in the form read; the long form, zero bytes, when there was none.
void WriteNpcData(ByteWriter& w, const NPC_Record& rec) {
    if (rec.NPDTLen == 0 && rec.extras.has("NPDT"_tag)) return;
    size_t s = w.beginSub("NPDT");
    if (rec.NPDTLen == kNpcDataShort)
        w.raw(rec.NPDTShort.data(), rec.NPDTShort.size());
    else
        w.raw(rec.NPDTLong.data(), rec.NPDTLong.size());
    w.endSub(s);
}

void WriteCreatureData(ByteWriter& w, const CREARecord& rec) {
    if (rec.NPDTBlock[0] == 0 && rec.extras.has("NPDT"_tag)) return;
    size_t s = w.beginSub("NPDT");
    w.raw(rec.NPDTBlock.data() + 4, kCreatureData);
    w.endSub(s);
}

// A list is written when its first entry was read (its length is not 0).
template <class R> void WriteInventoryAndSpells(ByteWriter& w, const R& rec) {
    if (!rec.NPCO.empty() && rec.NPCO.front().NPCOLen != 0)
        for (const NPCOData& d : rec.NPCO) WriteNPCO(w, d);
    if (!rec.NPCS.empty() && rec.NPCS.front().NPCSLen != 0)
        for (const NPCSData& d : rec.NPCS) WriteNPCS(w, d);
}

// The filled destination slots, each DODT with its DNAM.
void WriteDestinations(ByteWriter& w, const std::array<DODTData, kDestinationSlots>& slots) {
    for (const DODTData& d : slots) {
        if (d.DODTLen == 0) continue;
        WriteLayout(w, "DODT", d, DestinationFields);
        WriteZStringIfSet(w, "DNAM", d.DNAMLen, d.DNAM);
    }
}

// AI_E or AI_F packages, each with its CNDT.
void WriteEscortOrFollow(ByteWriter& w, std::string_view tag, const std::vector<AI_EFData>& list) {
    if (list.empty() || list.front().Len == 0) return;
    for (const AI_EFData& d : list) {
        WriteLayout(w, tag, d, EscortFields);
        WriteZStringIfSet(w, "CNDT", d.CNDTLen, d.CNDT);
    }
}

// What follows FLAG, INDX (and XSCL) in both records: inventory, spells, AI settings, destinations, and the
// AI packages grouped by kind.
template <class R> void WriteActorSubs(ByteWriter& w, const R& rec) {
    WriteInventoryAndSpells(w, rec);
    WriteLayoutIfSet(w, "AIDT", rec.AIDTLen, rec, AiFields);
    WriteDestinations(w, rec.Destinations);
    WriteEntries(w, "AI_W", rec.AI_W, &AI_WData::AI_WLen, WanderFields);
    WriteEntries(w, "AI_T", rec.AI_T, &AI_TData::AI_TLen, TravelFields);
    WriteEscortOrFollow(w, "AI_E", rec.AI_E);
    WriteEscortOrFollow(w, "AI_F", rec.AI_F);
    WriteEntries(w, "AI_A", rec.AI_A, &AI_AData::AI_ALen, ActivateFields);
}

// The header and NAME. A deleted record has its DELE next and nothing else: its other subrecords, kept ones
// included, are dropped.
template <class R> size_t BeginActor(ByteWriter& w, std::string_view tag, const R& rec) {
    const bool deleted = IsDeleted(rec.Flags);
    size_t m = w.beginRecord(tag, rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    w.zstringSub("NAME", rec.NAME);
    if (deleted) w.deleSub();
    return m;
}

} // namespace

void ReadNPC_(Body& b, NPC_Record& rec) {
    Trailer t;
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "RNAM"_tag: ReadZString(b, rec.RNAMLen, rec.RNAM); break;
        case "CNAM"_tag: ReadZString(b, rec.CNAMLen, rec.CNAM); break;
        case "ANAM"_tag: ReadZString(b, rec.ANAMLen, rec.ANAM); break;
        case "BNAM"_tag: ReadZString(b, rec.BNAMLen, rec.BNAM); break;
        case "KNAM"_tag: ReadZString(b, rec.KNAMLen, rec.KNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "NPDT"_tag: ReadNpcData(b, rec); break;
        case "FLAG"_tag: ReadLayout(b, rec, rec.FLAGLen, kFlagBytes, FlagFields); break;
        default: ReadActorSub(b, rec, t); break;
        }
}

void ReadCREA(Body& b, CREARecord& rec) {
    Trailer t;
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "CNAM"_tag: ReadZString(b, rec.CNAMLen, rec.CNAM); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "NPDT"_tag: ReadCreatureData(b, rec); break;
        case "FLAG"_tag: ReadLayout(b, rec, rec.FLAGLen, kFlagBytes, FlagFields); break;
        case "XSCL"_tag: ReadValue(b, rec.extras, rec.XSCLLen, rec.XSCL); break;
        default: ReadActorSub(b, rec, t); break;
        }
}

void WriteNPC_(ByteWriter& w, const NPC_Record& rec) {
    const size_t m = BeginActor(w, "NPC_", rec);
    if (IsDeleted(rec.Flags)) return w.endRecord(m);
    WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
    WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
    WriteZStringIfSet(w, "RNAM", rec.RNAMLen, rec.RNAM);
    WriteZStringIfSet(w, "CNAM", rec.CNAMLen, rec.CNAM);
    WriteZStringIfSet(w, "ANAM", rec.ANAMLen, rec.ANAM);
    WriteZStringIfSet(w, "BNAM", rec.BNAMLen, rec.BNAM);
    WriteZStringIfSet(w, "KNAM", rec.KNAMLen, rec.KNAM);
    WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
    WriteNpcData(w, rec);
    WriteFlag(w, rec);
    WriteValueIfSet(w, "INDX", rec.INDXLen, rec.INDX);
    WriteActorSubs(w, rec);
    w.endRecord(m);
}

void WriteCREA(ByteWriter& w, const CREARecord& rec) {
    const size_t m = BeginActor(w, "CREA", rec);
    if (IsDeleted(rec.Flags)) return w.endRecord(m);
    WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
    WriteZStringIfSet(w, "CNAM", rec.CNAMLen, rec.CNAM);
    WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
    WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
    WriteCreatureData(w, rec);
    WriteFlag(w, rec);
    WriteValueIfSet(w, "INDX", rec.INDXLen, rec.INDX);
    WriteValueIfSet(w, "XSCL", rec.XSCLLen, rec.XSCL);
    WriteActorSubs(w, rec);
    w.endRecord(m);
}

} // namespace vellum
