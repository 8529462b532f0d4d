// Helpers shared by the window tests: the test plugins, the log's lines, and a main window whose dialogs are
// scripted.
#pragma once

#include <QString>
#include <QStringList>
#include <fstream>
#include <string>

#include "fake_ui.h"
#include "frm_main.h"

namespace apptest {

// The shared plugin, and the sample bundled with the program.
inline const QString kFixture = QString(VELLUM_SHARED_FIXTURES) + "/all_types.esp";
inline const QString kSample = QString(VELLUM_SOURCE_DIR) + "/examples/Sample.esp";

inline void WriteBytes(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline QStringList LogLines(const vellum::app::FrmMain& w) {
    return w.logText().split("\r\n", Qt::SkipEmptyParts);
}

// A main window (with a game folder that is not there) answering through `dialogs`; the file named is opened.
struct Window : vellum::app::FrmMain {
    FakeUi dialogs;
    explicit Window(const QString& path = {}) : FrmMain(nullptr, "/x") {
        setDialogs(&dialogs);
        if (!path.isEmpty()) openPath(path);
    }
};

} // namespace apptest
