#include "esfile/esfile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <unordered_map>

#include "esfile/large_pages.h"
#include "esfile/safe_file.h"

namespace vellum {

namespace fs = std::filesystem;

double TickMilliseconds() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

std::string FormatSeconds(double milliseconds) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", milliseconds / 1000.0);
    return buf;
}

std::string FileNamePart(const std::string& path) {
    std::error_code ec;
    fs::path p(path);
    if (path.empty() || !fs::exists(p, ec)) return {};
    return p.filename().string();
}

std::string UpperExtension(std::string_view fileName) {
    std::string ext(fileName.substr(fileName.size() >= 3 ? fileName.size() - 3 : 0));
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

int32_t FileTypeForName(std::string_view fileName) {
    std::string ext = UpperExtension(fileName);
    if (ext == "ESM") return kFileTypeMaster;
    if (ext == "ESS") return kFileTypeSavedGame;
    return kFileTypePlugin;
}

namespace {

constexpr uint32_t TagId(std::string_view t) {
    return uint32_t(uint8_t(t[0])) | (uint32_t(uint8_t(t[1])) << 8) | (uint32_t(uint8_t(t[2])) << 16) |
           (uint32_t(uint8_t(t[3])) << 24);
}

// The reader that fills a tag's table, and the reservation of room in that table.
struct ReadHandler {
    void (*read)(ByteReader&, std::string&, RecordStore&);
    void (*reserve)(RecordStore&, size_t);
};

// The tag of every record type the program reads, with the reader that fills its table.
const std::unordered_map<uint32_t, ReadHandler>& Dispatch() {
    static const std::unordered_map<uint32_t, ReadHandler> table = [] {
        std::unordered_map<uint32_t, ReadHandler> t;
#define VELLUM_RESERVE(TABLE) [](RecordStore& s, size_t n) { s.TABLE.reserve(n + 1); }
#define VELLUM_PARSED(TAG)                                                                                   \
    t[TagId(#TAG)] = {[](ByteReader& r, std::string& tag, RecordStore& s) {                                  \
                          AppendRecord(s.tbl##TAG, Read##TAG(r, tag));                                       \
                      },                                                                                     \
                      VELLUM_RESERVE(tbl##TAG)};
        VELLUM_PARSED(TES3)
        VELLUM_PARSED(GMST)
        VELLUM_PARSED(GLOB)
        VELLUM_PARSED(CLAS)
        VELLUM_PARSED(FACT)
        VELLUM_PARSED(RACE)
        VELLUM_PARSED(SOUN)
        VELLUM_PARSED(SKIL)
        VELLUM_PARSED(MGEF)
        VELLUM_PARSED(SCPT)
        VELLUM_PARSED(REGN)
        VELLUM_PARSED(BSGN)
        VELLUM_PARSED(LTEX)
        VELLUM_PARSED(STAT)
        VELLUM_PARSED(DOOR)
        VELLUM_PARSED(MISC)
        VELLUM_PARSED(WEAP)
        VELLUM_PARSED(CONT)
        VELLUM_PARSED(SPEL)
        VELLUM_PARSED(ENCH)
        VELLUM_PARSED(BODY)
        VELLUM_PARSED(LIGH)
        VELLUM_PARSED(ARMO)
        VELLUM_PARSED(CLOT)
        VELLUM_PARSED(REPA)
        VELLUM_PARSED(ACTI)
        VELLUM_PARSED(APPA)
        VELLUM_PARSED(LOCK)
        VELLUM_PARSED(PROB)
        VELLUM_PARSED(INGR)
        VELLUM_PARSED(BOOK)
        VELLUM_PARSED(ALCH)
        VELLUM_PARSED(LEVI)
        VELLUM_PARSED(LEVC)
        VELLUM_PARSED(SNDG)
        VELLUM_PARSED(SSCR)
        VELLUM_PARSED(PGRD)
        VELLUM_PARSED(NPC_)
        VELLUM_PARSED(CREA)
        VELLUM_PARSED(CELL)
#undef VELLUM_PARSED
        t[TagId("DIAL")] = {[](ByteReader& r, std::string& tag, RecordStore& s) {
                                AppendRecord(s.tblDIAL, ReadDIAL(r, tag, s));
                            },
                            VELLUM_RESERVE(tblDIAL)};
        t[TagId("INFO")] = {[](ByteReader& r, std::string& tag, RecordStore& s) {
                                AppendRecord(s.tblINFO, ReadINFO(r, tag, s));
                            },
                            VELLUM_RESERVE(tblINFO)};
        t[TagId("LAND")] = {[](ByteReader& r, std::string& tag, RecordStore& s) {
                                AppendRecord(s.tblLAND, ReadOpaque(r, tag, false));
                            },
                            VELLUM_RESERVE(tblLAND)};
#define VELLUM_SAVED(TAG)                                                                                    \
    t[TagId(#TAG)] = {[](ByteReader& r, std::string& tag, RecordStore& s) {                                  \
                          AppendRecord(s.tbl##TAG, ReadOpaque(r, tag, false));                               \
                      },                                                                                     \
                      VELLUM_RESERVE(tbl##TAG)};
        VELLUM_SAVED_GAME_TAGS(VELLUM_SAVED)
#undef VELLUM_SAVED
#undef VELLUM_RESERVE
        return t;
    }();
    return table;
}

// Makes room in every table for the records the file holds, counted by stepping from record header to
// record header, so that the tables grow once instead of doubling as they fill. Only an estimate: the
// readers themselves find each record's end.
void ReserveTables(std::string_view bytes, RecordStore& store) {
    std::unordered_map<uint32_t, size_t> counts;
    size_t pos = 0;
    while (bytes.size() - pos >= 16) {
        ByteReader header(bytes.substr(pos, 16));
        uint32_t tag = header.u32();
        uint64_t size = header.u32();
        ++counts[tag];
        if (size > bytes.size() - pos - 16) break;
        pos += 16 + static_cast<size_t>(size);
    }
    const auto& dispatch = Dispatch();
    for (const auto& [tag, n] : counts) {
        auto it = dispatch.find(tag);
        if (it != dispatch.end() && n > 1) it->second.reserve(store, n);
    }
}

std::string UnknownRecordQuestion(size_t tagOffset, const std::string& tag) {
    return "Unknown record encountered at address: " + std::to_string(tagOffset) +
           ".\r\nContinue reading? Cancel is Yes To All.\r\nRecord Name: \"" + tag + "\"";
}

} // namespace

namespace {

// The reading loop over bytes in memory. When the bytes are a FileBytes, the memory of the records already
// read is handed back as the loop moves on: the records hold copies of what they need.
double ParseRecords(std::string_view bytes, FileBytes* source, RecordStore& store, Ui& ui,
                    int32_t& recordCount, bool trimAfterwards) {
    constexpr size_t kReleaseStep = 8 << 20;
    size_t releasedUpTo = 0;
    double start = TickMilliseconds();
    double promptTime = 0;
    recordCount = 0;
    ClearStore(store);
    ReserveTables(bytes, store);
    ui.setProgress(0);
    const auto& dispatch = Dispatch();
    const double length = bytes.empty() ? 1.0 : static_cast<double>(bytes.size());
    ByteReader r(bytes);
    std::string pendingTag = r.tag();
    while (!r.pastEnd()) {
        // The position after a lone tag at the very end would read past 1.
        ui.setProgress(std::min(1.0, static_cast<double>(r.position() + 1) / length));
        auto it = dispatch.find(TagId(pendingTag));
        if (it != dispatch.end()) {
            it->second.read(r, pendingTag, store);
        } else {
            if (!store.yesToAll) {
                double promptStart = TickMilliseconds();
                Answer a = ui.messageBox(UnknownRecordQuestion(r.position() - 4, pendingTag), kProgramTitle,
                                         Buttons::YesNoCancel, Icon::None, Ask::UnknownRecord);
                if (a == Answer::No) {
                    ClearStore(store);
                    return 0;
                }
                if (a == Answer::Cancel) store.yesToAll = true;
                promptTime = TickMilliseconds() - promptStart;
            }
            // Unknown records keep their bytes, so that saving writes them back whole.
            AppendRecord(store.tblUnknown, ReadOpaque(r, pendingTag, false));
        }
        ++recordCount;
        // The pending tag has been copied out; everything before it has been read.
        if (source && r.position() >= releasedUpTo + kReleaseStep + 4) {
            releasedUpTo = r.position() - 4;
            source->release(releasedUpTo);
        }
    }
    if (trimAfterwards) TrimStore(store);
    store.yesToAll = false;
    return TickMilliseconds() - start - promptTime;
}

} // namespace

double ReadESBytes(std::string_view bytes, RecordStore& store, Ui& ui, int32_t& recordCount,
                   bool trimAfterwards) {
    return ParseRecords(bytes, nullptr, store, ui, recordCount, trimAfterwards);
}

double ReadESFile(const std::string& fileName, RecordStore& store, Ui& ui, int32_t& recordCount,
                  bool trimAfterwards) {
    double start = TickMilliseconds();
    std::string ext = UpperExtension(fileName);
    if (ext.substr(0, 2) != "ES") {
        ui.messageBox("The selected file is invalid.", kProgramTitle, Buttons::OK, Icon::None, Ask::Message);
        recordCount = 0;
        return -1;
    }
    FileBytes bytes;
    std::string error;
    if (!bytes.read(fileName, error)) {
        ui.messageBox("The file \"" + fileName + "\" could not be read: " + error + ".", kProgramTitle,
                      Buttons::OK, Icon::Critical, Ask::Error);
        recordCount = 0;
        return -1;
    }
    double loaded = TickMilliseconds() - start;
    // The records take about twice the file's size in memory.
    LargePageScope pages(bytes.view().size() * 2);
    double t = ParseRecords(bytes.view(), &bytes, store, ui, recordCount, trimAfterwards);
    return t > 0 ? t + loaded : t;
}

namespace {

// Calls visit(table, writeOne, perRecordProgress, alsoDone) for every table after the header, in the order a
// save writes them. writeOne(w, record) writes one record (a topic: with its responses); alsoDone counts the
// records that a table's writer writes besides its own (the responses).
template <class Visit>
void ForEachWrittenTable(const RecordStore& s, Ui& ui, int32_t fileType, const InfoIndex& index,
                         Visit&& visit) {
#define VELLUM_WRITE(TAG)                                                                                    \
    visit(                                                                                                   \
        s.tbl##TAG, [](ByteWriter& w, const auto& rec) { Write##TAG(w, rec); }, false, 0);
    VELLUM_WRITE(GMST)
    VELLUM_WRITE(GLOB)
    VELLUM_WRITE(CLAS)
    VELLUM_WRITE(FACT)
    VELLUM_WRITE(RACE)
    VELLUM_WRITE(SOUN)
    VELLUM_WRITE(SKIL)
    VELLUM_WRITE(MGEF)
    visit(
        s.tblSCPT,
        [fileType](ByteWriter& w, const SCPTRecord& rec) {
            WriteSCPT(w, rec, fileType != kFileTypeSavedGame);
        },
        false, 0);
    VELLUM_WRITE(REGN)
    VELLUM_WRITE(BSGN)
    VELLUM_WRITE(LTEX)
    VELLUM_WRITE(STAT)
    VELLUM_WRITE(DOOR)
    VELLUM_WRITE(MISC)
    VELLUM_WRITE(WEAP)
    VELLUM_WRITE(CONT)
    VELLUM_WRITE(SPEL)
    VELLUM_WRITE(ENCH)
    VELLUM_WRITE(BODY)
    VELLUM_WRITE(LIGH)
    VELLUM_WRITE(ARMO)
    VELLUM_WRITE(CLOT)
    VELLUM_WRITE(REPA)
    VELLUM_WRITE(ACTI)
    VELLUM_WRITE(APPA)
    VELLUM_WRITE(LOCK)
    VELLUM_WRITE(PROB)
    VELLUM_WRITE(INGR)
    VELLUM_WRITE(BOOK)
    VELLUM_WRITE(ALCH)
    VELLUM_WRITE(LEVI)
    VELLUM_WRITE(LEVC)
    VELLUM_WRITE(SNDG)
    VELLUM_WRITE(SSCR)
    VELLUM_WRITE(NPC_)
    VELLUM_WRITE(CREA)
#undef VELLUM_WRITE
    visit(
        s.tblCELL, [&ui](ByteWriter& w, const CELLRecord& rec) { WriteCELL(w, rec, ui); }, true, 0);
    visit(s.tblLAND, WriteOpaque, true, 0);
    visit(s.tblPGRD, WritePGRD, false, 0);
    visit(
        s.tblDIAL, [&s, &index](ByteWriter& w, const DIALRecord& rec) { WriteDIAL(w, rec, s, index); }, true,
        s.tblINFO.size());
#define VELLUM_WRITE_SAVED(TAG) visit(s.tbl##TAG, WriteOpaque, false, 0);
    VELLUM_SAVED_GAME_TAGS(VELLUM_WRITE_SAVED)
#undef VELLUM_WRITE_SAVED
}

// True when a reader of `before` (whole records, as a save writes them) followed by `next` stops exactly at
// the end of `before` and takes `next` for a record of its own. The record readers go by tags, not by Size:
// a record whose tag is also a subrecord tag of the record before it would be read as part of that record.
bool ReadsApart(std::string_view before, const OpaqueRecord& next) {
    ByteWriter w;
    WriteOpaque(w, next);
    const std::string bytes = std::string(before) + w.buffer();
    const auto& dispatch = Dispatch();
    RecordStore scratch;
    ByteReader r(bytes);
    std::string pendingTag = r.tag();
    while (!r.pastEnd() && r.position() - 4 < before.size()) {
        auto it = dispatch.find(TagId(pendingTag));
        if (it != dispatch.end())
            it->second.read(r, pendingTag, scratch);
        else
            ReadOpaque(r, pendingTag, true);
    }
    return !r.pastEnd() && r.position() - 4 == before.size() && pendingTag == next.Tag;
}

// Where a save writes the unknown records, in their order: as one block after table `after` (-1: right after
// the header).
struct UnknownPlacement {
    int after = -1;
    bool apart = true; // false: no place keeps the first of them apart from the record before it
};

// Unknown records are written last unless the reader of the record written before them would take the first
// of them in; then the block moves back to the latest place where it reads apart. (The records after the
// first one are read by their Size, so only the first one can be taken in.) When the first one is taken in
// everywhere, which a file read by this program cannot give, the block is written last all the same.
UnknownPlacement PlaceUnknownRecords(const RecordStore& s, int32_t recordCount, int32_t fileType,
                                     const InfoIndex& index) {
    if (s.tblUnknown.empty()) return {};
    // The last record (or topic with its responses) of the header and of every table that has records.
    std::vector<std::pair<int, std::string>> tails;
    SilentUi quiet;
    {
        ByteWriter w;
        if (!s.tblTES3.empty()) WriteTES3(w, s.tblTES3.back(), recordCount, fileType);
        tails.emplace_back(-1, w.buffer());
    }
    int table = 0;
    ForEachWrittenTable(s, quiet, fileType, index, [&](const auto& records, auto&& writeOne, bool, size_t) {
        if (!records.empty()) {
            ByteWriter w;
            writeOne(w, records.back());
            tails.emplace_back(table, w.buffer());
        }
        ++table;
    });
    for (auto it = tails.rbegin(); it != tails.rend(); ++it)
        if (ReadsApart(it->second, s.tblUnknown.front())) return {it->first, true};
    return {tails.back().first, false};
}

} // namespace

bool StreamESFile(const RecordStore& s, Ui& ui, int32_t recordCount, int32_t fileType,
                  const std::function<bool(std::string_view)>& sink, uint64_t* sizeRepairs) {
    constexpr size_t kPiece = 4 << 20;
    ByteWriter w;
    w.reserve(kPiece + (1 << 20));
    auto flush = [&] { w.flushTo(sink, kPiece); };

    // Progress counts the records written out of all records.
    size_t total = 1;
#define VELLUM_SIZE_TABLE(TAG, TABLE, TYPE, LABEL) total += s.TABLE.size();
    VELLUM_TABLES(VELLUM_SIZE_TABLE)
#undef VELLUM_SIZE_TABLE
    size_t done = 0;
    auto progress = [&] { ui.setProgress(static_cast<double>(done) / static_cast<double>(total)); };

    const InfoIndex index = BuildInfoIndex(s);
    const UnknownPlacement place = PlaceUnknownRecords(s, recordCount, fileType, index);
    if (!place.apart)
        ui.appendLog(
            "Warning: an unknown record has the tag of a part of the record written before it and may "
            "be read back as part of that record.");
    auto writeUnknown = [&] {
        auto one = [&](const OpaqueRecord& rec) {
            progress();
            WriteOpaque(w, rec);
            ++done;
            flush();
        };
        if (s.tblUnknown.empty()) return;
        for (const OpaqueRecord& rec : s.tblUnknown) one(rec);
        progress();
    };

    for (const TES3Record& h : s.tblTES3) WriteTES3(w, h, recordCount, fileType), ++done;
    progress();
    if (place.after == -1) writeUnknown();
    int table = 0;
    ForEachWrittenTable(s, ui, fileType, index,
                        [&](const auto& records, auto&& writeOne, bool perRecordProgress, size_t alsoDone) {
                            for (const auto& rec : records) {
                                if (perRecordProgress) progress();
                                writeOne(w, rec);
                                ++done;
                                flush();
                            }
                            done += alsoDone;
                            progress();
                            if (place.after == table++) writeUnknown();
                        });
    if (sizeRepairs) *sizeRepairs = w.sizeRepairs();
    if (w.sinkFailed()) return false;
    return w.buffer().empty() || sink(std::string_view(w.buffer()));
}

std::string BuildESFile(const RecordStore& store, Ui& ui, int32_t recordCount, int32_t fileType,
                        uint64_t* sizeRepairs) {
    std::string out;
    StreamESFile(
        store, ui, recordCount, fileType,
        [&out](std::string_view piece) {
            out.append(piece);
            return true;
        },
        sizeRepairs);
    return out;
}

double WriteESFile(const std::string& fileName, const RecordStore& store, Ui& ui, int32_t recordCount) {
    if (UpperExtension(fileName) == "ESS") {
        Answer a =
            ui.messageBox("Writing ESS files is not fully supported right now. Doing so is very likely to "
                          "produce an unusable file. Are you sure you want to continue?",
                          kProgramTitle, Buttons::YesNo, Icon::None, Ask::WriteSavedGame);
        if (a != Answer::Yes) return -1;
    }
    double start = TickMilliseconds();
    ui.setProgress(0);
    // The file is encoded and written piece by piece into a new file beside the target, which replaces the
    // target only once every byte is on disk.
    std::string error;
    SafeFileWriter out(fileName);
    bool ok = out.open(error);
    if (ok) {
        ok = StreamESFile(store, ui, recordCount, FileTypeForName(fileName),
                          [&out](std::string_view piece) { return out.write(piece); });
        ok = out.commit(error) && ok;
    }
    if (!ok) {
        ui.messageBox("The file \"" + fileName + "\" could not be written: " + error +
                          ".\r\nNothing has been changed on disk.",
                      kProgramTitle, Buttons::OK, Icon::Critical, Ask::Error);
        return -2;
    }
    return TickMilliseconds() - start;
}

bool IsParsedRecordTag(std::string_view tag) {
    if (tag.size() != 4 || tag == "LAND") return false;
    const uint32_t id = TagId(tag);
#define VELLUM_IS_SAVED(TAG)                                                                                 \
    if (id == TagId(#TAG)) return false;
    VELLUM_SAVED_GAME_TAGS(VELLUM_IS_SAVED)
#undef VELLUM_IS_SAVED
    return Dispatch().count(id) > 0;
}

bool CheckWellFormed(std::string_view bytes, std::string* why) {
    auto fail = [&](size_t at, const std::string& what) {
        if (why) *why = what + " at offset " + std::to_string(at);
        return false;
    };
    size_t pos = 0;
    ByteReader r(bytes);
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 16) return fail(pos, "a record header cut short");
        r = ByteReader(bytes.substr(pos));
        std::string tag = r.tag();
        uint64_t size = r.u32();
        if (size > bytes.size() - pos - 16)
            return fail(pos, "record " + tag + " runs past the end of the file");
        size_t sub = pos + 16, end = pos + 16 + static_cast<size_t>(size);
        while (IsParsedRecordTag(tag) && sub < end) {
            if (end - sub < 8) return fail(sub, "a subrecord header cut short in record " + tag);
            ByteReader sr(bytes.substr(sub, 8));
            std::string stag = sr.tag();
            uint64_t ssize = sr.u32();
            if (ssize > end - sub - 8)
                return fail(sub, "subrecord " + stag + " runs past the end of record " + tag);
            sub += 8 + static_cast<size_t>(ssize);
        }
        pos = end;
    }
    return true;
}

} // namespace vellum
