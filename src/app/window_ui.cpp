#include "window_ui.h"

#include <QAbstractButton>
#include <QInputDialog>
#include <QMessageBox>

#include "frm_info.h"
#include "frm_info2.h"
#include "win1252.h"

namespace vellum::app {

Answer QtDialogs::messageBox(std::string_view text, std::string_view title, Buttons buttons, Icon icon,
                             Ask kind) {
    QMessageBox box(owner_);
    box.setWindowTitle(FromCp1252(title));
    box.setText(FromCp1252(text).replace("\r\n", "\n"));
    switch (icon) {
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (buttons) {
    case Buttons::OK: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    if (kind == Ask::SaveDamaged && buttons == Buttons::YesNoCancel) {
        // The buttons say what they do; the safe one is the default.
        box.button(QMessageBox::Yes)->setText("Save a &repaired copy as...");
        box.button(QMessageBox::No)->setText("&Overwrite");
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    if (kind == Ask::SaveChanges && buttons == Buttons::YesNoCancel) {
        box.button(QMessageBox::Yes)->setText("&Save");
        box.button(QMessageBox::No)->setText("Do&n't Save");
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default:
        return buttons == Buttons::OK ? Answer::OK
                                      : (buttons == Buttons::YesNo ? Answer::No : Answer::Cancel);
    }
}

std::optional<std::string> QtDialogs::inputBox(std::string_view prompt, std::string_view title,
                                               std::string_view defaultText) {
    bool ok = false;
    QString text = QInputDialog::getText(owner_, FromCp1252(title), FromCp1252(prompt), QLineEdit::Normal,
                                         FromCp1252(defaultText), &ok);
    if (!ok) return std::nullopt;
    return ToCp1252(text);
}

void QtDialogs::editResponse(ResponseEdit& edit) {
    FrmINFO dialog(owner_);
    dialog.Actor = FromCp1252(edit.Actor);
    dialog.Topic = FromCp1252(edit.Topic);
    dialog.Response = FromCp1252(edit.Response);
    dialog.exec();
    edit.Response = ToCp1252(dialog.Response);
}

void QtDialogs::editResult(ResultEdit& edit) {
    FrmINFO2 dialog(owner_);
    dialog.Actor = FromCp1252(edit.Actor);
    dialog.Topic = FromCp1252(edit.Topic);
    dialog.Response = FromCp1252(edit.Response);
    dialog.Result = FromCp1252(edit.Result);
    dialog.Choice = edit.Choice;
    // Closing the window by its frame or with Escape leaves the caller's answer (the loop check presets
    // Skip).
    dialog.fiAccept = FromCp1252(edit.fiAccept);
    dialog.exec();
    edit.Response = ToCp1252(dialog.Response);
    edit.Result = ToCp1252(dialog.Result);
    edit.fiAccept = ToCp1252(dialog.fiAccept);
}

} // namespace vellum::app
