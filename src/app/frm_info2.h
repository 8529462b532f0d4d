// The result editor of the loop check: a response's text and result script, with OK, Cancel and Skip.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vellum::app {

class FrmINFO2 : public QDialog {
    Q_OBJECT
  public:
    explicit FrmINFO2(QWidget* owner);
    // The caller's public variables.
    QString Actor, Topic, Response, Result;
    QString fiAccept; // "0" OK, "1" Cancel, "2" Skip
    int Choice = 0;
    // Puts the variables back into the controls, over anything typed since (done when the dialog is shown,
    // and whenever the caller asks it to repaint from its variables).
    void fillFromVariables();

    QLabel *lblActor, *lblTopic, *Label1, *Label2, *lblChoice;
    QPlainTextEdit *txtINFO, *txtResult;
    QPushButton *cmdAccept, *cmdCancel, *cmdSkip;

  protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace vellum::app
