#include "frm_about.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace vellum::app {

FrmAbout::FrmAbout(QWidget* owner) : QDialog(owner) {
    setObjectName("frmAbout");
    setWindowTitle("About Vellum");
    setModal(true);
    picIcon = new QLabel(this);
    picIcon->setObjectName("picIcon");
    picIcon->setPixmap(QIcon(":/vellum.svg").pixmap(48, 48));
    lblTitle = new QLabel("Vellum", this);
    lblTitle->setObjectName("lblTitle");
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblDescription =
        new QLabel("Parser and few-purpose editor for Elder Scrolls 3: Morrowind data, such as ESP, "
                   "ESM, ESS, and ESD files.",
                   this);
    lblDescription->setObjectName("lblDescription");
    lblDescription->setWordWrap(true);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName("lblVersion");
    lblVersion->setText(QString("Version %1.%2.%3")
                            .arg(VELLUM_VERSION_MAJOR)
                            .arg(VELLUM_VERSION_MINOR)
                            .arg(VELLUM_VERSION_PATCH));
    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    auto* grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(cmdOK, 3, 1, Qt::AlignRight);
    setMinimumWidth(380);
}

} // namespace vellum::app
