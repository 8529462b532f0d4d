// Record layouts: path grids, the points of a cell that creatures walk between and their connections.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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
    int32_t Size = 0;
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

    bool operator==(const PGRDRecord&) const = default;
};

PGRDRecord ReadPGRD(ByteReader& r, std::string& pendingTag);
void WritePGRD(ByteWriter& w, const PGRDRecord& rec);

} // namespace vellum
