#pragma once
// The grid's view of the chart model. Every change to the chart's shape goes
// through here so the grid hears of it with the narrowest signal: row moves
// and inserts keep the column widths, only whole rebuilds reset the grid.

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "chart/CChartModel.h"

namespace yarrow {

class CChartTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // The longest part of a cell that is shown; the rest only ever shows as
    // "..." and converting megabytes on every paint would stall the window.
    static constexpr std::size_t kDisplayMaxBytes = 4096;

    CChartTableModel(CChartModel& chart, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The text a cell shows (cut for very long cells).
    QString DisplayText(int row, int column) const;

    CChartResult AddColumn(std::string header);
    CChartResult AddRow();
    CChartResult RemoveRow(int row);
    int MoveRowDown(int row);
    int MoveRowUp(int row);
    int DeleteColumns(const std::vector<int>& columns);
    // Any other change of the whole chart (reset, a received chart, a file).
    template <typename Change>
    auto Rebuild(Change change) {
        beginResetModel();
        struct End {
            CChartTableModel* model;
            ~End() { model->endResetModel(); }
        } end{this};
        return change(chart_);
    }

  signals:
    // A cell was edited in place to a text code page 932 cannot fully hold.
    void TextReplaced();

  private:
    CChartModel& chart_;
};

}  // namespace yarrow
