#include "records/pathgrid.h"

#include <algorithm>

#include "records/common.h"

namespace vellum {

namespace {

constexpr size_t kPointBytes = 16;
constexpr size_t kConnectionBytes = 4;

// The points and connections that the writer writes: as many as the stored sizes announce, and never more
// than the lists hold.
size_t PointsToWrite(const PGRDRecord& rec) {
    return std::min<size_t>(layout::DataBytes(rec.PGRPLen) / kPointBytes, rec.Points.size());
}
size_t ConnectionsToWrite(const PGRDRecord& rec) {
    return std::min<size_t>(layout::DataBytes(rec.PGRCLen) / kConnectionBytes, rec.Connections.size());
}

// Everything after the record header. A PGRP or PGRC with nothing to write is left out.
template <class Out> void PutPathGridBody(Out& o, const PGRDRecord& rec) {
    size_t m = o.beginSub("DATA");
    o.i32(rec.GridX);
    o.i32(rec.GridY);
    o.u16(rec.DATAWord);
    o.i16(rec.PointCount);
    o.endSub(m);
    o.zstringSub("NAME", rec.NAME);
    if (const size_t points = PointsToWrite(rec); rec.PGRPLen != 0 && points > 0) {
        m = o.beginSub("PGRP");
        for (size_t i = 0; i < points; ++i) {
            const PGRPData& p = rec.Points[i];
            o.i32(p.X);
            o.i32(p.Y);
            o.i32(p.Z);
            o.raw(p.PointBytes.data(), 4);
        }
        o.endSub(m);
    }
    if (const size_t connections = ConnectionsToWrite(rec); rec.PGRCLen != 0 && connections > 0) {
        m = o.beginSub("PGRC");
        for (size_t i = 0; i < connections; ++i) o.i32(rec.Connections[i]);
        o.endSub(m);
    }
}

} // namespace

PGRDRecord ReadPGRD(ByteReader& r, std::string& pendingTag) {
    PGRDRecord rec;
    rec.Size = r.i32();
    rec.Header1 = r.i32();
    rec.Flags = r.i32();
    const size_t bodyStart = r.position();
    // The points are taken from the last PGRP once the whole record is read, so that a DATA after the PGRP
    // still gives their number.
    std::string pointBytes;
    size_t tagStart = r.position();
    pendingTag = r.tag();
    for (bool more = true; more;) {
        switch (layout::Tag(pendingTag)) {
        case layout::Tag("NAME"): ReadZString(r, rec.NAMELen, rec.NAME); break;
        case layout::Tag("DATA"):
            layout::ReadFixedSub<12>(r, rec.DATALen, [&](ByteReader& s) {
                rec.GridX = s.i32();
                rec.GridY = s.i32();
                rec.DATAWord = s.u16();
                rec.PointCount = s.i16();
            });
            break;
        case layout::Tag("PGRP"): pointBytes = layout::ReadSubData(r, &rec.PGRPLen); break;
        case layout::Tag("PGRC"): {
            const std::string bytes = layout::ReadSubData(r, &rec.PGRCLen);
            ByteReader c(bytes);
            rec.Connections.assign(bytes.size() / kConnectionBytes, 0);
            for (int32_t& v : rec.Connections) v = c.i32();
            break;
        }
        default: more = false; continue; // DELE included: it does not belong to a path grid
        }
        tagStart = r.position();
        pendingTag = r.tag();
    }
    // As many points as DATA announces, as far as the PGRP holds them; the rest of the PGRP is dropped.
    const size_t count =
        std::min<size_t>(rec.PointCount > 0 ? size_t(rec.PointCount) : 0, pointBytes.size() / kPointBytes);
    rec.Points.resize(count);
    ByteReader p(pointBytes);
    for (PGRPData& point : rec.Points) {
        point.X = p.i32();
        point.Y = p.i32();
        point.Z = p.i32();
        p.bytes(point.PointBytes.data(), 4);
    }
    layout::AdjustSize(rec.Size, tagStart - bodyStart,
                       [&](layout::ByteCounter& n) { PutPathGridBody(n, rec); });
    return rec;
}

void WritePGRD(ByteWriter& w, const PGRDRecord& rec) {
    size_t m = w.beginRecord("PGRD", rec.Size, rec.Header1, rec.Flags);
    PutPathGridBody(w, rec);
    w.endRecord(m);
}

} // namespace vellum
