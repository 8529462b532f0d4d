#include "records/dialogue.h"

#include <type_traits>

#include "records/common.h"

namespace vellum {

namespace {

// A topic's type: one byte, or the 4 bytes of a saved game (written back as zeros).
void ReadTopicType(Body& b, DIALRecord& rec) {
    if (b.size() == 1) {
        rec.DATALen = 1;
        rec.DialType = b.u8();
    } else if (b.size() == 4) {
        rec.DATALen = 4;
        rec.DialType = 128;
    } else {
        b.keep(rec.extras);
    }
}

// The fields of a response's DATA: the 12 bytes of its layout.
constexpr auto ResponseFields = [](auto&& io, auto& rec) {
    io(rec.InfoType, rec.Disposition, rec.Rank, rec.Gender, rec.PCRank, rec.InfoUnknown);
};

// Conditions fill the six slots in the order they come, whatever their index character says; the value
// subrecord right after a condition is its operand. A condition beyond the sixth, or one too short to hold
// its five characters, is kept whole with its operand.
class ConditionSlots {
  public:
    void condition(Body& b, INFORecord& rec) {
        if (filled_ == kConditionSlots || b.size() < 5) return b.keep(rec.extras), void(last_ = nullptr);
        SCVRData& c = rec.Conditions[static_cast<size_t>(filled_++)];
        c.SCVRLen = static_cast<int32_t>(b.size());
        c.CondIndex = b.fixed(1);
        c.CondType = b.fixed(1);
        c.CondFunction = b.fixed(2);
        c.CondComparison = b.fixed(1);
        c.CondName = b.fixed(b.left());
        last_ = &c;
        lastAt_ = b.index();
    }
    void integer(Body& b, INFORecord& rec) {
        if (SCVRData* c = operandOf(b)) return ReadValue(b, rec.extras, c->INTVLen, c->INTV);
        b.keep(rec.extras);
    }
    void real(Body& b, INFORecord& rec) {
        if (SCVRData* c = operandOf(b)) return ReadValue(b, rec.extras, c->FLTVLen, c->FLTV);
        b.keep(rec.extras);
    }

  private:
    SCVRData* operandOf(const Body& b) { return last_ && lastAt_ + 1 == b.index() ? last_ : nullptr; }
    int filled_ = 0;
    SCVRData* last_ = nullptr;
    uint32_t lastAt_ = 0;
};

void WriteCondition(ByteWriter& w, const SCVRData& c) {
    size_t s = w.beginSub("SCVR");
    w.fixed(c.CondIndex, 1);
    w.fixed(c.CondType, 1);
    w.fixed(c.CondFunction, 2);
    w.fixed(c.CondComparison, 1);
    w.raw(c.CondName);
    w.endSub(s);
    if (c.INTVLen != 0)
        w.valueSub("INTV", c.INTV);
    else if (c.FLTVLen != 0)
        w.valueSub("FLTV", c.FLTV);
}

} // namespace

void ReadDIAL(Body& b, DIALRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "DATA"_tag: ReadTopicType(b, rec); break;
        case "XIDX"_tag: ReadValue(b, rec.extras, rec.XIDXLen, rec.XIDX); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteDIAL(ByteWriter& w, const DIALRecord& rec) {
    size_t m = w.beginRecord("DIAL", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    w.zstringSub("NAME", rec.NAME);
    if (rec.DATALen != 0 || !rec.extras.has("DATA"_tag)) {
        size_t s = w.beginSub("DATA");
        // The saved-game form's 4 bytes are not kept: they are written back as zeros.
        if (rec.DATALen == 4)
            w.u32(0);
        else
            w.u8(rec.DialType);
        w.endSub(s);
    }
    WriteValueIfSet(w, "XIDX", rec.XIDXLen, rec.XIDX);
    if (IsDeleted(rec.Flags)) w.deleSub();
    w.endRecord(m);
}

void ReadINFO(Body& b, INFORecord& rec) {
    ConditionSlots conditions;
    while (b.more()) switch (b.next()) {
        case "INAM"_tag: ReadZString(b, rec.INAMLen, rec.INAM); break;
        case "PNAM"_tag: ReadZString(b, rec.PNAMLen, rec.PNAM); break;
        case "NNAM"_tag: ReadZString(b, rec.NNAMLen, rec.NNAM); break;
        case "DATA"_tag: ReadLayout(b, rec, rec.DATALen, 12, ResponseFields); break;
        case "ONAM"_tag: ReadZString(b, rec.ONAMLen, rec.ONAM); break;
        case "RNAM"_tag: ReadZString(b, rec.RNAMLen, rec.RNAM); break;
        case "CNAM"_tag: ReadZString(b, rec.CNAMLen, rec.CNAM); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "ANAM"_tag: ReadZString(b, rec.ANAMLen, rec.ANAM); break;
        case "DNAM"_tag: ReadZString(b, rec.DNAMLen, rec.DNAM); break;
        case "SNAM"_tag: ReadZString(b, rec.SNAMLen, rec.SNAM); break;
        case "NAME"_tag: ReadText(b, rec.NAMELen, rec.NAME); break;
        case "QSTN"_tag: ReadValue(b, rec.extras, rec.QSTNLen, rec.QSTN); break;
        case "QSTF"_tag: ReadValue(b, rec.extras, rec.QSTFLen, rec.QSTF); break;
        case "QSTR"_tag: ReadValue(b, rec.extras, rec.QSTRLen, rec.QSTR); break;
        case "SCVR"_tag: conditions.condition(b, rec); break;
        case "INTV"_tag: conditions.integer(b, rec); break;
        case "FLTV"_tag: conditions.real(b, rec); break;
        case "BNAM"_tag: ReadText(b, rec.BNAMLen, rec.BNAM); break;
        case "XIDX"_tag: ReadValue(b, rec.extras, rec.XIDXLen, rec.XIDX); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void WriteINFO(ByteWriter& w, const INFORecord& rec) {
    size_t m = w.beginRecord("INFO", rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    w.zstringSub("INAM", rec.INAM);
    if (IsDeleted(rec.Flags)) {
        if (rec.PNAMLen > 0) w.zstringSub("PNAM", rec.PNAM);
        if (rec.NNAMLen > 0) w.zstringSub("NNAM", rec.NNAM);
        if (rec.NAMELen > 0) w.textSub("NAME", rec.NAME);
        w.deleSub();
        w.endRecord(m);
        return;
    }
    WriteValueIfSet(w, "XIDX", rec.XIDXLen, rec.XIDX);
    if (rec.PNAMLen > 0) w.zstringSub("PNAM", rec.PNAM);
    if (rec.NNAMLen > 0) w.zstringSub("NNAM", rec.NNAM);
    if (rec.DATALen != 0 || !rec.extras.has("DATA"_tag)) WriteLayout(w, "DATA", rec, ResponseFields);
    WriteZStringIfSet(w, "ONAM", rec.ONAMLen, rec.ONAM);
    WriteZStringIfSet(w, "RNAM", rec.RNAMLen, rec.RNAM);
    WriteZStringIfSet(w, "CNAM", rec.CNAMLen, rec.CNAM);
    WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
    WriteZStringIfSet(w, "ANAM", rec.ANAMLen, rec.ANAM);
    WriteZStringIfSet(w, "DNAM", rec.DNAMLen, rec.DNAM);
    WriteZStringIfSet(w, "SNAM", rec.SNAMLen, rec.SNAM);
    // A negative length (damaged files only) has no characters behind it and counts as absent.
    if (rec.NAMELen > 0) w.textSub("NAME", rec.NAME);
    WriteValueIfSet(w, "QSTN", rec.QSTNLen, rec.QSTN);
    WriteValueIfSet(w, "QSTF", rec.QSTFLen, rec.QSTF);
    WriteValueIfSet(w, "QSTR", rec.QSTRLen, rec.QSTR);
    for (const SCVRData& c : rec.Conditions)
        if (c.SCVRLen != 0) WriteCondition(w, c);
    if (rec.BNAMLen > 0) w.textSub("BNAM", rec.BNAM);
    w.endRecord(m);
}

void SetResponseText(INFORecord& rec, std::string text) {
    rec.NAMELen = static_cast<int32_t>(text.size());
    rec.NAME = std::move(text);
}

void SetResultScript(INFORecord& rec, std::string text) {
    rec.BNAMLen = static_cast<int32_t>(text.size());
    rec.BNAM = std::move(text);
}

void SetTopicName(DIALRecord& rec, std::string name) {
    rec.NAMELen = static_cast<int32_t>(name.size() + 1);
    rec.NAME = std::move(name);
}

} // namespace vellum
