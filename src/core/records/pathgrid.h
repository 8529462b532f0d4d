// Record layouts: path grids, the points of a cell that creatures walk between and their connections.
//
// A path grid holds its points and connections as the file gives them: a PGRP of whole 16-byte points and a
// PGRC of whole 4-byte connections are read into the lists, whatever number DATA announces. A PGRP or PGRC
// cut inside an entry, a DATA of another length than 12 bytes, a repeated subrecord and anything else the
// grid does not hold (a DELE included: path grids carry no deleted state) are kept whole and written back
// in their place.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "esfile/body.h"
#include "esfile/bytes.h"

namespace vellum {

// One point of a path grid (16 bytes of PGRP).
struct PGRPData {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Z = 0;
    std::array<uint8_t, 4> PointBytes{};
    // The number of connections that leave the point: the second of its four bytes.
    uint8_t ConnectionCount() const { return PointBytes[1]; }

    bool operator==(const PGRPData&) const = default;
};

struct PGRDRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t DATALen = 0;
    int32_t GridX = 0;
    int32_t GridY = 0;
    uint16_t DATAWord = 0;
    int16_t PointCount = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t PGRPLen = 0;
    std::vector<PGRPData> Points;
    int32_t PGRCLen = 0;
    std::vector<int32_t> Connections; // for each point in turn, the indexes of the points it connects to
    Extras extras;

    bool operator==(const PGRDRecord&) const = default;
};

void ReadPGRD(Body& b, PGRDRecord& rec);
void WritePGRD(ByteWriter& w, const PGRDRecord& rec);

} // namespace vellum
