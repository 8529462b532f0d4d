// The objects that stand in the world: statics, doors, activators, containers, body parts and lights. (The
// items that lie in an inventory are in objects_items.cpp.)
//
// Each reader takes the subrecords in any order; one that comes twice keeps its later value. Each writer
// writes them in the order of the game's own files, every one only when it is present (its length is not
// 0); the subrecords kept whole go back in their place among them.
#include "records/objects.h"

namespace vellum {
namespace {

// ---- CONT: weight, flags and an index, each in a subrecord of its own; one NPCO per item ----

constexpr auto ContainerWeightFields = [](auto&& io, auto& rec) { io(rec.Weight); };
// Only the first byte of the flags word is kept; it is written back with three zero bytes.
constexpr auto ContainerFlagsFields = [](auto&& io, auto& rec) { io(FlagByte(rec.ContainerFlags)); };
constexpr auto ContainerIndexFields = [](auto&& io, auto& rec) { io(rec.INDX); };

void ReadItem(Body& b, CONTRecord& rec) {
    if (b.size() == kNPCOBytes)
        rec.Items.push_back(ReadNPCO(b));
    else
        b.keep(rec.extras);
}
// The items are written when the first one is present, in the order read.
void WriteItems(ByteWriter& w, const CONTRecord& rec) {
    if (rec.Items.empty() || rec.Items.front().NPCOLen == 0) return;
    for (const NPCOData& item : rec.Items) WriteNPCO(w, item);
}

// ---- BODY: four single bytes ----

constexpr auto BodyPartFields = [](auto&& io, auto& rec) {
    io(rec.Part, rec.Vampire, rec.BodyFlags, rec.PartType);
};

// ---- LIGH: the colour's fourth (alpha) byte is not kept and is written back as zero ----

constexpr auto LightFields = [](auto&& io, auto& rec) {
    io(rec.Weight, rec.Value, rec.Time, rec.Radius, rec.Red, rec.Green, rec.Blue, UnusedBytes{1},
       rec.LightFlags);
};

} // namespace

// ---- Readers ----

void ReadSTAT(Body& b, STATRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "DELE"_tag: break; // deletion is carried by Flags alone
        default: b.keep(rec.extras); break;
        }
}

void ReadDOOR(Body& b, DOORRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "SNAM"_tag: ReadZString(b, rec.SNAMLen, rec.SNAM); break;
        case "ANAM"_tag: ReadZString(b, rec.ANAMLen, rec.ANAM); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadACTI(Body& b, ACTIRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadCONT(Body& b, CONTRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "CNDT"_tag: ReadLayout(b, rec, rec.CNDTLen, 4, ContainerWeightFields); break;
        case "FLAG"_tag: ReadLayout(b, rec, rec.FLAGLen, 4, ContainerFlagsFields); break;
        case "INDX"_tag: ReadLayout(b, rec, rec.INDXLen, 4, ContainerIndexFields); break;
        case "NPCO"_tag: ReadItem(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadBODY(Body& b, BODYRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "BYDT"_tag: ReadLayout(b, rec, rec.BYDTLen, 4, BodyPartFields); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadLIGH(Body& b, LIGHRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "SNAM"_tag: ReadZString(b, rec.SNAMLen, rec.SNAM); break;
        case "LHDT"_tag: ReadLayout(b, rec, rec.LHDTLen, 24, LightFields); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

// ---- Writers ----

void WriteSTAT(ByteWriter& w, const STATRecord& rec) {
    size_t m = BeginObject(w, "STAT", rec);
    if (!IsDeleted(rec.Flags)) WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
    w.endRecord(m);
}

void WriteDOOR(ByteWriter& w, const DOORRecord& rec) {
    size_t m = BeginObject(w, "DOOR", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteZStringIfSet(w, "SNAM", rec.SNAMLen, rec.SNAM);
        WriteZStringIfSet(w, "ANAM", rec.ANAMLen, rec.ANAM);
    }
    w.endRecord(m);
}

void WriteACTI(ByteWriter& w, const ACTIRecord& rec) {
    size_t m = BeginObject(w, "ACTI", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
    }
    w.endRecord(m);
}

void WriteCONT(ByteWriter& w, const CONTRecord& rec) {
    size_t m = BeginObject(w, "CONT", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteLayoutIfSet(w, "CNDT", rec.CNDTLen, rec, ContainerWeightFields);
        WriteLayoutIfSet(w, "FLAG", rec.FLAGLen, rec, ContainerFlagsFields);
        WriteLayoutIfSet(w, "INDX", rec.INDXLen, rec, ContainerIndexFields);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteItems(w, rec);
    }
    w.endRecord(m);
}

void WriteBODY(ByteWriter& w, const BODYRecord& rec) {
    size_t m = BeginObject(w, "BODY", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteLayoutIfSet(w, "BYDT", rec.BYDTLen, rec, BodyPartFields);
    }
    w.endRecord(m);
}

void WriteLIGH(ByteWriter& w, const LIGHRecord& rec) {
    size_t m = BeginObject(w, "LIGH", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
        WriteLayoutIfSet(w, "LHDT", rec.LHDTLen, rec, LightFields);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteZStringIfSet(w, "SNAM", rec.SNAMLen, rec.SNAM);
    }
    w.endRecord(m);
}

} // namespace vellum
