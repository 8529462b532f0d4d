// The clean-up options dialog.
#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "morrowindize/options.h"

class QCheckBox;
class QPushButton;

namespace vellum::app {

class FrmOptions : public QDialog {
    Q_OBJECT
  public:
    // Shows the options; OK writes the boxes back into options, Cancel leaves them as they were.
    FrmOptions(QWidget* owner, MorrowindizeOptions& options);
    QCheckBox* box(const std::string& name) const { return boxes_.at(name); }
    QPushButton *cmdOptOk, *cmdOptCancel;

  private:
    void chkCapClicked();
    MorrowindizeOptions& options_;
    std::map<std::string, QCheckBox*> boxes_;
};

} // namespace vellum::app
