// Record layouts: dialogue topics (DIAL) and their responses (INFO).
//
// A response belongs to the topic under which it stands in the file: its TopicIndex is that topic's place in
// the topic table, and a save writes every topic followed by its own responses, whatever their names. Its
// Topic holds the topic's name for the tools that show it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "esfile/body.h"
#include "esfile/bytes.h"
#include "records/short_text.h"

namespace vellum {

// A topic: conversation keyword, voice, greeting, persuasion group or journal quest.
struct DIALRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;  // characters + 1
    std::string NAME;     // the topic's name; its responses refer to it by this name
    int32_t DATALen = 0;  // 4 in saved games, otherwise 1
    uint8_t DialType = 0; // 0 topic, 1 voice, 2 greeting, 3 persuasion, 4 journal; 128: a 4-byte DATA
    int32_t XIDXLen = 0;
    int32_t XIDX = 0;
    Extras extras;
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
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t TopicIndex = -1; // the topic it belongs to, in tblDIAL; -1 before any topic (not a subrecord)
    std::string Topic;       // NAME of that topic (not a subrecord)
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
    uint8_t QSTR = 0;                                   // the quest is restarted
    std::array<SCVRData, kConditionSlots> Conditions{}; // in file order
    int32_t BNAMLen = 0;
    std::string BNAM; // the result script; no terminator: BNAMLen = characters
    int32_t XIDXLen = 0;
    int32_t XIDX = 0;
    Extras extras; // conditions beyond the six slots among them
    bool operator==(const INFORecord&) const = default;
};

void ReadDIAL(Body& b, DIALRecord& rec);
// Topic and TopicIndex are the driver's to set.
void ReadINFO(Body& b, INFORecord& rec);
// The topic alone; the save writes its responses after it.
void WriteDIAL(ByteWriter& w, const DIALRecord& rec);
void WriteINFO(ByteWriter& w, const INFORecord& rec);

// Changing texts of dialogue records: the length field follows the text. A response text or result script
// that becomes empty is left out on saving, and one that was empty and gets text is written.
void SetResponseText(INFORecord& rec, std::string text);
void SetResultScript(INFORecord& rec, std::string text);
// A topic's name is always written: only the difference in characters counts.
void SetTopicName(DIALRecord& rec, std::string name);

} // namespace vellum
