// Record layouts: cells and the object references placed in them.
//
// A cell holds its header subrecords (name, grid position, region, lighting, water) and its references in
// file order. References read before the cell's NAM0 are the persistent ones; they are written before NAM0
// again and the others after it. Saved games attach extra subrecords to references; those are kept as raw
// bytes and written back unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "esfile/bytes.h"
#include "ui.h"

namespace vellum {

// One object reference of a cell: an FRMR with its subrecords, or a moved reference (MVRF with the cell it
// moved to, then its FRMR).
struct FRMRData {
    int32_t FRMRLen = 0;
    std::array<uint8_t, 3> RefIndex{}; // the first three bytes of FRMR
    uint8_t RefIndexHigh = 0;          // its fourth byte
    int32_t NAMELen = 0;
    std::string NAME; // ID of the placed object
    int32_t XCHGLen = 0;
    float XCHG = 0;
    int32_t XSCLLen = 0;
    float XSCL = 0;
    int32_t DODTLen = 0;
    std::array<float, 6> DODT{};
    int32_t DNAMLen = 0;
    std::string DNAM;
    int32_t FLTVLen = 0;
    int32_t FLTV = 0;
    int32_t KNAMLen = 0;
    std::string KNAM;
    int32_t TNAMLen = 0;
    std::string TNAM;
    int32_t UNAMLen = 0;
    uint8_t UNAM = 0;
    int32_t ANAMLen = 0;
    std::string ANAM;
    int32_t CNAMLen = 0;
    std::string CNAM;
    int32_t BNAMLen = 0;
    std::string BNAM;
    int32_t INTVLen = 0;
    int32_t INTV = 0;
    int32_t INDXLen = 0;
    int32_t INDX = 0;
    int32_t NAM9Len = 0;
    int32_t NAM9 = 0;
    int32_t XSOLLen = 0;
    std::string XSOL;
    int32_t DATALen = 0;
    std::array<float, 6> DATA{};
    int32_t MVRFLen = 0;
    std::array<uint8_t, 3> MVRFIndex{};
    uint8_t MVRFIndexHigh = 0;
    int32_t CNDTLen = 0;
    int32_t CNDTGridX = 0; // grid of the exterior cell the reference moved to
    int32_t CNDTGridY = 0;
    int32_t MovedCellLen = 0;
    std::string MovedCell; // CNAM after MVRF: every byte as read, its terminating zero included
    int32_t DATA2Len = 0;
    std::array<float, 6> DATA2{};    // a second DATA right after the first
    std::vector<std::string> Extras; // saved-game subrecords: 4-character tag followed by the data bytes
    uint8_t HasZNAM = 0;
    uint8_t Deleted = 0;
    uint8_t Persistent = 0; // 1 when read before the cell's NAM0

    bool operator==(const FRMRData&) const = default;
};

struct CELLRecord {
    int32_t Size = 0;
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME; // may be empty
    int32_t DATALen = 0;
    int32_t CellFlags = 0;
    int32_t GridX = 0;
    int32_t GridY = 0;
    int32_t RGNNLen = 0;
    std::string RGNN; // region ID; exterior cells only
    int32_t NAM0Len = 0;
    int32_t NAM0 = 0;
    int32_t NAM5Len = 0;
    std::array<uint8_t, 3> NAM5{};
    int32_t WHGTLen = 0;
    float WHGT = 0;
    int32_t INTVLen = 0;
    int32_t INTV = 0;
    int32_t AMBILen = 0;
    std::array<uint8_t, 3> Ambient{};
    std::array<uint8_t, 3> Sunlight{};
    std::array<uint8_t, 3> Fog{};
    float FogDensity = 0;
    int32_t MPCDLen = 0;
    std::array<int32_t, 3> MPCD{};
    int32_t NAM8Len = 0;
    std::string NAM8; // every byte as read, no terminator handling
    std::vector<FRMRData> References;
    uint8_t Deleted = 0;

    bool operator==(const CELLRecord&) const = default;
};

// The 24 subrecords that saved games attach to a reference, kept raw in FRMRData::Extras.
bool IsSavedGameReferenceTag(std::string_view tag);

CELLRecord ReadCELL(ByteReader& r, std::string& pendingTag);
// Writes one cell. A moved reference that names neither the grid nor the cell it moved to cannot be written:
// it is left out, the rest of the cell is written, and "Error while writing moved reference." is shown
// once for the cell.
void WriteCELL(ByteWriter& w, const CELLRecord& rec, Ui& ui);

} // namespace vellum
