// Helpers shared by the tests: temporary folders, files, and whole-file round trips through the store.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "esfile/body.h"
#include "esfile/esfile.h"
#include "esfile/native.h"
#include "fake_ui.h"
#include "store/store.h"

namespace testutil {

// A fresh folder removed at the end of the test.
class TempDir {
  public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("vellum-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    // A UTF-8 name in the folder (name may hold folders of its own).
    std::string file(const std::string& name) const {
        return vellum::PathToUtf8(path_ / vellum::PathFromUtf8(name));
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Whether a folder without write permission refuses new files. Windows marks folders read-only only to show
// them as customized, and writes in them all the same.
#if defined(_WIN32)
inline constexpr bool kFoldersCanBeLocked = false;
#else
inline constexpr bool kFoldersCanBeLocked = true;
#endif

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(vellum::PathFromUtf8(path), std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream f(vellum::PathFromUtf8(path), std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

inline std::string SharedFixture(const std::string& name) {
    return std::string(VELLUM_SHARED_FIXTURES) + "/" + name;
}

// Reads bytes into a trimmed store; returns the record count.
inline int32_t Load(const std::string& bytes, vellum::RecordStore& store) {
    FakeUi ui;
    ui.defaultAnswer = vellum::Answer::Cancel;
    int32_t count = 0;
    vellum::ReadESBytes(bytes, store, ui, count, true);
    return count;
}

// Writes the store as a file of the given type; checks that the result is well-formed.
inline std::string Save(const vellum::RecordStore& store, int32_t count, int32_t fileType = 0) {
    FakeUi ui;
    std::string out = vellum::BuildESFile(store, ui, count, fileType);
    std::string why;
    EXPECT_TRUE(vellum::CheckWellFormed(out, &why)) << why;
    return out;
}

// bytes -> store -> bytes.
inline std::string RoundTrip(const std::string& bytes, int32_t fileType = 0) {
    vellum::RecordStore store;
    int32_t count = Load(bytes, store);
    return Save(store, count, fileType);
}

// One record read from its body (the bytes after its 16-byte header) by its reader.
template <class Rec> Rec ReadBody(void (*read)(vellum::Body&, Rec&), std::string_view body) {
    Rec rec;
    vellum::Body b(body);
    read(b, rec);
    return rec;
}
// One record written by its writer: the whole record, header included.
template <class Rec> std::string WriteOne(void (*write)(vellum::ByteWriter&, const Rec&), const Rec& rec) {
    vellum::ByteWriter w;
    write(w, rec);
    return w.buffer();
}

// One field of every response, in table order.
inline std::vector<std::string> Column(const vellum::RecordStore& s, std::string vellum::INFORecord::*field) {
    std::vector<std::string> out;
    for (const vellum::INFORecord& r : s.tblINFO) out.push_back(r.*field);
    return out;
}

} // namespace testutil
