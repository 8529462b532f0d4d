// The About box.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vellum::app {

class FrmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit FrmAbout(QWidget* owner);
    QLabel *picIcon, *lblTitle, *lblDescription, *lblVersion;
    QPushButton* cmdOK;
};

} // namespace vellum::app
