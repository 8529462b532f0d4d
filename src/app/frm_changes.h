// The modeless Show Changes dialog: every text that differs from the file as last opened or saved, with its
// topic, speaker and response ID and the changed words marked. A row can be reverted on its own (an undoable
// step of the main window), and the list saved as a unified diff.
#pragma once

#include <QDialog>
#include <vector>

#include "dialogue/change_list.h"
#include "store/changes.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace vellum::app {

class FrmMain;

class FrmChanges : public QDialog {
    Q_OBJECT
  public:
    explicit FrmChanges(FrmMain& window);
    // Lists the changes afresh (on opening, and whenever the records change while open).
    void refill();
    void cmdRevert_Click();
    void cmdSaveDiff_Click();
    const std::vector<TextChange>& changes() const { return changes_; }

    QTableWidget* lstChanges;
    QLabel* lblSummary;
    QPushButton *cmdRevert, *cmdSaveDiff, *cmdClose;

  private:
    FrmMain& window_;
    std::vector<TextChange> changes_;
};

// The HTML of a text with its changed words marked: removed ones struck through on red (before), added ones
// on green (after).
QString MarkedText(const std::vector<DiffPiece>& pieces, bool before);

} // namespace vellum::app
