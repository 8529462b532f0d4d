// Record layouts: dialogue topics (DIAL) and their responses (INFO).
//
// A response belongs to the topic under which it stands in the file; in the store that tie is only the
// response's Topic, the NAME of that topic. The topic writer writes each topic's responses right after it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "esfile/bytes.h"
#include "records/short_text.h"

namespace vellum {

struct RecordStore;

// A topic: conversation keyword, voice, greeting, persuasion group or journal quest.
struct DIALRecord {
    int32_t Size = 0;
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;  // characters + 1
    std::string NAME;     // the topic's name; its responses refer to it by this name
    int32_t DATALen = 0;  // 4 in saved games, otherwise 1
    uint8_t DialType = 0; // 0 topic, 1 voice, 2 greeting, 3 persuasion, 4 journal; 128: a 4-byte DATA
    int32_t XIDXLen = 0;
    int32_t XIDX = 0;
    bool operator==(const DIALRecord&) const = default;
};

// One condition of a response (SCVR, with its INTV or FLTV operand).
struct SCVRData {
    int32_t SCVRLen = 0;         // 0: the slot is empty
    ShortText<1> CondIndex;      // 1 character as stored, "0" to "5"
    ShortText<1> CondType;       // 1 character
    ShortText<2> CondFunction;   // 2 characters
    ShortText<1> CondComparison; // 1 character
    std::string CondName;        // the rest of the SCVR: SCVRLen - 5 characters, no terminator
    int32_t INTVLen = 0;
    int32_t INTV = 0;
    int32_t FLTVLen = 0;
    float FLTV = 0;
    bool operator==(const SCVRData&) const = default;
};

inline constexpr int kConditionSlots = 6;

// A response: one spoken (or journal) line with its conditions and result script.
struct INFORecord {
    int32_t Size = 0;
    int32_t Header1 = 0;
    int32_t Flags = 0;
    std::string Topic; // NAME of the topic the response was read under (not a subrecord)
    int32_t INAMLen = 0;
    std::string INAM; // the response's own ID
    int32_t PNAMLen = 0;
    std::string PNAM; // the previous response of the topic, empty for the first
    int32_t NNAMLen = 0;
    std::string NNAM; // the next response, empty for the last
    int32_t DATALen = 0;
    int32_t InfoType = 0; // the dialogue type of the topic (4: journal)
    int32_t Disposition = 0;
    uint8_t Rank = 0;
    uint8_t Gender = 0;
    uint8_t PCRank = 0;
    uint8_t InfoUnknown = 0;
    int32_t ONAMLen = 0;
    std::string ONAM; // the actor who speaks the response
    int32_t RNAMLen = 0;
    std::string RNAM; // race
    int32_t CNAMLen = 0;
    std::string CNAM; // class
    int32_t FNAMLen = 0;
    std::string FNAM; // faction
    int32_t ANAMLen = 0;
    std::string ANAM; // cell
    int32_t DNAMLen = 0;
    std::string DNAM; // player faction
    int32_t NAMELen = 0;
    std::string NAME; // the response text; no terminator: NAMELen = characters
    int32_t SNAMLen = 0;
    std::string SNAM; // sound file
    int32_t QSTNLen = 0;
    uint8_t QSTN = 0; // the journal entry names the quest
    int32_t QSTFLen = 0;
    uint8_t QSTF = 0; // the quest is finished
    int32_t QSTRLen = 0;
    uint8_t QSTR = 0; // the quest is restarted
    int32_t ACDTLen = 0;
    std::string ACDT;                                   // saved games only; kept but never written
    std::array<SCVRData, kConditionSlots> Conditions{}; // in file order
    int32_t BNAMLen = 0;
    std::string BNAM; // the result script; no terminator: BNAMLen = characters
    int32_t XIDXLen = 0;
    int32_t XIDX = 0;
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

// Changing texts of dialogue records with their bookkeeping: the length field and the record's Size follow
// the change by the difference in characters; a response text or result script that becomes empty takes its
// 8-byte subrecord header off Size (the writer drops it), and one that was empty and gets text adds it.
// A result script of a deleted response is not written, so its changes leave Size alone.
void SetResponseText(INFORecord& rec, std::string text);
void SetResultScript(INFORecord& rec, std::string text);
// A topic's name is always written: only the difference in characters counts.
void SetTopicName(DIALRecord& rec, std::string name);

} // namespace vellum
