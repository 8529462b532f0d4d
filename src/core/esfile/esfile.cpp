#include "esfile/esfile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <unordered_map>

#include "esfile/large_pages.h"
#include "esfile/native.h"
#include "esfile/registry.h"
#include "esfile/safe_file.h"

namespace vellum {

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
    return PathExists(path) ? LastPart(path) : std::string();
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

uint32_t Get32(std::string_view bytes, size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Four printable characters: a record's tag as the framing requires it.
bool PrintableTag(uint32_t tag) {
    for (int i = 0; i < 4; ++i) {
        const unsigned c = (tag >> (8 * i)) & 0xFFu;
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

// Four capital letters, digits or underscores: the tags of the game's records, which a search for the next
// record after damage looks for.
bool PlausibleTag(uint32_t tag) {
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>(tag >> (8 * i));
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    }
    return true;
}

// True when body is a run of whole subrecords, each with a plausible tag.
bool WholeSubrecords(std::string_view body) {
    size_t pos = 0;
    while (pos < body.size()) {
        if (body.size() - pos < 8 || !PlausibleTag(Get32(body, pos))) return false;
        const uint64_t len = Get32(body, pos + 4);
        if (len > body.size() - pos - 8) return false;
        pos += 8 + static_cast<size_t>(len);
    }
    return true;
}

// Whether a record header that frames correctly starts at pos: a plausible tag, a Size within the file, and
// a body of whole subrecords (the landscape and saved-game records, kept as raw bytes, are not looked into).
bool FramesAt(std::string_view bytes, size_t pos) {
    if (bytes.size() - pos < 16) return false;
    const uint32_t tag = Get32(bytes, pos);
    if (!PlausibleTag(tag)) return false;
    const uint64_t size = Get32(bytes, pos + 4);
    if (size > bytes.size() - pos - 16) return false;
    const RecordType* type = FindRecordType(tag);
    return (type && !type->parsed) || WholeSubrecords(bytes.substr(pos + 16, static_cast<size_t>(size)));
}

// What is wrong with the record header at pos (which does not frame correctly).
std::string WhatIsWrong(std::string_view bytes, size_t pos) {
    if (bytes.size() - pos < 16)
        return "a record header of 16 bytes, found only " + std::to_string(bytes.size() - pos);
    const uint32_t tag = Get32(bytes, pos);
    if (!PrintableTag(tag)) return "a record tag of four printable characters";
    const uint64_t size = Get32(bytes, pos + 4);
    if (size > bytes.size() - pos - 16)
        return "record " + TagName(tag) + " of " + std::to_string(size) + " bytes within the file";
    return "a record";
}

// The next place from `from` on where a record header frames correctly; the end of the data if none does.
size_t NextRecordHeader(std::string_view bytes, size_t from) {
    for (size_t p = from; p + 16 <= bytes.size(); ++p)
        if (FramesAt(bytes, p)) return p;
    return bytes.size();
}

// Makes room in every table for the records the file holds, so that the tables grow once.
void ReserveTables(std::string_view bytes, RecordStore& store) {
    std::unordered_map<uint32_t, size_t> counts;
    size_t pos = 0;
    while (bytes.size() - pos >= 16) {
        const uint64_t size = Get32(bytes, pos + 4);
        ++counts[Get32(bytes, pos)];
        if (size > bytes.size() - pos - 16) break;
        pos += 16 + static_cast<size_t>(size);
    }
    for (const auto& [tag, n] : counts)
        if (const RecordType* t = FindRecordType(tag); t && n > 1) t->reserve(store, n);
}

std::string UnknownRecordQuestion(size_t tagOffset, const std::string& tag) {
    return "Unknown record encountered at address: " + std::to_string(tagOffset) +
           ".\r\nContinue reading? Cancel is Yes To All.\r\nRecord Name: \"" + tag + "\"";
}

// A data file begins with its header record.
bool BeginsWithHeader(std::string_view bytes) {
    return bytes.size() >= 16 && Get32(bytes, 0) == "TES3"_tag && Get32(bytes, 4) <= bytes.size() - 16;
}

// The reading loop over bytes in memory: every record is framed by its Size and read from exactly that many
// bytes. Where the framing breaks, the records before the damage are kept, the damage is reported, and the
// read goes on at the next record header that frames correctly. When the bytes are a FileBytes, the memory
// of the records already read is handed back as the loop moves on: the records hold copies of what they
// need.
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
    const double length = bytes.empty() ? 1.0 : static_cast<double>(bytes.size());
    size_t pos = 0;
    while (pos < bytes.size()) {
        ui.setProgress(static_cast<double>(pos + 1) / length);
        const size_t left = bytes.size() - pos;
        RecordHead h;
        h.offset = pos;
        if (left >= 16) {
            h.tag = Get32(bytes, pos);
            h.size = Get32(bytes, pos + 4);
            h.header1 = static_cast<int32_t>(Get32(bytes, pos + 8));
            h.flags = static_cast<int32_t>(Get32(bytes, pos + 12));
        }
        if (left < 16 || !PrintableTag(h.tag) || h.size > left - 16) {
            const size_t next = NextRecordHeader(bytes, pos + 1);
            store.damage.spans.push_back({pos, WhatIsWrong(bytes, pos), next - pos});
            pos = next;
            continue;
        }
        Body body(bytes.substr(pos + 16, h.size), pos + 16);
        if (const RecordType* type = FindRecordType(h.tag)) {
            type->read(body, h, store);
        } else {
            if (!store.yesToAll) {
                double promptStart = TickMilliseconds();
                Answer a = ui.messageBox(UnknownRecordQuestion(pos, TagName(h.tag)), kProgramTitle,
                                         Buttons::YesNoCancel, Icon::None, Ask::UnknownRecord);
                if (a == Answer::No) {
                    ClearStore(store);
                    return 0;
                }
                if (a == Answer::Cancel) store.yesToAll = true;
                promptTime = TickMilliseconds() - promptStart;
            }
            // Unknown records keep their bytes, so that saving writes them back whole.
            ReadUnknownRecord(body, h, store);
        }
        if (body.damaged())
            store.damage.spans.push_back({body.damageOffset(),
                                          "subrecords that end with record " + TagName(h.tag) +
                                              " at offset " + std::to_string(pos + 16 + h.size),
                                          body.damagedBytes()});
        ++recordCount;
        pos += 16 + static_cast<size_t>(h.size);
        if (source && pos >= releasedUpTo + kReleaseStep) {
            releasedUpTo = pos;
            source->release(releasedUpTo);
        }
    }
    if (trimAfterwards) TrimStore(store);
    store.yesToAll = false;
    return TickMilliseconds() - start - promptTime;
}

// Refuses bytes that are not a data file of the game: nothing is read and the store is left as it was.
bool RefuseUnlessDataFile(std::string_view bytes, const std::string& name, Ui& ui) {
    if (BeginsWithHeader(bytes)) return false;
    ui.messageBox(name + " is not a Morrowind data file: it does not begin with a TES3 header record.",
                  kProgramTitle, Buttons::OK, Icon::Critical, Ask::Error);
    return true;
}

} // namespace

double ReadESBytes(std::string_view bytes, RecordStore& store, Ui& ui, int32_t& recordCount,
                   bool trimAfterwards) {
    if (RefuseUnlessDataFile(bytes, "The data", ui)) {
        recordCount = 0;
        return -1;
    }
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
    if (RefuseUnlessDataFile(bytes.view(), "\"" + FileNamePart(fileName) + "\"", ui)) {
        recordCount = 0;
        return -1;
    }
    double loaded = TickMilliseconds() - start;
    // The records take about twice the file's size in memory.
    LargePageScope pages(bytes.view().size() * 2);
    double t = ParseRecords(bytes.view(), &bytes, store, ui, recordCount, trimAfterwards);
    return t > 0 ? t + loaded : t;
}

bool StreamESFile(const RecordStore& s, Ui& ui, int32_t recordCount, int32_t fileType,
                  const std::function<bool(std::string_view)>& sink) {
    constexpr size_t kPiece = 4 << 20;
    ByteWriter w;
    w.reserve(kPiece + (1 << 20));
    const SaveContext context{ui, recordCount, fileType};

    // Progress counts the records written out of all records.
    size_t total = RecordCountOf(s, s.tblUnknown) + 1, done = 0;
    for (const RecordType& t : RecordTypes()) total += t.count(s);
    auto step = [&](size_t records) {
        const size_t before = done;
        done += records;
        if (done / 4096 != before / 4096)
            ui.setProgress(static_cast<double>(done) / static_cast<double>(total));
        w.flushTo(sink, kPiece);
    };

    // Each topic is followed by its own responses; responses that stand before any topic come first.
    const size_t topics = static_cast<size_t>(RecordCountOf(s, s.tblDIAL));
    const size_t responses = static_cast<size_t>(RecordCountOf(s, s.tblINFO));
    std::vector<size_t> first(topics + 2, 0), order(responses);
    auto bucket = [&](const INFORecord& r) {
        return r.TopicIndex >= 0 && static_cast<size_t>(r.TopicIndex) < topics ? r.TopicIndex + 1 : 0;
    };
    for (size_t i = 0; i < responses; ++i) ++first[static_cast<size_t>(bucket(s.tblINFO[i])) + 1];
    for (size_t k = 1; k < first.size(); ++k) first[k] += first[k - 1];
    {
        std::vector<size_t> at(first.begin(), first.end() - 1);
        for (size_t i = 0; i < responses; ++i) order[at[static_cast<size_t>(bucket(s.tblINFO[i]))]++] = i;
    }
    auto writeResponses = [&](size_t b) {
        for (size_t k = first[b]; k < first[b + 1]; ++k) WriteINFO(w, s.tblINFO[order[k]]);
        step(first[b + 1] - first[b]);
    };

    for (const RecordType& t : RecordTypes()) {
        if (t.tag == "INFO"_tag) continue;
        if (t.tag == "DIAL"_tag) writeResponses(0);
        const size_t n = t.count(s);
        for (size_t i = 0; i < n; ++i) {
            t.write(w, s, i, context);
            step(1);
            if (t.tag == "DIAL"_tag) writeResponses(i + 1);
        }
        ui.setProgress(static_cast<double>(done) / static_cast<double>(total));
    }
    const size_t unknown = static_cast<size_t>(RecordCountOf(s, s.tblUnknown));
    for (size_t i = 0; i < unknown; ++i) {
        WriteOpaque(w, s.tblUnknown[i]);
        step(1);
    }
    ui.setProgress(1);
    if (w.sinkFailed()) return false;
    return w.buffer().empty() || sink(std::string_view(w.buffer()));
}

std::string BuildESFile(const RecordStore& store, Ui& ui, int32_t recordCount, int32_t fileType) {
    std::string out;
    StreamESFile(store, ui, recordCount, fileType, [&out](std::string_view piece) {
        out.append(piece);
        return true;
    });
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
        // Every piece is whole records; each is checked before it goes to disk, so that a file that would
        // not read back never replaces the target.
        uint64_t written = 0;
        std::string malformed;
        ok = StreamESFile(store, ui, recordCount, FileTypeForName(fileName), [&](std::string_view piece) {
            std::string why;
            if (!CheckWellFormed(piece, &why)) {
                malformed = "the data to be written is not well-formed (" + why + ", counted from byte " +
                            std::to_string(written) + ")";
                return false;
            }
            written += piece.size();
            return out.write(piece);
        });
        if (!malformed.empty())
            error = malformed; // the writer is not committed: its temporary file goes away with it
        else
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

bool CheckWellFormed(std::string_view bytes, std::string* why) {
    auto fail = [&](size_t at, const std::string& what) {
        if (why) *why = what + " at offset " + std::to_string(at);
        return false;
    };
    size_t pos = 0;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 16) return fail(pos, "a record header cut short");
        const uint32_t tag = Get32(bytes, pos);
        const uint64_t size = Get32(bytes, pos + 4);
        if (!PrintableTag(tag)) return fail(pos, "a record tag that is not four printable characters");
        if (size > bytes.size() - pos - 16)
            return fail(pos, "record " + TagName(tag) + " runs past the end of the file");
        const RecordType* type = FindRecordType(tag);
        size_t sub = pos + 16;
        const size_t end = sub + static_cast<size_t>(size);
        while (type && type->parsed && sub < end) {
            if (end - sub < 8) return fail(sub, "a subrecord header cut short in record " + TagName(tag));
            const uint64_t len = Get32(bytes, sub + 4);
            if (len > end - sub - 8)
                return fail(sub, "subrecord " + TagName(Get32(bytes, sub)) + " runs past the end of record " +
                                     TagName(tag));
            sub += 8 + static_cast<size_t>(len);
        }
        pos = end;
    }
    return true;
}

} // namespace vellum
