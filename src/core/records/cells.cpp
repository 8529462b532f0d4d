#include "records/cells.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "records/common.h"

namespace vellum {

namespace {

using layout::Tag;

constexpr uint32_t kNAME = Tag("NAME"), kDATA = Tag("DATA"), kRGNN = Tag("RGNN"), kNAM0 = Tag("NAM0"),
                   kNAM5 = Tag("NAM5"), kWHGT = Tag("WHGT"), kINTV = Tag("INTV"), kAMBI = Tag("AMBI"),
                   kMPCD = Tag("MPCD"), kMPNT = Tag("MPNT"), kNAM8 = Tag("NAM8"), kDELE = Tag("DELE"),
                   kFRMR = Tag("FRMR"), kMVRF = Tag("MVRF"), kCNDT = Tag("CNDT"), kCNAM = Tag("CNAM"),
                   kXCHG = Tag("XCHG"), kXSCL = Tag("XSCL"), kDODT = Tag("DODT"), kDNAM = Tag("DNAM"),
                   kFLTV = Tag("FLTV"), kKNAM = Tag("KNAM"), kTNAM = Tag("TNAM"), kUNAM = Tag("UNAM"),
                   kANAM = Tag("ANAM"), kBNAM = Tag("BNAM"), kINDX = Tag("INDX"), kNAM9 = Tag("NAM9"),
                   kXSOL = Tag("XSOL"), kZNAM = Tag("ZNAM");

// The subrecords that saved games attach to a reference.
constexpr std::array<uint32_t, 24> kSavedGameTags = {
    Tag("LVCR"), Tag("ACDT"), Tag("ACSC"), Tag("ACSL"), Tag("CREC"), Tag("SCRI"), Tag("SLCS"), Tag("SLSD"),
    Tag("CRED"), Tag("SLFD"), Tag("CHRD"), Tag("STPR"), Tag("ACTN"), Tag("MNAM"), Tag("ANIS"), Tag("LSTN"),
    Tag("ND3D"), Tag("CSTN"), Tag("TGTN"), Tag("CSHN"), Tag("FGTN"), Tag("LSHN"), Tag("AADT"), Tag("WNAM")};

bool IsSavedGameReferenceId(uint32_t id) {
    return std::find(kSavedGameTags.begin(), kSavedGameTags.end(), id) != kSavedGameTags.end();
}

// Six 32-bit values (positions and rotations) copied as bytes.
void ReadSix(ByteReader& s, std::array<float, 6>& v) {
    for (float& f : v) f = s.f32();
}
template <class Out> void PutSix(Out& o, const std::array<float, 6>& v) {
    for (float f : v) o.f32(f);
}

// --- Writing. One body serves the writer and the byte count the reader needs (see AdjustSize). ---

// Writes one reference; returns false, having written nothing, for a moved reference that names neither the
// grid nor the cell it moved to.
template <class Out> bool PutReference(Out& o, const FRMRData& ref) {
    const FRMRRare& rare = *ref.Rare;
    if (ref.MVRFLen != 0) {
        if (rare.CNDTLen <= 0 && rare.MovedCellLen <= 0) return false;
        size_t m = o.beginSub("MVRF");
        o.raw(ref.MVRFIndex.data(), 3);
        o.u8(ref.MVRFIndexHigh);
        o.endSub(m);
        if (rare.CNDTLen > 0) {
            m = o.beginSub("CNDT");
            o.i32(rare.CNDTGridX);
            o.i32(rare.CNDTGridY);
            o.endSub(m);
        } else {
            o.textSub("CNAM", rare.MovedCell);
        }
    }
    size_t m = o.beginSub("FRMR");
    o.raw(ref.RefIndex.data(), 3);
    o.u8(ref.RefIndexHigh);
    o.endSub(m);
    o.zstringSub("NAME", ref.NAME);
    auto value = [&](std::string_view tag, int32_t len, auto&& put) {
        if (len == 0) return;
        size_t s = o.beginSub(tag);
        put();
        o.endSub(s);
    };
    value("XSCL", ref.XSCLLen, [&] { o.f32(ref.XSCL); });
    value("DODT", rare.DODTLen, [&] { PutSix(o, rare.DODT); });
    if (rare.DNAMLen != 0) o.zstringSub("DNAM", rare.DNAM);
    value("FLTV", ref.FLTVLen, [&] { o.i32(ref.FLTV); });
    if (rare.KNAMLen != 0) o.zstringSub("KNAM", rare.KNAM);
    if (rare.TNAMLen != 0) o.zstringSub("TNAM", rare.TNAM);
    if (rare.ANAMLen != 0) o.zstringSub("ANAM", rare.ANAM);
    if (rare.CNAMLen != 0) o.zstringSub("CNAM", rare.CNAM);
    value("UNAM", ref.UNAMLen, [&] { o.u8(ref.UNAM); });
    if (rare.BNAMLen != 0) o.zstringSub("BNAM", rare.BNAM);
    value("XCHG", ref.XCHGLen, [&] { o.f32(ref.XCHG); });
    value("INTV", ref.INTVLen, [&] { o.i32(ref.INTV); });
    value("NAM9", ref.NAM9Len, [&] { o.i32(ref.NAM9); });
    value("INDX", ref.INDXLen, [&] { o.i32(ref.INDX); });
    if (rare.XSOLLen != 0) o.zstringSub("XSOL", rare.XSOL);
    if (ref.HasZNAM != 0) {
        o.tag("ZNAM");
        o.u32(1);
        o.u8(0);
    }
    for (const std::string& extra : rare.Extras) {
        if (extra.empty()) continue;
        std::string_view e(extra);
        o.textSub(e.substr(0, 4), e.size() > 4 ? e.substr(4) : std::string_view());
    }
    value("DATA", ref.DATALen, [&] { PutSix(o, ref.DATA); });
    value("DATA", rare.DATA2Len, [&] { PutSix(o, rare.DATA2); });
    if (ref.Deleted == 1) {
        o.tag("DELE");
        o.u32(4);
        static constexpr unsigned char kDeletedReference[4] = {0x64, 0x2C, 0x48, 0x00};
        o.raw(kDeletedReference, 4);
    }
    return true;
}

// Writes everything after the record header; returns false when a moved reference had to be left out.
template <class Out> bool PutCellBody(Out& o, const CELLRecord& rec) {
    o.zstringSub("NAME", rec.NAME);
    if (rec.Deleted == 1) o.deleSub();
    size_t m = o.beginSub("DATA");
    o.i32(rec.CellFlags);
    o.i32(rec.GridX);
    o.i32(rec.GridY);
    o.endSub(m);
    auto value = [&](std::string_view tag, int32_t len, auto&& put) {
        if (len == 0) return;
        size_t s = o.beginSub(tag);
        put();
        o.endSub(s);
    };
    auto colour = [&](const std::array<uint8_t, 3>& c) {
        o.raw(c.data(), 3);
        o.u8(0);
    };
    if (rec.RGNNLen != 0) o.zstringSub("RGNN", rec.RGNN);
    value("NAM5", rec.NAM5Len, [&] { colour(rec.NAM5); });
    if (rec.NAM8Len != 0) o.textSub("NAM8", rec.NAM8);
    value("MPCD", rec.MPCDLen, [&] {
        for (int32_t v : rec.MPCD) o.i32(v);
    });
    value("WHGT", rec.WHGTLen, [&] { o.f32(rec.WHGT); });
    value("AMBI", rec.AMBILen, [&] {
        colour(rec.Ambient);
        colour(rec.Sunlight);
        colour(rec.Fog);
        o.f32(rec.FogDensity);
    });
    value("INTV", rec.INTVLen, [&] { o.i32(rec.INTV); });

    // Nothing of the references is written when the first of them has no FRMR.
    const bool withReferences = !rec.References.empty() && rec.References.front().FRMRLen != 0;
    bool complete = true;
    if (withReferences) {
        for (const FRMRData& ref : rec.References)
            if (ref.Persistent != 0 && !PutReference(o, ref)) complete = false;
    }
    value("NAM0", rec.NAM0Len, [&] { o.i32(rec.NAM0); });
    if (withReferences) {
        for (const FRMRData& ref : rec.References)
            if (ref.Persistent == 0 && !PutReference(o, ref)) complete = false;
    }
    return complete;
}

// --- Reading. ---

// The number of FRMR subrecords in a record body of `size` bytes, counted by their framing on a copy of the
// reader; used to size the reference list once.
size_t CountReferences(ByteReader scan, int32_t size) {
    uint64_t left = std::min<uint64_t>(static_cast<uint32_t>(size), scan.remaining());
    size_t count = 0;
    while (left >= 8) {
        uint32_t tag = scan.u32();
        uint32_t len = scan.u32();
        if (tag == kFRMR) ++count;
        if (len > left - 8) break;
        scan.skip(len);
        left -= 8 + uint64_t(len);
    }
    return count;
}

class CellReader {
  public:
    CellReader(ByteReader& r, std::string& pendingTag) : r_(r), pendingTag_(pendingTag) {}

    // The four characters of a tag read as a number.
    static std::string TagText(uint32_t id) {
        const char text[4] = {static_cast<char>(id & 0xFF), static_cast<char>((id >> 8) & 0xFF),
                              static_cast<char>((id >> 16) & 0xFF), static_cast<char>(id >> 24)};
        return std::string(text, 4);
    }

    CELLRecord read() {
        CELLRecord rec;
        rec.Size = r_.i32();
        rec.Header1 = r_.i32();
        rec.Flags = r_.i32();
        const size_t bodyStart = r_.position();
        rec.References.reserve(CountReferences(r_, rec.Size));
        next();
        while (cellSubrecord(rec)) {
        }
        // A damaged file may announce far more references than it holds.
        if (rec.References.capacity() > 2 * rec.References.size() + 64) rec.References.shrink_to_fit();
        layout::AdjustSize(rec.Size, tagStart_ - bodyStart,
                           [&](layout::ByteCounter& n) { PutCellBody(n, rec); });
        pendingTag_ = TagText(id_);
        return rec;
    }

  private:
    void next() {
        tagStart_ = r_.position();
        id_ = r_.u32(); // the tag as a number; its text is made only where it is needed
    }

    // Reads one cell-level subrecord (or one reference with its subrecords) and the tag after it; false at a
    // tag that does not belong to the cell.
    bool cellSubrecord(CELLRecord& rec) {
        switch (id_) {
        case kNAME: ReadZString(r_, rec.NAMELen, rec.NAME); break;
        case kRGNN: ReadZString(r_, rec.RGNNLen, rec.RGNN); break;
        case kDATA:
            layout::ReadFixedSub<12>(r_, rec.DATALen, [&](ByteReader& s) {
                rec.CellFlags = s.i32();
                rec.GridX = s.i32();
                rec.GridY = s.i32();
            });
            break;
        case kNAM0:
            layout::ReadFixedSub<4>(r_, rec.NAM0Len, [&](ByteReader& s) { rec.NAM0 = s.i32(); });
            afterNAM0_ = true;
            break;
        case kNAM5:
            layout::ReadFixedSub<4>(r_, rec.NAM5Len, [&](ByteReader& s) { s.bytes(rec.NAM5.data(), 3); });
            break;
        case kWHGT:
            layout::ReadFixedSub<4>(r_, rec.WHGTLen, [&](ByteReader& s) { rec.WHGT = s.f32(); });
            break;
        case kINTV:
            layout::ReadFixedSub<4>(r_, rec.INTVLen, [&](ByteReader& s) { rec.INTV = s.i32(); });
            break;
        case kAMBI:
            layout::ReadFixedSub<16>(r_, rec.AMBILen, [&](ByteReader& s) {
                for (auto* c : {&rec.Ambient, &rec.Sunlight, &rec.Fog}) {
                    s.bytes(c->data(), 3);
                    s.skip(1);
                }
                rec.FogDensity = s.f32();
            });
            break;
        case kMPCD:
            layout::ReadFixedSub<12>(r_, rec.MPCDLen, [&](ByteReader& s) {
                for (int32_t& v : rec.MPCD) v = s.i32();
            });
            break;
        case kMPNT: layout::SkipSub(r_); break; // not kept
        case kNAM8: ReadText(r_, rec.NAM8Len, rec.NAM8); break;
        case kDELE:
            layout::SkipSub(r_);
            rec.Deleted = 1;
            break;
        case kFRMR: {
            FRMRData& ref = newReference(rec);
            readFRMR(ref);
            return true; // the tag that ended the reference is dispatched here again
        }
        case kMVRF: {
            FRMRData& ref = newReference(rec);
            layout::ReadFixedSub<4>(r_, ref.MVRFLen, [&](ByteReader& s) {
                s.bytes(ref.MVRFIndex.data(), 3);
                ref.MVRFIndexHigh = s.u8();
            });
            next();
            if (id_ == kCNDT) {
                FRMRRare& rare = ref.Rare.edit();
                layout::ReadFixedSub<8>(r_, rare.CNDTLen, [&](ByteReader& s) {
                    rare.CNDTGridX = s.i32();
                    rare.CNDTGridY = s.i32();
                });
                next();
            } else if (id_ == kCNAM) {
                FRMRRare& rare = ref.Rare.edit();
                ReadText(r_, rare.MovedCellLen, rare.MovedCell);
                next();
            }
            // The moved reference's own FRMR follows; without it the moved reference ends here.
            if (id_ == kFRMR) readFRMR(ref);
            return true;
        }
        default: return false;
        }
        next();
        return true;
    }

    FRMRData& newReference(CELLRecord& rec) {
        FRMRData& ref = rec.References.emplace_back();
        ref.Persistent = afterNAM0_ ? 0 : 1;
        return ref;
    }

    // With pendingTag "FRMR": the FRMR and the reference's subrecords, up to the first tag that is not one
    // of them.
    void readFRMR(FRMRData& ref) {
        layout::ReadFixedSub<4>(r_, ref.FRMRLen, [&](ByteReader& s) {
            s.bytes(ref.RefIndex.data(), 3);
            ref.RefIndexHigh = s.u8();
        });
        next();
        while (referenceSubrecord(ref)) {
        }
    }

    // Reads one subrecord of a reference and the tag after it; false at a tag that ends the reference.
    bool referenceSubrecord(FRMRData& ref) {
        auto int32Sub = [&](int32_t& len, int32_t& v) {
            layout::ReadFixedSub<4>(r_, len, [&](ByteReader& s) { v = s.i32(); });
        };
        auto floatSub = [&](int32_t& len, float& v) {
            layout::ReadFixedSub<4>(r_, len, [&](ByteReader& s) { v = s.f32(); });
        };
        auto sixSub = [&](int32_t& len, std::array<float, 6>& v) {
            layout::ReadFixedSub<24>(r_, len, [&](ByteReader& s) { ReadSix(s, v); });
        };
        // The rarely present subrecords go to the reference's separately allocated part.
        auto rareZString = [&](int32_t FRMRRare::*len, std::string FRMRRare::*text) {
            FRMRRare& rare = ref.Rare.edit();
            ReadZString(r_, rare.*len, rare.*text);
        };
        switch (id_) {
        case kNAME: ReadZString(r_, ref.NAMELen, ref.NAME); break;
        case kDNAM: rareZString(&FRMRRare::DNAMLen, &FRMRRare::DNAM); break;
        case kKNAM: rareZString(&FRMRRare::KNAMLen, &FRMRRare::KNAM); break;
        case kTNAM: rareZString(&FRMRRare::TNAMLen, &FRMRRare::TNAM); break;
        case kCNAM: rareZString(&FRMRRare::CNAMLen, &FRMRRare::CNAM); break;
        case kANAM: rareZString(&FRMRRare::ANAMLen, &FRMRRare::ANAM); break;
        case kBNAM: rareZString(&FRMRRare::BNAMLen, &FRMRRare::BNAM); break;
        case kXSOL: rareZString(&FRMRRare::XSOLLen, &FRMRRare::XSOL); break;
        case kXCHG: floatSub(ref.XCHGLen, ref.XCHG); break;
        case kXSCL: floatSub(ref.XSCLLen, ref.XSCL); break;
        case kFLTV: int32Sub(ref.FLTVLen, ref.FLTV); break;
        case kINTV: int32Sub(ref.INTVLen, ref.INTV); break;
        case kINDX: int32Sub(ref.INDXLen, ref.INDX); break;
        case kNAM9: int32Sub(ref.NAM9Len, ref.NAM9); break;
        case kUNAM:
            layout::ReadFixedSub<1>(r_, ref.UNAMLen, [&](ByteReader& s) { ref.UNAM = s.u8(); });
            break;
        case kDODT: {
            FRMRRare& rare = ref.Rare.edit();
            sixSub(rare.DODTLen, rare.DODT);
            break;
        }
        case kZNAM:
            layout::SkipSub(r_);
            ref.HasZNAM = 1;
            break;
        case kDELE:
            layout::SkipSub(r_);
            ref.Deleted = 1;
            break;
        case kDATA:
            sixSub(ref.DATALen, ref.DATA);
            next();
            if (id_ != kDATA) return true; // dispatch the tag just read
            {
                FRMRRare& rare = ref.Rare.edit();
                sixSub(rare.DATA2Len, rare.DATA2);
            }
            break;
        default:
            if (!IsSavedGameReferenceId(id_)) return false;
            ref.Rare.edit().Extras.push_back(TagText(id_) + layout::ReadSubData(r_));
            break;
        }
        next();
        return true;
    }

    ByteReader& r_;
    std::string& pendingTag_;
    uint32_t id_ = 0;
    size_t tagStart_ = 0;
    bool afterNAM0_ = false;
};

} // namespace

bool IsSavedGameReferenceTag(std::string_view tag) {
    return tag.size() == 4 && IsSavedGameReferenceId(Tag(tag));
}

CELLRecord ReadCELL(ByteReader& r, std::string& pendingTag) {
    return CellReader(r, pendingTag).read();
}

void WriteCELL(ByteWriter& w, const CELLRecord& rec, Ui& ui) {
    size_t m = w.beginRecord("CELL", rec.Size, rec.Header1, rec.Flags);
    const bool complete = PutCellBody(w, rec);
    w.endRecord(m);
    if (!complete)
        ui.messageBox("Error while writing moved reference.", kProgramTitle, Buttons::OK, Icon::None,
                      Ask::Error);
}

} // namespace vellum
