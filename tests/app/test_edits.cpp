// The main window's editing history: Undo and Redo of a Morrowindize, the changes list and its revert, the
// question about unsaved changes, Recent Files across a restart of the window and a dropped file.
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app_util.h"
#include "dialogue/change_list.h"
#include "frm_changes.h"

using namespace vellum;
using namespace vellum::app;
using apptest::Window;

namespace {

bool SameDialogue(const RecordStore& a, const RecordStore& b) {
    return a.tblINFO == b.tblINFO && a.tblDIAL == b.tblDIAL;
}

// A copy of the shared plugin in a folder of its own, so that a test may save over it.
struct Copy {
    QTemporaryDir dir;
    QString path;
    explicit Copy(const QString& name = "Plugin.esp") : path(dir.filePath(name)) {
        QFile::copy(apptest::kFixture, path);
    }
};

// A window with scripted dialogs, the plugin opened and cleaned with every option.
struct Cleaned {
    Copy copy;
    Window w{copy.path};
    RecordStore loaded = w.store(), cleaned;
    Cleaned() {
        for (const MorrowindizeOptionInfo& o : MorrowindizeOptionList()) w.options().*o.flag = true;
        w.cmdSpellCheck_Click();
        cleaned = w.store();
    }
};

} // namespace

class EditTests : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { FrmMain::setSettingsFile(settings_.filePath("vellum.ini")); }
    void cleanupTestCase() { FrmMain::setSettingsFile({}); }

    void undoRedoAndTheModifiedMark() {
        Cleaned c;
        QVERIFY(!SameDialogue(c.loaded, c.cleaned) && c.w.isWindowModified() && !c.w.mnuRedo->isEnabled());
        QCOMPARE((QStringList{c.w.windowTitle(), c.w.mnuUndo->text()}),
                 (QStringList{"Plugin.esp[*] - Vellum", "&Undo Morrowindize\tCtrl+Z"}));
        QVERIFY(c.w.logText().endsWith("-Changed 6 responses, 0 results and 0 topics.\r\n"));

        QTest::keyClick(&c.w, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(SameDialogue(c.w.store(), c.loaded) && !c.w.isWindowModified());
        QCOMPARE(c.w.mnuRedo->text(), QString("&Redo Morrowindize\tCtrl+Y"));
        QTest::keyClick(&c.w, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(SameDialogue(c.w.store(), c.cleaned) && c.w.isWindowModified());
        // Open clears the history.
        c.w.dialogs.answers = {Answer::No};
        c.w.mnuClose_Click();
        QVERIFY(!c.w.mnuUndo->isEnabled() && !c.w.isWindowModified());
        QCOMPARE(c.w.windowTitle(), QString("Vellum"));
    }

    void theChangesListRevertsOneRowAndSavesADiff() {
        Cleaned c;
        c.w.mnuShowChanges_Click();
        auto* f = c.w.findChild<FrmChanges*>();
        QVERIFY(f != nullptr);
        const std::vector<TextChange> all = CompareDialogue(TakeDialogueTexts(c.loaded), c.w.store());
        QCOMPARE(f->changes(), all);
        QCOMPARE(f->lstChanges->rowCount(), static_cast<int>(all.size()));
        const TextChange picked = all.at(1);
        QCOMPARE(f->lstChanges->item(1, 2)->text().toStdString(), c.loaded.tblINFO[picked.record].INAM);
        QVERIFY(static_cast<QLabel*>(f->lstChanges->cellWidget(1, 4))->text().contains("<span"));

        f->lstChanges->setCurrentCell(1, 0);
        f->cmdRevert->click();
        RecordStore expected = c.cleaned;
        expected.tblINFO[picked.record] = c.loaded.tblINFO[picked.record];
        QVERIFY(SameDialogue(c.w.store(), expected));
        QCOMPARE(f->lstChanges->rowCount(), static_cast<int>(all.size()) - 1);
        QCOMPARE(c.w.mnuUndo->text(), QString("&Undo Revert Change\tCtrl+Z"));
        c.w.mnuUndo_Click();
        QVERIFY(SameDialogue(c.w.store(), c.cleaned) && f->lstChanges->rowCount() == int(all.size()));

        const QString diff = c.copy.dir.filePath("changes.diff");
        c.w.setFileDialog([&](const FileDialogRequest&) { return diff; });
        f->cmdSaveDiff->click();
        QFile file(diff);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), UnifiedDiff(c.w.store(), all));
        f->cmdClose->click();
    }

    void unsavedChangesAreAskedAbout() {
        Cleaned c;
        // Cancel keeps everything, from Close and from closing the window.
        c.w.dialogs.answers = {Answer::Cancel, Answer::Cancel};
        c.w.mnuClose_Click();
        QVERIFY(c.w.close() == false);
        QCOMPARE(c.w.dialogs.messages.size(), size_t{2});
        QCOMPARE(c.w.dialogs.messages[0].text, std::string("Save changes to \"Plugin.esp\"?"));
        QVERIFY(c.w.dialogs.messages[1].kind == Ask::SaveChanges);
        QVERIFY(SameDialogue(c.w.store(), c.cleaned) && c.w.mnuClose->isEnabled() && c.w.isWindowModified());
        QCOMPARE(c.w.currentFile(), c.copy.path.toStdString());

        // Save writes the file, and Close goes on.
        c.w.dialogs.answers = {Answer::Yes};
        c.w.mnuClose_Click();
        QVERIFY(!c.w.mnuClose->isEnabled());
        c.w.openPath(c.copy.path);
        QVERIFY(SameDialogue(c.w.store(), c.cleaned) && !c.w.isWindowModified());
        c.w.dialogs.messages.clear();
        c.w.mnuClose_Click();
        QVERIFY2(c.w.dialogs.messages.empty(), "nothing to save, nothing asked");
    }

    void recentFilesOutliveTheWindowAndDropsOpen() {
        std::vector<std::unique_ptr<Copy>> copies;
        for (int k = 0; k < 9; ++k) copies.push_back(std::make_unique<Copy>(QString("P%1.esp").arg(k)));
        {
            Window first;
            for (const auto& copy : copies) first.openPath(copy->path);
        }
        Window w;
        QStringList expected;
        for (int k = 8; k >= 1; --k)
            expected << QFileInfo(copies[static_cast<size_t>(k)]->path).absoluteFilePath();
        QCOMPARE(w.recentFiles(), expected);
        emit w.mnuRecent->aboutToShow();
        QCOMPARE(w.mnuRecent->actions().size(), qsizetype(8));
        QVERIFY(w.mnuRecent->actions().front()->text().endsWith(expected.front()));

        // A file that is gone is taken off the list, with a message.
        QFile::remove(expected[1]);
        w.openAfterAsking(expected[1]);
        QVERIFY(w.dialogs.messages.back().text.find("no longer exists") != std::string::npos);
        QVERIFY(!w.recentFiles().contains(expected[1]) && w.currentFile().empty());

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(copies[2]->path)});
        QVERIFY(w.openDropped(&data));
        QCOMPARE(QString::fromStdString(w.currentFile()), copies[2]->path);
        QCOMPARE(w.recentFiles().front(), QFileInfo(copies[2]->path).absoluteFilePath());
    }

  private:
    QTemporaryDir settings_;
};

int RunEditTests(int argc, char** argv) {
    EditTests t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_edits.moc"
