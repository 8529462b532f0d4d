// The desktop program under the offscreen platform: the main window's state, Open, Close, Save, the log, the
// keyboard shortcuts, the editing dialogs, text conversion and the game folder lookup.
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "app_util.h"
#include "esfile/esfile.h"
#include "fixture_builder.h"
#include "frm_about.h"
#include "frm_info.h"
#include "frm_info2.h"
#include "game_folder.h"
#include "win1252.h"

using namespace vellum;
using namespace vellum::app;
using apptest::kFixture;
using apptest::LogLines;
using apptest::Window;
using apptest::WriteBytes;

namespace {

std::string ReadBytes(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether bytes are a whole data file that reads back without damage.
bool ReadsBackWhole(const std::string& bytes) {
    RecordStore back;
    SilentUi quiet;
    int32_t count = 0;
    return CheckWellFormed(bytes) && ReadESBytes(bytes, back, quiet, count, true) >= 0 &&
           back.damage.empty() && back.tblGLOB.size() == 1u;
}

} // namespace

class WindowTests : public QObject {
    Q_OBJECT
  private slots:
    void startUpState() {
        FrmMain w(nullptr, "");
        QCOMPARE(w.windowTitle(), QString("Vellum"));
        QCOMPARE(LogLines(w), QStringList{"-WARNING: Morrowind installation coould not be detected."});
        for (QWidget* c : std::initializer_list<QWidget*>{w.cmdExport, w.cmdImport, w.cmdLoops, w.cmdTopics,
                                                          w.cmdSpellCheck, w.cmdOptions, w.cmdList})
            QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
        QVERIFY(!w.mnuSave->isEnabled() && !w.mnuClose->isEnabled());
        QVERIFY(w.mnuOpen->isEnabled() && w.mnuExit->isEnabled() && w.mnuAbout->isEnabled());
        QVERIFY(w.optPure->isChecked() && w.optHTML->isEnabled() && w.chkClones->isEnabled());
        QCOMPARE(w.lblRecName[44]->text(), QString("Total:"));
        for (QLabel* l : w.lblCount) QCOMPARE(l->text(), QString("0"));

        FrmMain found(nullptr, "/games/Morrowind/Data Files");
        QVERIFY(found.logText().isEmpty());
        QCOMPARE(found.openFolder(), QString("/games/Morrowind/Data Files"));
    }

    void openCountsAndClose() {
        FrmMain w(nullptr, "/x");
        QString asked;
        w.setFileDialog([&](const FileDialogRequest& r) {
            asked = r.filter;
            return kFixture;
        });
        w.mnuOpen_Click();
        QVERIFY(asked.startsWith("Elder Scrolls Data File (*.ESP, *.ESM, *.ESS, *.ESD)|"));
        QStringList log = LogLines(w);
        QCOMPARE(log.size(), 2);
        QCOMPARE(log[0], QString("-Reading \"all_types.esp\"..."));
        QVERIFY2(log[1].startsWith("-Read 80 records from \"all_types.esp\" successfully in "),
                 qPrintable(log[1]));
        QVERIFY(!log[1].contains("File should contain"));
        QCOMPARE(w.lblCount[44]->text(), QString("80"));
        QCOMPARE(w.lblCount[28]->text(), QString("2")); // NPC_
        QCOMPARE(w.lblCount[18]->text(), QString("7")); // INFO
        QVERIFY(w.cmdExport->isEnabled() && w.mnuSave->isEnabled() && w.cmdLoops->isEnabled());
        QVERIFY(w.store().tblGMST.size() == 3u);
        QCOMPARE(w.openFolder(), QFileInfo(kFixture).absolutePath());

        w.setFileDialog([](const FileDialogRequest&) { return QString("  "); });
        w.mnuOpen_Click(); // cancelled: nothing changes
        QCOMPARE(w.lblCount[44]->text(), QString("80"));
        w.mnuClose_Click();
        QCOMPARE(LogLines(w).back(), QString("-Closed \"all_types.esp\" successfully."));
        QCOMPARE(w.lblCount[44]->text(), QString("0"));
        QVERIFY(!w.cmdExport->isEnabled() && !w.mnuSave->isEnabled() && w.currentFile().empty());
        QCOMPARE(w.store().tblGLOB.size(), size_t(1)); // one empty element per table after Close
    }

    void logKeepsSixNewestLines() {
        FrmMain w(nullptr, "/x");
        for (int i = 1; i <= 6; ++i) w.appendLog("-line " + std::to_string(i));
        QCOMPARE(LogLines(w).size(), 6);
        w.appendLog("-line 7");
        QCOMPARE(LogLines(w),
                 (QStringList{"-line 2", "-line 3", "-line 4", "-line 5", "-line 6", "-line 7"}));
        QVERIFY(w.logText().endsWith("\r\n"));
    }

    void shortcutsFollowTheEnabledControls() {
        QTemporaryDir dir;
        Window w;
        int asked = 0;
        bool lastSave = false;
        QString target = dir.filePath("copy.esp");
        w.setFileDialog([&](const FileDialogRequest& r) {
            ++asked;
            lastSave = r.save;
            return r.save ? target : kFixture;
        });
        // Without a file, Ctrl+S does nothing; a letter without Ctrl does nothing.
        QVERIFY(w.handleShortcut(Qt::Key_S, Qt::ControlModifier) &&
                !w.handleShortcut(Qt::Key_O, Qt::NoModifier));
        QCOMPARE(asked, 0);
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(std::make_tuple(asked, w.mnuSave->isEnabled()), std::make_tuple(1, true));
        // Ctrl+Shift+S saves under a new name.
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(
            std::make_tuple(asked, lastSave, QFile::exists(target), QString::fromStdString(w.currentFile())),
            std::make_tuple(2, true, true, target));
        // Ctrl+Alt+S saves in place, without a dialog.
        std::filesystem::remove(target.toStdString());
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(std::make_tuple(asked, QFile::exists(target)), std::make_tuple(2, true));
        const QString written = LogLines(w).back();
        QVERIFY(written.startsWith("-Finished writing \"copy.esp\" in ") &&
                written.endsWith(" seconds. 80 records have been written."));
        // Ctrl+C closes.
        QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(!w.mnuSave->isEnabled());
        QCOMPARE(w.pb->value(), 0);
    }

    void aboutWorksWithoutAFile() {
        FrmMain w(nullptr, "/x");
        QString shown;
        QTimer::singleShot(0, [&shown] {
            QWidget* m = QApplication::activeModalWidget();
            shown = m && qobject_cast<FrmAbout*>(m) ? m->windowTitle() : QString();
            if (m) m->close();
        });
        QVERIFY(w.handleShortcut(Qt::Key_A, Qt::ControlModifier));
        QCOMPARE(shown, QString("About Vellum"));
    }

    void saveAfterARefusedReadNeverOverwritesTheRefusedFile() {
        QTemporaryDir dir;
        QString refused = dir.filePath("notes.txt");
        WriteBytes(refused, "my notes");
        Window w(kFixture);
        w.openPath(refused);
        QCOMPARE(LogLines(w).back(), QString("-Failed reading \"notes.txt\"."));
        QCOMPARE(w.dialogs.messages.back().text, std::string("The selected file is invalid."));
        QVERIFY(w.cmdExport->isEnabled()); // the earlier file's records stay loaded
        // Save asks where to save instead of writing over the refused file.
        int asked = 0;
        bool save = false;
        w.setFileDialog([&](const FileDialogRequest& r) {
            ++asked;
            save = r.save;
            return QString();
        });
        w.mnuSave_Click();
        QCOMPARE(std::make_tuple(asked, save, ReadBytes(refused)),
                 std::make_tuple(1, true, std::string("my notes")));
    }

    // Save and Save As after a damaged read ask first; only "overwrite" writes the damaged file.
    void saveAfterADamagedReadAsksFirst() {
        using namespace fixture;
        // The last record's Size runs past the end of the file.
        const std::string lost = RecordWithSize("GLOB", 400, ZSub("NAME", "Lost"));
        const std::string bytes =
            Header(2) + Record("GLOB", ZSub("NAME", "Gold") + Sub("FNAM", "f") + Sub("FLTV", F32(5))) + lost;
        struct Case {
            Answer answer;
            bool saveAs;      // Save As rather than Save
            bool copyWritten; // the repaired copy is written under the new name
            bool overwritten; // the damaged file is replaced by the repaired one
        };
        for (const Case c : {Case{Answer::Cancel, false, false, false}, Case{Answer::Yes, false, true, false},
                             Case{Answer::Yes, true, true, false}, Case{Answer::No, false, false, true},
                             Case{Answer::No, true, false, true}}) {
            QTemporaryDir dir;
            const QString damaged = dir.filePath("Town.esp"), copy = dir.filePath("Town repaired.esp");
            WriteBytes(damaged, bytes);
            Window w;
            w.dialogs.answers = {c.answer};
            w.dialogs.defaultAnswer = Answer::Cancel;
            w.openPath(damaged);
            QCOMPARE(w.store().damage.skippedBytes(), uint64_t(lost.size()));
            int asked = 0;
            w.setFileDialog([&](const FileDialogRequest& r) {
                ++asked;
                return r.save && r.title == "Save as" ? copy : QString();
            });
            c.saveAs ? w.mnuSaveAs_Click() : w.mnuSave_Click();
            const ShownMessage& q = w.dialogs.messages.back();
            QVERIFY(q.kind == Ask::SaveDamaged && q.buttons == Buttons::YesNoCancel);
            QVERIFY2(q.text.find(std::to_string(lost.size()) + " byte(s) could not be read") !=
                         std::string::npos,
                     q.text.c_str());
            QCOMPARE(std::make_tuple(asked, QFile::exists(copy)),
                     std::make_tuple(c.copyWritten ? 1 : 0, c.copyWritten));
            if (c.copyWritten) {
                QVERIFY(ReadsBackWhole(ReadBytes(copy)));
                QCOMPARE(QString::fromStdString(w.currentFile()), copy);
            }
            if (c.overwritten)
                QVERIFY(ReadsBackWhole(ReadBytes(damaged)));
            else
                QCOMPARE(ReadBytes(damaged), bytes);
            // Once a whole file was written, Save writes it again without asking.
            const size_t shown = w.dialogs.messages.size();
            w.mnuSave_Click();
            QCOMPARE(w.dialogs.messages.size(), shown + (c.copyWritten || c.overwritten ? 0 : 1));
        }
    }

    // The question's buttons say what they do, and Enter saves a repaired copy under a new name.
    void damagedSaveQuestionDefaultsToARepairedCopy() {
        using namespace fixture;
        QTemporaryDir dir;
        const QString damaged = dir.filePath("Town.esp"), copy = dir.filePath("copy.esp");
        const std::string bytes =
            Header(1) + Record("GLOB", ZSub("NAME", "Gold") + Sub("FNAM", "f")) + std::string(5, '\xFF');
        WriteBytes(damaged, bytes);
        FrmMain w(nullptr, "/x");
        w.openPath(damaged);
        w.setFileDialog([&](const FileDialogRequest&) { return copy; });
        QStringList buttons;
        QTimer::singleShot(0, [&buttons] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            for (QAbstractButton* b : box->buttons()) buttons << b->text();
            buttons << "default: " + box->defaultButton()->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        w.mnuSave_Click();
        buttons.sort();
        QCOMPARE(buttons, QStringList({"&Overwrite", "Cancel", "Save a &repaired copy as...",
                                       "default: Save a &repaired copy as..."}));
        QVERIFY(ReadsBackWhole(ReadBytes(copy)));
        QCOMPARE(ReadBytes(damaged), bytes);
    }

    void saveAsPreselectsTheFilterAndDecliningSavedGameWritesNothing() {
        QTemporaryDir dir;
        Window w(kFixture);
        w.dialogs.answers = {Answer::No};
        int index = 0;
        QString ext, filter;
        w.setFileDialog([&](const FileDialogRequest& r) {
            index = r.filterIndex;
            ext = r.defaultSuffix;
            filter = r.filter;
            return dir.filePath("game.ess");
        });
        w.mnuSaveAs_Click();
        QCOMPARE(std::make_tuple(index, ext), std::make_tuple(1, QString("ESP")));
        QVERIFY(filter.startsWith("Elder Scrolls Plugin File (*.ESP)|*.ESP|"));
        QCOMPARE(LogLines(w).back(), QString("-Nothing has been written."));
        QCOMPARE(ReadBytes(dir.filePath("game.ess")), std::string()); // the chosen file exists, empty
        w.mnuSaveAs_Click();
        QCOMPARE(index, 3); // the current file is now a saved game
    }

    void responseEditorContract() {
        FrmINFO f(nullptr);
        f.Actor = "fargoth the elder";
        f.Topic = "latest rumors";
        f.Response = QString(512, 'a');
        f.fillFromVariables();
        QCOMPARE((QStringList{f.lblActor->text(), f.lblTopic->text(), f.lblLength->text()}),
                 (QStringList{"Actor: Fargoth The Elder", "Topic: latest rumors", "Length: 512"}));
        QVERIFY(f.cmdAccept->isEnabled());
        f.txtINFO->setPlainText(QString(513, 'a'));
        QCOMPARE(std::make_tuple(f.lblLength->text(), f.cmdAccept->isEnabled()),
                 std::make_tuple(QString("Length: 513"), false));
        f.cmdCancel->click();
        QCOMPARE(f.Response, QString(512, 'a')); // Cancel keeps the caller's text
        f.Actor = "Journal Entry";
        f.fillFromVariables();
        QCOMPARE(f.lblActor->text(), QString("Journal Entry"));
        f.txtINFO->setPlainText("short\nline");
        f.cmdAccept->click();
        QCOMPARE(f.Response, QString("short\r\nline"));
    }

    void resultEditorContract() {
        FrmINFO2 f(nullptr);
        f.Actor = "fargoth";
        f.Topic = "ash";
        f.Response = "Hello";
        f.Result = "Choice \"Yes\" 1";
        f.Choice = 1;
        f.fillFromVariables();
        QCOMPARE((QStringList{f.lblChoice->text(), f.lblActor->text()}),
                 (QStringList{"Choice: 1", "Actor: Fargoth"}));
        f.txtINFO->setPlainText("typed");
        f.fillFromVariables();
        QCOMPARE(f.txtINFO->toPlainText(), QString("Hello")); // a repaint puts the variables back
        f.txtResult->setPlainText("Goodbye");
        f.cmdAccept->click();
        QCOMPARE((QStringList{f.fiAccept, f.Result}), (QStringList{"0", "Goodbye"}));
        f.txtINFO->setPlainText("not kept");
        f.cmdSkip->click();
        QCOMPARE((QStringList{f.fiAccept, f.Response}), (QStringList{"2", "Hello"}));
        f.cmdCancel->click();
        QCOMPARE(f.fiAccept, QString("1"));
    }

    void windows1252Conversion() {
        std::string all;
        for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
        QString shown = FromCp1252(all);
        QCOMPARE(shown.at(0x93 - 1), QChar(0x201C));
        QCOMPARE(ToCp1252(shown), all);
        QCOMPARE(ToCp1252(QString::fromUtf8("\xe2\x82\xac \xe4\xb8\xad")), std::string("\x80 ?"));
    }

    void gameFolderLookup() {
        QTemporaryDir dir;
        std::filesystem::path prefix = dir.filePath("wine").toStdString();
        std::filesystem::create_directories(prefix / "drive_c");
        std::ofstream(prefix / "system.reg")
            << "WINE REGISTRY Version 2\n\n[Software\\\\Wow6432Node\\\\Bethesda Softworks\\\\Morrowind] 1\n"
               "#time=1\n\"Installed Path\"=\"C:\\\\Games\\\\Morrowind\"\n";
        GameFolderSources s;
        s.useRegistry = false;
        s.winePrefix = prefix.string();
        QCOMPARE(
            QString::fromStdString(FindDataFilesFolder(s)),
            QString::fromStdString((prefix / "drive_c" / "Games" / "Morrowind" / "Data Files").string()));

        std::filesystem::path cfg = dir.filePath("openmw.cfg").toStdString();
        std::ofstream(cfg)
            << "# comment\nfallback=x\ndata=\"/home/me/Morrowind/Data Files\"\ndata=\"/other\"\n";
        s.winePrefix = dir.filePath("no-such-prefix").toStdString();
        s.openmwConfig = cfg.string();
        QCOMPARE(QString::fromStdString(FindDataFilesFolder(s)), QString("/home/me/Morrowind/Data Files"));
        s.openmwConfig = dir.filePath("missing.cfg").toStdString();
        QVERIFY(FindDataFilesFolder(s).empty());
    }
};

int RunWindowTests(int argc, char** argv) {
    WindowTests t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_windows.moc"
