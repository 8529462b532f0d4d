// Record layouts: dialogue topics (DIAL) and their responses (INFO).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "records/opaque_stub.h"

namespace vellum {

struct RecordStore;

struct DIALRecord : OpaqueRecord {
    std::string NAME; // the topic's name
    bool operator==(const DIALRecord&) const = default;
};

struct INFORecord : OpaqueRecord {
    std::string Topic; // NAME of the topic the response was read under
    bool operator==(const INFORecord&) const = default;
};

// Sets the store's currentTopic to the topic read.
DIALRecord ReadDIAL(ByteReader& r, std::string& pendingTag, RecordStore& store);
// The response belongs to the store's currentTopic.
INFORecord ReadINFO(ByteReader& r, std::string& pendingTag, RecordStore& store);

// Responses by topic name (exact comparison), each list in table order. Built once per save so that writing
// every topic with its responses takes time in proportion to the number of records.
using InfoIndex = std::unordered_map<std::string, std::vector<size_t>>;
InfoIndex BuildInfoIndex(const RecordStore& store);

// Writes the topic and then every response whose Topic equals its NAME, in table order.
void WriteDIAL(ByteWriter& w, const DIALRecord& rec, const RecordStore& store, const InfoIndex& index);
void WriteINFO(ByteWriter& w, const INFORecord& rec);

} // namespace vellum
