// Hostile sizes: a record or subrecord that announces gigabytes in a small file must not make the program
// allocate gigabytes. Every record type is read (and written back) from small files whose record Size or one
// of whose subrecord sizes announces up to 4 GB, in a child process whose memory is limited; the child's
// peak memory must stay small.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#if defined(__unix__)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "fixture_builder.h"
#include "test_util.h"

#if defined(__SANITIZE_ADDRESS__)
#define VELLUM_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELLUM_TEST_ASAN 1
#endif
#endif

namespace {

using namespace vellum;
using fixture::Record;
using fixture::Sub;

uint32_t Le32(std::string_view s, size_t at) {
    return ByteReader(s.substr(at, 4)).u32();
}
std::string WithSize(std::string s, size_t at, uint32_t v) {
    return s.replace(at, 4, fixture::U32(v));
}

// A saved game with every saved-game record type, for the types that plugins do not hold.
[[maybe_unused]] std::string SavedGame() {
    std::string file =
        Record("TES3", fixture::Hedr(32, 13) + Sub("GMDT", std::string(124, 'g')) +
                           Sub("SCRD", std::string(20, 's')) + Sub("SCRS", std::string(65536, 'p')));
    for (const char* tag :
         {"CNTC", "CREC", "FMAP", "GAME", "JOUR", "KLST", "NPCC", "PCDT", "QUES", "REFR", "SPLM", "STLN"})
        file += Record(tag, Sub("NAME", "thing") + Sub("DATA", std::string(40, 'd')));
    return file;
}

// For every record type in the files and every kind of subrecord it holds (the first one of each kind), small
// files that announce huge sizes: the record's Size, and each subrecord's size (with the record's Size), once
// with the file cut a few bytes after that size field and once with the rest of the record kept.
[[maybe_unused]] std::map<std::string, std::vector<std::string>>
HostileVariants(const std::vector<std::string>& files) {
    std::map<std::string, std::vector<std::string>> byTag;
    std::set<std::string> seen; // "TAG" and "TAG/SUB"
    const uint32_t kHuge[] = {0x7FFFFFF0u, 0xFFFFFFF0u, 0x40000000u};
    for (const std::string& file : files) {
        std::string header;
        for (size_t pos = 0, len;
             file.size() - pos >= 16 && (len = 16 + Le32(file, pos + 4)) <= file.size() - pos; pos += len) {
            const std::string tag = file.substr(pos, 4), rec = file.substr(pos, len);
            if (header.empty()) header = tag == "TES3" ? rec : std::string();
            const std::string prefix = tag == "TES3" ? std::string() : header;
            if (seen.insert(tag).second)
                for (uint32_t huge : kHuge) byTag[tag].push_back(prefix + WithSize(rec, 4, huge));
            for (size_t sub = 16, slen; rec.size() - sub >= 8; sub += slen) {
                slen = 8 + Le32(rec, sub + 4);
                if (seen.insert(tag + "/" + rec.substr(sub, 4)).second)
                    for (uint32_t huge : kHuge) {
                        const std::string big = WithSize(WithSize(rec, 4, huge), sub + 4, huge);
                        byTag[tag].push_back(prefix + big.substr(0, sub + 8 + 6)); // cut after the size
                        byTag[tag].push_back(prefix + big);
                    }
                if (slen > rec.size() - sub) break;
            }
        }
    }
    return byTag;
}

#if defined(__unix__)
// The process's address space now, in bytes (not used under AddressSanitizer, whose shadow memory makes an
// address-space limit meaningless).
[[maybe_unused]] size_t AddressSpaceBytes() {
    unsigned long pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    return static_cast<size_t>(pages) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

long PeakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Reads and writes back every variant in a child process whose address space is limited to 512 MB above what
// it starts with, so that a request for gigabytes fails at once instead of being granted lazily. The child's
// exit code: 0 fine, 3 an allocation beyond the limit, 4 a peak grown by more than 128 MB, 5 a save that is
// not well-formed, 6 another exception; -1: killed by a signal.
int ReadAllInChild(const std::vector<std::string>& variants) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
#if !defined(VELLUM_TEST_ASAN)
        const rlim_t limit = AddressSpaceBytes() + (512u << 20);
        rlimit lim{limit, limit};
        setrlimit(RLIMIT_AS, &lim);
#endif
        const long before = PeakKilobytes();
        int status = 0;
        try {
            for (const std::string& bytes : variants) {
                RecordStore store;
                FakeUi ui;
                ui.defaultAnswer = Answer::Cancel;
                int32_t count = 0;
                ReadESBytes(bytes, store, ui, count, true);
                if (!CheckWellFormed(BuildESFile(store, ui, count, kFileTypePlugin))) status = 5;
            }
        } catch (const std::bad_alloc&) {
            status = 3;
        } catch (...) {
            status = 6;
        }
        if (status == 0 && PeakKilobytes() - before > 128 * 1024) status = 4;
        _exit(status);
    }
    int wstatus = 0;
    if (pid < 0 || waitpid(pid, &wstatus, 0) != pid) return -2;
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}
#endif

} // namespace

TEST(BoundedMemory, ReaderNeverMakesStringsLongerThanTheDataAndAFewPaddingBytes) {
    const std::string data = "abcdefgh";
    ByteReader r(data);
    r.skip(3);
    EXPECT_EQ(r.fixed(0xFFFFFFF0u), "defgh" + std::string(ByteReader::kMaxPadding, '\0'));
    EXPECT_EQ(std::make_tuple(r.remaining(), r.u32()), std::make_tuple(size_t(0), uint32_t(0)));
    ByteReader r2(data);
    r2.skip(6);
    EXPECT_EQ(r2.u32(), uint32_t('g' | 'h' << 8)) << "the missing bytes read as zero";
    r2.skip(0xFFFFFFFFFFull);
    EXPECT_EQ(r2.fixed(2), std::string(2, '\0'));
}

TEST(BoundedMemory, HugeSizesInEveryRecordTypeStaySmall) {
#if !defined(__unix__)
    GTEST_SKIP() << "child processes with a memory limit are used on Unix only";
#else
    std::vector<std::string> files = {testutil::ReadFile(testutil::SharedFixture("all_types.esp")),
                                      SavedGame()};
    ASSERT_GT(files[0].size(), 1000u) << "all_types.esp not found";
    auto variants = HostileVariants(files);

    // Every table's record type is covered.
    std::set<std::string> expected;
#define VELLUM_TAG(TAG, TYPE, RANK, IO) expected.insert(#TAG);
    VELLUM_RECORD_TYPES(VELLUM_TAG)
#undef VELLUM_TAG
    for (const std::string& tag : expected) EXPECT_TRUE(variants.count(tag)) << tag << " has no hostile file";
    EXPECT_GE(variants["CELL"].size(), 40u) << "references' subrecords are among the cell's";

    size_t total = 0;
    for (const auto& [tag, list] : variants) {
        EXPECT_EQ(ReadAllInChild(list), 0) << tag;
        total += list.size();
    }
    EXPECT_GT(total, 1000u);
#endif
}

#if defined(__linux__) && !defined(VELLUM_TEST_ASAN)
namespace {

// A line of /proc/self/status in bytes ("VmHWM", "VmRSS"), or 0.
size_t StatusBytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0) return std::stoull(line.substr(key.size() + 1)) * 1024;
    return 0;
}

} // namespace

// A large file is not held twice: while the reading driver goes through it, the memory of the bytes already
// read goes back, so reading costs about the records it keeps, not the file on top of them.
TEST(BoundedMemory, ReadingAFileDoesNotHoldItTwice) {
    testutil::TempDir dir;
    const std::string path = dir.file("big.esm");
    constexpr size_t kLand = 1 << 20, kCount = 96;
    {
        std::string file = fixture::Header(0, 1);
        for (size_t i = 0; i < kCount; ++i)
            file += Record("LAND", Sub("VHGT", std::string(kLand, static_cast<char>('a' + i % 26))));
        testutil::WriteFile(path, file);
    }
    {
        std::ofstream reset("/proc/self/clear_refs");
        if (!(reset << "5" << std::flush)) GTEST_SKIP() << "the peak memory cannot be reset here";
    }
    const size_t before = StatusBytes("VmRSS");
    RecordStore s;
    FakeUi ui;
    int32_t count = 0;
    ASSERT_GT(ReadESFile(path, s, ui, count, true), 0);
    const size_t peak = StatusBytes("VmHWM");
    ASSERT_EQ(s.tblLAND.size(), kCount);
    ASSERT_EQ(s.tblLAND.back().Data,
              Sub("VHGT", std::string(kLand, static_cast<char>('a' + (kCount - 1) % 26))));
    // The records hold 96 MB; the file as well would make it 192 MB.
    EXPECT_LT(peak - before, kCount * kLand * 13 / 10) << "peak " << peak << ", before " << before;
}
#endif
