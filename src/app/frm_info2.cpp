#include "frm_info2.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "proper_case.h"

namespace vellum::app {

namespace {
QString FromEditor(const QPlainTextEdit* e) {
    return e->toPlainText().replace("\n", "\r\n");
}
QString ToEditor(QString s) {
    return s.replace("\r\n", "\n");
}
} // namespace

FrmINFO2::FrmINFO2(QWidget* owner) : QDialog(owner) {
    setObjectName("frmINFO2");
    setWindowTitle("Vellum - Dialogue Editing");
    setModal(true);
    auto label = [this](QLabel*& l, const char* name, const char* text) {
        l = new QLabel(QString::fromLatin1(text), this);
        l->setObjectName(name);
        return l;
    };
    label(lblActor, "lblActor", "Actor: ");
    label(lblTopic, "lblTopic", "Topic: ");
    label(Label1, "Label1", "Text")->setAlignment(Qt::AlignCenter);
    label(Label2, "Label2", "Result")->setAlignment(Qt::AlignCenter);
    label(lblChoice, "lblChoice", "Choice: ");
    txtINFO = new QPlainTextEdit(this);
    txtINFO->setObjectName("txtINFO");
    txtResult = new QPlainTextEdit(this);
    txtResult->setObjectName("txtResult");
    cmdAccept = new QPushButton("&OK", this);
    cmdAccept->setObjectName("cmdAccept");
    cmdAccept->setToolTip("Accept changes.");
    cmdCancel = new QPushButton("&Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setToolTip("Cancel changes.");
    cmdSkip = new QPushButton("&Skip", this);
    cmdSkip->setObjectName("cmdSkip");

    auto* head = new QHBoxLayout;
    head->addWidget(lblActor, 1);
    head->addWidget(lblTopic, 1);
    auto* foot = new QHBoxLayout;
    foot->addWidget(lblChoice, 1);
    foot->addWidget(cmdAccept);
    foot->addWidget(cmdCancel);
    foot->addWidget(cmdSkip);
    auto* v = new QVBoxLayout(this);
    v->addLayout(head);
    v->addWidget(Label1);
    v->addWidget(txtINFO, 2);
    v->addWidget(Label2);
    v->addWidget(txtResult, 1);
    v->addLayout(foot);
    resize(580, 410);

    connect(cmdAccept, &QPushButton::clicked, this, [this] {
        Response = FromEditor(txtINFO);
        Result = FromEditor(txtResult);
        fiAccept = "0";
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        fiAccept = "1";
        reject();
    });
    connect(cmdSkip, &QPushButton::clicked, this, [this] {
        fiAccept = "2";
        reject();
    });
}

void FrmINFO2::fillFromVariables() {
    txtINFO->setPlainText(ToEditor(Response));
    txtResult->setPlainText(ToEditor(Result));
    lblChoice->setText(QString("Choice: %1").arg(Choice));
    lblTopic->setText("Topic: " + Topic);
    lblActor->setText("Actor: " + ProperCaseQ(Actor));
}

void FrmINFO2::showEvent(QShowEvent* event) {
    fillFromVariables();
    QDialog::showEvent(event);
}

} // namespace vellum::app
