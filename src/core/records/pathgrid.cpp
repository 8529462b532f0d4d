#include "records/pathgrid.h"

#include "records/common.h"

namespace vellum {

namespace {

constexpr size_t kPointBytes = 16;
constexpr size_t kConnectionBytes = 4;

constexpr auto GridFields = [](auto&& io, auto& rec) {
    io(rec.GridX, rec.GridY, rec.DATAWord, rec.PointCount);
};
constexpr auto PointFields = [](auto&& io, auto& p) { io(p.X, p.Y, p.Z, p.PointBytes); };

// Each field is read from the first subrecord of its tag; a later one of the same tag is kept whole.
void ReadGridData(Body& b, PGRDRecord& rec) {
    if (rec.DATALen != 0) return b.keep(rec.extras);
    ReadLayout(b, rec, rec.DATALen, 12, GridFields);
}
void ReadName(Body& b, PGRDRecord& rec) {
    if (rec.NAMELen != 0) return b.keep(rec.extras);
    ReadZString(b, rec.NAMELen, rec.NAME);
}
// A list subrecord of whole entries of `unit` bytes; an empty one, or one cut inside an entry, is kept whole.
bool WholeEntries(const Body& b, int32_t len, size_t unit) {
    return len == 0 && b.size() != 0 && b.size() % unit == 0;
}
void ReadPoints(Body& b, PGRDRecord& rec) {
    if (!WholeEntries(b, rec.PGRPLen, kPointBytes)) return b.keep(rec.extras);
    rec.PGRPLen = static_cast<int32_t>(b.size());
    rec.Points.resize(b.size() / kPointBytes);
    for (PGRPData& p : rec.Points) PointFields(FieldReader{b}, p);
}
void ReadConnections(Body& b, PGRDRecord& rec) {
    if (!WholeEntries(b, rec.PGRCLen, kConnectionBytes)) return b.keep(rec.extras);
    rec.PGRCLen = static_cast<int32_t>(b.size());
    rec.Connections.resize(b.size() / kConnectionBytes);
    for (int32_t& c : rec.Connections) c = b.i32();
}

void WritePoints(ByteWriter& w, const PGRDRecord& rec) {
    size_t m = w.beginSub("PGRP");
    for (const PGRPData& p : rec.Points) PointFields(FieldWriter{w}, p);
    w.endSub(m);
}
void WriteConnections(ByteWriter& w, const PGRDRecord& rec) {
    size_t m = w.beginSub("PGRC");
    for (int32_t c : rec.Connections) w.i32(c);
    w.endSub(m);
}

} // namespace

void ReadPGRD(Body& b, PGRDRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "DATA"_tag: ReadGridData(b, rec); break;
        case "NAME"_tag: ReadName(b, rec); break;
        case "PGRP"_tag: ReadPoints(b, rec); break;
        case "PGRC"_tag: ReadConnections(b, rec); break;
        default: b.keep(rec.extras); break; // DELE included: a path grid carries no deleted state
        }
}

// DATA first, then NAME (both always, unless DATA did not fit and is kept), then the points and connections
// that were read.
void WritePGRD(ByteWriter& w, const PGRDRecord& rec) {
    size_t m = w.beginRecord("PGRD", rec.Header1, rec.Flags, &rec.extras);
    if (rec.DATALen != 0 || !rec.extras.has("DATA"_tag)) WriteLayout(w, "DATA", rec, GridFields);
    w.zstringSub("NAME", rec.NAME);
    if (rec.PGRPLen != 0) WritePoints(w, rec);
    if (rec.PGRCLen != 0) WriteConnections(w, rec);
    w.endRecord(m);
}

} // namespace vellum
