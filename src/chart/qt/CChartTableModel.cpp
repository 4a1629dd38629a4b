#include "chart/qt/CChartTableModel.h"

#include <QColor>
#include <algorithm>
#include <functional>

#include "chart/ChartPayload.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {

CChartTableModel::CChartTableModel(CChartModel& chart, QObject* parent)
    : QAbstractTableModel(parent), chart_(chart) {}

int CChartTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : chart_.RowCount();
}

int CChartTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : chart_.ColumnCount();
}

QString CChartTableModel::DisplayText(int row, int column) const {
    const std::string& cell = chart_.Cell(row, column);
    if (cell.size() <= kDisplayMaxBytes)
        return FromCp932(cell);
    return FromCp932(CutCp932(cell, kDisplayMaxBytes)) + QStringLiteral("...");
}

QVariant CChartTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return DisplayText(index.row(), index.column());
        case Qt::EditRole:
            return FromCp932(chart_.Cell(index.row(), index.column()));
        case Qt::BackgroundRole:
            // Alternate light green and light yellow so long rows stay readable.
            return index.row() % 2 == 0 ? QColor(0xDD, 0xFF, 0xDD) : QColor(0xFF, 0xFF, 0xDD);
        case Qt::TextAlignmentRole:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant CChartTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return FromCp932(chart_.Header(section));
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return {};
}

Qt::ItemFlags CChartTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool CChartTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    Cp932Conversion text = ToCp932(value.toString());
    if (text.text == chart_.Cell(index.row(), index.column()))
        return false;
    chart_.SetCell(index.row(), index.column(), std::move(text.text));
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    if (text.replaced)
        emit TextReplaced();
    return true;
}

CChartResult CChartTableModel::AddColumn(std::string header) {
    if (chart_.ColumnCount() >= kChartMaxColumns)
        return chart_.AddColumn(std::move(header));
    const int at = chart_.ColumnCount();
    beginInsertColumns({}, at, at);
    CChartResult result = chart_.AddColumn(std::move(header));
    endInsertColumns();
    return result;
}

CChartResult CChartTableModel::AddRow() {
    if (chart_.ColumnCount() == 0 || chart_.RowCount() >= kChartMaxRows)
        return chart_.AddRow();
    const int at = chart_.RowCount();
    beginInsertRows({}, at, at);
    CChartResult result = chart_.AddRow();
    endInsertRows();
    return result;
}

CChartResult CChartTableModel::RemoveRow(int row) {
    if (row < 0 || row >= chart_.RowCount())
        return {};
    beginRemoveRows({}, row, row);
    CChartResult result = chart_.DeleteRow(row);
    endRemoveRows();
    return result;
}

int CChartTableModel::MoveRowDown(int row) {
    if (row < 0 || row >= chart_.RowCount())
        return -1;
    const int to = row + 1 == chart_.RowCount() ? 0 : row + 1;
    if (to == row)
        return row;
    beginMoveRows({}, row, row, {}, to > row ? to + 1 : to);
    chart_.MoveRowDown(row);
    endMoveRows();
    return to;
}

int CChartTableModel::MoveRowUp(int row) {
    if (row < 0 || row >= chart_.RowCount())
        return -1;
    const int to = row == 0 ? chart_.RowCount() - 1 : row - 1;
    if (to == row)
        return row;
    beginMoveRows({}, row, row, {}, to > row ? to + 1 : to);
    chart_.MoveRowUp(row);
    endMoveRows();
    return to;
}

int CChartTableModel::DeleteColumns(const std::vector<int>& columns) {
    std::vector<int> sorted = columns;
    std::sort(sorted.begin(), sorted.end(), std::greater<int>());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    int deleted = 0;
    for (int column : sorted) {
        if (column < 0 || column >= chart_.ColumnCount())
            continue;
        beginRemoveColumns({}, column, column);
        deleted += chart_.DeleteColumns({column});
        endRemoveColumns();
    }
    return deleted;
}

}  // namespace yarrow
