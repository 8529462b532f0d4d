#include "frm_info.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "proper_case.h"

namespace vellum::app {

FrmINFO::FrmINFO(QWidget* owner) : QDialog(owner) {
    setObjectName("frmINFO");
    setWindowTitle("Vellum - Dialogue Editing");
    setModal(true);
    lblTopic = new QLabel("Topic: ", this);
    lblTopic->setObjectName("lblTopic");
    lblActor = new QLabel("Actor: ", this);
    lblActor->setObjectName("lblActor");
    txtINFO = new QPlainTextEdit(this);
    txtINFO->setObjectName("txtINFO");
    lblLength = new QLabel("Length: 0", this);
    lblLength->setObjectName("lblLength");
    cmdAccept = new QPushButton("&OK", this);
    cmdAccept->setObjectName("cmdAccept");
    cmdAccept->setToolTip("Accept changes.");
    cmdCancel = new QPushButton("&Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setToolTip("Cancel changes.");
    auto* head = new QHBoxLayout;
    head->addWidget(lblActor, 1);
    head->addWidget(lblTopic, 1);
    auto* foot = new QHBoxLayout;
    foot->addWidget(lblLength, 1);
    foot->addWidget(cmdAccept);
    foot->addWidget(cmdCancel);
    auto* v = new QVBoxLayout(this);
    v->addLayout(head);
    v->addWidget(txtINFO, 1);
    v->addLayout(foot);
    resize(520, 320);
    connect(txtINFO, &QPlainTextEdit::textChanged, this, [this] { textChanged(); });
    connect(cmdAccept, &QPushButton::clicked, this, [this] {
        Response = txtINFO->toPlainText().replace("\n", "\r\n");
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmINFO::fillFromVariables() {
    QString shown = Response;
    shown.replace("\r\n", "\n");
    txtINFO->setPlainText(shown);
    lblTopic->setText("Topic: " + Topic);
    lblActor->setText(Actor == "Journal Entry" ? Actor : "Actor: " + ProperCaseQ(Actor));
    textChanged();
}

void FrmINFO::showEvent(QShowEvent* event) {
    fillFromVariables();
    QDialog::showEvent(event);
}

void FrmINFO::textChanged() {
    // Line breaks count as the two characters they take in the file.
    qsizetype n = txtINFO->toPlainText().size() + txtINFO->toPlainText().count('\n');
    lblLength->setText(QString("Length: %1").arg(n));
    cmdAccept->setEnabled(n <= 512);
}

} // namespace vellum::app
