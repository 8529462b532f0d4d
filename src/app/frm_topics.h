// The modeless topic renaming dialog: one row per topic, edited in place, applied to the store.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "dialogue/rename_topics.h"
#include "store/store.h"
#include "ui.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vellum::app {

class FrmTopics : public QDialog {
    Q_OBJECT
  public:
    // ui receives the dialog's questions (its progress goes to the dialog's own bar).
    FrmTopics(QWidget* owner, RecordStore& store, Ui& ui);
    // Lists the store's topics afresh (on opening, and whenever the store is replaced while open).
    void refill();
    // Puts the text box into the selected row, unless it is empty (what leaving the box does).
    void validateTopic();
    void cmdApply_Click();

    QListWidget* lstTopics;
    QLineEdit* txtTopic;
    QLabel* Label1;
    QCheckBox *chkText, *chkResults;
    QPushButton *cmdCancel, *cmdApply, *cmdOk;
    QProgressBar* pb;
    // Runs the Apply (the main window keeps what it changed for undoing); unset, Apply runs as it is.
    std::function<void(const std::function<void()>& apply)> runChanging;

  private:
    class DialogUi;
    RecordStore& store_;
    Ui& ui_;
    std::vector<TopicRow> rows_;
};

} // namespace vellum::app
