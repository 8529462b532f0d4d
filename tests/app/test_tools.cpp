// Each tool through the main window, with scripted answers to its dialogs.
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app_util.h"
#include "frm_options.h"
#include "frm_topics.h"
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

using namespace vellum;
using namespace vellum::app;
using apptest::kFixture;
using apptest::kSample;
using apptest::LogLines;
using apptest::Window;

class ToolTests : public QObject {
    Q_OBJECT
  private slots:
    void exportThenImportLeavesTheStoreAsItWas() {
        QTemporaryDir dir;
        Window w(kFixture);
        w.dialogs.answers = {Answer::No}; // no, keep the line breaks
        RecordStore before = w.store();
        QString text = dir.filePath("dialogue.txt");
        w.setFileDialog([&](const FileDialogRequest&) { return text; });
        w.cmdExport_Click();
        QCOMPARE(LogLines(w).back(), QString("-Exported 7 responses from \"all_types.esp\" successfully."));
        QVERIFY(QFile::exists(text));
        w.cmdImport_Click();
        QCOMPARE(w.dialogs.messages.back().text, std::string("Do you want to remove line breaks?"));
        QVERIFY(w.store().tblINFO == before.tblINFO && w.store().tblDIAL == before.tblDIAL);
    }

    void exportWithoutResponsesReportsTheError() {
        QTemporaryDir dir;
        Window w(kFixture);
        w.store().tblINFO.clear();
        w.setFileDialog([&](const FileDialogRequest&) { return dir.filePath("none.txt"); });
        w.cmdExport_Click();
        QCOMPARE(w.dialogs.messages.back().text, std::string("The operation encountered an error."));
        QCOMPARE(LogLines(w).back(), QString("-An error occured during dialogue exporting."));
    }

    void morrowindizeRunsWithTheWindowsOptions() {
        Window w(kFixture);
        QVERIFY(!w.store().tblINFO.empty());
        w.store().tblINFO[0].NAME = "the tribunal temple said  ,hello";
        w.options().isTemple = true;
        w.cmdSpellCheck_Click();
        QStringList log = LogLines(w);
        QVERIFY2(log[log.size() - 3].startsWith("-Morrowindizing 7 responses from \"all_types.esp\""),
                 qPrintable(log[log.size() - 3]));
        QVERIFY2(log[log.size() - 2].endsWith(" have been Morrowindized successfully."),
                 qPrintable(log.back()));
        QCOMPARE(log.back(), QString("-Changed 1 response, 0 results and 0 topics."));
        QVERIFY(w.store().tblINFO[0].NAME.find("Tribunal Temple") != std::string::npos);
    }

    void loopCheckShowsTheResultEditorAndReports() {
        Window w(kSample);
        QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!w.dialogs.resultEdits.empty()); // answered with Skip
        QCOMPARE(LogLines(w).back(), QString("-Loop check successful."));
        QCOMPARE(w.pb->value(), 0);
    }

    void topicsDialogRenamesAndFollowsTheStore() {
        Window w(kFixture);
        w.cmdTopics_Click();
        auto* f = w.findChild<FrmTopics*>();
        QVERIFY(f != nullptr);
        QVERIFY(f->isVisible() && !f->isModal() && f->lstTopics->count() > 0);
        std::string old = f->lstTopics->item(0)->text().toStdString();
        f->lstTopics->setCurrentRow(0);
        f->txtTopic->setText("");
        f->validateTopic();
        QCOMPARE(f->lstTopics->item(0)->text().toStdString(), old); // an empty name changes nothing
        f->txtTopic->setText("Renamed Topic");
        f->validateTopic();
        f->cmdApply->click();
        bool found = false;
        for (const DIALRecord& d : w.store().tblDIAL) found = found || d.NAME == "Renamed Topic";
        QVERIFY(found);
        // Opening another file while the dialog is open refills it with that file's topics.
        w.openPath(kSample);
        QCOMPARE(static_cast<size_t>(f->lstTopics->count()), ListTopicRows(w.store()).size());
        w.cmdTopics_Click(); // a second click shows the same dialog
        QCOMPARE(w.findChildren<FrmTopics*>().size(), qsizetype(1));
        f->cmdCancel->click();
    }

    void npcListWritesTheChosenMarkup() {
        QTemporaryDir dir;
        Window w(kSample);
        w.dialogs.inputs = {std::string("Vellum Town")};
        w.optHTML->setChecked(true);
        QString filter;
        w.setFileDialog([&](const FileDialogRequest& r) {
            filter = r.filter;
            return dir.filePath("town.html");
        });
        QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(filter.startsWith("HTML files (*.htm, *.html)|") && QFile::exists(dir.filePath("town.html")));
        QCOMPARE(w.dialogs.inputPrompts.size(), size_t(1));
        QStringList log = LogLines(w);
        QVERIFY2(log[log.size() - 2].startsWith(
                     "-Generating NPC List for cell \"*Vellum Town*\" from \"Sample.esp\"..."),
                 qPrintable(log[log.size() - 2]));
    }

    void optionsDialogLoadsAcceptsAndCancels() {
        MorrowindizeOptions o;
        {
            FrmOptions f(nullptr, o);
            QCOMPARE(f.windowTitle(), QString("Vellum - Options"));
            QVERIFY(f.box("chkEng")->isChecked() && !f.box("chkCap")->isChecked() &&
                    !f.box("chkEllipsis")->isEnabled());
            f.box("chkCap")->setChecked(true);
            QVERIFY(f.box("chkEllipsis")->isEnabled());
            f.box("chkEllipsis")->setChecked(true);
            f.box("chkSlang")->setChecked(true);
            f.cmdOptCancel->click();
        }
        QVERIFY(!o.isSentences && !o.isSlang);
        {
            FrmOptions f(nullptr, o);
            f.box("chkCap")->setChecked(true);
            f.box("chkEllipsis")->setChecked(true);
            f.box("chkEng")->setChecked(false);
            f.cmdOptOk->click();
        }
        QVERIFY(o.isSentences && o.isEllipsis && !o.isMainEnglish);
        {
            FrmOptions f(nullptr, o);
            QVERIFY(f.box("chkEllipsis")->isChecked() && f.box("chkEllipsis")->isEnabled());
            f.box("chkCap")->setChecked(false);
            QVERIFY(!f.box("chkEllipsis")->isChecked() && !f.box("chkEllipsis")->isEnabled());
            f.cmdOptOk->click();
        }
        QVERIFY(!o.isSentences && !o.isEllipsis);
    }
};

int RunToolTests(int argc, char** argv) {
    ToolTests t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_tools.moc"
