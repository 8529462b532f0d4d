// The record browser (View > Records): the record types of the loaded file with their counts, the records of
// the chosen type by ID and display name (filtered as you type), and the fields of the chosen record by
// name; for a topic, its responses in order. Read-only. Built on the record inspector (outline/outline.h),
// so every record type the field table describes shows here without code of its own.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <string>
#include <vector>

#include "outline/outline.h"

class QLineEdit;
class QListWidget;
class QSortFilterProxyModel;
class QTreeView;
class QTreeWidget;

namespace vellum::app {

class FrmMain;

// The records of one type: ID and display name, one row each, worked out once when the type is chosen.
class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;
    // Lists the records of spans (indexes into all) of the file bytes.
    void fill(std::string_view bytes, const std::vector<RecordSpan>& all, std::vector<size_t> spans);
    size_t spanAt(int row) const { return spans_[static_cast<size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<size_t> spans_;
    std::vector<QString> ids_, names_;
};

class FrmRecords : public QDialog {
    Q_OBJECT
  public:
    explicit FrmRecords(FrmMain& window);
    // Takes the records afresh from the window's store (on opening, and whenever it changes).
    void refill();
    // Chooses a record type by its tag ("NPC_"); false when the file holds none.
    bool chooseType(const QString& tag);
    // Chooses the row of the (filtered) record list.
    void chooseRecord(int row);

    QListWidget* lstTypes;
    QLineEdit* txtFilter;
    QTreeView* lstRecords;
    QTreeWidget* trvFields;
    QSortFilterProxyModel* filter;
    RecordListModel* records;

  private:
    void showType();
    void showRecord();

    FrmMain& window_;
    std::string bytes_;
    std::vector<RecordSpan> spans_;
};

} // namespace vellum::app
