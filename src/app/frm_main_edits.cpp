// The main window's editing history: Undo and Redo of the tools' changes, the changes list, the title with
// its modified mark, the question about unsaved changes, Recent Files and opening a dropped file.
#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>

#include "dialogue/change_list.h"
#include "frm_changes.h"
#include "frm_main.h"
#include "frm_records.h"
#include "shell/shell.h"

namespace vellum::app {

namespace {

constexpr int kRecentFiles = 8;
const char* const kRecentKey = "recentFiles";

QString& SettingsFile() {
    static QString path;
    return path;
}

std::unique_ptr<QSettings> Settings() {
    QString path = SettingsFile();
    if (path.isEmpty())
        path = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/vellum.ini";
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

} // namespace

void FrmMain::setSettingsFile(const QString& path) {
    SettingsFile() = path;
}

void FrmMain::buildEditMenu(QMenu* file, QMenu* edit) {
    mnuRecent = new QMenu("Recent &Files", file);
    mnuRecent->setObjectName("mnuRecent");
    file->insertMenu(mnuSave, mnuRecent);
    connect(mnuRecent, &QMenu::aboutToShow, this, [this] { fillRecentMenu(); });
    fillRecentMenu();

    QAction* first = edit->actions().value(0);
    mnuUndo = new QAction(edit);
    mnuUndo->setObjectName("mnuUndo");
    mnuRedo = new QAction(edit);
    mnuRedo->setObjectName("mnuRedo");
    edit->insertAction(first, mnuUndo);
    edit->insertAction(first, mnuRedo);
    edit->insertSeparator(first)->setObjectName("mnuJunk3");
    edit->addSeparator()->setObjectName("mnuJunk4");
    mnuShowChanges = edit->addAction("Show &Changes");
    mnuShowChanges->setObjectName("mnuShowChanges");
    connect(mnuUndo, &QAction::triggered, this, [this] { mnuUndo_Click(); });
    connect(mnuRedo, &QAction::triggered, this, [this] { mnuRedo_Click(); });
    connect(mnuShowChanges, &QAction::triggered, this, [this] { mnuShowChanges_Click(); });
    updateEditState();
}

void FrmMain::updateEditState() {
    if (storeSource_.empty()) {
        setWindowTitle("Vellum");
        setWindowModified(false);
    } else {
        QString name = QFileInfo(QFile::decodeName(storeSource_.c_str())).fileName();
        name.replace("[*]", "[**]"); // a literal placeholder in the name stays as it is
        setWindowTitle(name + "[*] - Vellum");
        setWindowModified(history_.modified());
    }
    auto caption = [](const char* verb, const std::string& name) {
        QString text = verb;
        if (!name.empty()) text += " " + QString::fromStdString(name);
        return text + "\t" + (text.startsWith("&U") ? "Ctrl+Z" : "Ctrl+Y");
    };
    mnuUndo->setText(caption("&Undo", history_.undoName()));
    mnuUndo->setEnabled(history_.canUndo());
    mnuRedo->setText(caption("&Redo", history_.redoName()));
    mnuRedo->setEnabled(history_.canRedo());
}

void FrmMain::runChanging(const std::string& name, const std::function<void()>& tool) {
    std::vector<TextChange> changes;
    {
        const DialogueTexts before = TakeDialogueTexts(store_);
        tool();
        changes = CompareDialogue(before, store_);
    }
    if (changes.empty()) return;
    EditStep step(name, changes);
    changes = {};
    appendLog(ChangedLogLine(step.counts()));
    history_.push(std::move(step));
    updateEditState();
    emit recordsEdited();
}

bool FrmMain::revertChange(const TextChange& change) {
    const size_t table = change.field == TextField::TopicName ? store_.tblDIAL.size() : store_.tblINFO.size();
    if (change.record >= table || GetField(store_, change.field, change.record) != change.after) return false;
    SetField(store_, change.field, change.record, change.before);
    history_.push(EditStep("Revert Change", {{change.field, change.record, change.after, change.before}}));
    updateEditState();
    emit recordsEdited();
    return true;
}

void FrmMain::mnuUndo_Click() {
    if (!history_.canUndo()) return;
    history_.undo(store_);
    updateEditState();
    emit recordsEdited();
}

void FrmMain::mnuRedo_Click() {
    if (!history_.canRedo()) return;
    history_.redo(store_);
    updateEditState();
    emit recordsEdited();
}

namespace {

// Shows the one window of a kind that follows the records, made on first use and brought to the front (and
// refilled) after that; it is refilled whenever the records change, and forgotten when closed.
template <class Window> void ShowFollowingWindow(FrmMain& main, QWidget*& slot) {
    if (slot) {
        static_cast<Window*>(slot)->refill();
        slot->raise();
        slot->activateWindow();
        return;
    }
    auto* window = new Window(main);
    window->setAttribute(Qt::WA_DeleteOnClose);
    slot = window;
    QObject::connect(&main, &FrmMain::recordsEdited, window, &Window::refill);
    QObject::connect(&main, &FrmMain::storeReplaced, window, &Window::refill);
    QObject::connect(window, &QObject::destroyed, &main, [&slot] { slot = nullptr; });
    window->show();
}

} // namespace

void FrmMain::mnuShowChanges_Click() {
    ShowFollowingWindow<FrmChanges>(*this, changesDialog_);
}

void FrmMain::mnuRecords_Click() {
    ShowFollowingWindow<FrmRecords>(*this, recordsDialog_);
}

bool FrmMain::maybeSave() {
    if (!history_.modified()) return true;
    const Answer a = ui_.messageBox("Save changes to " + QuotedName(storeSource_) + "?", kProgramTitle,
                                    Buttons::YesNoCancel, Icon::Warning, Ask::SaveChanges);
    if (a == Answer::Cancel) return false;
    if (a == Answer::No) return true;
    mnuSave_Click();
    return !history_.modified();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    history_.clear();
    event->accept();
}

QStringList FrmMain::recentFiles() const {
    return Settings()->value(kRecentKey).toStringList();
}

void FrmMain::rememberFile(const QString& path) {
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFiles) files.removeLast();
    Settings()->setValue(kRecentKey, files);
}

void FrmMain::fillRecentMenu() {
    mnuRecent->clear();
    const QStringList files = recentFiles();
    for (qsizetype k = 0; k < files.size(); ++k) {
        QAction* a = mnuRecent->addAction(QString("&%1 %2").arg(k + 1).arg(files[k]));
        a->setObjectName(QString("mnuRecent_%1").arg(k));
        const QString path = files[k];
        connect(a, &QAction::triggered, this, [this, path] { openAfterAsking(path); });
    }
    mnuRecent->setEnabled(!files.isEmpty());
}

void FrmMain::openAfterAsking(const QString& path) {
    if (!QFileInfo::exists(path)) {
        QStringList files = recentFiles();
        if (files.removeAll(path) > 0) Settings()->setValue(kRecentKey, files);
        ui_.messageBox(QuotedName(ToPath(path)) +
                           " no longer exists; it has been taken off the recent files.",
                       kProgramTitle, Buttons::OK, Icon::Warning, Ask::Message);
        fillRecentMenu();
        return;
    }
    if (!maybeSave()) return;
    openPath(path);
}

void FrmMain::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.front().isLocalFile()) event->acceptProposedAction();
}

bool FrmMain::openDropped(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) return false;
    openAfterAsking(urls.front().toLocalFile());
    return true;
}

void FrmMain::dropEvent(QDropEvent* event) {
    if (openDropped(event->mimeData())) event->acceptProposedAction();
}

} // namespace vellum::app
