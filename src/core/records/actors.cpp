#include "records/actors.h"

#include <algorithm>
#include <string_view>

namespace vellum {

namespace {

constexpr uint32_t Id(std::string_view t) {
    return uint32_t(uint8_t(t[0])) | (uint32_t(uint8_t(t[1])) << 8) | (uint32_t(uint8_t(t[2])) << 16) |
           (uint32_t(uint8_t(t[3])) << 24);
}

// The reader's place in one record: the tag read ahead and where it began, so that the bytes the record's
// subrecords took can be told at its end.
class Cursor {
  public:
    Cursor(ByteReader& r, std::string& pendingTag) : r(r), tag_(pendingTag) {}
    void next() {
        tagStart_ = r.position();
        tag_ = r.tag();
    }
    uint32_t id() const { return tag_.size() == 4 ? Id(tag_) : 0; }
    size_t tagStart() const { return tagStart_; }

    ByteReader& r;

  private:
    std::string& tag_;
    size_t tagStart_ = 0;
};

// Reads up to n data bytes of a subrecord whose stored length is len into out (the rest of out stays zero)
// and skips whatever the subrecord holds beyond n bytes.
void ReadSized(ByteReader& r, int32_t len, uint8_t* out, size_t n) {
    const uint32_t have = static_cast<uint32_t>(len);
    const size_t take = std::min<size_t>(have, n);
    r.bytes(out, take);
    if (have > n) r.skip(have - n);
}

// A 32-bit value subrecord (INDX, XSCL): nothing is read after a stored length of 0.
void ReadValueSub(ByteReader& r, int32_t& len, int32_t& value) {
    len = r.i32();
    value = len != 0 ? r.i32() : 0;
}

void ReadFlag(ByteReader& r, int32_t& len, uint8_t& flag0, uint8_t& flag1) {
    len = r.i32();
    flag0 = flag1 = 0;
    if (len == 0) return;
    flag0 = r.u8();
    flag1 = r.u8();
    r.skip(2);
}

AI_WData ReadAIW(ByteReader& r) {
    AI_WData d;
    d.AI_WLen = r.i32();
    if (d.AI_WLen == 0) return d;
    d.Distance = r.i16();
    d.Duration = r.i16();
    d.TimeOfDay = r.u8();
    r.bytes(d.Idles.data(), d.Idles.size());
    d.Tail = r.u8();
    return d;
}

AI_TData ReadAIT(ByteReader& r) {
    AI_TData d;
    d.AI_TLen = r.i32();
    if (d.AI_TLen == 0) return d;
    d.X = r.i32();
    d.Y = r.i32();
    d.Z = r.i32();
    d.Tail = r.i32();
    return d;
}

AI_EFData ReadAIEF(ByteReader& r) {
    AI_EFData d;
    d.Len = r.i32();
    if (d.Len == 0) return d;
    d.X = r.i32();
    d.Y = r.i32();
    d.Z = r.i32();
    d.Duration = r.i16();
    d.TargetID = r.fixed(32);
    d.Tail = r.i16();
    return d;
}

AI_AData ReadAIA(ByteReader& r) {
    AI_AData d;
    d.AI_ALen = r.i32();
    if (d.AI_ALen == 0) return d;
    d.TargetID = r.fixed(32);
    d.Tail = r.u8();
    return d;
}

// An AI_E or AI_F package and the CNDT that may follow it at once. A package stored with length 0 holds
// nothing and is left out, together with its CNDT.
void ReadEscortOrFollow(Cursor& c, std::vector<AI_EFData>& list) {
    AI_EFData d = ReadAIEF(c.r);
    c.next();
    if (c.id() == Id("CNDT")) {
        ReadZString(c.r, d.CNDTLen, d.CNDT);
        c.next();
    }
    if (d.Len != 0) list.push_back(std::move(d));
}

// The subrecords that NPCs and creatures share. Returns false for a tag that is none of them.
template <class R> bool ReadSharedSub(Cursor& c, R& rec) {
    ByteReader& r = c.r;
    switch (c.id()) {
    case Id("NPCO"):
        // A run of NPCO starts the inventory again; entries stored with length 0 hold nothing.
        rec.NPCO.clear();
        while (c.id() == Id("NPCO")) {
            NPCOData d;
            d.NPCOLen = r.i32();
            if (d.NPCOLen != 0) {
                d.Count = r.i32();
                d.ItemID = r.fixed(32);
                rec.NPCO.push_back(std::move(d));
            }
            c.next();
        }
        return true;
    case Id("NPCS"):
        rec.NPCS.clear();
        while (c.id() == Id("NPCS")) {
            NPCSData d;
            d.NPCSLen = r.i32();
            if (d.NPCSLen != 0) {
                d.SpellID = r.fixed(32);
                rec.NPCS.push_back(std::move(d));
            }
            c.next();
        }
        return true;
    case Id("AIDT"):
        rec.AIDTLen = r.i32();
        rec.AIDTBytes = {};
        rec.AIFlags = 0;
        if (rec.AIDTLen != 0) {
            r.bytes(rec.AIDTBytes.data(), rec.AIDTBytes.size());
            rec.AIFlags = r.i32();
        }
        c.next();
        return true;
    case Id("INDX"):
        ReadValueSub(r, rec.INDXLen, rec.INDX);
        c.next();
        return true;
    case Id("AI_W"): {
        AI_WData d = ReadAIW(r);
        if (d.AI_WLen != 0) rec.AI_W.push_back(d);
        c.next();
        return true;
    }
    case Id("AI_T"): {
        AI_TData d = ReadAIT(r);
        if (d.AI_TLen != 0) rec.AI_T.push_back(d);
        c.next();
        return true;
    }
    case Id("AI_E"): ReadEscortOrFollow(c, rec.AI_E); return true;
    case Id("AI_F"): ReadEscortOrFollow(c, rec.AI_F); return true;
    case Id("AI_A"): {
        AI_AData d = ReadAIA(r);
        if (d.AI_ALen != 0) rec.AI_A.push_back(std::move(d));
        c.next();
        return true;
    }
    case Id("DODT"): {
        // A run of DODT fills the destinations from the first slot; a DNAM right after a DODT belongs to
        // it. Destinations beyond the fourth, and DODT stored with length 0, are left out.
        rec.Destinations = {};
        size_t slot = 0;
        while (c.id() == Id("DODT")) {
            DODTData d;
            d.DODTLen = r.i32();
            if (d.DODTLen != 0)
                for (int32_t& v : d.DODT) v = r.i32();
            c.next();
            if (c.id() == Id("DNAM")) {
                ReadZString(r, d.DNAMLen, d.DNAM);
                c.next();
            }
            if (d.DODTLen != 0 && slot < rec.Destinations.size()) rec.Destinations[slot++] = std::move(d);
        }
        return true;
    }
    case Id("DELE"):
        // The deleted state is carried by Flags alone.
        if (r.i32() != 0) r.skip(4);
        c.next();
        return true;
    default: return false;
    }
}

// When the record's subrecords filled its Size exactly, Size becomes the number of bytes the writer will put
// after the header, so that what the reader left out or reshaped needs no repair when the record is saved.
template <class R, class W> void FitSize(R& rec, size_t bodyBytes, W write) {
    if (bodyBytes != static_cast<uint32_t>(rec.Size)) return;
    thread_local ByteWriter scratch;
    scratch.buffer().clear();
    write(scratch, rec);
    rec.Size = static_cast<int32_t>(scratch.size() - 16);
}

template <class R> void WriteShared(ByteWriter& w, const R& rec) {
    if (!rec.NPCO.empty() && rec.NPCO.front().NPCOLen != 0)
        for (const NPCOData& d : rec.NPCO) WriteNPCO(w, d);
    if (!rec.NPCS.empty() && rec.NPCS.front().NPCSLen != 0)
        for (const NPCSData& d : rec.NPCS) WriteNPCS(w, d);
    if (rec.AIDTLen != 0) {
        size_t s = w.beginSub("AIDT");
        w.raw(rec.AIDTBytes.data(), rec.AIDTBytes.size());
        w.i32(rec.AIFlags);
        w.endSub(s);
    }
    for (const DODTData& d : rec.Destinations) {
        if (d.DODTLen == 0) continue;
        size_t s = w.beginSub("DODT");
        for (int32_t v : d.DODT) w.i32(v);
        w.endSub(s);
        WriteZStringIfSet(w, "DNAM", d.DNAMLen, d.DNAM);
    }
    if (!rec.AI_W.empty() && rec.AI_W.front().AI_WLen != 0) {
        for (const AI_WData& d : rec.AI_W) {
            size_t s = w.beginSub("AI_W");
            w.i16(d.Distance);
            w.i16(d.Duration);
            w.u8(d.TimeOfDay);
            w.raw(d.Idles.data(), d.Idles.size());
            w.u8(d.Tail);
            w.endSub(s);
        }
    }
    if (!rec.AI_T.empty() && rec.AI_T.front().AI_TLen != 0) {
        for (const AI_TData& d : rec.AI_T) {
            size_t s = w.beginSub("AI_T");
            w.i32(d.X);
            w.i32(d.Y);
            w.i32(d.Z);
            w.i32(d.Tail);
            w.endSub(s);
        }
    }
    auto escortOrFollow = [&w](std::string_view tag, const std::vector<AI_EFData>& list) {
        if (list.empty() || list.front().Len == 0) return;
        for (const AI_EFData& d : list) {
            size_t s = w.beginSub(tag);
            w.i32(d.X);
            w.i32(d.Y);
            w.i32(d.Z);
            w.i16(d.Duration);
            w.fixed(d.TargetID, 32);
            w.i16(d.Tail);
            w.endSub(s);
            WriteZStringIfSet(w, "CNDT", d.CNDTLen, d.CNDT);
        }
    };
    escortOrFollow("AI_E", rec.AI_E);
    escortOrFollow("AI_F", rec.AI_F);
    if (!rec.AI_A.empty() && rec.AI_A.front().AI_ALen != 0) {
        for (const AI_AData& d : rec.AI_A) {
            size_t s = w.beginSub("AI_A");
            w.fixed(d.TargetID, 32);
            w.u8(d.Tail);
            w.endSub(s);
        }
    }
}

// FLAG: the two bytes kept, then two zero bytes.
void WriteFlag(ByteWriter& w, uint8_t flag0, uint8_t flag1) {
    size_t s = w.beginSub("FLAG");
    w.u8(flag0);
    w.u8(flag1);
    w.u8(0);
    w.u8(0);
    w.endSub(s);
}

void WriteValueIfSet(ByteWriter& w, std::string_view tag, int32_t len, int32_t value) {
    if (len == 0) return;
    size_t s = w.beginSub(tag);
    w.i32(value);
    w.endSub(s);
}

} // namespace

NPC_Record ReadNPC_(ByteReader& r, std::string& pendingTag) {
    NPC_Record rec;
    rec.Size = r.i32();
    rec.Header1 = r.i32();
    rec.Flags = r.i32();
    const size_t bodyStart = r.position();
    Cursor c(r, pendingTag);
    c.next();
    for (;;) {
        switch (c.id()) {
        case Id("NAME"): ReadZString(r, rec.NAMELen, rec.NAME); break;
        case Id("MODL"): ReadZString(r, rec.MODLLen, rec.MODL); break;
        case Id("FNAM"): ReadZString(r, rec.FNAMLen, rec.FNAM); break;
        case Id("RNAM"): ReadZString(r, rec.RNAMLen, rec.RNAM); break;
        case Id("CNAM"): ReadZString(r, rec.CNAMLen, rec.CNAM); break;
        case Id("ANAM"): ReadZString(r, rec.ANAMLen, rec.ANAM); break;
        case Id("BNAM"): ReadZString(r, rec.BNAMLen, rec.BNAM); break;
        case Id("KNAM"): ReadZString(r, rec.KNAMLen, rec.KNAM); break;
        case Id("SCRI"): ReadZString(r, rec.SCRILen, rec.SCRI); break;
        case Id("NPDT"):
            // 12 bytes are the short form; any other length is read into the long form, as far as it goes.
            rec.NPDTLen = r.i32();
            rec.NPDTShort = {};
            rec.NPDTLong = {};
            if (rec.NPDTLen == 12)
                r.bytes(rec.NPDTShort.data(), rec.NPDTShort.size());
            else
                ReadSized(r, rec.NPDTLen, rec.NPDTLong.data(), rec.NPDTLong.size());
            break;
        case Id("FLAG"): ReadFlag(r, rec.FLAGLen, rec.FLAG0, rec.FLAG1); break;
        default:
            if (ReadSharedSub(c, rec)) continue; // it has read the tag that follows
            FitSize(rec, c.tagStart() - bodyStart, WriteNPC_);
            return rec;
        }
        c.next();
    }
}

CREARecord ReadCREA(ByteReader& r, std::string& pendingTag) {
    CREARecord rec;
    rec.Size = r.i32();
    rec.Header1 = r.i32();
    rec.Flags = r.i32();
    const size_t bodyStart = r.position();
    Cursor c(r, pendingTag);
    c.next();
    for (;;) {
        switch (c.id()) {
        case Id("NAME"): ReadZString(r, rec.NAMELen, rec.NAME); break;
        case Id("MODL"): ReadZString(r, rec.MODLLen, rec.MODL); break;
        case Id("CNAM"): ReadZString(r, rec.CNAMLen, rec.CNAM); break;
        case Id("FNAM"): ReadZString(r, rec.FNAMLen, rec.FNAM); break;
        case Id("SCRI"): ReadZString(r, rec.SCRILen, rec.SCRI); break;
        case Id("NPDT"): {
            // The size as read, then the 96 data bytes as far as the subrecord holds them.
            rec.NPDTBlock = {};
            const int32_t len = r.i32();
            for (int i = 0; i < 4; ++i)
                rec.NPDTBlock[i] = static_cast<uint8_t>(static_cast<uint32_t>(len) >> (8 * i));
            ReadSized(r, len, rec.NPDTBlock.data() + 4, rec.NPDTBlock.size() - 4);
            break;
        }
        case Id("FLAG"): ReadFlag(r, rec.FLAGLen, rec.FLAG0, rec.FLAG1); break;
        case Id("XSCL"): ReadValueSub(r, rec.XSCLLen, rec.XSCL); break;
        default:
            if (ReadSharedSub(c, rec)) continue;
            FitSize(rec, c.tagStart() - bodyStart, WriteCREA);
            return rec;
        }
        c.next();
    }
}

void WriteNPC_(ByteWriter& w, const NPC_Record& rec) {
    size_t m = w.beginRecord("NPC_", rec.Size, rec.Header1, rec.Flags);
    w.zstringSub("NAME", rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
        w.endRecord(m);
        return;
    }
    WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
    WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
    WriteZStringIfSet(w, "RNAM", rec.RNAMLen, rec.RNAM);
    WriteZStringIfSet(w, "CNAM", rec.CNAMLen, rec.CNAM);
    WriteZStringIfSet(w, "ANAM", rec.ANAMLen, rec.ANAM);
    WriteZStringIfSet(w, "BNAM", rec.BNAMLen, rec.BNAM);
    WriteZStringIfSet(w, "KNAM", rec.KNAMLen, rec.KNAM);
    WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
    size_t s = w.beginSub("NPDT");
    if (rec.NPDTLen == 12)
        w.raw(rec.NPDTShort.data(), rec.NPDTShort.size());
    else
        w.raw(rec.NPDTLong.data(), rec.NPDTLong.size());
    w.endSub(s);
    WriteFlag(w, rec.FLAG0, rec.FLAG1);
    WriteValueIfSet(w, "INDX", rec.INDXLen, rec.INDX);
    WriteShared(w, rec);
    w.endRecord(m);
}

void WriteCREA(ByteWriter& w, const CREARecord& rec) {
    size_t m = w.beginRecord("CREA", rec.Size, rec.Header1, rec.Flags);
    w.zstringSub("NAME", rec.NAME);
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
        w.endRecord(m);
        return;
    }
    WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
    WriteZStringIfSet(w, "CNAM", rec.CNAMLen, rec.CNAM);
    WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
    WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
    size_t s = w.beginSub("NPDT");
    w.raw(rec.NPDTBlock.data() + 4, rec.NPDTBlock.size() - 4);
    w.endSub(s);
    WriteFlag(w, rec.FLAG0, rec.FLAG1);
    WriteValueIfSet(w, "INDX", rec.INDXLen, rec.INDX);
    WriteValueIfSet(w, "XSCL", rec.XSCLLen, rec.XSCL);
    WriteShared(w, rec);
    w.endRecord(m);
}

} // namespace vellum
