#pragma once
// "Mapのスライド": two shifts of -20..20 with spin buttons, both starting at
// 0. The box labelled "行" (1032) gives the column shift, the box labelled
// "列" (1033) the row shift.

#include <QDialog>

class QSpinBox;

namespace yarrow {

class CMapSlideDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxShift = 20;

    explicit CMapSlideDlg(QWidget* parent = nullptr);

    int ColumnShift() const;
    int RowShift() const;
    void SetShifts(int columns, int rows);

    QSpinBox* ColumnBox() const { return columns_; }
    QSpinBox* RowBox() const { return rows_; }

  private:
    QSpinBox* columns_ = nullptr;
    QSpinBox* rows_ = nullptr;
};

}  // namespace yarrow
