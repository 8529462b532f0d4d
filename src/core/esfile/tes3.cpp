#include "esfile/tes3.h"

namespace vellum {

namespace {
constexpr size_t kScreenshotBytes = 65536;
}

TES3Record ReadTES3(ByteReader& r, std::string& pendingTag) {
    TES3Record rec;
    rec.Size = r.i32();
    rec.Header1 = r.i32();
    rec.Flags = r.i32();
    pendingTag = r.tag();
    for (;;) {
        if (pendingTag == "HEDR") {
            rec.HEDRLen = r.i32();
            rec.Version = r.u32();
            rec.FileType = r.i32();
            rec.Author = r.fixed(32);
            rec.Description = r.fixed(256);
            rec.NumRecords = r.i32();
            pendingTag = r.tag();
        } else if (pendingTag == "MAST") {
            while (pendingTag == "MAST") {
                MasterEntry& m = rec.Masters.emplace_back();
                m.MASTLen = r.i32();
                m.Name = r.zstring(m.MASTLen);
                r.skip(4); // the DATA tag that follows every MAST
                m.DATALen = r.i32();
                r.bytes(m.MasterData.data(), m.MasterData.size());
                pendingTag = r.tag();
            }
        } else if (pendingTag == "GMDT") {
            rec.GMDTLen = r.i32();
            for (int32_t& v : rec.GMDTValues) v = r.i32();
            rec.GMDTText1 = r.fixed(64);
            rec.GMDTValue7 = r.i32();
            rec.GMDTText2 = r.fixed(32);
            pendingTag = r.tag();
        } else if (pendingTag == "SCRD") {
            rec.SCRDLen = r.i32();
            r.bytes(rec.SCRDBytes.data(), rec.SCRDBytes.size());
            pendingTag = r.tag();
        } else if (pendingTag == "SCRS") {
            rec.SCRSLen = r.i32();
            rec.SCRSData = r.fixed(kScreenshotBytes);
            pendingTag = r.tag();
        } else if (pendingTag == "DELE") {
            r.skip(8);
            pendingTag = r.tag();
        } else {
            return rec;
        }
    }
}

void WriteTES3(ByteWriter& w, const TES3Record& rec, int32_t recordCount, int32_t fileType) {
    size_t mark = w.beginRecord("TES3", rec.Size, rec.Header1, rec.Flags);
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
