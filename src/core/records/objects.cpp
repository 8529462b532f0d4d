#include "records/objects.h"

#include <cstddef>
#include <string_view>

// All seventeen object types share one shape: a NAME, then string pairs and one data subrecord (plus, for
// some, a repeated subrecord), in any order on reading and in a fixed order on writing. Each type is
// described once by a table of its subrecords in the order the writer writes them; one generic reader and
// one generic writer walk that table. A data subrecord's fields are listed once and that list serves both
// directions, so the bytes read and the bytes written cannot drift apart.

namespace vellum {
namespace {

// ---- Fields of data subrecords, each read and written in its file width ----

struct Wire {
    static void get(ByteReader& r, float& v) { v = r.f32(); }
    static void get(ByteReader& r, int32_t& v) { v = r.i32(); }
    static void get(ByteReader& r, int16_t& v) { v = r.i16(); }
    static void get(ByteReader& r, uint8_t& v) { v = r.u8(); }
    template <class T, size_t N> static void get(ByteReader& r, std::array<T, N>& a) {
        for (T& v : a) get(r, v);
    }
    static void put(ByteWriter& w, float v) { w.f32(v); }
    static void put(ByteWriter& w, int32_t v) { w.i32(v); }
    static void put(ByteWriter& w, int16_t v) { w.i16(v); }
    static void put(ByteWriter& w, uint8_t v) { w.u8(v); }
    template <class T, size_t N> static void put(ByteWriter& w, const std::array<T, N>& a) {
        for (const T& v : a) put(w, v);
    }
};

static_assert(sizeof(float) == 4);
template <class T> constexpr size_t kWidth = sizeof(T);
template <class T, size_t N> constexpr size_t kWidth<std::array<T, N>> = N* kWidth<T>;

template <class> struct MemberTraits;
template <class C, class T> struct MemberTraits<T C::*> { using Type = T; };

// A field kept in its own width.
template <auto M> struct F {
    static constexpr size_t bytes = kWidth<typename MemberTraits<decltype(M)>::Type>;
    template <class R> static void read(ByteReader& r, R& rec) { Wire::get(r, rec.*M); }
    template <class R> static void write(ByteWriter& w, const R& rec) { Wire::put(w, rec.*M); }
};
// A flag byte held from a 4-byte word: its upper three bytes are dropped and written back as zeros.
template <auto M> struct FlagWord {
    static constexpr size_t bytes = 4;
    template <class R> static void read(ByteReader& r, R& rec) { rec.*M = ReadFlagByte(r); }
    template <class R> static void write(ByteWriter& w, const R& rec) { WriteFlagByte(w, rec.*M); }
};
// Bytes that are not kept: skipped on reading, written as zero bytes.
template <size_t N> struct Unkept {
    static constexpr size_t bytes = N;
    template <class R> static void read(ByteReader& r, R&) { r.skip(N); }
    template <class R> static void write(ByteWriter& w, const R&) {
        for (size_t i = 0; i < N; ++i) w.u8(0);
    }
};

// What the reader carries from one subrecord to the next within a record.
struct ReadState {
    int32_t& size; // the Size that the reader's own drops are taken off
    int slots = 0; // parts or effects filled so far
};

// The fields of one data subrecord, in file order.
template <class... Fs> struct Fields {
    static constexpr size_t bytes = (Fs::bytes + ... + 0);
    template <class R> static void read(ByteReader& r, R& rec, ReadState&) { (Fs::read(r, rec), ...); }
    template <class R> static void write(ByteWriter& w, const R& rec) { (Fs::write(w, rec), ...); }
};

// ---- Subrecords ----

enum class Kind : uint8_t {
    ZString,  // zero-terminated string pair
    Text,     // string pair without terminator
    Data,     // length and a run of fields
    Repeated, // container items, body parts or potion effects
};

template <class R> struct Sub {
    std::string_view tag;
    Kind kind;
    int32_t R::*len;                           // string pairs and data subrecords
    std::string R::*str;                       // string pairs
    void (*read)(ByteReader&, R&, ReadState&); // data fields; repeated entries
    void (*write)(ByteWriter&, const R&);      // data fields; repeated entries
    size_t dataBytes;                          // data subrecords
};

template <class R> constexpr Sub<R> Z(std::string_view tag, int32_t R::*len, std::string R::*s) {
    return {tag, Kind::ZString, len, s, nullptr, nullptr, 0};
}
template <class R> constexpr Sub<R> TextPair(std::string_view tag, int32_t R::*len, std::string R::*s) {
    return {tag, Kind::Text, len, s, nullptr, nullptr, 0};
}
template <class L, class R> constexpr Sub<R> D(std::string_view tag, int32_t R::*len) {
    return {tag, Kind::Data, len, nullptr, &L::template read<R>, &L::template write<R>, L::bytes};
}
template <class R>
constexpr Sub<R> Rep(std::string_view tag, void (*read)(ByteReader&, R&, ReadState&),
                     void (*write)(ByteWriter&, const R&)) {
    return {tag, Kind::Repeated, nullptr, nullptr, read, write, 0};
}
#define VELLUM_Z(R, TAG) Z(#TAG, &R::TAG##Len, &R::TAG)

// ---- Keeping Size true to what is written ----
//
// Where the reader keeps less than the file held, it takes the bytes that the writer will leave out off the
// record's Size, so that the Size written still describes the record: a subrecord that comes again
// overwrites the earlier one, a string subrecord of length 0 counts as absent, parts and effects beyond the
// fixed slots are dropped. (The reading loop does the same for DELE and for deleted records.)

// The bytes the writer writes for a string pair: nothing when its length is 0.
uint64_t PairBytes(int32_t len, const std::string& s, bool zeroTerminated) {
    if (len == 0) return 0;
    return 8 + s.size() + (zeroTerminated ? 1 : 0);
}

void ReadPair(ByteReader& r, int32_t& recordSize, int32_t& len, std::string& s, bool zeroTerminated) {
    DropFromSize(recordSize, PairBytes(len, s, zeroTerminated));
    if (zeroTerminated)
        ReadZString(r, len, s);
    else
        ReadText(r, len, s);
    if (len == 0) DropFromSize(recordSize, 8);
}

// ---- The generic reader and writer ----

template <class R, size_t N> const Sub<R>* Find(const Sub<R> (&layout)[N], std::string_view tag) {
    for (const Sub<R>& s : layout)
        if (s.tag == tag) return &s;
    return nullptr;
}

template <class R, size_t N> R ReadObject(ByteReader& r, std::string& pendingTag, const Sub<R> (&layout)[N]) {
    int32_t untracked = 0;
    int slots = 0;
    return ReadSubrecords<R>(r, pendingTag, [&](R& rec, const std::string& tag) {
        const Sub<R>* s = Find(layout, tag);
        if (!s) return SubRead::End;
        const bool identity = s == &layout[0]; // the NAME
        // A deleted record is written without anything but its NAME; the reading loop takes those bytes off
        // its Size, so the reader's own drops are not counted a second time.
        ReadState state{identity || !IsDeleted(rec.Flags) ? rec.Size : untracked, slots};
        switch (s->kind) {
        case Kind::ZString:
        case Kind::Text: ReadPair(r, state.size, rec.*s->len, rec.*s->str, s->kind == Kind::ZString); break;
        case Kind::Data:
            if (rec.*s->len != 0) DropFromSize(state.size, 8 + s->dataBytes);
            rec.*s->len = r.i32();
            s->read(r, rec, state);
            break;
        case Kind::Repeated: s->read(r, rec, state); break;
        }
        slots = state.slots;
        return identity ? SubRead::Identity : SubRead::Data;
    });
}

// Every single subrecord is written only when its stored length is not 0. For MODL and the data subrecord
// this means a record that lacks them is written without them, rather than with a subrecord whose contents
// do not match its size.
template <class R> void WriteSub(ByteWriter& w, const Sub<R>& s, const R& rec) {
    switch (s.kind) {
    case Kind::ZString: WriteZStringIfSet(w, s.tag, rec.*s.len, rec.*s.str); break;
    case Kind::Text: WriteTextIfSet(w, s.tag, rec.*s.len, rec.*s.str); break;
    case Kind::Data:
        if (rec.*s.len != 0) {
            size_t m = w.beginSub(s.tag);
            s.write(w, rec);
            w.endSub(m);
        }
        break;
    case Kind::Repeated: s.write(w, rec); break;
    }
}

template <class R, size_t N>
void WriteObject(ByteWriter& w, std::string_view tag, const R& rec, const Sub<R> (&layout)[N]) {
    size_t m = w.beginRecord(tag, rec.Size, rec.Header1, rec.Flags);
    WriteSub(w, layout[0], rec); // the NAME, deleted records included
    if (IsDeleted(rec.Flags)) {
        w.deleSub();
    } else {
        for (size_t i = 1; i < N; ++i) WriteSub(w, layout[i], rec);
    }
    w.endRecord(m);
}

// ---- Repeated subrecords ----

// Container items: each NPCO adds one; they are written only when the first one has a length.
void ReadItem(ByteReader& r, CONTRecord& rec, ReadState&) {
    rec.Items.push_back(ReadNPCO(r));
}
void WriteItems(ByteWriter& w, const CONTRecord& rec) {
    if (rec.Items.empty() || rec.Items.front().NPCOLen == 0) return;
    for (const NPCOData& item : rec.Items) WriteNPCO(w, item);
}

// Body parts of armour and clothing: an INDX takes the next free slot, with an optional CNAM, BNAM and CNAM
// right after it. A part beyond the seventh slot is read and dropped.
uint64_t PartBytes(const PartData& p) {
    if (p.INDXLen == 0) return 0;
    return 8 + 1 + PairBytes(p.BNAMLen, p.BNAM, false) + PairBytes(p.CNAMLen, p.CNAM, false);
}
void ReadPartName(ByteReader& r, ReadState& st, std::string_view tag, int32_t& len, std::string& s) {
    if (PeekTag(r) != tag) return;
    r.skip(4);
    ReadPair(r, st.size, len, s, false);
}
template <class R> void ReadPart(ByteReader& r, R& rec, ReadState& st) {
    PartData dropped;
    const bool kept = st.slots < kPartSlots;
    PartData& p = kept ? rec.Parts[static_cast<size_t>(st.slots++)] : dropped;
    p.INDXLen = r.i32();
    p.PartIndex = r.u8();
    ReadPartName(r, st, "CNAM", p.CNAMLen, p.CNAM);
    ReadPartName(r, st, "BNAM", p.BNAMLen, p.BNAM);
    ReadPartName(r, st, "CNAM", p.CNAMLen, p.CNAM);
    if (!kept) DropFromSize(st.size, PartBytes(dropped));
}
template <class R> void WriteParts(ByteWriter& w, const R& rec) {
    for (const PartData& p : rec.Parts) {
        if (p.INDXLen == 0) continue;
        size_t m = w.beginSub("INDX");
        w.u8(p.PartIndex);
        w.endSub(m);
        // The names hold their own terminator.
        WriteTextIfSet(w, "BNAM", p.BNAMLen, p.BNAM);
        WriteTextIfSet(w, "CNAM", p.CNAMLen, p.CNAM);
    }
}

// Potion effects: each ENAM takes the next free slot; an effect beyond the eighth is read and dropped.
constexpr uint64_t kEffectBytes = 8 + 24;
void ReadPotionEffect(ByteReader& r, ALCHRecord& rec, ReadState& st) {
    EffectData e = ReadEffect(r);
    if (st.slots < kEffectSlots)
        rec.Effects[static_cast<size_t>(st.slots++)] = e;
    else if (e.ENAMLen != 0)
        DropFromSize(st.size, kEffectBytes);
}
void WritePotionEffects(ByteWriter& w, const ALCHRecord& rec) {
    for (const EffectData& e : rec.Effects)
        if (e.ENAMLen != 0) WriteEffect(w, e);
}

// ---- The layouts, each in the order its writer writes the subrecords ----

// clang-format off
using STAT = STATRecord;
constexpr Sub<STAT> kSTAT[] = {
    VELLUM_Z(STAT, NAME),
    VELLUM_Z(STAT, MODL),
};

using DOOR = DOORRecord;
constexpr Sub<DOOR> kDOOR[] = {
    VELLUM_Z(DOOR, NAME),
    VELLUM_Z(DOOR, MODL),
    VELLUM_Z(DOOR, FNAM),
    VELLUM_Z(DOOR, SCRI),
    VELLUM_Z(DOOR, SNAM),
    VELLUM_Z(DOOR, ANAM),
};

using MISC = MISCRecord;
using MCDT = Fields<F<&MISC::Weight>, F<&MISC::Value>, F<&MISC::MiscUnknown>>;
constexpr Sub<MISC> kMISC[] = {
    VELLUM_Z(MISC, NAME),
    VELLUM_Z(MISC, MODL),
    VELLUM_Z(MISC, FNAM),
    D<MCDT>("MCDT", &MISC::MCDTLen),
    VELLUM_Z(MISC, SCRI),
    VELLUM_Z(MISC, ITEX),
};

using WEAP = WEAPRecord;
using WPDT = Fields<F<&WEAP::Weight>, F<&WEAP::Value>, F<&WEAP::WeaponType>, F<&WEAP::Health>,
                    F<&WEAP::Speed>, F<&WEAP::Reach>, F<&WEAP::EnchantPoints>,
                    F<&WEAP::ChopMin>, F<&WEAP::ChopMax>, F<&WEAP::SlashMin>, F<&WEAP::SlashMax>,
                    F<&WEAP::ThrustMin>, F<&WEAP::ThrustMax>, FlagWord<&WEAP::WeaponFlags>>;
static_assert(WPDT::bytes == 32);
constexpr Sub<WEAP> kWEAP[] = {
    VELLUM_Z(WEAP, NAME),
    VELLUM_Z(WEAP, MODL),
    VELLUM_Z(WEAP, FNAM),
    D<WPDT>("WPDT", &WEAP::WPDTLen),
    VELLUM_Z(WEAP, SCRI),
    VELLUM_Z(WEAP, ITEX),
    VELLUM_Z(WEAP, ENAM),
};

using CONT = CONTRecord;
constexpr Sub<CONT> kCONT[] = {
    VELLUM_Z(CONT, NAME),
    VELLUM_Z(CONT, MODL),
    VELLUM_Z(CONT, FNAM),
    D<Fields<F<&CONT::Weight>>>("CNDT", &CONT::CNDTLen),
    D<Fields<FlagWord<&CONT::ContainerFlags>>>("FLAG", &CONT::FLAGLen),
    D<Fields<F<&CONT::INDX>>>("INDX", &CONT::INDXLen),
    VELLUM_Z(CONT, SCRI),
    Rep<CONT>("NPCO", &ReadItem, &WriteItems),
};

using BODY = BODYRecord;
using BYDT = Fields<F<&BODY::Part>, F<&BODY::Vampire>, F<&BODY::BodyFlags>, F<&BODY::PartType>>;
constexpr Sub<BODY> kBODY[] = {
    VELLUM_Z(BODY, NAME),
    VELLUM_Z(BODY, MODL),
    VELLUM_Z(BODY, FNAM),
    D<BYDT>("BYDT", &BODY::BYDTLen),
};

// The colour's fourth (alpha) byte is not kept.
using LIGH = LIGHRecord;
using LHDT = Fields<F<&LIGH::Weight>, F<&LIGH::Value>, F<&LIGH::Time>, F<&LIGH::Radius>,
                    F<&LIGH::Red>, F<&LIGH::Green>, F<&LIGH::Blue>, Unkept<1>, F<&LIGH::LightFlags>>;
static_assert(LHDT::bytes == 24);
constexpr Sub<LIGH> kLIGH[] = {
    VELLUM_Z(LIGH, NAME),
    VELLUM_Z(LIGH, MODL),
    VELLUM_Z(LIGH, FNAM),
    VELLUM_Z(LIGH, ITEX),
    D<LHDT>("LHDT", &LIGH::LHDTLen),
    VELLUM_Z(LIGH, SCRI),
    VELLUM_Z(LIGH, SNAM),
};

using ARMO = ARMORecord;
using AODT = Fields<F<&ARMO::ArmorType>, F<&ARMO::Weight>, F<&ARMO::Value>, F<&ARMO::Health>,
                    F<&ARMO::EnchantPoints>, F<&ARMO::ArmorRating>>;
static_assert(AODT::bytes == 24);
constexpr Sub<ARMO> kARMO[] = {
    VELLUM_Z(ARMO, NAME),
    VELLUM_Z(ARMO, MODL),
    VELLUM_Z(ARMO, FNAM),
    VELLUM_Z(ARMO, SCRI),
    D<AODT>("AODT", &ARMO::AODTLen),
    VELLUM_Z(ARMO, ITEX),
    Rep<ARMO>("INDX", &ReadPart<ARMO>, &WriteParts<ARMO>),
    VELLUM_Z(ARMO, ENAM),
};

using CLOT = CLOTRecord;
using CTDT = Fields<F<&CLOT::ClothingType>, F<&CLOT::Weight>, F<&CLOT::Value>, F<&CLOT::EnchantPoints>>;
static_assert(CTDT::bytes == 12);
constexpr Sub<CLOT> kCLOT[] = {
    VELLUM_Z(CLOT, NAME),
    VELLUM_Z(CLOT, MODL),
    VELLUM_Z(CLOT, FNAM),
    VELLUM_Z(CLOT, SCRI),
    D<CTDT>("CTDT", &CLOT::CTDTLen),
    VELLUM_Z(CLOT, ITEX),
    Rep<CLOT>("INDX", &ReadPart<CLOT>, &WriteParts<CLOT>),
    VELLUM_Z(CLOT, ENAM),
};

// Repair tools store the uses before the quality; lock picks and probes the quality first.
using REPA = REPARecord;
using UsesFirst = Fields<F<&REPA::Weight>, F<&REPA::Value>, F<&REPA::Uses>, F<&REPA::Quality>>;
using QualityFirst = Fields<F<&REPA::Weight>, F<&REPA::Value>, F<&REPA::Quality>, F<&REPA::Uses>>;
constexpr Sub<REPA> kREPA[] = {
    VELLUM_Z(REPA, NAME),
    VELLUM_Z(REPA, MODL),
    VELLUM_Z(REPA, FNAM),
    D<UsesFirst>("RIDT", &REPA::DataLen),
    VELLUM_Z(REPA, SCRI),
    VELLUM_Z(REPA, ITEX),
};
constexpr Sub<REPA> kLOCK[] = {
    VELLUM_Z(REPA, NAME),
    VELLUM_Z(REPA, MODL),
    VELLUM_Z(REPA, FNAM),
    D<QualityFirst>("LKDT", &REPA::DataLen),
    VELLUM_Z(REPA, SCRI),
    VELLUM_Z(REPA, ITEX),
};
constexpr Sub<REPA> kPROB[] = {
    VELLUM_Z(REPA, NAME),
    VELLUM_Z(REPA, MODL),
    VELLUM_Z(REPA, FNAM),
    D<QualityFirst>("PBDT", &REPA::DataLen),
    VELLUM_Z(REPA, SCRI),
    VELLUM_Z(REPA, ITEX),
};

using ACTI = ACTIRecord;
constexpr Sub<ACTI> kACTI[] = {
    VELLUM_Z(ACTI, NAME),
    VELLUM_Z(ACTI, MODL),
    VELLUM_Z(ACTI, FNAM),
    VELLUM_Z(ACTI, SCRI),
};

using APPA = APPARecord;
using AADT = Fields<F<&APPA::ApparatusType>, F<&APPA::Quality>, F<&APPA::Weight>, F<&APPA::Value>>;
constexpr Sub<APPA> kAPPA[] = {
    VELLUM_Z(APPA, NAME),
    VELLUM_Z(APPA, MODL),
    VELLUM_Z(APPA, FNAM),
    VELLUM_Z(APPA, SCRI),
    D<AADT>("AADT", &APPA::AADTLen),
    VELLUM_Z(APPA, ITEX),
};

using INGR = INGRRecord;
using IRDT = Fields<F<&INGR::Weight>, F<&INGR::Value>,
                    F<&INGR::EffectID>, F<&INGR::SkillID>, F<&INGR::AttributeID>>;
static_assert(IRDT::bytes == 56);
constexpr Sub<INGR> kINGR[] = {
    VELLUM_Z(INGR, NAME),
    VELLUM_Z(INGR, MODL),
    VELLUM_Z(INGR, FNAM),
    D<IRDT>("IRDT", &INGR::IRDTLen),
    VELLUM_Z(INGR, SCRI),
    VELLUM_Z(INGR, ITEX),
};

// The book's text is the one string of the family without a terminator.
using BOOK = BOOKRecord;
using BKDT = Fields<F<&BOOK::Weight>, F<&BOOK::Value>, F<&BOOK::Scroll>, F<&BOOK::SkillID>,
                    F<&BOOK::EnchantPoints>>;
constexpr Sub<BOOK> kBOOK[] = {
    VELLUM_Z(BOOK, NAME),
    VELLUM_Z(BOOK, MODL),
    VELLUM_Z(BOOK, FNAM),
    D<BKDT>("BKDT", &BOOK::BKDTLen),
    VELLUM_Z(BOOK, SCRI),
    VELLUM_Z(BOOK, ITEX),
    TextPair("TEXT", &BOOK::TEXTLen, &BOOK::TEXT),
    VELLUM_Z(BOOK, ENAM),
};

// A potion's TEXT is its icon, an ordinary zero-terminated string.
using ALCH = ALCHRecord;
using ALDT = Fields<F<&ALCH::Weight>, F<&ALCH::Value>, F<&ALCH::AutoCalc>>;
constexpr Sub<ALCH> kALCH[] = {
    VELLUM_Z(ALCH, NAME),
    VELLUM_Z(ALCH, MODL),
    VELLUM_Z(ALCH, FNAM),
    D<ALDT>("ALDT", &ALCH::ALDTLen),
    VELLUM_Z(ALCH, SCRI),
    VELLUM_Z(ALCH, TEXT),
    Rep<ALCH>("ENAM", &ReadPotionEffect, &WritePotionEffects),
};
// clang-format on

#undef VELLUM_Z

} // namespace

// One reader and one writer per type, each walking its layout.
#define VELLUM_OBJECT_IO(TAG)                                                                                \
    static_assert(k##TAG[0].tag == "NAME");                                                                  \
    TAG##Record Read##TAG(ByteReader& r, std::string& pendingTag) {                                          \
        return ReadObject(r, pendingTag, k##TAG);                                                            \
    }                                                                                                        \
    void Write##TAG(ByteWriter& w, const TAG##Record& rec) {                                                 \
        WriteObject(w, #TAG, rec, k##TAG);                                                                   \
    }

VELLUM_OBJECT_IO(STAT)
VELLUM_OBJECT_IO(DOOR)
VELLUM_OBJECT_IO(MISC)
VELLUM_OBJECT_IO(WEAP)
VELLUM_OBJECT_IO(CONT)
VELLUM_OBJECT_IO(BODY)
VELLUM_OBJECT_IO(LIGH)
VELLUM_OBJECT_IO(ARMO)
VELLUM_OBJECT_IO(CLOT)
VELLUM_OBJECT_IO(REPA)
VELLUM_OBJECT_IO(ACTI)
VELLUM_OBJECT_IO(APPA)
VELLUM_OBJECT_IO(LOCK)
VELLUM_OBJECT_IO(PROB)
VELLUM_OBJECT_IO(INGR)
VELLUM_OBJECT_IO(BOOK)
VELLUM_OBJECT_IO(ALCH)

#undef VELLUM_OBJECT_IO

} // namespace vellum
