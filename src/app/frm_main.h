// The main window: menus, tool buttons, the record-count panel, the log panel and the progress bar.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "count_panel.h"
#include "morrowindize/options.h"
#include "store/changes.h"
#include "store/store.h"
#include "window_ui.h"

class QAction;
class QMenu;
class QMimeData;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vellum::app {

// What a file dialog is asked for; the answer is the chosen full path, empty when cancelled.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QString filter;      // "Description|*.EXT;*.EXT|Description|*.*" as the tools give it
    int filterIndex = 1; // 1-based entry of filter preselected
    QString folder;      // initial folder
    QString defaultSuffix;
};
using FileDialogFunction = std::function<QString(const FileDialogRequest&)>;

// A chosen file name as the core takes it: UTF-8 on every system (Qt's own 8-bit file names are in the ANSI
// code page on Windows).
std::string ToPath(const QString& name);

class FrmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit FrmMain(QWidget* parent = nullptr, const std::string& dataFilesFolder = {});
    ~FrmMain() override;

    // The window's handlers, callable directly (the tests and the command line of the program use them).
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    void mnuClose_Click();
    void mnuExit_Click();
    void mnuAbout_Click();
    void cmdExport_Click();
    void cmdImport_Click();
    void cmdLoops_Click();
    void cmdTopics_Click();
    void cmdSpellCheck_Click();
    void cmdOptions_Click();
    void cmdList_Click();
    void mnuUndo_Click();
    void mnuRedo_Click();
    void mnuShowChanges_Click();
    // View > Records (Ctrl+B): the record browser, modeless, following the store.
    void mnuRecords_Click();
    QWidget* recordsWindow() const { return recordsDialog_; }

    // Opens path as Open does after its dialog (without asking about unsaved changes).
    void openPath(const QString& path);
    // Opens path after asking about unsaved changes, as Recent Files and a dropped file do.
    void openAfterAsking(const QString& path);
    // Opens the first file of what was dropped on the window; false when it names no local file.
    bool openDropped(const QMimeData* data);
    // The keyboard shortcuts; returns true when the key was a shortcut that ran.
    bool handleShortcut(int key, Qt::KeyboardModifiers modifiers);

    // Appends one log line (without line end) and trims the panel to the newest six lines.
    void appendLog(const std::string& line);
    QString logText() const { return logText_; }
    void setProgressFraction(double fraction);

    // Replaces the file dialogs and the question dialogs (tests script them).
    void setFileDialog(FileDialogFunction f) { fileDialog_ = std::move(f); }
    void setDialogs(Ui* dialogs) { ui_.setDialogs(dialogs); }

    RecordStore& store() { return store_; }
    // The clean-up options: kept for as long as the program runs.
    MorrowindizeOptions& options() { return options_; }
    const std::string& currentFile() const { return currentFile_; }
    int32_t totalCount() const { return total_; }
    QString openFolder() const { return openFolder_; }

    // The file-loaded controls, switched together.
    void setFileLoaded(bool loaded);
    QString askFile(FileDialogRequest request);

    // Runs a tool that may change the records: what it changed becomes one step of the undo history, named
    // name, and one log line counts it.
    void runChanging(const std::string& name, const std::function<void()>& tool);
    const EditHistory& history() const { return history_; }
    // Gives a changed text back its before side, as an undoable step; false when the store no longer holds
    // the change's after side.
    bool revertChange(const TextChange& change);
    // When the records differ from the file: asks "Save changes to NAME?" and saves on Save. False when the
    // user cancelled or the save did not happen.
    bool maybeSave();
    // The files opened last, newest first (kept with QSettings).
    QStringList recentFiles() const;
    // Where the settings are kept: an INI file (tests use their own); empty for the program's default.
    static void setSettingsFile(const QString& path);

  signals:
    // The record store was emptied or filled anew (the modeless topic dialog follows it).
    void storeReplaced();
    // Texts of the records changed by a tool, an undo, a redo or a revert.
    void recordsEdited();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildEditMenu(QMenu* file, QMenu* edit);
    // The title, its modified mark and the Undo and Redo captions.
    void updateEditState();
    void rememberFile(const QString& path);
    void fillRecentMenu();
    void buildMenus();
    void buildPanels();
    void resetCounts();
    void updateCounts(int32_t total);
    // Asks for a name as Save As does; empty when cancelled.
    QString askSaveAsName();
    // Writes the store to path; returns the writing driver's result (negative when nothing was written).
    double saveTo(const std::string& path, bool saveAs);
    // Save and Save As after a damaged read: asks whether to save a repaired copy under a new name, to
    // overwrite the damaged file, or to save nothing. The damaged file is written only on "overwrite".
    void saveDamaged();

    RecordStore store_;
    MorrowindizeOptions options_;
    std::string currentFile_;
    // The file whose records the store holds; differs from currentFile_ after a refused read.
    std::string storeSource_;
    int32_t total_ = 0;
    QString logText_;
    QString openFolder_;
    int saveAsFilterIndex_ = 1;
    FileDialogFunction fileDialog_;
    std::unique_ptr<QtDialogs> qtDialogs_;
    WindowUi ui_;
    QWidget* topicsDialog_ = nullptr;
    QWidget* changesDialog_ = nullptr;
    QWidget* recordsDialog_ = nullptr;
    EditHistory history_;

  public:
    // Controls, named as the program names them.
    QAction *mnuOpen, *mnuSave, *mnuSaveAs, *mnuClose, *mnuExit;
    QAction *mnuExport, *mnuImport, *mnuList, *mnuLoops, *mnuTopics, *mnuClean, *mnuOptions, *mnuAbout;
    QAction *mnuUndo, *mnuRedo, *mnuShowChanges, *mnuRecords;
    QMenu* mnuRecent;
    QPushButton *cmdExport, *cmdImport, *cmdLoops, *cmdTopics, *cmdSpellCheck, *cmdOptions, *cmdList;
    QRadioButton *optPure, *optHTML, *optPHP;
    QCheckBox* chkClones;
    std::array<QLabel*, kCountLabels> lblCount{};
    std::array<QLabel*, kCountLabels> lblRecName{};
    QLabel* lblSaves;
    QLabel* lblLog;
    QProgressBar* pb;
};

} // namespace vellum::app
