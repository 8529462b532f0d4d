// Record layouts: cells and the object references placed in them.
//
// A cell holds its header subrecords (name, grid position, region, lighting, water) and its references in
// file order: each reference is an FRMR (an MVRF with the cell it moved to, for a moved one) and the
// subrecords after it. References read before the cell's NAM0 are the persistent ones; they are written
// before NAM0 again and the others after it. Saved games attach extra subrecords to references; those are
// kept as raw bytes and written back before the reference's DATA. Every other subrecord the reader does not
// hold in fields, of the cell or of one of its references, is kept whole in the cell's extras and written
// back in its place.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "esfile/body.h"
#include "esfile/bytes.h"
#include "ui.h"

namespace vellum {

// A value held in its own allocation, made only once something is written into it: copies are deep, and an
// empty box compares equal to a box holding a default-constructed value. Reading an empty box gives that
// default value without allocating.
template <class T> class Boxed {
  public:
    Boxed() = default;
    Boxed(const Boxed& other) : p_(other.p_ ? std::make_unique<T>(*other.p_) : nullptr) {}
    Boxed(Boxed&&) noexcept = default;
    Boxed& operator=(const Boxed& other) {
        if (this != &other) p_ = other.p_ ? std::make_unique<T>(*other.p_) : nullptr;
        return *this;
    }
    Boxed& operator=(Boxed&&) noexcept = default;
    ~Boxed() = default;

    const T& operator*() const { return p_ ? *p_ : Empty(); }
    const T* operator->() const { return &**this; }
    // The value for writing; allocated on first use.
    T& edit() {
        if (!p_) p_ = std::make_unique<T>();
        return *p_;
    }
    bool allocated() const { return p_ != nullptr; }

    friend bool operator==(const Boxed& a, const Boxed& b) {
        return a.p_ == b.p_ || *a == *b; // the same box, or the same contents
    }

  private:
    static const T& Empty() {
        static const T empty{};
        return empty;
    }
    std::unique_ptr<T> p_;
};

// The subrecords few references have: door destinations, lock key and trap, owners, soul, the second DATA,
// the cell a moved reference went to, and saved-game extras.
struct FRMRRare {
    int32_t DODTLen = 0;
    std::array<float, 6> DODT{};
    int32_t DNAMLen = 0;
    std::string DNAM;
    int32_t KNAMLen = 0;
    std::string KNAM;
    int32_t TNAMLen = 0;
    std::string TNAM;
    int32_t ANAMLen = 0;
    std::string ANAM;
    int32_t CNAMLen = 0;
    std::string CNAM;
    int32_t BNAMLen = 0;
    std::string BNAM;
    int32_t XSOLLen = 0;
    std::string XSOL;
    int32_t CNDTLen = 0;
    int32_t CNDTGridX = 0; // grid of the exterior cell the reference moved to
    int32_t CNDTGridY = 0;
    int32_t MovedCellLen = 0;
    std::string MovedCell; // CNAM after MVRF: every byte as read, its terminating zero included
    int32_t DATA2Len = 0;
    std::array<float, 6> DATA2{};    // the reference's second DATA
    std::vector<std::string> Extras; // saved-game subrecords: 4-character tag followed by the data bytes
    uint8_t DestinationKept = 0;     // 1 when the CNDT or CNAM after MVRF did not fit and is kept whole

    bool operator==(const FRMRRare&) const = default;
};

// One object reference of a cell: an FRMR with its subrecords, or a moved reference (MVRF with the cell it
// moved to, then its FRMR). The subrecords most references have are held here; the others are in Rare,
// read through `ref.Rare->DNAM` and written through `ref.Rare.edit().DNAM`. Master files hold hundreds of
// thousands of references, so the layout is kept small. Like every subrecord of a reference, FRMR and NAME
// are written only when they were read (their length is not 0).
struct FRMRData {
    int32_t FRMRLen = 0;
    std::array<uint8_t, 3> RefIndex{}; // the first three bytes of FRMR
    uint8_t RefIndexHigh = 0;          // its fourth byte
    std::string NAME;                  // ID of the placed object
    int32_t NAMELen = 0;
    int32_t XSCLLen = 0;
    float XSCL = 0;
    int32_t DATALen = 0;
    std::array<float, 6> DATA{};
    int32_t XCHGLen = 0;
    float XCHG = 0;
    int32_t FLTVLen = 0;
    int32_t FLTV = 0;
    int32_t INTVLen = 0;
    int32_t INTV = 0;
    int32_t INDXLen = 0;
    int32_t INDX = 0;
    int32_t NAM9Len = 0;
    int32_t NAM9 = 0;
    int32_t UNAMLen = 0;
    int32_t MVRFLen = 0;
    std::array<uint8_t, 3> MVRFIndex{};
    uint8_t MVRFIndexHigh = 0;
    uint8_t UNAM = 0;
    uint8_t HasZNAM = 0;
    uint8_t Deleted = 0;
    uint8_t Persistent = 0; // 1 when read before the cell's NAM0
    Boxed<FRMRRare> Rare;

    bool operator==(const FRMRData&) const = default;
};
// A reference with only the common subrecords is its ID's string and a few words: 144 bytes with a 64-bit
// standard library.
static_assert(sizeof(FRMRData) <= sizeof(std::string) + 16 * sizeof(void*));

struct CELLRecord {
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
    Extras extras; // subrecords of the cell and of its references kept whole, in their place

    bool operator==(const CELLRecord&) const = default;
};

// The 24 subrecords that saved games attach to a reference, kept raw in FRMRRare::Extras.
bool IsSavedGameReferenceTag(std::string_view tag);

void ReadCELL(Body& b, CELLRecord& rec);
// Writes one cell. A moved reference that names neither the grid nor the cell it moved to cannot be written:
// it is left out, the rest of the cell is written, and "Error while writing moved reference." is shown
// once for the cell.
void WriteCELL(ByteWriter& w, const CELLRecord& rec, Ui& ui);

} // namespace vellum
