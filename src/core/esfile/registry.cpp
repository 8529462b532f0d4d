#include "esfile/registry.h"

#include <algorithm>
#include <array>
#include <type_traits>
#include <unordered_map>

namespace vellum {

namespace {

template <class T> T StartRecord(const RecordHead& h) {
    T rec;
    rec.Header1 = h.header1;
    rec.Flags = h.flags;
    if constexpr (std::is_same_v<T, OpaqueRecord>) rec.Tag = TagName(h.tag);
    return rec;
}

template <class T, auto Table, auto Read> void ReadInto(Body& b, const RecordHead& h, RecordStore& s) {
    T rec = StartRecord<T>(h);
    Read(b, rec);
    AppendRecord(s.*Table, std::move(rec));
}

// A response belongs to the topic read last.
void ReadResponse(Body& b, const RecordHead& h, RecordStore& s) {
    INFORecord rec = StartRecord<INFORecord>(h);
    const int64_t topics = RecordCountOf(s, s.tblDIAL);
    if (topics > 0) {
        rec.TopicIndex = static_cast<int32_t>(topics - 1);
        rec.Topic = s.tblDIAL[static_cast<size_t>(topics - 1)].NAME;
    }
    ReadINFO(b, rec);
    AppendRecord(s.tblINFO, std::move(rec));
}

template <auto Table> void Reserve(RecordStore& s, size_t n) {
    (s.*Table).reserve(n + 1);
}
template <auto Table> size_t Count(const RecordStore& s) {
    return static_cast<size_t>(RecordCountOf(s, s.*Table));
}

template <class T, auto Table, auto Write>
void WriteAt(ByteWriter& w, const RecordStore& s, size_t i, const SaveContext& c) {
    const T& rec = (s.*Table)[i];
    using W = decltype(Write);
    if constexpr (std::is_invocable_v<W, ByteWriter&, const T&>)
        Write(w, rec);
    else if constexpr (std::is_invocable_v<W, ByteWriter&, const T&, Ui&>)
        Write(w, rec, c.ui); // cells: a reference that cannot be written is reported
    else if constexpr (std::is_same_v<T, SCPTRecord>)
        Write(w, rec, c.fileType != kFileTypeSavedGame); // scripts keep their text out of saved games
    else
        Write(w, rec, c.recordCount, c.fileType); // the header
}

std::array<RecordType, kRecordTypeCount> MakeTypes() {
    std::array<RecordType, kRecordTypeCount> types{};
    size_t k = 0;
#define VELLUM_RECORD_TYPE(TAG, TYPE, RANK, IO)                                                              \
    types[k++] = {TagValue(#TAG),                                                                            \
                  RANK,                                                                                      \
                  !std::is_same_v<TYPE, OpaqueRecord>,                                                       \
                  &ReadInto<TYPE, &RecordStore::tbl##TAG, &Read##IO>,                                        \
                  &Reserve<&RecordStore::tbl##TAG>,                                                          \
                  &Count<&RecordStore::tbl##TAG>,                                                            \
                  &WriteAt<TYPE, &RecordStore::tbl##TAG, &Write##IO>};
    VELLUM_RECORD_TYPES(VELLUM_RECORD_TYPE)
#undef VELLUM_RECORD_TYPE
    for (RecordType& t : types)
        if (t.tag == "INFO"_tag) t.read = &ReadResponse;
    std::sort(types.begin(), types.end(),
              [](const RecordType& a, const RecordType& b) { return a.saveRank < b.saveRank; });
    return types;
}

const std::array<RecordType, kRecordTypeCount>& Types() {
    static const auto types = MakeTypes();
    return types;
}

} // namespace

std::span<const RecordType> RecordTypes() {
    return Types();
}

const RecordType* FindRecordType(uint32_t tag) {
    static const std::unordered_map<uint32_t, const RecordType*> byTag = [] {
        std::unordered_map<uint32_t, const RecordType*> m;
        for (const RecordType& t : Types()) m[t.tag] = &t;
        return m;
    }();
    auto it = byTag.find(tag);
    return it == byTag.end() ? nullptr : it->second;
}

void ReadUnknownRecord(Body& body, const RecordHead& head, RecordStore& store) {
    ReadInto<OpaqueRecord, &RecordStore::tblUnknown, &ReadOpaque>(body, head, store);
}

} // namespace vellum
