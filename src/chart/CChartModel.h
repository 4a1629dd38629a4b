#pragma once
// The shared chart as data: named columns, rows of text cells, the number box
// and the lock state. Every text is code page 932. The window only shows this
// model, so every rule here is testable without a window.
//
// Invariant: every row holds exactly ColumnCount() cells.

#include <cstdint>
#include <string>
#include <vector>

#include "chart/CChartResult.h"

namespace yarrow {

inline constexpr int kChartMaxRows = 256;
inline constexpr int kChartMaxColumns = 256;
inline constexpr int kChartSpinMin = 0;
inline constexpr int kChartSpinMax = 100;

class CChartModel {
  public:
    // One column headed "名前", one empty row, number box 0, unlocked.
    CChartModel();

    int ColumnCount() const { return static_cast<int>(headers_.size()); }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const std::string& Header(int column) const;
    const std::string& Cell(int row, int column) const;
    // Out-of-range positions are ignored.
    void SetHeader(int column, std::string text);
    void SetCell(int row, int column, std::string text);

    int Spin() const { return spin_; }
    // Clamped to the number box range.
    void SetSpin(int value);

    // Appends a column (any header, also empty); refused at the column limit.
    CChartResult AddColumn(std::string header);
    // Appends an empty row; does nothing without a column, refused at the
    // row limit.
    CChartResult AddRow();
    CChartResult DeleteRow(int row);
    // Moves a row one place down; the last row wraps to the top. Returns the
    // row's new position, or -1 when `row` is out of range.
    int MoveRowDown(int row);
    // Moves a row one place up; the first row wraps to the bottom.
    int MoveRowUp(int row);
    // Deletes the given column positions, highest first, so that the earlier
    // positions stay valid while deleting. Duplicates and invalid positions
    // are skipped. Returns the number of columns deleted.
    int DeleteColumns(std::vector<int> columns);
    // No column at all, one empty row, number box 0. The first header is not
    // recreated: after a reset a column must be added before rows can be.
    void Reset();
    // Replaces everything but the lock state.
    void Assign(std::vector<std::string> headers, std::vector<std::vector<std::string>> rows,
                int spin);

    // Lock state. Returns false (and changes nothing) when `locked` equals the
    // current state: a second locker does not replace the first one's name.
    bool SetLock(bool locked, std::string lockerName);
    bool Locked() const { return locked_; }
    const std::string& LockerName() const { return lockerName_; }
    // "表" until the first lock; then "ロック中(name)" while locked and
    // "Yarrow" after an unlock.
    const std::string& Caption() const { return caption_; }

  private:
    std::vector<std::string> headers_;
    std::vector<std::vector<std::string>> rows_;
    int spin_ = 0;
    bool locked_ = false;
    std::string lockerName_;
    std::string caption_;
};

}  // namespace yarrow
