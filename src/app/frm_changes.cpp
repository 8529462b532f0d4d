#include "frm_changes.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "dialogue/change_list.h"
#include "frm_main.h"
#include "shell/shell.h"
#include "win1252.h"

namespace vellum::app {

namespace {

QString Shown(const std::string& text) {
    QString s = FromCp1252(text).toHtmlEscaped();
    s.replace("\r\n", "<br>");
    s.replace("\n", "<br>");
    return s;
}

QLabel* TextCell(const QString& html) {
    auto* label = new QLabel(html);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setContentsMargins(4, 2, 4, 2);
    return label;
}

} // namespace

QString MarkedText(const std::vector<DiffPiece>& pieces, bool before) {
    QString html;
    for (const DiffPiece& p : pieces) {
        if (p.kind == DiffKind::Same)
            html += Shown(p.text);
        else if (p.kind == DiffKind::Removed && before)
            html += "<span style=\"background:#f8c8c8;text-decoration:line-through\">" + Shown(p.text) +
                    "</span>";
        else if (p.kind == DiffKind::Added && !before)
            html += "<span style=\"background:#c0ecc0\">" + Shown(p.text) + "</span>";
    }
    return html;
}

FrmChanges::FrmChanges(FrmMain& window) : QDialog(&window), window_(window) {
    setObjectName("frmChanges");
    setWindowTitle("Vellum - Changes");
    setModal(false);
    lblSummary = new QLabel(this);
    lblSummary->setObjectName("lblSummary");
    lstChanges = new QTableWidget(0, 5, this);
    lstChanges->setObjectName("lstChanges");
    lstChanges->setHorizontalHeaderLabels({"Topic", "Speaker", "Response ID", "Before", "After"});
    lstChanges->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstChanges->setSelectionMode(QAbstractItemView::SingleSelection);
    lstChanges->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstChanges->verticalHeader()->setVisible(false);
    lstChanges->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    lstChanges->horizontalHeader()->setStretchLastSection(true);
    for (int column = 0; column < 4; ++column) lstChanges->setColumnWidth(column, column == 3 ? 240 : 130);
    cmdRevert = new QPushButton("&Revert", this);
    cmdRevert->setObjectName("cmdRevert");
    cmdRevert->setToolTip("Give the selected text back what the file holds (Undo takes this back).");
    cmdSaveDiff = new QPushButton("&Save as Diff...", this);
    cmdSaveDiff->setObjectName("cmdSaveDiff");
    cmdClose = new QPushButton("&Close", this);
    cmdClose->setObjectName("cmdClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRevert);
    buttons->addWidget(cmdSaveDiff);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(lstChanges, 1);
    layout->addLayout(buttons);
    resize(900, 420);
    connect(cmdRevert, &QPushButton::clicked, this, [this] { cmdRevert_Click(); });
    connect(cmdSaveDiff, &QPushButton::clicked, this, [this] { cmdSaveDiff_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    refill();
}

void FrmChanges::refill() {
    changes_ = window_.history().changesSinceSaved(window_.store());
    lstChanges->setRowCount(0);
    lstChanges->setRowCount(static_cast<int>(changes_.size()));
    for (size_t k = 0; k < changes_.size(); ++k) {
        const TextChange& c = changes_[k];
        const ChangeRow row = DescribeChange(window_.store(), c);
        const int r = static_cast<int>(k);
        QString topic = FromCp1252(row.topic);
        if (row.what != "text") topic += " (" + QString::fromLatin1(row.what.c_str()) + ")";
        lstChanges->setItem(r, 0, new QTableWidgetItem(topic));
        lstChanges->setItem(r, 1, new QTableWidgetItem(FromCp1252(row.speaker)));
        lstChanges->setItem(r, 2, new QTableWidgetItem(FromCp1252(row.id)));
        const std::vector<DiffPiece> pieces = WordDiff(c.before.text, c.after.text);
        lstChanges->setCellWidget(r, 3, TextCell(MarkedText(pieces, true)));
        lstChanges->setCellWidget(r, 4, TextCell(MarkedText(pieces, false)));
    }
    lstChanges->resizeRowsToContents();
    const ChangeCounts counts = CountChanges(changes_);
    const std::string counted = ChangedLogLine(counts); // "-Changed ... topics."
    lblSummary->setText(changes_.empty() ? QString("The records are as the file holds them.")
                                         : FromCp1252(counted.substr(1, counted.size() - 2)) +
                                               " since the file was opened or saved.");
    cmdRevert->setEnabled(!changes_.empty());
    cmdSaveDiff->setEnabled(!changes_.empty());
}

void FrmChanges::cmdRevert_Click() {
    const int r = lstChanges->currentRow();
    if (r < 0 || static_cast<size_t>(r) >= changes_.size()) return;
    window_.revertChange(changes_[static_cast<size_t>(r)]);
    refill();
    lstChanges->setCurrentCell(std::min(r, lstChanges->rowCount() - 1), 0);
}

void FrmChanges::cmdSaveDiff_Click() {
    const QString chosen =
        window_.askFile({true, "Save changes as diff", "Diff files (*.diff)|*.diff|All Files (*.*)| *.*", 1,
                         window_.openFolder(), "diff"});
    if (chosen.isEmpty()) return;
    QFile file(chosen);
    const QByteArray bytes = FromCp1252(UnifiedDiff(window_.store(), changes_)).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        window_.appendLog("-The changes could not be written to " + QuotedName(ToPath(chosen)) + ".");
        return;
    }
    window_.appendLog("-Saved the changes to " + QuotedName(ToPath(chosen)) + ".");
}

} // namespace vellum::app
