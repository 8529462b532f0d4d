#include "records/tes3.h"

#include "records/common.h"

namespace vellum {

namespace {
constexpr size_t kScreenshotBytes = 65536;
constexpr size_t kGameDataBytes = 124;
} // namespace

namespace {

// The header's fields at their fixed widths, whatever the subrecord's length says: the header is always
// written back in the game's own layout, with the file type and count of the save.
void ReadHeader(Body& b, TES3Record& rec) {
    rec.Version = b.u32();
    rec.FileType = b.i32();
    rec.Author = b.fixed(32);
    rec.Description = b.fixed(256);
    rec.NumRecords = b.i32();
}
void ReadMaster(Body& b, TES3Record& rec) {
    MasterEntry& m = rec.Masters.emplace_back();
    ReadZString(b, m.MASTLen, m.Name);
}
// The size of the master named just before; kept whole when no master precedes it or its length is odd.
void ReadMasterSize(Body& b, TES3Record& rec) {
    if (rec.Masters.empty() || rec.Masters.back().DATALen != 0 || b.size() != 8) return b.keep(rec.extras);
    MasterEntry& m = rec.Masters.back();
    m.DATALen = 8;
    b.bytes(m.MasterData.data(), m.MasterData.size());
}
void ReadGameData(Body& b, TES3Record& rec) {
    b.layout(kGameDataBytes, rec.extras, [&] {
        rec.GMDTLen = static_cast<int32_t>(kGameDataBytes);
        for (int32_t& v : rec.GMDTValues) v = b.i32();
        rec.GMDTText1 = b.fixed(64);
        rec.GMDTValue7 = b.i32();
        rec.GMDTText2 = b.fixed(32);
    });
}
void ReadScreenData(Body& b, TES3Record& rec) {
    b.layout(rec.SCRDBytes.size(), rec.extras, [&] {
        rec.SCRDLen = static_cast<int32_t>(rec.SCRDBytes.size());
        b.bytes(rec.SCRDBytes.data(), rec.SCRDBytes.size());
    });
}
void ReadScreenshot(Body& b, TES3Record& rec) {
    b.layout(kScreenshotBytes, rec.extras, [&] {
        rec.SCRSLen = static_cast<int32_t>(kScreenshotBytes);
        rec.SCRSData = b.text();
    });
}

} // namespace

void ReadTES3(Body& b, TES3Record& rec) {
    while (b.more()) switch (b.next()) {
        case "HEDR"_tag: ReadHeader(b, rec); break;
        case "MAST"_tag: ReadMaster(b, rec); break;
        case "DATA"_tag: ReadMasterSize(b, rec); break;
        case "GMDT"_tag: ReadGameData(b, rec); break;
        case "SCRD"_tag: ReadScreenData(b, rec); break;
        case "SCRS"_tag: ReadScreenshot(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteTES3(ByteWriter& w, const TES3Record& rec, int32_t recordCount, int32_t fileType) {
    size_t mark = w.beginRecord("TES3", rec.Header1, rec.Flags, &rec.extras);
    size_t sub = w.beginSub("HEDR");
    w.u32(rec.Version);
    w.i32(fileType);
    w.fixed(rec.Author, 32);
    w.fixed(rec.Description, 256);
    w.i32(recordCount - 1);
    w.endSub(sub);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        if (!rec.Masters.empty() && !rec.Masters.front().Name.empty()) {
            for (const MasterEntry& m : rec.Masters) {
                w.zstringSub("MAST", m.Name);
                sub = w.beginSub("DATA");
                w.raw(m.MasterData.data(), m.MasterData.size());
                w.endSub(sub);
            }
        }
        if (rec.GMDTLen != 0) {
            sub = w.beginSub("GMDT");
            for (int32_t v : rec.GMDTValues) w.i32(v);
            w.fixed(rec.GMDTText1, 64);
            w.i32(rec.GMDTValue7);
            w.fixed(rec.GMDTText2, 32);
            w.endSub(sub);
        }
        if (rec.SCRDLen != 0) {
            sub = w.beginSub("SCRD");
            w.raw(rec.SCRDBytes.data(), rec.SCRDBytes.size());
            w.endSub(sub);
        }
        if (rec.SCRSLen != 0) {
            sub = w.beginSub("SCRS");
            w.fixed(rec.SCRSData, kScreenshotBytes);
            w.endSub(sub);
        }
    }
    w.endRecord(mark);
}

} // namespace vellum
