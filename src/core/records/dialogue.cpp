#include "records/dialogue.h"

#include "store/store.h"

namespace vellum {

DIALRecord ReadDIAL(ByteReader& r, std::string& pendingTag, RecordStore& store) {
    DIALRecord rec;
    static_cast<OpaqueRecord&>(rec) = ReadOpaque(r, pendingTag, false);
    ByteReader body(rec.Data);
    if (body.tag() == "NAME") rec.NAME = body.zstring(body.i32());
    store.currentTopic = rec.NAME;
    return rec;
}

INFORecord ReadINFO(ByteReader& r, std::string& pendingTag, RecordStore& store) {
    INFORecord rec;
    static_cast<OpaqueRecord&>(rec) = ReadOpaque(r, pendingTag, false);
    rec.Topic = store.currentTopic;
    return rec;
}

InfoIndex BuildInfoIndex(const RecordStore& store) {
    InfoIndex index;
    for (size_t i = 0; i < store.tblINFO.size(); ++i) index[store.tblINFO[i].Topic].push_back(i);
    return index;
}

void WriteDIAL(ByteWriter& w, const DIALRecord& rec, const RecordStore& store, const InfoIndex& index) {
    WriteOpaque(w, rec);
    auto it = index.find(rec.NAME);
    if (it == index.end()) return;
    for (size_t i : it->second) WriteINFO(w, store.tblINFO[i]);
}

void WriteINFO(ByteWriter& w, const INFORecord& rec) {
    WriteOpaque(w, rec);
}

} // namespace vellum
