// The main window's tool buttons: each asks what its dialogs ask and runs the core tool through the window's
// user interface.
#include <QFileInfo>
#include <QProgressBar>
#include <QRadioButton>

#include "dialogue/export_text.h"
#include "dialogue/import_text.h"
#include "dialogue/loops.h"
#include "frm_main.h"
#include "frm_options.h"
#include "frm_topics.h"
#include "morrowindize/morrowindize.h"
#include "npclist/npc_list.h"
#include <QCheckBox>
#include <QLabel>

namespace vellum::app {

void FrmMain::cmdExport_Click() {
    QString chosen =
        askFile({true, "Export dialogue",
                 "Text files (*.txt)|*.txt|Brindle Quote Files (*.brq)|*.brq|XML files (*.xml)|*.xml|"
                 "All Files (*.*)| *.*",
                 1, openFolder_, "txt"});
    if (chosen.isEmpty()) return;
    openFolder_ = QFileInfo(chosen).absolutePath();
    ExportDialogue(ToPath(chosen), store_, ui_, currentFile_);
    pb->setValue(0);
}

void FrmMain::cmdImport_Click() {
    QString chosen = askFile(
        {false, "Import dialogue", "Text files (*.txt)|*.txt| All Files (*.*)| *.*", 1, openFolder_, "txt"});
    if (chosen.trimmed().isEmpty()) return;
    openFolder_ = QFileInfo(chosen).absolutePath();
    runChanging("Import Dialogue", [&] { ImportDialogueText(ToPath(chosen), store_, ui_, currentFile_); });
    pb->setValue(0);
}

void FrmMain::cmdSpellCheck_Click() {
    runChanging("Morrowindize", [this] { Morrowindize(store_, options_, currentFile_, ui_); });
    pb->setValue(0);
}

void FrmMain::cmdOptions_Click() {
    FrmOptions dialog(this, options_);
    dialog.exec();
}

void FrmMain::cmdLoops_Click() {
    runChanging("Detect Loops", [this] { CheckLoops(store_, ui_, currentFile_); });
    pb->setValue(0);
}

void FrmMain::cmdTopics_Click() {
    if (topicsDialog_) {
        topicsDialog_->raise();
        topicsDialog_->activateWindow();
        return;
    }
    auto* dialog = new FrmTopics(this, store_, ui_);
    dialog->runChanging = [this](const std::function<void()>& apply) { runChanging("Rename Topics", apply); };
    topicsDialog_ = dialog;
    // While the dialog is open, a file closed or opened anew refills it, so that no row is ever applied to a
    // topic it does not belong to.
    connect(this, &FrmMain::storeReplaced, dialog, &FrmTopics::refill);
    connect(this, &FrmMain::recordsEdited, dialog, &FrmTopics::refill);
    connect(dialog, &QObject::destroyed, this, [this] { topicsDialog_ = nullptr; });
    dialog->show();
}

void FrmMain::cmdList_Click() {
    if (!CheckNpcListCounts(lblCount[7]->text().toLongLong(), lblCount[28]->text().toLongLong(), ui_)) return;
    NpcListOptions options;
    options.markup = optHTML->isChecked()  ? NpcListMarkup::Html
                     : optPHP->isChecked() ? NpcListMarkup::PhpBB
                                           : NpcListMarkup::PureText;
    options.exportClones = chkClones->isChecked();
    std::string_view filter = NpcListFileFilter(options.markup);
    QString chosen = askFile({true, "Export NPC list", QString::fromLatin1(filter.data(), filter.size()), 1,
                              openFolder_, options.markup == NpcListMarkup::Html ? "html" : "txt"});
    if (chosen.isEmpty()) return;
    openFolder_ = QFileInfo(chosen).absolutePath();
    std::optional<std::string> text = AskNpcListCellText(ui_);
    if (!text) return;
    options.cellText = *text;
    ExportNpcList(ToPath(chosen), options, store_, ui_, currentFile_);
    pb->setValue(0);
}

} // namespace vellum::app
