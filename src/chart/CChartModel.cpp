#include "chart/CChartModel.h"

#include <algorithm>
#include <functional>

#include "platform/Cp932.h"

namespace yarrow {
namespace {

const std::string& Empty() {
    static const std::string empty;
    return empty;
}

CChartResult Refused(const char* utf8Text) {
    CChartResult result;
    result.message = Sjis(utf8Text);
    result.caption = Sjis("エラー");
    return result;
}

}  // namespace

CChartModel::CChartModel() : caption_(Sjis("表")) {
    headers_.push_back(Sjis("名前"));
    rows_.emplace_back(1);
}

const std::string& CChartModel::Header(int column) const {
    if (column < 0 || column >= ColumnCount())
        return Empty();
    return headers_[column];
}

const std::string& CChartModel::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount())
        return Empty();
    return rows_[row][column];
}

void CChartModel::SetHeader(int column, std::string text) {
    if (column < 0 || column >= ColumnCount())
        return;
    headers_[column] = std::move(text);
}

void CChartModel::SetCell(int row, int column, std::string text) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount())
        return;
    rows_[row][column] = std::move(text);
}

void CChartModel::SetSpin(int value) {
    spin_ = std::clamp(value, kChartSpinMin, kChartSpinMax);
}

CChartResult CChartModel::AddColumn(std::string header) {
    // The chart starts with one column, so the user sees "255 more".
    if (ColumnCount() >= kChartMaxColumns)
        return Refused("表に追加できる列は255個までです");
    headers_.push_back(std::move(header));
    for (auto& row : rows_)
        row.emplace_back();
    CChartResult result;
    result.changed = true;
    return result;
}

CChartResult CChartModel::AddRow() {
    if (ColumnCount() == 0)
        return {};
    if (RowCount() >= kChartMaxRows)
        return Refused("表に追加できる行は255個までです");
    rows_.emplace_back(headers_.size());
    CChartResult result;
    result.changed = true;
    return result;
}

CChartResult CChartModel::DeleteRow(int row) {
    CChartResult result;
    if (row < 0 || row >= RowCount())
        return result;
    rows_.erase(rows_.begin() + row);
    result.changed = true;
    return result;
}

int CChartModel::MoveRowDown(int row) {
    if (row < 0 || row >= RowCount())
        return -1;
    auto moved = std::move(rows_[row]);
    rows_.erase(rows_.begin() + row);
    const int target = row == RowCount() ? 0 : row + 1;
    rows_.insert(rows_.begin() + target, std::move(moved));
    return target;
}

int CChartModel::MoveRowUp(int row) {
    if (row < 0 || row >= RowCount())
        return -1;
    auto moved = std::move(rows_[row]);
    rows_.erase(rows_.begin() + row);
    const int target = row == 0 ? RowCount() : row - 1;
    rows_.insert(rows_.begin() + target, std::move(moved));
    return target;
}

int CChartModel::DeleteColumns(std::vector<int> columns) {
    std::sort(columns.begin(), columns.end(), std::greater<int>());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    int deleted = 0;
    for (int column : columns) {
        if (column < 0 || column >= ColumnCount())
            continue;
        headers_.erase(headers_.begin() + column);
        for (auto& row : rows_)
            row.erase(row.begin() + column);
        ++deleted;
    }
    return deleted;
}

void CChartModel::Reset() {
    headers_.clear();
    rows_.clear();
    rows_.emplace_back();
    spin_ = 0;
}

void CChartModel::Assign(std::vector<std::string> headers,
                         std::vector<std::vector<std::string>> rows, int spin) {
    headers_ = std::move(headers);
    if (headers_.size() > static_cast<size_t>(kChartMaxColumns))
        headers_.resize(kChartMaxColumns);
    rows_ = std::move(rows);
    if (rows_.size() > static_cast<size_t>(kChartMaxRows))
        rows_.resize(kChartMaxRows);
    for (auto& row : rows_)
        row.resize(headers_.size());
    SetSpin(spin);
}

bool CChartModel::SetLock(bool locked, std::string lockerName) {
    if (locked == locked_)
        return false;
    locked_ = locked;
    lockerName_ = std::move(lockerName);
    if (locked_) {
        static const std::string format = Sjis("ロック中(%s)");
        const auto at = format.find("%s");
        caption_ = format.substr(0, at) + lockerName_ + format.substr(at + 2);
    } else {
        caption_ = "Yarrow";
    }
    return true;
}

}  // namespace yarrow
