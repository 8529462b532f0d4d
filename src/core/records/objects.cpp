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

void ReadContainerWeight(Body& b, CONTRecord& rec) {
    b.layout(4, rec.extras, [&] {
        rec.CNDTLen = 4;
        rec.Weight = b.f32();
    });
}
void WriteContainerWeight(ByteWriter& w, const CONTRecord& rec) {
    if (rec.CNDTLen == 0) return;
    size_t m = w.beginSub("CNDT");
    w.f32(rec.Weight);
    w.endSub(m);
}

// Only the first byte of the flags word is kept; it is written back with three zero bytes.
void ReadContainerFlags(Body& b, CONTRecord& rec) {
    b.layout(4, rec.extras, [&] {
        rec.FLAGLen = 4;
        rec.ContainerFlags = ReadFlagByte(b);
    });
}
void WriteContainerFlags(ByteWriter& w, const CONTRecord& rec) {
    if (rec.FLAGLen == 0) return;
    size_t m = w.beginSub("FLAG");
    WriteFlagByte(w, rec.ContainerFlags);
    w.endSub(m);
}

void ReadContainerIndex(Body& b, CONTRecord& rec) {
    b.layout(4, rec.extras, [&] {
        rec.INDXLen = 4;
        rec.INDX = b.i32();
    });
}
void WriteContainerIndex(ByteWriter& w, const CONTRecord& rec) {
    if (rec.INDXLen == 0) return;
    size_t m = w.beginSub("INDX");
    w.i32(rec.INDX);
    w.endSub(m);
}

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

void ReadBodyPartData(Body& b, BODYRecord& rec) {
    b.layout(4, rec.extras, [&] {
        rec.BYDTLen = 4;
        rec.Part = b.u8();
        rec.Vampire = b.u8();
        rec.BodyFlags = b.u8();
        rec.PartType = b.u8();
    });
}
void WriteBodyPartData(ByteWriter& w, const BODYRecord& rec) {
    if (rec.BYDTLen == 0) return;
    size_t m = w.beginSub("BYDT");
    w.u8(rec.Part);
    w.u8(rec.Vampire);
    w.u8(rec.BodyFlags);
    w.u8(rec.PartType);
    w.endSub(m);
}

// ---- LIGH: the colour's fourth (alpha) byte is not kept and is written back as zero ----

void ReadLightData(Body& b, LIGHRecord& rec) {
    b.layout(24, rec.extras, [&] {
        rec.LHDTLen = 24;
        rec.Weight = b.f32();
        rec.Value = b.i32();
        rec.Time = b.i32();
        rec.Radius = b.i32();
        rec.Red = b.u8();
        rec.Green = b.u8();
        rec.Blue = b.u8();
        b.skip(1);
        rec.LightFlags = b.i32();
    });
}
void WriteLightData(ByteWriter& w, const LIGHRecord& rec) {
    if (rec.LHDTLen == 0) return;
    size_t m = w.beginSub("LHDT");
    w.f32(rec.Weight);
    w.i32(rec.Value);
    w.i32(rec.Time);
    w.i32(rec.Radius);
    w.u8(rec.Red);
    w.u8(rec.Green);
    w.u8(rec.Blue);
    w.u8(0);
    w.i32(rec.LightFlags);
    w.endSub(m);
}

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
        case "CNDT"_tag: ReadContainerWeight(b, rec); break;
        case "FLAG"_tag: ReadContainerFlags(b, rec); break;
        case "INDX"_tag: ReadContainerIndex(b, rec); break;
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
        case "BYDT"_tag: ReadBodyPartData(b, rec); break;
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
        case "LHDT"_tag: ReadLightData(b, rec); break;
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
        WriteContainerWeight(w, rec);
        WriteContainerFlags(w, rec);
        WriteContainerIndex(w, rec);
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
        WriteBodyPartData(w, rec);
    }
    w.endRecord(m);
}

void WriteLIGH(ByteWriter& w, const LIGHRecord& rec) {
    size_t m = BeginObject(w, "LIGH", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
        WriteLightData(w, rec);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteZStringIfSet(w, "SNAM", rec.SNAMLen, rec.SNAM);
    }
    w.endRecord(m);
}

} // namespace vellum
