#include "frm_options.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "win1252.h"

namespace vellum::app {

namespace {
QString Q(std::string_view s) {
    return FromCp1252(s);
}
} // namespace

FrmOptions::FrmOptions(QWidget* owner, MorrowindizeOptions& options) : QDialog(owner), options_(options) {
    setObjectName("frmOptions");
    setWindowTitle(Q(kOptionsDialogCaption));
    setModal(true);
    auto* v = new QVBoxLayout(this);
    // The boxes stand in the form's order.
    for (std::string_view name : OptionsFormOrder()) {
        for (const MorrowindizeOptionInfo& info : MorrowindizeOptionList()) {
            if (info.checkBox != name) continue;
            auto* b = new QCheckBox(Q(info.caption), this);
            b->setObjectName(Q(name));
            b->setToolTip(Q(info.toolTip));
            boxes_[std::string(name)] = b;
            v->addWidget(b);
        }
    }
    box("chkEllipsis")->setEnabled(false);
    connect(box("chkCap"), &QCheckBox::toggled, this, [this] { chkCapClicked(); });
    // Loading sets each box from its option, in the load order.
    for (std::string_view name : OptionsLoadOrder()) {
        for (const MorrowindizeOptionInfo& info : MorrowindizeOptionList())
            if (info.checkBox == name) box(std::string(name))->setChecked(options_.*(info.flag));
    }
    chkCapClicked();
    cmdOptOk = new QPushButton("Ok", this);
    cmdOptOk->setObjectName("cmdOptOk");
    cmdOptOk->setToolTip("Accept changes.");
    cmdOptCancel = new QPushButton("Cancel", this);
    cmdOptCancel->setObjectName("cmdOptCancel");
    cmdOptCancel->setToolTip("Cancel changes.");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOptOk);
    buttons->addWidget(cmdOptCancel);
    v->addLayout(buttons);
    connect(cmdOptOk, &QPushButton::clicked, this, [this] {
        for (const MorrowindizeOptionInfo& info : MorrowindizeOptionList())
            options_.*(info.flag) = box(std::string(info.checkBox))->isChecked();
        accept();
    });
    connect(cmdOptCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmOptions::chkCapClicked() {
    QCheckBox* ellipsis = box("chkEllipsis");
    if (box("chkCap")->isChecked()) {
        ellipsis->setEnabled(true);
    } else {
        ellipsis->setChecked(false);
        ellipsis->setEnabled(false);
    }
}

} // namespace vellum::app
