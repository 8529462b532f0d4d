#include "frm_records.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

#include "esfile/body.h"
#include "esfile/esfile.h"
#include "frm_main.h"
#include "win1252.h"

namespace vellum::app {

namespace {

// A value as one line: line breaks of texts shown as a symbol.
QString Shown(const Field& f) {
    QString s = f.kind == Field::Kind::Text ? FromCp1252(f.value) : FromCp1252(ValueText(f));
    s.replace("\r\n", QStringLiteral(" \u21b5 "));
    s.replace('\n', QStringLiteral(" \u21b5 "));
    return s;
}

void AddField(QTreeWidgetItem* parent, const Field& f, const QString& name) {
    auto* item = new QTreeWidgetItem(parent);
    item->setText(0, name);
    if (f.kind != Field::Kind::Group && f.kind != Field::Kind::List) {
        item->setText(1, Shown(f));
        item->setToolTip(1, item->text(1));
        return;
    }
    item->setText(1, f.kind == Field::Kind::List ? Shown(f) : QString());
    for (size_t k = 0; k < f.items.size(); ++k)
        AddField(item, f.items[k],
                 f.items[k].name.empty() ? QString("[%1]").arg(k) : QString::fromStdString(f.items[k].name));
    item->setExpanded(f.kind == Field::Kind::Group);
}

} // namespace

void RecordListModel::fill(std::string_view bytes, const std::vector<RecordSpan>& all,
                           std::vector<size_t> spans) {
    beginResetModel();
    spans_ = std::move(spans);
    ids_.clear();
    names_.clear();
    ids_.reserve(spans_.size());
    names_.reserve(spans_.size());
    for (size_t s : spans_) {
        RecordTitle t = TitleOf(bytes, all[s]);
        ids_.push_back(FromCp1252(t.id));
        names_.push_back(FromCp1252(t.name));
    }
    endResetModel();
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(spans_.size());
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const auto row = static_cast<size_t>(index.row());
    return index.column() == 0 ? ids_[row] : names_[row];
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? QStringLiteral("ID") : QStringLiteral("Name");
}

FrmRecords::FrmRecords(FrmMain& window) : QDialog(&window), window_(window) {
    setObjectName("frmRecords");
    setWindowTitle("Records");
    lstTypes = new QListWidget;
    lstTypes->setObjectName("lstTypes");
    txtFilter = new QLineEdit;
    txtFilter->setObjectName("txtFilter");
    txtFilter->setPlaceholderText("Filter by ID or name");
    txtFilter->setClearButtonEnabled(true);
    records = new RecordListModel(this);
    filter = new QSortFilterProxyModel(this);
    filter->setSourceModel(records);
    filter->setFilterKeyColumn(-1);
    filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    lstRecords = new QTreeView;
    lstRecords->setObjectName("lstRecords");
    lstRecords->setModel(filter);
    lstRecords->setRootIsDecorated(false);
    lstRecords->setUniformRowHeights(true);
    lstRecords->header()->resizeSection(0, 180);
    trvFields = new QTreeWidget;
    trvFields->setObjectName("trvFields");
    trvFields->setHeaderLabels({"Field", "Value"});
    trvFields->header()->resizeSection(0, 190);

    auto* middle = new QWidget;
    auto* list = new QVBoxLayout(middle);
    list->setContentsMargins(0, 0, 0, 0);
    list->addWidget(txtFilter);
    list->addWidget(lstRecords);
    auto* split = new QSplitter;
    split->addWidget(lstTypes);
    split->addWidget(middle);
    split->addWidget(trvFields);
    split->setSizes({130, 340, 430});
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(split);
    resize(940, 560);

    connect(lstTypes, &QListWidget::currentRowChanged, this, [this] { showType(); });
    connect(txtFilter, &QLineEdit::textChanged, filter, &QSortFilterProxyModel::setFilterFixedString);
    connect(lstRecords->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { showRecord(); });
    refill();
}

void FrmRecords::refill() {
    const QString chosen = lstTypes->currentItem() ? lstTypes->currentItem()->data(Qt::UserRole).toString()
                                                   : QStringLiteral("DIAL");
    SilentUi quiet;
    const RecordStore& store = window_.store();
    bytes_ = BuildESFile(store, quiet, window_.totalCount(), FileTypeForName(window_.currentFile()));
    spans_ = FrameRecords(bytes_);
    std::map<std::string, int> counts;
    for (const RecordSpan& s : spans_) ++counts[TagName(s.tag)];
    const QSignalBlocker block(lstTypes);
    lstTypes->clear();
    for (const auto& [tag, n] : counts) {
        auto* item =
            new QListWidgetItem(QString("%1  (%2)").arg(QString::fromStdString(tag)).arg(n), lstTypes);
        item->setData(Qt::UserRole, QString::fromStdString(tag));
    }
    if (!chooseType(chosen) && lstTypes->count() > 0) lstTypes->setCurrentRow(0);
    showType();
}

bool FrmRecords::chooseType(const QString& tag) {
    for (int i = 0; i < lstTypes->count(); ++i)
        if (lstTypes->item(i)->data(Qt::UserRole).toString() == tag) {
            lstTypes->setCurrentRow(i);
            return true;
        }
    return false;
}

void FrmRecords::chooseRecord(int row) {
    lstRecords->setCurrentIndex(filter->index(row, 0));
}

void FrmRecords::showType() {
    std::vector<size_t> chosen;
    if (QListWidgetItem* item = lstTypes->currentItem()) {
        const uint32_t tag = TagValue(item->data(Qt::UserRole).toString().toStdString());
        for (size_t i = 0; i < spans_.size(); ++i)
            if (spans_[i].tag == tag) chosen.push_back(i);
    }
    records->fill(bytes_, spans_, std::move(chosen));
    trvFields->clear();
}

void FrmRecords::showRecord() {
    trvFields->clear();
    const QModelIndex at = filter->mapToSource(lstRecords->currentIndex());
    if (!at.isValid()) return;
    const size_t index = records->spanAt(at.row());
    const InspectedRecord r = InspectRecord(bytes_, spans_[index]);
    auto* root = trvFields->invisibleRootItem();
    AddField(root, {"", Field::Kind::Integer, std::to_string(r.flags), {}}, "Flags");
    if (!r.whole) AddField(root, {"", Field::Kind::Hex, r.body, {}}, "Body");
    for (const Field& f : r.subs) AddField(root, f, QString::fromStdString(f.name));
    if (spans_[index].tag != "DIAL"_tag) return;
    // A topic: its responses, in order.
    auto* responses = new QTreeWidgetItem(root, {"Responses"});
    for (size_t i = index + 1; i < spans_.size() && spans_[i].tag == "INFO"_tag; ++i) {
        const RecordTitle t = TitleOf(bytes_, spans_[i]);
        auto* item = new QTreeWidgetItem(responses, {FromCp1252(t.id), FromCp1252(t.name)});
        item->setToolTip(1, item->text(1));
    }
    responses->setText(1, QString("%1 responses").arg(responses->childCount()));
    responses->setExpanded(true);
}

} // namespace vellum::app
