// The record store: the whole loaded file, one table per record type, records in file order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "esfile/damage.h"
#include "records/actors.h"
#include "records/cells.h"
#include "records/character.h"
#include "records/dialogue.h"
#include "records/globals.h"
#include "records/magic.h"
#include "records/objects.h"
#include "records/opaque.h"
#include "records/pathgrid.h"
#include "records/scripts.h"
#include "records/tes3.h"
#include "records/world.h"

namespace vellum {

// Every record type the program knows, once, in the store's own order: X(tag, element type, place in a save,
// reader and writer). The tag names the table (tbl + tag); the last column names the reader (Read + it) and
// the writer (Write + it): landscape and saved-game records are kept as raw bytes. A save writes the tables
// by their place, each response after its topic, and last tblUnknown, the records of tags it does not know.
#define VELLUM_RECORD_TYPES(X)                                                                               \
    X(TES3, TES3Record, 0, TES3)                                                                             \
    X(GMST, GMSTRecord, 1, GMST)                                                                             \
    X(GLOB, GLOBRecord, 2, GLOB)                                                                             \
    X(CLAS, CLASRecord, 3, CLAS)                                                                             \
    X(FACT, FACTRecord, 4, FACT)                                                                             \
    X(RACE, RACERecord, 5, RACE)                                                                             \
    X(SOUN, SOUNRecord, 6, SOUN)                                                                             \
    X(SKIL, SKILRecord, 7, SKIL)                                                                             \
    X(MGEF, MGEFRecord, 8, MGEF)                                                                             \
    X(SCPT, SCPTRecord, 9, SCPT)                                                                             \
    X(REGN, REGNRecord, 10, REGN)                                                                            \
    X(BSGN, BSGNRecord, 11, BSGN)                                                                            \
    X(LTEX, LTEXRecord, 12, LTEX)                                                                            \
    X(STAT, STATRecord, 13, STAT)                                                                            \
    X(DOOR, DOORRecord, 14, DOOR)                                                                            \
    X(MISC, MISCRecord, 15, MISC)                                                                            \
    X(WEAP, WEAPRecord, 16, WEAP)                                                                            \
    X(CONT, CONTRecord, 17, CONT)                                                                            \
    X(ENCH, ENCHRecord, 19, ENCH)                                                                            \
    X(SPEL, SPELRecord, 18, SPEL)                                                                            \
    X(BODY, BODYRecord, 20, BODY)                                                                            \
    X(LIGH, LIGHRecord, 21, LIGH)                                                                            \
    X(ARMO, ARMORecord, 22, ARMO)                                                                            \
    X(CLOT, CLOTRecord, 23, CLOT)                                                                            \
    X(REPA, REPARecord, 24, REPA)                                                                            \
    X(ACTI, ACTIRecord, 25, ACTI)                                                                            \
    X(APPA, APPARecord, 26, APPA)                                                                            \
    X(LOCK, LOCKRecord, 27, LOCK)                                                                            \
    X(PROB, PROBRecord, 28, PROB)                                                                            \
    X(INGR, INGRRecord, 29, INGR)                                                                            \
    X(BOOK, BOOKRecord, 30, BOOK)                                                                            \
    X(ALCH, ALCHRecord, 31, ALCH)                                                                            \
    X(LEVI, LEVIRecord, 32, LEVI)                                                                            \
    X(LEVC, LEVCRecord, 33, LEVC)                                                                            \
    X(LAND, OpaqueRecord, 39, Opaque)                                                                        \
    X(PGRD, PGRDRecord, 40, PGRD)                                                                            \
    X(SNDG, SNDGRecord, 34, SNDG)                                                                            \
    X(SSCR, SSCRRecord, 35, SSCR)                                                                            \
    X(NPC_, NPC_Record, 36, NPC_)                                                                            \
    X(CREA, CREARecord, 37, CREA)                                                                            \
    X(CELL, CELLRecord, 38, CELL)                                                                            \
    X(DIAL, DIALRecord, 41, DIAL)                                                                            \
    X(INFO, INFORecord, 42, INFO)                                                                            \
    X(CNTC, OpaqueRecord, 43, Opaque)                                                                        \
    X(CREC, OpaqueRecord, 44, Opaque)                                                                        \
    X(FMAP, OpaqueRecord, 45, Opaque)                                                                        \
    X(GAME, OpaqueRecord, 46, Opaque)                                                                        \
    X(JOUR, OpaqueRecord, 47, Opaque)                                                                        \
    X(KLST, OpaqueRecord, 48, Opaque)                                                                        \
    X(NPCC, OpaqueRecord, 49, Opaque)                                                                        \
    X(PCDT, OpaqueRecord, 50, Opaque)                                                                        \
    X(QUES, OpaqueRecord, 51, Opaque)                                                                        \
    X(REFR, OpaqueRecord, 52, Opaque)                                                                        \
    X(SPLM, OpaqueRecord, 53, Opaque)                                                                        \
    X(STLN, OpaqueRecord, 54, Opaque)

inline constexpr int kRecordTypeCount = 55;

struct RecordStore {
#define VELLUM_DECLARE_TABLE(TAG, TYPE, RANK, IO) std::vector<TYPE> tbl##TAG;
    VELLUM_RECORD_TYPES(VELLUM_DECLARE_TABLE)
#undef VELLUM_DECLARE_TABLE
    std::vector<OpaqueRecord> tblUnknown;

    DamageReport damage;         // what the last read could not frame, empty for a whole file
    bool yesToAll = false;       // the unknown-record prompt was answered "Yes To All" during this read
    std::string dataFilesFolder; // the game's Data Files folder, empty when unknown

    // True between ClearStore and TrimStore, while every table holds one spare element at its end.
    bool hasSpare = false;
};

// Every table gets exactly one empty element (the spare one), tblUnknown last; the damage report is emptied.
void ClearStore(RecordStore& store);
// Every table loses its last element (the spare one); an empty table stays empty.
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
    std::string_view tag; // "TES3", "ACTI", ...; empty for tblUnknown
    int64_t count;
};
// One entry per table, in the store's order, tblUnknown last.
std::vector<TableCount> TableCounts(const RecordStore& store);

} // namespace vellum
