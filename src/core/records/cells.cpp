#include "records/cells.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "records/common.h"

namespace vellum {

namespace {

// The subrecords that saved games attach to a reference.
constexpr std::array<uint32_t, 24> kSavedGameTags = {
    "LVCR"_tag, "ACDT"_tag, "ACSC"_tag, "ACSL"_tag, "CREC"_tag, "SCRI"_tag, "SLCS"_tag, "SLSD"_tag,
    "CRED"_tag, "SLFD"_tag, "CHRD"_tag, "STPR"_tag, "ACTN"_tag, "MNAM"_tag, "ANIS"_tag, "LSTN"_tag,
    "ND3D"_tag, "CSTN"_tag, "TGTN"_tag, "CSHN"_tag, "FGTN"_tag, "LSHN"_tag, "AADT"_tag, "WNAM"_tag};

bool IsSavedGameReferenceId(uint32_t id) {
    return std::find(kSavedGameTags.begin(), kSavedGameTags.end(), id) != kSavedGameTags.end();
}

constexpr size_t kSixBytes = 24; // six 32-bit values: a position and a rotation
// The four bytes the game writes into the DELE of a deleted reference.
constexpr unsigned char kDeletedReference[4] = {0x64, 0x2C, 0x48, 0x00};

// --- Reading. ---
//
// Each field is read from the first subrecord of its tag; a later one of the same tag, like one whose length
// does not fit the field's layout, is kept whole in its place.

void ZString(Body& b, Extras& x, int32_t& len, std::string& s) {
    if (len != 0) return b.keep(x);
    ReadZString(b, len, s);
}
// Every byte as characters; one of size 0 is kept whole, since a length of 0 marks the field absent.
void Text(Body& b, Extras& x, int32_t& len, std::string& s) {
    if (len != 0 || b.size() == 0) return b.keep(x);
    ReadText(b, len, s);
}
template <class Fields> void Fixed(Body& b, Extras& x, int32_t& len, size_t n, Fields&& fields) {
    if (len != 0) return b.keep(x);
    if (b.layout(n, x, fields)) len = static_cast<int32_t>(n);
}
void Int(Body& b, Extras& x, int32_t& len, int32_t& v) {
    Fixed(b, x, len, 4, [&] { v = b.i32(); });
}
void Float(Body& b, Extras& x, int32_t& len, float& v) {
    Fixed(b, x, len, 4, [&] { v = b.f32(); });
}
void Six(Body& b, Extras& x, int32_t& len, std::array<float, 6>& v) {
    Fixed(b, x, len, kSixBytes, [&] {
        for (float& f : v) f = b.f32();
    });
}
// An object index of 4 bytes: its first three bytes and its fourth.
void Index(Body& b, Extras& x, int32_t& len, std::array<uint8_t, 3>& low, uint8_t& high) {
    Fixed(b, x, len, 4, [&] {
        b.bytes(low.data(), 3);
        high = b.u8();
    });
}
// The layouts of the cell's fixed subrecords; a colour is 4 bytes, of which the first three are kept.
constexpr auto CellDataFields = [](auto&& io, auto& rec) { io(rec.CellFlags, rec.GridX, rec.GridY); };
constexpr auto MapColourFields = [](auto&& io, auto& rec) { io(rec.NAM5, UnusedBytes{1}); };
constexpr auto MapFields = [](auto&& io, auto& rec) { io(rec.MPCD); };
constexpr auto LightingFields = [](auto&& io, auto& rec) {
    io(rec.Ambient, UnusedBytes{1}, rec.Sunlight, UnusedBytes{1}, rec.Fog, UnusedBytes{1}, rec.FogDensity);
};
constexpr auto GridFields = [](auto&& io, auto& rare) { io(rare.CNDTGridX, rare.CNDTGridY); };
template <class Rec, class Fields>
void Layout(Body& b, Extras& x, int32_t& len, size_t n, Rec& rec, Fields&& fields) {
    Fixed(b, x, len, n, [&] { fields(FieldReader{b}, rec); });
}

// Where the walk through a cell's subrecords stands: at the cell's own subrecords, after an MVRF until the
// moved reference's FRMR, or among the subrecords of the reference read last. NAM0 ends the persistent
// references.
enum class At : uint8_t { Cell, Moved, Reference };
struct Walk {
    At at = At::Cell;
    bool afterNAM0 = false;
};

// The reference whose subrecords are being read; none at the cell's own subrecords.
FRMRData* Current(CELLRecord& rec, const Walk& w) {
    return w.at == At::Cell ? nullptr : &rec.References.back();
}
FRMRData& NewReference(CELLRecord& rec, const Walk& w) {
    FRMRData& ref = rec.References.emplace_back();
    ref.Persistent = w.afterNAM0 ? 0 : 1;
    return ref;
}

// The number of FRMR subrecords of the body, counted on a copy of it, to size the reference list once.
size_t CountReferences(Body b) {
    size_t n = 0;
    while (b.more()) n += b.next() == "FRMR"_tag ? 1 : 0;
    return n;
}

// NAME, DATA, INTV and DELE belong to the reference being read, else to the cell.
void ReadName(Body& b, CELLRecord& rec, const Walk& w) {
    if (FRMRData* ref = Current(rec, w)) return ZString(b, rec.extras, ref->NAMELen, ref->NAME);
    ZString(b, rec.extras, rec.NAMELen, rec.NAME);
}
// A reference holds two DATA (saved games write a second one); a third is kept whole.
void ReadReferenceData(Body& b, Extras& x, FRMRData& ref) {
    if (ref.DATALen == 0) return Six(b, x, ref.DATALen, ref.DATA);
    if (ref.Rare->DATA2Len != 0 || b.size() != kSixBytes) return b.keep(x);
    FRMRRare& rare = ref.Rare.edit();
    Six(b, x, rare.DATA2Len, rare.DATA2);
}
void ReadData(Body& b, CELLRecord& rec, const Walk& w) {
    if (FRMRData* ref = Current(rec, w)) return ReadReferenceData(b, rec.extras, *ref);
    Layout(b, rec.extras, rec.DATALen, 12, rec, CellDataFields);
}
void ReadINTV(Body& b, CELLRecord& rec, const Walk& w) {
    if (FRMRData* ref = Current(rec, w)) return Int(b, rec.extras, ref->INTVLen, ref->INTV);
    Int(b, rec.extras, rec.INTVLen, rec.INTV);
}
// DELE of 4 bytes marks the cell or the reference deleted; its value is not kept.
void ReadDele(Body& b, CELLRecord& rec, const Walk& w) {
    FRMRData* ref = Current(rec, w);
    uint8_t& deleted = ref ? ref->Deleted : rec.Deleted;
    if (deleted != 0 || b.size() != 4) return b.keep(rec.extras);
    deleted = 1;
}

void ReadLighting(Body& b, CELLRecord& rec) {
    Layout(b, rec.extras, rec.AMBILen, 16, rec, LightingFields);
}
void ReadMPCD(Body& b, CELLRecord& rec) {
    Layout(b, rec.extras, rec.MPCDLen, 12, rec, MapFields);
}
void ReadNAM0(Body& b, CELLRecord& rec, Walk& w) {
    w = {At::Cell, true};
    Int(b, rec.extras, rec.NAM0Len, rec.NAM0);
}

// MVRF starts a moved reference; its FRMR follows the cell it moved to.
void ReadMVRF(Body& b, CELLRecord& rec, Walk& w) {
    FRMRData& ref = NewReference(rec, w);
    w.at = At::Moved;
    Index(b, rec.extras, ref.MVRFLen, ref.MVRFIndex, ref.MVRFIndexHigh);
}
// FRMR starts a reference, or is the own FRMR of the moved reference read last.
void ReadFRMR(Body& b, CELLRecord& rec, Walk& w) {
    FRMRData& ref = w.at == At::Moved ? rec.References.back() : NewReference(rec, w);
    w.at = At::Reference;
    Index(b, rec.extras, ref.FRMRLen, ref.RefIndex, ref.RefIndexHigh);
}
// The moved reference read last, while the cell it moved to has not been read.
FRMRData* AwaitingDestination(CELLRecord& rec, const Walk& w) {
    if (w.at != At::Moved) return nullptr;
    FRMRData& ref = rec.References.back();
    const FRMRRare& rare = *ref.Rare;
    return rare.CNDTLen == 0 && rare.MovedCellLen == 0 && rare.DestinationKept == 0 ? &ref : nullptr;
}
// The grid of the cell a moved reference went to; of another length it is kept whole, and still counts as
// the moved reference's destination.
void ReadCNDT(Body& b, CELLRecord& rec, const Walk& w) {
    FRMRData* ref = AwaitingDestination(rec, w);
    if (!ref) return b.keep(rec.extras);
    FRMRRare& rare = ref->Rare.edit();
    const bool read = b.layout(8, rec.extras, [&] {
        rare.CNDTLen = 8;
        GridFields(FieldReader{b}, rare);
    });
    rare.DestinationKept = read ? 0 : 1;
}

// A string of the reference's rarely present part.
void ReadRareString(Body& b, CELLRecord& rec, const Walk& w, int32_t FRMRRare::*len,
                    std::string FRMRRare::*s) {
    FRMRData* ref = Current(rec, w);
    if (!ref || (*ref->Rare).*len != 0) return b.keep(rec.extras);
    FRMRRare& rare = ref->Rare.edit();
    ReadZString(b, rare.*len, rare.*s);
}
// After an MVRF, CNAM names the cell the reference moved to (every byte kept, its zero included); else it is
// the reference's owning faction.
void ReadCNAM(Body& b, CELLRecord& rec, const Walk& w) {
    FRMRData* ref = AwaitingDestination(rec, w);
    if (!ref) return ReadRareString(b, rec, w, &FRMRRare::CNAMLen, &FRMRRare::CNAM);
    FRMRRare& rare = ref->Rare.edit();
    if (b.size() == 0) rare.DestinationKept = 1;
    Text(b, rec.extras, rare.MovedCellLen, rare.MovedCell);
}
void ReadDODT(Body& b, CELLRecord& rec, const Walk& w) {
    FRMRData* ref = Current(rec, w);
    if (!ref || ref->Rare->DODTLen != 0 || b.size() != kSixBytes) return b.keep(rec.extras);
    FRMRRare& rare = ref->Rare.edit();
    Six(b, rec.extras, rare.DODTLen, rare.DODT);
}
void ReadRefInt(Body& b, CELLRecord& rec, const Walk& w, int32_t FRMRData::*len, int32_t FRMRData::*v) {
    if (FRMRData* ref = Current(rec, w)) return Int(b, rec.extras, ref->*len, ref->*v);
    b.keep(rec.extras);
}
void ReadRefFloat(Body& b, CELLRecord& rec, const Walk& w, int32_t FRMRData::*len, float FRMRData::*v) {
    if (FRMRData* ref = Current(rec, w)) return Float(b, rec.extras, ref->*len, ref->*v);
    b.keep(rec.extras);
}
void ReadUNAM(Body& b, CELLRecord& rec, const Walk& w) {
    FRMRData* ref = Current(rec, w);
    if (!ref) return b.keep(rec.extras);
    Fixed(b, rec.extras, ref->UNAMLen, 1, [&] { ref->UNAM = b.u8(); });
}
// ZNAM of one byte; its value is not kept.
void ReadZNAM(Body& b, CELLRecord& rec, const Walk& w) {
    FRMRData* ref = Current(rec, w);
    if (!ref || ref->HasZNAM != 0 || b.size() != 1) return b.keep(rec.extras);
    ref->HasZNAM = 1;
}
// The subrecords saved games attach to a reference go with it; every other one is kept whole in its place.
void ReadOther(Body& b, CELLRecord& rec, const Walk& w) {
    FRMRData* ref = Current(rec, w);
    if (!ref || !IsSavedGameReferenceId(b.tag())) return b.keep(rec.extras);
    ref->Rare.edit().Extras.push_back(TagName(b.tag()) + b.text());
}

// --- Writing. ---

void WriteSixIfSet(ByteWriter& w, std::string_view tag, int32_t len, const std::array<float, 6>& v) {
    if (len == 0) return;
    size_t m = w.beginSub(tag);
    for (float f : v) w.f32(f);
    w.endSub(m);
}
void WriteIndex(ByteWriter& w, std::string_view tag, const std::array<uint8_t, 3>& low, uint8_t high) {
    size_t m = w.beginSub(tag);
    w.raw(low.data(), 3);
    w.u8(high);
    w.endSub(m);
}

// Each saved-game subrecord: its tag, then its data bytes.
void WriteSavedGameSubs(ByteWriter& w, const FRMRRare& rare) {
    for (const std::string& extra : rare.Extras) {
        if (extra.empty()) continue;
        std::string_view e(extra);
        w.textSub(e.substr(0, 4), e.size() > 4 ? e.substr(4) : std::string_view());
    }
}
void WriteDeletedReference(ByteWriter& w) {
    size_t m = w.beginSub("DELE");
    w.raw(kDeletedReference, sizeof kDeletedReference);
    w.endSub(m);
}

// Writes one reference in the game's order of its subrecords; returns false, having written nothing, for a
// moved reference that names neither the grid nor the cell it moved to.
bool WriteReference(ByteWriter& w, const FRMRData& ref) {
    const FRMRRare& rare = *ref.Rare;
    if (ref.MVRFLen != 0) {
        if (rare.CNDTLen == 0 && rare.MovedCellLen == 0 && rare.DestinationKept == 0) return false;
        WriteIndex(w, "MVRF", ref.MVRFIndex, ref.MVRFIndexHigh);
    }
    if (rare.CNDTLen != 0)
        WriteLayout(w, "CNDT", rare, GridFields);
    else
        WriteTextIfSet(w, "CNAM", rare.MovedCellLen, rare.MovedCell);
    if (ref.FRMRLen != 0) WriteIndex(w, "FRMR", ref.RefIndex, ref.RefIndexHigh);
    WriteZStringIfSet(w, "NAME", ref.NAMELen, ref.NAME);
    WriteValueIfSet(w, "XSCL", ref.XSCLLen, ref.XSCL);
    WriteSixIfSet(w, "DODT", rare.DODTLen, rare.DODT);
    WriteZStringIfSet(w, "DNAM", rare.DNAMLen, rare.DNAM);
    WriteValueIfSet(w, "FLTV", ref.FLTVLen, ref.FLTV);
    WriteZStringIfSet(w, "KNAM", rare.KNAMLen, rare.KNAM);
    WriteZStringIfSet(w, "TNAM", rare.TNAMLen, rare.TNAM);
    WriteZStringIfSet(w, "ANAM", rare.ANAMLen, rare.ANAM);
    WriteZStringIfSet(w, "CNAM", rare.CNAMLen, rare.CNAM);
    WriteValueIfSet(w, "UNAM", ref.UNAMLen, ref.UNAM);
    WriteZStringIfSet(w, "BNAM", rare.BNAMLen, rare.BNAM);
    WriteValueIfSet(w, "XCHG", ref.XCHGLen, ref.XCHG);
    WriteValueIfSet(w, "INTV", ref.INTVLen, ref.INTV);
    WriteValueIfSet(w, "NAM9", ref.NAM9Len, ref.NAM9);
    WriteValueIfSet(w, "INDX", ref.INDXLen, ref.INDX);
    WriteZStringIfSet(w, "XSOL", rare.XSOLLen, rare.XSOL);
    if (ref.HasZNAM != 0) w.valueSub("ZNAM", uint8_t{0}); // 0, whatever value was read
    WriteSavedGameSubs(w, rare);
    WriteSixIfSet(w, "DATA", ref.DATALen, ref.DATA);
    WriteSixIfSet(w, "DATA", rare.DATA2Len, rare.DATA2);
    if (ref.Deleted != 0) WriteDeletedReference(w);
    return true;
}
// The persistent references (persistent 1) or the others, in list order; false when one was left out.
bool WriteReferences(ByteWriter& w, const CELLRecord& rec, uint8_t persistent) {
    bool complete = true;
    for (const FRMRData& ref : rec.References)
        if (ref.Persistent == persistent && !WriteReference(w, ref)) complete = false;
    return complete;
}

} // namespace

bool IsSavedGameReferenceTag(std::string_view tag) {
    return tag.size() == 4 && IsSavedGameReferenceId(TagValue(tag));
}

void ReadCELL(Body& b, CELLRecord& rec) {
    rec.References.reserve(CountReferences(b));
    Walk w;
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadName(b, rec, w); break;
        case "DATA"_tag: ReadData(b, rec, w); break;
        case "INTV"_tag: ReadINTV(b, rec, w); break;
        case "DELE"_tag: ReadDele(b, rec, w); break;
        case "RGNN"_tag: ZString(b, rec.extras, rec.RGNNLen, rec.RGNN); break;
        case "NAM5"_tag: Layout(b, rec.extras, rec.NAM5Len, 4, rec, MapColourFields); break;
        case "NAM8"_tag: Text(b, rec.extras, rec.NAM8Len, rec.NAM8); break;
        case "WHGT"_tag: Float(b, rec.extras, rec.WHGTLen, rec.WHGT); break;
        case "AMBI"_tag: ReadLighting(b, rec); break;
        case "MPCD"_tag: ReadMPCD(b, rec); break;
        case "NAM0"_tag: ReadNAM0(b, rec, w); break;
        case "MVRF"_tag: ReadMVRF(b, rec, w); break;
        case "CNDT"_tag: ReadCNDT(b, rec, w); break;
        case "FRMR"_tag: ReadFRMR(b, rec, w); break;
        case "CNAM"_tag: ReadCNAM(b, rec, w); break;
        case "DNAM"_tag: ReadRareString(b, rec, w, &FRMRRare::DNAMLen, &FRMRRare::DNAM); break;
        case "KNAM"_tag: ReadRareString(b, rec, w, &FRMRRare::KNAMLen, &FRMRRare::KNAM); break;
        case "TNAM"_tag: ReadRareString(b, rec, w, &FRMRRare::TNAMLen, &FRMRRare::TNAM); break;
        case "ANAM"_tag: ReadRareString(b, rec, w, &FRMRRare::ANAMLen, &FRMRRare::ANAM); break;
        case "BNAM"_tag: ReadRareString(b, rec, w, &FRMRRare::BNAMLen, &FRMRRare::BNAM); break;
        case "XSOL"_tag: ReadRareString(b, rec, w, &FRMRRare::XSOLLen, &FRMRRare::XSOL); break;
        case "DODT"_tag: ReadDODT(b, rec, w); break;
        case "XSCL"_tag: ReadRefFloat(b, rec, w, &FRMRData::XSCLLen, &FRMRData::XSCL); break;
        case "XCHG"_tag: ReadRefFloat(b, rec, w, &FRMRData::XCHGLen, &FRMRData::XCHG); break;
        case "FLTV"_tag: ReadRefInt(b, rec, w, &FRMRData::FLTVLen, &FRMRData::FLTV); break;
        case "INDX"_tag: ReadRefInt(b, rec, w, &FRMRData::INDXLen, &FRMRData::INDX); break;
        case "NAM9"_tag: ReadRefInt(b, rec, w, &FRMRData::NAM9Len, &FRMRData::NAM9); break;
        case "UNAM"_tag: ReadUNAM(b, rec, w); break;
        case "ZNAM"_tag: ReadZNAM(b, rec, w); break;
        default: ReadOther(b, rec, w); break;
        }
}

void WriteCELL(ByteWriter& w, const CELLRecord& rec, Ui& ui) {
    size_t m = w.beginRecord("CELL", rec.Header1, rec.Flags, &rec.extras);
    w.zstringSub("NAME", rec.NAME);
    if (rec.Deleted != 0) w.deleSub();
    if (rec.DATALen != 0 || !rec.extras.has("DATA"_tag)) WriteLayout(w, "DATA", rec, CellDataFields);
    WriteZStringIfSet(w, "RGNN", rec.RGNNLen, rec.RGNN);
    WriteLayoutIfSet(w, "NAM5", rec.NAM5Len, rec, MapColourFields);
    WriteTextIfSet(w, "NAM8", rec.NAM8Len, rec.NAM8);
    WriteLayoutIfSet(w, "MPCD", rec.MPCDLen, rec, MapFields);
    WriteValueIfSet(w, "WHGT", rec.WHGTLen, rec.WHGT);
    WriteLayoutIfSet(w, "AMBI", rec.AMBILen, rec, LightingFields);
    WriteValueIfSet(w, "INTV", rec.INTVLen, rec.INTV);
    bool complete = WriteReferences(w, rec, 1);
    WriteValueIfSet(w, "NAM0", rec.NAM0Len, rec.NAM0);
    complete = WriteReferences(w, rec, 0) && complete;
    w.endRecord(m);
    if (!complete)
        ui.messageBox("Error while writing moved reference.", kProgramTitle, Buttons::OK, Icon::None,
                      Ask::Error);
}

} // namespace vellum
