#include "map/qt/CMapSlideDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace yarrow {
namespace {

QSpinBox* MakeShiftBox(const char* id, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(id));
    box->setRange(-CMapSlideDlg::kMaxShift, CMapSlideDlg::kMaxShift);
    box->setValue(0);
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    return box;
}

}  // namespace

CMapSlideDlg::CMapSlideDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("108"));
    setWindowTitle(QStringLiteral("Mapのスライド"));
    columns_ = MakeShiftBox("1032", this);
    rows_ = MakeShiftBox("1033", this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CMapSlideDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMapSlideDlg::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("行"), columns_);
    form->addRow(QStringLiteral("列"), rows_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

int CMapSlideDlg::ColumnShift() const {
    return columns_->value();
}

int CMapSlideDlg::RowShift() const {
    return rows_->value();
}

void CMapSlideDlg::SetShifts(int columns, int rows) {
    columns_->setValue(columns);
    rows_->setValue(rows);
}

}  // namespace yarrow
