// The record store: the whole loaded file, one table per record type, records in file order.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "esfile/opaque.h"
#include "esfile/tes3.h"
#include "records/actors.h"
#include "records/cells.h"
#include "records/character.h"
#include "records/dialogue.h"
#include "records/globals.h"
#include "records/magic.h"
#include "records/objects.h"
#include "records/pathgrid.h"
#include "records/scripts.h"
#include "records/world.h"

namespace vellum {

// Every table in the store's own order: X(tag, table member, element type, count label index).
// tblUnknown holds the records of tags the program does not know.
#define VELLUM_TABLES(X)                                                                                     \
    X("TES3", tblTES3, TES3Record, 41)                                                                       \
    X("GMST", tblGMST, GMSTRecord, 17)                                                                       \
    X("GLOB", tblGLOB, GLOBRecord, 16)                                                                       \
    X("CLAS", tblCLAS, CLASRecord, 8)                                                                        \
    X("FACT", tblFACT, FACTRecord, 15)                                                                       \
    X("RACE", tblRACE, RACERecord, 31)                                                                       \
    X("SOUN", tblSOUN, SOUNRecord, 37)                                                                       \
    X("SKIL", tblSKIL, SKILRecord, 35)                                                                       \
    X("MGEF", tblMGEF, MGEFRecord, 26)                                                                       \
    X("SCPT", tblSCPT, SCPTRecord, 34)                                                                       \
    X("REGN", tblREGN, REGNRecord, 32)                                                                       \
    X("BSGN", tblBSGN, BSGNRecord, 6)                                                                        \
    X("LTEX", tblLTEX, LTEXRecord, 25)                                                                       \
    X("STAT", tblSTAT, STATRecord, 39)                                                                       \
    X("DOOR", tblDOOR, DOORRecord, 13)                                                                       \
    X("MISC", tblMISC, MISCRecord, 27)                                                                       \
    X("WEAP", tblWEAP, WEAPRecord, 42)                                                                       \
    X("CONT", tblCONT, CONTRecord, 10)                                                                       \
    X("ENCH", tblENCH, ENCHRecord, 14)                                                                       \
    X("SPEL", tblSPEL, SPELRecord, 38)                                                                       \
    X("BODY", tblBODY, BODYRecord, 4)                                                                        \
    X("LIGH", tblLIGH, LIGHRecord, 23)                                                                       \
    X("ARMO", tblARMO, ARMORecord, 3)                                                                        \
    X("CLOT", tblCLOT, CLOTRecord, 9)                                                                        \
    X("REPA", tblREPA, REPARecord, 33)                                                                       \
    X("ACTI", tblACTI, ACTIRecord, 0)                                                                        \
    X("APPA", tblAPPA, APPARecord, 2)                                                                        \
    X("LOCK", tblLOCK, LOCKRecord, 24)                                                                       \
    X("PROB", tblPROB, PROBRecord, 30)                                                                       \
    X("INGR", tblINGR, INGRRecord, 19)                                                                       \
    X("BOOK", tblBOOK, BOOKRecord, 5)                                                                        \
    X("ALCH", tblALCH, ALCHRecord, 1)                                                                        \
    X("LEVI", tblLEVI, LEVIRecord, 22)                                                                       \
    X("LEVC", tblLEVC, LEVCRecord, 21)                                                                       \
    X("LAND", tblLAND, OpaqueRecord, 20)                                                                     \
    X("PGRD", tblPGRD, PGRDRecord, 29)                                                                       \
    X("SNDG", tblSNDG, SNDGRecord, 36)                                                                       \
    X("SSCR", tblSSCR, SSCRRecord, 40)                                                                       \
    X("NPC_", tblNPC_, NPC_Record, 28)                                                                       \
    X("CREA", tblCREA, CREARecord, 11)                                                                       \
    X("CELL", tblCELL, CELLRecord, 7)                                                                        \
    X("DIAL", tblDIAL, DIALRecord, 12)                                                                       \
    X("INFO", tblINFO, INFORecord, 18)                                                                       \
    X("", tblUnknown, OpaqueRecord, 43)                                                                      \
    X("CNTC", tblCNTC, OpaqueRecord, 45)                                                                     \
    X("CREC", tblCREC, OpaqueRecord, 46)                                                                     \
    X("FMAP", tblFMAP, OpaqueRecord, 47)                                                                     \
    X("GAME", tblGAME, OpaqueRecord, 48)                                                                     \
    X("JOUR", tblJOUR, OpaqueRecord, 49)                                                                     \
    X("KLST", tblKLST, OpaqueRecord, 50)                                                                     \
    X("NPCC", tblNPCC, OpaqueRecord, 51)                                                                     \
    X("PCDT", tblPCDT, OpaqueRecord, 52)                                                                     \
    X("QUES", tblQUES, OpaqueRecord, 53)                                                                     \
    X("REFR", tblREFR, OpaqueRecord, 54)                                                                     \
    X("SPLM", tblSPLM, OpaqueRecord, 55)                                                                     \
    X("STLN", tblSTLN, OpaqueRecord, 56)

// The tags of the records that only saved games hold; they are kept as raw bytes.
#define VELLUM_SAVED_GAME_TAGS(X)                                                                            \
    X(CNTC) X(CREC) X(FMAP) X(GAME) X(JOUR) X(KLST) X(NPCC) X(PCDT) X(QUES) X(REFR) X(SPLM) X(STLN)

inline constexpr int kTableCount = 56;
inline constexpr int kCountLabels = 57; // the tables, plus the total at index 44
inline constexpr int kUnknownLabel = 43;
inline constexpr int kTotalLabel = 44;

struct RecordStore {
#define VELLUM_DECLARE_TABLE(TAG, TABLE, TYPE, LABEL) std::vector<TYPE> TABLE;
    VELLUM_TABLES(VELLUM_DECLARE_TABLE)
#undef VELLUM_DECLARE_TABLE

    std::string currentTopic;    // the topic read or written last
    bool yesToAll = false;       // the unknown-record prompt was answered "Yes To All" during this read
    std::string dataFilesFolder; // the game's Data Files folder, empty when unknown

    // True between ClearStore and TrimStore, while every table holds one spare element at its end.
    bool hasSpare = false;
};

// Every table gets exactly one empty element (the spare one), in the store's order with tblUnknown last;
// currentTopic is emptied.
void ClearStore(RecordStore& store);
// Every table loses its last element (the spare one); an empty table stays empty. currentTopic is emptied.
void TrimStore(RecordStore& store);

// Puts rec at the spare element's place and adds a new spare element after it.
template <class T> void AppendRecord(std::vector<T>& table, T&& rec) {
    if (table.empty()) table.emplace_back();
    table.back() = std::move(rec);
    table.emplace_back();
}

// The number of records a table holds, whether or not the spare element is still there.
template <class T> int64_t RecordCountOf(const RecordStore& store, const std::vector<T>& table) {
    int64_t n = static_cast<int64_t>(table.size()) - (store.hasSpare ? 1 : 0);
    return n < 0 ? 0 : n;
}

struct TableCount {
    std::string_view name; // the label beside the count: "ACTI:", ..., "Unknown:"
    int label;             // the count label index (0 to 56, 44 excepted)
    int64_t count;
};
// One entry per table, ordered by count label index (the total, index 44, is not a table).
std::vector<TableCount> TableCounts(const RecordStore& store);
// The count labels in the order the count panel shows them, column by column, without Unknown and Total.
const std::array<int, 55>& CountPanelOrder();

} // namespace vellum
