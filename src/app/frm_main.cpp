#include "frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <filesystem>

#include "esfile/esfile.h"
#include "esfile/native.h"
#include "frm_about.h"
#include "shell/shell.h"
#include "win1252.h"

namespace vellum::app {

namespace {

constexpr const char* kOpenFilter =
    "Elder Scrolls Data File (*.ESP, *.ESM, *.ESS, *.ESD)|*.ESM;*.ESP;*.ESS;*.ESD|"
    "Elder Scrolls Plugin File (*.ESP)|*.ESP|Elder Scrolls Master File "
    "(*.ESM)|*.ESM;|Elder Scrolls Save File (*.ESS)|*.ESS| All Files (*.*)| *.*";
constexpr const char* kSaveFilter =
    "Elder Scrolls Plugin File (*.ESP)|*.ESP|Elder Scrolls Master File (*.ESM)|*.ESM|"
    "Elder Scrolls Save File (*.ESS)|*.ESS|Elder Scrolls Module (*.ESD)|*.ESD| All "
    "Files (*.*)| *.*";

// "Desc|*.A;*.B|..." to Qt's name filters, each pattern also in small letters (file names on most systems
// are case-sensitive, the game's are not).
QStringList QtFilters(const QString& filter) {
    QStringList parts = filter.split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (QString p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p.isEmpty()) continue;
            patterns << p;
            if (p.toLower() != p) patterns << p.toLower();
        }
        out << parts[i].trimmed() + " (" + patterns.join(' ') + ")";
    }
    return out;
}

QString DefaultFileDialog(QWidget* owner, const FileDialogRequest& r) {
    QFileDialog dialog(owner, r.title, r.folder);
    QStringList filters = QtFilters(r.filter);
    dialog.setNameFilters(filters);
    if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[r.filterIndex - 1]);
    dialog.setDefaultSuffix(r.defaultSuffix);
    if (r.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

// The question asked before the records read from a damaged file are saved.
std::string SaveDamagedQuestion(const std::string& damagedFile, uint64_t droppedBytes) {
    const std::string name = QuotedName(damagedFile);
    return name + " is damaged: " + std::to_string(droppedBytes) +
           " byte(s) could not be read and will be dropped from the saved file. Every record around them is "
           "kept.\r\n\r\nSave a repaired copy under a new name (" +
           name + " stays as it is), overwrite " + name + " with the repaired file, or cancel?";
}

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path pa = PathFromUtf8(a), pb = PathFromUtf8(b);
    if (fs::equivalent(pa, pb, ec)) return true;
    return fs::absolute(pa, ec).lexically_normal() == fs::absolute(pb, ec).lexically_normal();
}

} // namespace

std::string ToPath(const QString& name) {
    return name.toUtf8().toStdString();
}

void WindowUi::setProgress(double fraction) {
    window_.setProgressFraction(fraction);
}
void WindowUi::appendLog(std::string_view line) {
    window_.appendLog(std::string(line));
}

FrmMain::FrmMain(QWidget* parent, const std::string& dataFilesFolder)
    : QMainWindow(parent), qtDialogs_(std::make_unique<QtDialogs>(this)), ui_(*this, qtDialogs_.get()) {
    setObjectName("frmMain");
    setWindowTitle("Vellum");
    setWindowIcon(QIcon(":/vellum.svg"));
    buildMenus();
    buildPanels();
    setFileLoaded(false);
    setAcceptDrops(true);
    store_.dataFilesFolder = dataFilesFolder;
    if (!dataFilesFolder.empty()) {
        openFolder_ = QString::fromStdString(dataFilesFolder);
    } else {
        openFolder_ = QCoreApplication::applicationDirPath();
        logText_.clear();
        appendLog("-WARNING: Morrowind installation coould not be detected.");
    }
    fileDialog_ = [this](const FileDialogRequest& r) { return DefaultFileDialog(this, r); };
    qApp->installEventFilter(this);
}

FrmMain::~FrmMain() {
    qApp->removeEventFilter(this);
}

void FrmMain::buildMenus() {
    auto add = [this](QMenu* menu, QAction*& action, const char* name, const char* caption) {
        action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(name);
    };
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("mnuFile");
    add(file, mnuOpen, "mnuOpen", "&Open");
    add(file, mnuSave, "mnuSave", "&Save");
    add(file, mnuSaveAs, "mnuSaveAs", "&Save as");
    add(file, mnuClose, "mnuClose", "&Close");
    file->addSeparator()->setObjectName("mnuJunk1");
    add(file, mnuExit, "mnuExit", "E&xit");
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("mnuEdit");
    add(edit, mnuExport, "mnuExport", "&Export Dialogue");
    add(edit, mnuImport, "mnuImport", "&Import Dialogue");
    add(edit, mnuList, "mnuList", "Export NPC &List");
    add(edit, mnuLoops, "mnuLoops", "&Detect Loops");
    add(edit, mnuTopics, "mnuTopics", "&Rename Topics");
    edit->addSeparator()->setObjectName("mnuJunk2");
    add(edit, mnuClean, "mnuClean", "&Morrowindize Dialogue");
    add(edit, mnuOptions, "mnuOptions", "Morrowindization O&ptions");
    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("mnuView");
    add(view, mnuRecords, "mnuRecords", "&Records\tCtrl+B");
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("mnuHelp");
    add(help, mnuAbout, "mnuAbout", "&About");
    buildEditMenu(file, edit);

    connect(mnuOpen, &QAction::triggered, this, [this] { mnuOpen_Click(); });
    connect(mnuSave, &QAction::triggered, this, [this] { mnuSave_Click(); });
    connect(mnuSaveAs, &QAction::triggered, this, [this] { mnuSaveAs_Click(); });
    connect(mnuClose, &QAction::triggered, this, [this] { mnuClose_Click(); });
    connect(mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });
    connect(mnuExport, &QAction::triggered, this, [this] { cmdExport_Click(); });
    connect(mnuImport, &QAction::triggered, this, [this] { cmdImport_Click(); });
    connect(mnuList, &QAction::triggered, this, [this] { cmdList_Click(); });
    connect(mnuLoops, &QAction::triggered, this, [this] { cmdLoops_Click(); });
    connect(mnuTopics, &QAction::triggered, this, [this] { cmdTopics_Click(); });
    connect(mnuClean, &QAction::triggered, this, [this] { cmdSpellCheck_Click(); });
    connect(mnuOptions, &QAction::triggered, this, [this] {
        if (cmdOptions->isEnabled()) cmdOptions_Click();
    });
    connect(mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });
    connect(mnuRecords, &QAction::triggered, this, [this] { mnuRecords_Click(); });
}

void FrmMain::buildPanels() {
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    auto* top = new QHBoxLayout;
    auto button = [](QPushButton*& b, const char* name, const char* caption, const char* tip,
                     QWidget* parent) {
        b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setObjectName(name);
        if (tip) b->setToolTip(QString::fromLatin1(tip));
        return b;
    };

    auto* tools = new QVBoxLayout;
    auto* frmDummy1 = new QGroupBox("Dialogue", central);
    frmDummy1->setObjectName("frmDummy1");
    auto* l1 = new QVBoxLayout(frmDummy1);
    l1->addWidget(button(cmdExport, "cmdExport", "Ex&port ",
                         "Export all dialogue responses to a text-file for easy editing.", frmDummy1));
    l1->addWidget(button(cmdImport, "cmdImport", "&Import ",
                         "Import dialogue from previously-exported text file.", frmDummy1));
    l1->addWidget(button(cmdLoops, "cmdLoops", "&Detect Loops ",
                         "Checks the dialogue of the currently loaded file for looping problems.",
                         frmDummy1));
    l1->addWidget(button(cmdTopics, "cmdTopics", "&Rename Topics ", nullptr, frmDummy1));
    auto* frame1 = new QGroupBox("Morrowindization", central);
    frame1->setObjectName("Frame1");
    auto* l2 = new QVBoxLayout(frame1);
    l2->addWidget(button(
        cmdSpellCheck, "cmdSpellCheck", "&Morrowindize  ",
        "Fix dialogue for common Morrowind misspellings, capitalization, and invalid characters.", frame1));
    l2->addWidget(
        button(cmdOptions, "cmdOptions", "O&ptions ", "Gives access to Morrowindization options.", frame1));
    auto* frmDummy2 = new QGroupBox("Other", central);
    frmDummy2->setObjectName("frmDummy2");
    auto* l3 = new QVBoxLayout(frmDummy2);
    l3->addWidget(button(cmdList, "cmdList", "Export Character &List",
                         "This will export a list of NPCs and their details from a chosen cell.", frmDummy2));
    optPure = new QRadioButton("Pure Text", frmDummy2);
    optPure->setObjectName("optPure");
    optPure->setToolTip("This will export the NPC list in a simple text format.");
    optPure->setChecked(true);
    optHTML = new QRadioButton("HTML", frmDummy2);
    optHTML->setObjectName("optHTML");
    optHTML->setToolTip("This will export the NPC List with HTML encoding.");
    optPHP = new QRadioButton("phpBB", frmDummy2);
    optPHP->setObjectName("optPHP");
    optPHP->setToolTip("This will export the NPC list with phpBB encoding, ready to be posted on a forum.");
    chkClones = new QCheckBox("Export Clones", frmDummy2);
    chkClones->setObjectName("chkClones");
    chkClones->setToolTip(
        "Checking this will allow exporitng of Clone NPCs, such as guards, \"cattle\", and the like.");
    l3->addWidget(optPure);
    l3->addWidget(optHTML);
    l3->addWidget(optPHP);
    l3->addWidget(chkClones);
    tools->addWidget(frmDummy1);
    tools->addWidget(frame1);
    tools->addWidget(frmDummy2);
    tools->addStretch();
    top->addLayout(tools);

    // The count panel: four columns of name and count, then Unknown and Total below.
    auto* counts = new QGridLayout;
    counts->setHorizontalSpacing(6);
    counts->setVerticalSpacing(0);
    for (int i = 0; i < kCountLabels; ++i) {
        lblRecName[i] = new QLabel(QString::fromStdString(CountLabelName(i)), central);
        lblRecName[i]->setObjectName(QString("lblRecName_%1").arg(i));
        lblCount[i] = new QLabel("0", central);
        lblCount[i]->setObjectName(QString("lblCount_%1").arg(i));
        lblCount[i]->setMinimumWidth(48);
    }
    auto place = [&](int index, int row, int column) {
        counts->addWidget(lblRecName[index], row, column * 2);
        counts->addWidget(lblCount[index], row, column * 2 + 1);
    };
    for (int i = 0; i <= 41; ++i) place(i, i % 14, i / 14);
    place(42, 0, 3);
    for (int i = 45; i <= 56; ++i) place(i, i - 44 + 1, 3);
    lblSaves = new QLabel("Savegames Specific", central);
    lblSaves->setObjectName("lblSaves");
    counts->addWidget(lblSaves, 1, 6, 1, 2);
    // The saved-game counts stand below their caption.
    for (int i = 45; i <= 56; ++i) {
        counts->removeWidget(lblRecName[i]);
        counts->removeWidget(lblCount[i]);
        counts->addWidget(lblRecName[i], i - 45 + 2, 6);
        counts->addWidget(lblCount[i], i - 45 + 2, 7);
    }
    counts->addWidget(lblRecName[kUnknownLabel], 15, 0);
    counts->addWidget(lblCount[kUnknownLabel], 15, 1);
    counts->addWidget(lblRecName[kTotalLabel], 15, 2);
    counts->addWidget(lblCount[kTotalLabel], 15, 3);
    auto* countBox = new QWidget(central);
    countBox->setLayout(counts);
    top->addWidget(countBox, 1);
    outer->addLayout(top);

    lblLog = new QLabel(central);
    lblLog->setObjectName("lblLog");
    lblLog->setFrameShape(QFrame::StyledPanel);
    lblLog->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblLog->setMinimumHeight(lblLog->fontMetrics().lineSpacing() * 6 + 8);
    lblLog->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outer->addWidget(lblLog);
    pb = new QProgressBar(central);
    pb->setObjectName("pb");
    pb->setRange(0, 1000);
    pb->setValue(0);
    pb->setTextVisible(false);
    outer->addWidget(pb);
    setCentralWidget(central);

    connect(cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
    connect(cmdImport, &QPushButton::clicked, this, [this] { cmdImport_Click(); });
    connect(cmdLoops, &QPushButton::clicked, this, [this] { cmdLoops_Click(); });
    connect(cmdTopics, &QPushButton::clicked, this, [this] { cmdTopics_Click(); });
    connect(cmdSpellCheck, &QPushButton::clicked, this, [this] { cmdSpellCheck_Click(); });
    connect(cmdOptions, &QPushButton::clicked, this, [this] { cmdOptions_Click(); });
    connect(cmdList, &QPushButton::clicked, this, [this] { cmdList_Click(); });
}

void FrmMain::setFileLoaded(bool loaded) {
    for (QWidget* w : std::initializer_list<QWidget*>{cmdTopics, cmdExport, cmdImport, cmdList, cmdSpellCheck,
                                                      cmdOptions, cmdLoops})
        w->setEnabled(loaded);
    for (QAction* a : {mnuTopics, mnuClose, mnuSave, mnuSaveAs, mnuList, mnuExport, mnuImport, mnuClean,
                       mnuOptions, mnuLoops, mnuRecords})
        a->setEnabled(loaded);
}

void FrmMain::appendLog(const std::string& line) {
    logText_ += FromCp1252(line) + "\r\n";
    // The panel keeps the newest six lines.
    QStringList pieces = logText_.split("\r\n");
    if (pieces.size() >= 8) logText_ = pieces.mid(pieces.size() - 7).join("\r\n");
    QString shown = logText_;
    shown.replace("\r\n", "\n");
    lblLog->setText(shown);
    lblLog->repaint();
}

void FrmMain::setProgressFraction(double fraction) {
    int v = static_cast<int>(fraction * 1000.0);
    v = v < 0 ? 0 : (v > 1000 ? 1000 : v);
    if (v == pb->value()) return;
    pb->setValue(v);
    pb->repaint();
}

void FrmMain::resetCounts() {
    for (QLabel* l : lblCount) l->setText("0");
}

void FrmMain::updateCounts(int32_t total) {
    const auto counts = CountsByLabel(store_);
    for (int i = 0; i < kCountLabels; ++i)
        lblCount[static_cast<size_t>(i)]->setText(QString::number(counts[static_cast<size_t>(i)]));
    lblCount[kTotalLabel]->setText(QString::number(total));
}

QString FrmMain::askFile(FileDialogRequest request) {
    return fileDialog_ ? fileDialog_(request) : QString();
}

void FrmMain::openPath(const QString& chosen) {
    QFileInfo info(chosen);
    openFolder_ = info.absolutePath();
    std::string path = ToPath(chosen);
    OpenOutcome o = OpenDataFile(path, store_, ui_);
    currentFile_ = path;
    if (o.milliseconds >= 0) {
        storeSource_ = path;
        history_.clear();
        rememberFile(info.absoluteFilePath());
    }
    if (o.loaded) {
        setFileLoaded(true);
        resetCounts();
        updateCounts(o.recordCount);
        total_ = o.recordCount;
        emit storeReplaced();
    } else if (o.milliseconds >= 0) {
        // An empty file: the store was emptied, the controls stay as they were.
        emit storeReplaced();
    }
    updateEditState();
    pb->setValue(0);
}

void FrmMain::mnuOpen_Click() {
    if (!maybeSave()) return;
    QString chosen = askFile({false, "Open", kOpenFilter, 1, openFolder_, "ESP"});
    if (chosen.trimmed().isEmpty()) return;
    openPath(chosen);
}

double FrmMain::saveTo(const std::string& path, bool saveAs) {
    const double ms = SaveDataFile(path, store_, ui_, lblCount[kTotalLabel]->text().toInt(), saveAs);
    if (ms > -0.5) history_.markSaved();
    updateEditState();
    pb->setValue(0);
    return ms;
}

void FrmMain::saveDamaged() {
    const std::string original = storeSource_;
    const Answer a = ui_.messageBox(SaveDamagedQuestion(original, store_.damage.skippedBytes()),
                                    kProgramTitle, Buttons::YesNoCancel, Icon::Warning, Ask::SaveDamaged);
    std::string target;
    bool saveAs = false;
    if (a == Answer::No) {
        target = original;
    } else if (a == Answer::Yes) {
        const QString chosen = askSaveAsName();
        if (chosen.isEmpty()) return;
        target = ToPath(chosen);
        if (SameFile(target, original)) {
            appendLog("-A repaired copy needs a name other than " + QuotedName(original) +
                      ". Nothing has been written.");
            return;
        }
        saveAs = true;
    } else {
        appendLog("-Nothing has been written.");
        return;
    }
    if (saveTo(target, saveAs) <= -0.5) return;
    // The file written is whole: from now on the window works on it.
    currentFile_ = target;
    storeSource_ = target;
    store_.damage = {};
    updateEditState();
}

void FrmMain::mnuSave_Click() {
    if (!store_.damage.empty()) {
        saveDamaged();
        return;
    }
    // After a refused read the store still holds the earlier file's records while the current file names the
    // refused one: writing them there would destroy that file, so Save asks for a name instead.
    if (currentFile_ != storeSource_) {
        appendLog("-The records in memory do not belong to " + QuotedName(currentFile_) +
                  ". Choose where to save them.");
        mnuSaveAs_Click();
        return;
    }
    saveTo(currentFile_, false);
}

QString FrmMain::askSaveAsName() {
    QString ext = QString::fromStdString(UpperExtension(currentFile_));
    if (ext == "ESP")
        saveAsFilterIndex_ = 1;
    else if (ext == "ESM")
        saveAsFilterIndex_ = 2;
    else if (ext == "ESS")
        saveAsFilterIndex_ = 3;
    else if (ext == "ESD")
        saveAsFilterIndex_ = 4;
    QString chosen = askFile({true, "Save as", kSaveFilter, saveAsFilterIndex_, openFolder_, ext});
    if (chosen.trimmed().isEmpty()) return {};
    openFolder_ = QFileInfo(chosen).absolutePath();
    return chosen;
}

void FrmMain::mnuSaveAs_Click() {
    if (!store_.damage.empty()) {
        saveDamaged();
        return;
    }
    QString chosen = askSaveAsName();
    if (chosen.isEmpty()) return;
    std::string path = ToPath(chosen);
    currentFile_ = path;
    storeSource_ = path;
    saveTo(path, true);
}

void FrmMain::mnuClose_Click() {
    if (!maybeSave()) return;
    history_.clear();
    ClearStore(store_);
    resetCounts();
    setFileLoaded(false);
    appendLog("-Closed " + QuotedName(currentFile_) + " successfully.");
    currentFile_.clear();
    storeSource_.clear();
    total_ = 0;
    updateEditState();
    emit storeReplaced();
}

void FrmMain::mnuExit_Click() {
    if (!maybeSave()) return;
    history_.clear();
    ClearStore(store_);
    TrimStore(store_);
    emit storeReplaced();
    close();
    QCoreApplication::quit();
}

void FrmMain::mnuAbout_Click() {
    FrmAbout about(this);
    about.exec();
}

bool FrmMain::handleShortcut(int key, Qt::KeyboardModifiers m) {
    if (!(m & Qt::ControlModifier)) return false;
    auto run = [](bool enabled, const std::function<void()>& f) {
        if (enabled) f();
        return true;
    };
    switch (key) {
    case Qt::Key_X: return run(mnuExit->isEnabled(), [this] { mnuExit_Click(); });
    case Qt::Key_C: return run(mnuClose->isEnabled(), [this] { mnuClose_Click(); });
    case Qt::Key_O: return run(mnuOpen->isEnabled(), [this] { mnuOpen_Click(); });
    case Qt::Key_E: return run(cmdExport->isEnabled(), [this] { cmdExport_Click(); });
    case Qt::Key_I: return run(cmdImport->isEnabled(), [this] { cmdImport_Click(); });
    case Qt::Key_M: return run(cmdSpellCheck->isEnabled(), [this] { cmdSpellCheck_Click(); });
    case Qt::Key_L: return run(cmdList->isEnabled(), [this] { cmdList_Click(); });
    case Qt::Key_P:
        return run(mnuOptions->isEnabled(), [this] {
            if (cmdOptions->isEnabled()) cmdOptions_Click();
        });
    case Qt::Key_D: return run(mnuLoops->isEnabled(), [this] { cmdLoops_Click(); });
    case Qt::Key_R: return run(mnuTopics->isEnabled(), [this] { cmdTopics_Click(); });
    case Qt::Key_B: return run(mnuRecords->isEnabled(), [this] { mnuRecords_Click(); });
    case Qt::Key_S: {
        Qt::KeyboardModifiers mods = m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        bool saveAs = mods == (Qt::ControlModifier | Qt::ShiftModifier) ||
                      mods == (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        return run(mnuSaveAs->isEnabled(), [this, saveAs] { saveAs ? mnuSaveAs_Click() : mnuSave_Click(); });
    }
    case Qt::Key_A: return run(true, [this] { mnuAbout_Click(); });
    case Qt::Key_Z: return run(mnuUndo->isEnabled(), [this] { mnuUndo_Click(); });
    case Qt::Key_Y: return run(mnuRedo->isEnabled(), [this] { mnuRedo_Click(); });
    default: return false;
    }
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        // Only keys typed in this window (not in its dialogs) are shortcuts.
        if (w && w->window() == this && !key->isAutoRepeat() && handleShortcut(key->key(), key->modifiers()))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace vellum::app
