// The window's side of the interface between the tools and the user: log lines and progress go to the main
// window's panels, questions go to real Qt dialogs (or, in tests, to a scripted stand-in).
#pragma once

#include <QWidget>

#include "ui.h"

namespace vellum::app {

// Questions asked with Qt's message boxes, input boxes and the program's editing dialogs.
class QtDialogs : public Ui {
  public:
    explicit QtDialogs(QWidget* owner) : owner_(owner) {}
    Answer messageBox(std::string_view text, std::string_view title, Buttons buttons, Icon icon,
                      Ask kind) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;
    void editResponse(ResponseEdit& edit) override;
    void editResult(ResultEdit& edit) override;
    void setProgress(double) override {}
    void appendLog(std::string_view) override {}
    void setOwner(QWidget* owner) { owner_ = owner; }

  private:
    QWidget* owner_;
};

class FrmMain;

// What the tools see while they run from the main window.
class WindowUi : public Ui {
  public:
    WindowUi(FrmMain& window, Ui* dialogs) : window_(window), dialogs_(dialogs) {}
    void setDialogs(Ui* dialogs) { dialogs_ = dialogs; }
    Ui* dialogs() const { return dialogs_; }

    Answer messageBox(std::string_view text, std::string_view title, Buttons buttons, Icon icon,
                      Ask kind) override {
        return dialogs_->messageBox(text, title, buttons, icon, kind);
    }
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override {
        return dialogs_->inputBox(prompt, title, defaultText);
    }
    void editResponse(ResponseEdit& edit) override { dialogs_->editResponse(edit); }
    void editResult(ResultEdit& edit) override { dialogs_->editResult(edit); }
    void setProgress(double fraction) override;
    void appendLog(std::string_view line) override;

  private:
    FrmMain& window_;
    Ui* dialogs_;
};

} // namespace vellum::app
