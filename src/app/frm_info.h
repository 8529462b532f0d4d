// The response editor: one response text, its topic and actor, with the game's 512-character limit.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vellum::app {

class FrmINFO : public QDialog {
    Q_OBJECT
  public:
    explicit FrmINFO(QWidget* owner);
    // The caller's public variables: set before showing, Response read back afterwards.
    QString Actor, Topic, Response;
    // Fills the controls from the variables (done each time the dialog is shown).
    void fillFromVariables();

    QLabel *lblTopic, *lblActor, *lblLength;
    QPlainTextEdit* txtINFO;
    QPushButton *cmdAccept, *cmdCancel;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void textChanged();
};

} // namespace vellum::app
