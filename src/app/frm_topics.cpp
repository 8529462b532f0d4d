#include "frm_topics.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "win1252.h"

namespace vellum::app {

// Questions go to the window's dialogs; progress to this dialog's bar.
class FrmTopics::DialogUi : public Ui {
  public:
    DialogUi(Ui& inner, QProgressBar* bar) : inner_(inner), bar_(bar) {}
    Answer messageBox(std::string_view text, std::string_view title, Buttons b, Icon i, Ask k) override {
        return inner_.messageBox(text, title, b, i, k);
    }
    std::optional<std::string> inputBox(std::string_view p, std::string_view t, std::string_view d) override {
        return inner_.inputBox(p, t, d);
    }
    void editResponse(ResponseEdit& e) override { inner_.editResponse(e); }
    void editResult(ResultEdit& e) override { inner_.editResult(e); }
    void setProgress(double f) override {
        bar_->setValue(static_cast<int>(f * 1000));
        bar_->repaint();
    }
    void appendLog(std::string_view line) override { inner_.appendLog(line); }

  private:
    Ui& inner_;
    QProgressBar* bar_;
};

FrmTopics::FrmTopics(QWidget* owner, RecordStore& store, Ui& ui) : QDialog(owner), store_(store), ui_(ui) {
    setObjectName("frmTopics");
    setWindowTitle("Vellum - Topics Renaming");
    setModal(false);
    lstTopics = new QListWidget(this);
    lstTopics->setObjectName("lstTopics");
    txtTopic = new QLineEdit(this);
    txtTopic->setObjectName("txtTopic");
    Label1 = new QLabel("Replace in:", this);
    Label1->setObjectName("Label1");
    chkText = new QCheckBox("Responses", this);
    chkText->setObjectName("chkText");
    chkText->setToolTip("Replace the topic name in responses.");
    chkText->setChecked(true);
    chkResults = new QCheckBox("Results", this);
    chkResults->setObjectName("chkResults");
    chkResults->setToolTip("Replace the topic name in dialogue results.");
    chkResults->setChecked(true);
    cmdCancel = new QPushButton("Cancel ", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdApply = new QPushButton("Apply ", this);
    cmdApply->setObjectName("cmdApply");
    cmdOk = new QPushButton("Ok ", this);
    cmdOk->setObjectName("cmdOk");
    pb = new QProgressBar(this);
    pb->setObjectName("pb");
    pb->setRange(0, 1000);
    pb->setTextVisible(false);

    auto* g = new QGridLayout(this);
    g->addWidget(lstTopics, 0, 0, 1, 3);
    g->addWidget(txtTopic, 1, 0, 1, 3);
    g->addWidget(Label1, 2, 0);
    g->addWidget(chkText, 2, 1);
    g->addWidget(chkResults, 2, 2);
    g->addWidget(cmdCancel, 3, 0);
    g->addWidget(cmdApply, 3, 1);
    g->addWidget(cmdOk, 3, 2);
    g->addWidget(pb, 4, 0, 1, 3);
    resize(250, 400);

    connect(lstTopics, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) txtTopic->setText(lstTopics->item(row)->text());
    });
    connect(txtTopic, &QLineEdit::editingFinished, this, [this] { validateTopic(); });
    // The buttons act after the text box has given up its text, as leaving the box does.
    connect(cmdApply, &QPushButton::clicked, this, [this] {
        validateTopic();
        cmdApply_Click();
    });
    connect(cmdOk, &QPushButton::clicked, this, [this] {
        validateTopic();
        cmdApply_Click();
        close();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
    setAttribute(Qt::WA_DeleteOnClose);
    refill();
}

void FrmTopics::refill() {
    rows_ = ListTopicRows(store_);
    lstTopics->clear();
    for (const TopicRow& r : rows_) lstTopics->addItem(FromCp1252(r.text));
    txtTopic->clear();
    if (!rows_.empty()) lstTopics->setCurrentRow(0);
}

void FrmTopics::validateTopic() {
    int row = lstTopics->currentRow();
    if (row < 0 || txtTopic->text().isEmpty()) return;
    lstTopics->item(row)->setText(txtTopic->text());
}

void FrmTopics::cmdApply_Click() {
    for (int i = 0; i < lstTopics->count() && i < static_cast<int>(rows_.size()); ++i)
        rows_[static_cast<size_t>(i)].text = ToCp1252(lstTopics->item(i)->text());
    RenameOptions options;
    options.responses = chkText->isChecked();
    options.results = chkResults->isChecked();
    DialogUi ui(ui_, pb);
    RenameOutcome outcome;
    const auto apply = [&] { outcome = ApplyTopicRenames(store_, rows_, options, ui); };
    if (runChanging)
        runChanging(apply);
    else
        apply();
    if (outcome.status == RenameStatus::StaleRows) refill();
    pb->setValue(0);
}

} // namespace vellum::app
