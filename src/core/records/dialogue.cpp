#include "records/dialogue.h"

#include "records/common.h"
#include "store/store.h"

namespace vellum {

namespace {

// Reads the next tag, remembering where it started: the record's subrecords end there.
struct TagReader {
    ByteReader& r;
    std::string& pendingTag;
    size_t tagStart = 0;
    void next() {
        tagStart = r.position();
        pendingTag = r.tag();
    }
};

// A 32-bit value subrecord: its length, then the value unless the length is 0.
void ReadValue(ByteReader& r, int32_t& len, int32_t& value) {
    len = r.i32();
    if (len != 0) value = r.i32();
}
void ReadValue(ByteReader& r, int32_t& len, float& value) {
    len = r.i32();
    if (len != 0) value = r.f32();
}
// A one-byte marker subrecord (QSTN, QSTF, QSTR).
void ReadMarker(ByteReader& r, int32_t& len, uint8_t& value) {
    len = r.i32();
    if (len != 0) value = r.u8();
}

void WriteValueSub(ByteWriter& w, std::string_view tag, int32_t value) {
    size_t s = w.beginSub(tag);
    w.i32(value);
    w.endSub(s);
}
void WriteMarkerSub(ByteWriter& w, std::string_view tag, uint8_t value) {
    size_t s = w.beginSub(tag);
    w.u8(value);
    w.endSub(s);
}

// The topic record alone, without its responses.
void WriteTopicRecord(ByteWriter& w, const DIALRecord& rec) {
    size_t m = w.beginRecord("DIAL", rec.Size, rec.Header1, rec.Flags);
    w.zstringSub("NAME", rec.NAME);
    size_t s = w.beginSub("DATA");
    // The saved-game form's 4 bytes are not kept: they are written back as zeros.
    if (rec.DATALen == 4)
        w.u32(0);
    else
        w.u8(rec.DialType);
    w.endSub(s);
    if (rec.XIDXLen > 0) WriteValueSub(w, "XIDX", rec.XIDX);
    if (IsDeleted(rec.Flags)) w.deleSub();
    w.endRecord(m);
}

void WriteCondition(ByteWriter& w, const SCVRData& c) {
    size_t s = w.beginSub("SCVR");
    w.fixed(c.CondIndex, 1);
    w.fixed(c.CondType, 1);
    w.fixed(c.CondFunction, 2);
    w.fixed(c.CondComparison, 1);
    w.raw(c.CondName);
    w.endSub(s);
    if (c.INTVLen != 0) {
        WriteValueSub(w, "INTV", c.INTV);
    } else if (c.FLTVLen != 0) {
        size_t f = w.beginSub("FLTV");
        w.f32(c.FLTV);
        w.endSub(f);
    }
}

// What the writer leaves out of a record (a seventh condition, ACDT, subrecords stored with length 0, the
// parts of a deleted record that are not written) and what it adds (an INAM or DATA the file lacked) change
// the record's size; Size follows by that difference so that the next save stays well-formed. For a
// well-formed record of which nothing is dropped the difference is 0 and Size stays as read.
template <class Rec, class Write> void KeepSizeInStep(Rec& rec, size_t bodyBytesRead, Write write) {
    thread_local ByteWriter scratch;
    scratch.buffer().clear();
    write(scratch, rec);
    const int64_t written = static_cast<int64_t>(scratch.size()) - 16;
    rec.Size =
        static_cast<int32_t>(static_cast<int64_t>(rec.Size) + written - static_cast<int64_t>(bodyBytesRead));
}

// The size rule of text changes; `written` tells whether the subrecord counts in Size at all.
void ReplaceCounted(std::string& value, int32_t& len, int32_t& size, std::string text, bool written,
                    bool dropWhenEmpty) {
    const int32_t d = static_cast<int32_t>(text.size()) - static_cast<int32_t>(value.size());
    if (d != 0) {
        len += d;
        if (written) {
            size += d;
            if (dropWhenEmpty && d > 0 && value.empty()) size += 8;
            if (dropWhenEmpty && d < 0 && text.empty()) size -= 8;
        }
    }
    value = std::move(text);
}

} // namespace

DIALRecord ReadDIAL(ByteReader& r, std::string& pendingTag, RecordStore& store) {
    DIALRecord rec;
    rec.Size = r.i32();
    rec.Header1 = r.i32();
    rec.Flags = r.i32();
    const size_t bodyStart = r.position();
    TagReader t{r, pendingTag};
    t.next();
    for (;;) {
        if (pendingTag == "NAME") {
            ReadZString(r, rec.NAMELen, rec.NAME);
            store.currentTopic = rec.NAME;
        } else if (pendingTag == "DATA") {
            rec.DATALen = r.i32();
            if (rec.DATALen == 4) {
                r.skip(4);
                rec.DialType = 128;
            } else {
                rec.DialType = r.u8();
            }
        } else if (pendingTag == "XIDX") {
            ReadValue(r, rec.XIDXLen, rec.XIDX);
        } else if (pendingTag == "DELE") {
            r.skip(8);
        } else {
            break;
        }
        t.next();
    }
    KeepSizeInStep(rec, t.tagStart - bodyStart, WriteTopicRecord);
    return rec;
}

INFORecord ReadINFO(ByteReader& r, std::string& pendingTag, RecordStore& store) {
    INFORecord rec;
    rec.Size = r.i32();
    rec.Header1 = r.i32();
    rec.Flags = r.i32();
    rec.Topic = store.currentTopic;
    const size_t bodyStart = r.position();
    int conditions = 0;
    TagReader t{r, pendingTag};
    t.next();
    for (;;) {
        const std::string& tag = pendingTag;
        const uint32_t id = layout::Tag(tag); // compared as numbers: a response has many subrecords
        if (id == layout::Tag("INAM"))
            ReadZString(r, rec.INAMLen, rec.INAM);
        else if (id == layout::Tag("PNAM"))
            ReadZString(r, rec.PNAMLen, rec.PNAM);
        else if (id == layout::Tag("NNAM"))
            ReadZString(r, rec.NNAMLen, rec.NNAM);
        else if (id == layout::Tag("ONAM"))
            ReadZString(r, rec.ONAMLen, rec.ONAM);
        else if (id == layout::Tag("RNAM"))
            ReadZString(r, rec.RNAMLen, rec.RNAM);
        else if (id == layout::Tag("CNAM"))
            ReadZString(r, rec.CNAMLen, rec.CNAM);
        else if (id == layout::Tag("FNAM"))
            ReadZString(r, rec.FNAMLen, rec.FNAM);
        else if (id == layout::Tag("ANAM"))
            ReadZString(r, rec.ANAMLen, rec.ANAM);
        else if (id == layout::Tag("DNAM"))
            ReadZString(r, rec.DNAMLen, rec.DNAM);
        else if (id == layout::Tag("SNAM"))
            ReadZString(r, rec.SNAMLen, rec.SNAM);
        else if (id == layout::Tag("ACDT"))
            ReadZString(r, rec.ACDTLen, rec.ACDT);
        else if (id == layout::Tag("NAME"))
            ReadText(r, rec.NAMELen, rec.NAME);
        else if (id == layout::Tag("BNAM"))
            ReadText(r, rec.BNAMLen, rec.BNAM);
        else if (id == layout::Tag("QSTN"))
            ReadMarker(r, rec.QSTNLen, rec.QSTN);
        else if (id == layout::Tag("QSTF"))
            ReadMarker(r, rec.QSTFLen, rec.QSTF);
        else if (id == layout::Tag("QSTR"))
            ReadMarker(r, rec.QSTRLen, rec.QSTR);
        else if (id == layout::Tag("XIDX"))
            ReadValue(r, rec.XIDXLen, rec.XIDX);
        else if (id == layout::Tag("DELE"))
            r.skip(8);
        else if (id == layout::Tag("DATA")) {
            // Always the 12 bytes of the layout, whatever the stored length says.
            rec.DATALen = r.i32();
            rec.InfoType = r.i32();
            rec.Disposition = r.i32();
            rec.Rank = r.u8();
            rec.Gender = r.u8();
            rec.PCRank = r.u8();
            rec.InfoUnknown = r.u8();
        } else if (id == layout::Tag("SCVR")) {
            // Slots are filled in the order the conditions come, whatever their index character says. A
            // condition beyond the sixth (damaged files) is read and dropped.
            SCVRData c;
            c.SCVRLen = r.i32();
            if (c.SCVRLen != 0) {
                c.CondIndex = r.fixed(1);
                c.CondType = r.fixed(1);
                c.CondFunction = r.fixed(2);
                c.CondComparison = r.fixed(1);
                if (c.SCVRLen > 5) c.CondName = r.fixed(static_cast<uint32_t>(c.SCVRLen - 5));
            }
            t.next();
            if (pendingTag == "INTV") {
                ReadValue(r, c.INTVLen, c.INTV);
                t.next();
            } else if (pendingTag == "FLTV") {
                ReadValue(r, c.FLTVLen, c.FLTV);
                t.next();
            }
            if (conditions < kConditionSlots) rec.Conditions[static_cast<size_t>(conditions)] = std::move(c);
            ++conditions;
            continue; // dispatch on the tag in hand
        } else {
            break;
        }
        t.next();
    }
    KeepSizeInStep(rec, t.tagStart - bodyStart, [](ByteWriter& w, const INFORecord& x) { WriteINFO(w, x); });
    return rec;
}

InfoIndex BuildInfoIndex(const RecordStore& store) {
    InfoIndex index;
    index.reserve(store.tblDIAL.size());
    for (size_t i = 0; i < store.tblINFO.size(); ++i) index[store.tblINFO[i].Topic].push_back(i);
    return index;
}

void WriteDIAL(ByteWriter& w, const DIALRecord& rec, const RecordStore& store, const InfoIndex& index) {
    WriteTopicRecord(w, rec);
    auto it = index.find(rec.NAME);
    if (it == index.end()) return;
    for (size_t i : it->second) WriteINFO(w, store.tblINFO[i]);
}

void WriteINFO(ByteWriter& w, const INFORecord& rec) {
    size_t m = w.beginRecord("INFO", rec.Size, rec.Header1, rec.Flags);
    w.zstringSub("INAM", rec.INAM);
    if (IsDeleted(rec.Flags)) {
        if (rec.PNAMLen > 0) w.zstringSub("PNAM", rec.PNAM);
        if (rec.NNAMLen > 0) w.zstringSub("NNAM", rec.NNAM);
        if (rec.NAMELen > 0) w.textSub("NAME", rec.NAME);
        w.deleSub();
        w.endRecord(m);
        return;
    }
    if (rec.XIDXLen > 0) WriteValueSub(w, "XIDX", rec.XIDX);
    if (rec.PNAMLen > 0) w.zstringSub("PNAM", rec.PNAM);
    if (rec.NNAMLen > 0) w.zstringSub("NNAM", rec.NNAM);
    size_t s = w.beginSub("DATA");
    w.i32(rec.InfoType);
    w.i32(rec.Disposition);
    w.u8(rec.Rank);
    w.u8(rec.Gender);
    w.u8(rec.PCRank);
    w.u8(rec.InfoUnknown);
    w.endSub(s);
    WriteZStringIfSet(w, "ONAM", rec.ONAMLen, rec.ONAM);
    WriteZStringIfSet(w, "RNAM", rec.RNAMLen, rec.RNAM);
    WriteZStringIfSet(w, "CNAM", rec.CNAMLen, rec.CNAM);
    WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
    WriteZStringIfSet(w, "ANAM", rec.ANAMLen, rec.ANAM);
    WriteZStringIfSet(w, "DNAM", rec.DNAMLen, rec.DNAM);
    WriteZStringIfSet(w, "SNAM", rec.SNAMLen, rec.SNAM);
    // A negative length (damaged files only) has no characters behind it and counts as absent.
    if (rec.NAMELen > 0) w.textSub("NAME", rec.NAME);
    if (rec.QSTNLen != 0) WriteMarkerSub(w, "QSTN", rec.QSTN);
    if (rec.QSTFLen != 0) WriteMarkerSub(w, "QSTF", rec.QSTF);
    if (rec.QSTRLen != 0) WriteMarkerSub(w, "QSTR", rec.QSTR);
    for (const SCVRData& c : rec.Conditions)
        if (c.SCVRLen != 0) WriteCondition(w, c);
    if (rec.BNAMLen > 0) w.textSub("BNAM", rec.BNAM);
    w.endRecord(m);
}

void SetResponseText(INFORecord& rec, std::string text) {
    ReplaceCounted(rec.NAME, rec.NAMELen, rec.Size, std::move(text), true, true);
}

void SetResultScript(INFORecord& rec, std::string text) {
    ReplaceCounted(rec.BNAM, rec.BNAMLen, rec.Size, std::move(text), !IsDeleted(rec.Flags), true);
}

void SetTopicName(DIALRecord& rec, std::string name) {
    ReplaceCounted(rec.NAME, rec.NAMELen, rec.Size, std::move(name), true, false);
}

} // namespace vellum
