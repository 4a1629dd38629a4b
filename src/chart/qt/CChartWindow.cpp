#include "chart/qt/CChartWindow.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "chart/CChartFile.h"
#include "chart/ChartPayload.h"
#include "chart/qt/CChartDialogs.h"
#include "chart/qt/CChartItemDelegate.h"
#include "chart/qt/CChartTableModel.h"
#include "chart/qt/CTextWidthMeter.h"
#include "net/CMsg.h"
#include "net/ISessionPort.h"
#include "platform/IPrompter.h"
#include "platform/Trace.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {
namespace {

constexpr int kNewColumnWidth = 100;
constexpr int kMinColumnWidth = 50;
constexpr qsizetype kMaxEditChars = 32767;

QPushButton* MakeButton(const QString& text, const char* id, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(id));
    button->setAutoDefault(false);
    return button;
}

QAction* MakeAction(QMenu* menu, const QString& text, const char* id) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(id));
    return action;
}

}  // namespace

CChartWindow::CChartWindow(ISessionPort& session, IPrompter& prompter, QWidget* parent,
                           std::unique_ptr<IChartDialogs> dialogs)
    : QDialog(parent),
      session_(session),
      prompter_(prompter),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<CChartDialogs>()) {
    setObjectName(QStringLiteral("103"));
    setWindowTitle(FromCp932(chart_.Caption()));
    setModal(false);

    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("118"));
    QMenu* fileMenu = menuBar->addMenu(QStringLiteral("ファイル"));
    connect(MakeAction(fileMenu, QStringLiteral("開く(&O)"), "32805"), &QAction::triggered, this,
            &CChartWindow::OpenChartFile);
    connect(MakeAction(fileMenu, QStringLiteral("名前を付けて保存(&A)"), "32806"),
            &QAction::triggered, this, &CChartWindow::SaveChartFile);
    QMenu* functionMenu = menuBar->addMenu(QStringLiteral("機能"));
    connect(MakeAction(functionMenu, QStringLiteral("列の削除(&D)"), "32804"), &QAction::triggered,
            this, &CChartWindow::DeleteColumns);
    connect(MakeAction(functionMenu, QStringLiteral("表のリセット(&R)"), "32803"),
            &QAction::triggered, this, &CChartWindow::ResetChart);

    addRow_ = MakeButton(QStringLiteral("行の追加"), "1043", this);
    addColumn_ = MakeButton(QStringLiteral("列の追加"), "1042", this);
    up_ = MakeButton(QStringLiteral("▲"), "1045", this);
    down_ = MakeButton(QStringLiteral("▼"), "1046", this);
    spin_ = new QSpinBox(this);
    spin_->setObjectName(QStringLiteral("1044"));
    spin_->setRange(kChartSpinMin, kChartSpinMax);
    update_ = MakeButton(QStringLiteral("更新"), "1040", this);
    connect(addRow_, &QPushButton::clicked, this, &CChartWindow::AddRow);
    connect(addColumn_, &QPushButton::clicked, this, &CChartWindow::AddColumn);
    connect(up_, &QPushButton::clicked, this, &CChartWindow::MoveSelectedRowUp);
    connect(down_, &QPushButton::clicked, this, &CChartWindow::MoveSelectedRowDown);
    connect(update_, &QPushButton::clicked, this, &CChartWindow::SendChart);
    connect(spin_, &QSpinBox::valueChanged, this, [this](int value) { chart_.SetSpin(value); });

    model_ = new CChartTableModel(chart_, this);
    connect(model_, &CChartTableModel::TextReplaced, this, [this] {
        // The editor is still closing; tell the user once it is gone.
        QTimer::singleShot(0, this, &CChartWindow::TellTextReplaced);
    });
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("1038"));
    grid_->setModel(model_);
    grid_->setItemDelegate(new CChartItemDelegate(grid_));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setShowGrid(true);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setDefaultSectionSize(kNewColumnWidth);
    grid_->horizontalHeader()->setMinimumSectionSize(1);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->installEventFilter(this);
    connect(grid_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { EditCell(index.row(), index.column()); });

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addWidget(addRow_);
    buttons->addWidget(addColumn_);
    buttons->addWidget(up_);
    buttons->addWidget(down_);
    buttons->addWidget(spin_);
    buttons->addStretch(1);
    buttons->addWidget(update_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);
    resize(480, 320);
}

CChartWindow::~CChartWindow() {
    // The grid and its model read the chart, which goes before the QDialog
    // base tears the children down (and hides them, which repaints).
    delete grid_;
    delete model_;
}

void CChartWindow::SetChartLock(bool locked, const std::string& lockerName) {
    if (!chart_.SetLock(locked, lockerName))
        return;
    setWindowTitle(FromCp932(chart_.Caption()));
    update_->setText(locked ? QStringLiteral("ﾛｯｸ解除") : QStringLiteral("更新"));
    for (QWidget* control : {static_cast<QWidget*>(addColumn_), static_cast<QWidget*>(addRow_),
                             static_cast<QWidget*>(up_), static_cast<QWidget*>(down_)}) {
        control->setEnabled(!locked);
    }
    // The number box's text is locked, its arrows are not.
    if (auto* field = spin_->findChild<QLineEdit*>())
        field->setEnabled(!locked);
}

void CChartWindow::AnnounceChartLock() {
    if (!session_.IsConnected())
        return;
    session_.SendText(session_.MyName(), ChartLock);
}

void CChartWindow::SendChart() {
    if (chart_.Locked()) {
        // Built from bytes: the locker's name goes into the question exactly
        // as it came over the wire.
        const std::string question =
            Sjis("現在表は") + chart_.LockerName() +
            Sjis("さんによってロックされています。\r\nロックを強制的に解除しますか？");
        if (prompter_.Ask(question, Sjis("確認"), PromptIcon::Question, PromptButtons::YesNo) ==
            PromptAnswer::Yes) {
            // Only here: the others stay locked until someone sends the chart.
            SetChartLock(false, {});
        }
        return;
    }
    if (!session_.IsConnected())
        return;
    session_.DoSerialize(BuildChartMsg(chart_, session_.MyID()));
}

void CChartWindow::ApplyChart(const CMsg& msg) {
    ++received_;
    SetChartLock(false, {});
    // Rebuilding closes an unfinished in-place edit without taking its text:
    // the chart last sent wins everywhere.
    grid_->setUpdatesEnabled(false);
    model_->Rebuild([&](CChartModel& chart) { ApplyChartMsg(chart, msg); });
    {
        const QSignalBlocker block(spin_);
        spin_->setValue(chart_.Spin());
    }
    FitColumns();
    grid_->setUpdatesEnabled(true);
}

void CChartWindow::ShowChart() {
    QPointer<QWidget> focused = QApplication::focusWidget();
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (focused && focused->window() != window()) {
        focused->window()->activateWindow();
        focused->setFocus(Qt::OtherFocusReason);
    }
}

void CChartWindow::FitColumns() {
    CTextWidthMeter meter(grid_->font());
    QHeaderView* header = grid_->horizontalHeader();
    for (int c = 0; c < chart_.ColumnCount(); ++c) {
        int widest = 0;
        for (int r = 0; r < chart_.RowCount(); ++r) {
            widest = std::max(widest, meter.Width(model_->DisplayText(r, c)));
        }
        Trace("max:%d\r\n", widest);
        // The cell keeps its text padding, so the widest text is not shortened.
        const int width = widest + 2 * CChartItemDelegate::PaddingOf(c);
        header->resizeSection(c, std::max(kMinColumnWidth, width));
    }
}

void CChartWindow::OpenChartFile() {
    const std::optional<std::string> path = dialogs_->OpenFileName(this);
    if (!path) {
        FitColumns();
        return;
    }
    const CChartResult result =
        model_->Rebuild([&](CChartModel& chart) { return CChartFile::Load(*path, chart); });
    ShowResult(result);
    if (result.changed)
        FitColumns();
}

void CChartWindow::SaveChartFile() {
    const std::optional<std::string> path = dialogs_->SaveFileName(this);
    if (!path)
        return;
    ShowResult(CChartFile::Save(*path, chart_));
}

void CChartWindow::AddColumn() {
    if (chart_.Locked())
        return;
    const std::optional<QString> header = dialogs_->AskColumnHeader(this);
    // A lock may have arrived while the dialog was open.
    if (!header || chart_.Locked())
        return;
    Cp932Conversion text = ToCp932(*header);
    const CChartResult result = model_->AddColumn(std::move(text.text));
    ShowResult(result);
    if (!result.changed)
        return;
    grid_->horizontalHeader()->resizeSection(chart_.ColumnCount() - 1, kNewColumnWidth);
    if (text.replaced)
        TellTextReplaced();
    AnnounceChartLock();
}

void CChartWindow::AddRow() {
    if (chart_.Locked())
        return;
    const CChartResult result = model_->AddRow();
    ShowResult(result);
    if (result.changed)
        AnnounceChartLock();
}

void CChartWindow::DeleteSelectedRow() {
    if (chart_.Locked())
        return;
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    // A chart or a lock that arrives while the question is open changes what
    // the row number means: then nothing is deleted.
    const unsigned before = received_;
    if (prompter_.Ask(Sjis("アイテムを削除してよろしいですか？"), Sjis("確認"),
                      PromptIcon::Question, PromptButtons::YesNo) != PromptAnswer::Yes ||
        chart_.Locked() || received_ != before) {
        return;
    }
    if (model_->RemoveRow(row).changed)
        AnnounceChartLock();
}

void CChartWindow::MoveSelectedRowUp() {
    if (chart_.Locked())
        return;
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    model_->MoveRowUp(row);
    grid_->clearSelection();
}

void CChartWindow::MoveSelectedRowDown() {
    if (chart_.Locked())
        return;
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    model_->MoveRowDown(row);
    grid_->clearSelection();
}

void CChartWindow::DeleteColumns() {
    // Deleting columns also works while locked, and announces a lock all the
    // same: peers rely on that announcement to know the chart is changing.
    QStringList headers;
    for (int c = 0; c < chart_.ColumnCount(); ++c)
        headers << FromCp932(chart_.Header(c));
    const unsigned before = received_;
    const std::optional<std::vector<int>> taken =
        dialogs_->ChooseColumnsToDelete(headers, prompter_, this);
    // The column numbers were chosen on the chart as it was; a chart that
    // arrived meanwhile has other columns.
    if (!taken || received_ != before)
        return;
    std::vector<int> columns;
    std::copy_if(taken->begin(), taken->end(), std::back_inserter(columns),
                 [](int column) { return column >= 1; });  // column 0 is never offered
    model_->DeleteColumns(columns);
    AnnounceChartLock();
}

void CChartWindow::ResetChart() {
    if (chart_.Locked())
        return;
    if (prompter_.Ask(Sjis("表を全てリセットします。\r\nよろしいですか？"), Sjis("確認"),
                      PromptIcon::Question, PromptButtons::YesNo) != PromptAnswer::Yes ||
        chart_.Locked()) {
        return;
    }
    model_->Rebuild([](CChartModel& chart) { chart.Reset(); });
    const QSignalBlocker block(spin_);
    spin_->setValue(chart_.Spin());
}

void CChartWindow::EditCell(int row, int column) {
    if (chart_.Locked())
        return;
    const QModelIndex index = model_->index(row, column);
    if (!index.isValid())
        return;
    // A single-line field holds at most kMaxEditChars characters; opening it
    // on a longer cell (only a received chart can hold one) would cut the cell.
    if (index.data(Qt::EditRole).toString().size() > kMaxEditChars)
        return;
    grid_->setCurrentIndex(index);
    grid_->edit(index);
    AnnounceChartLock();
}

void CChartWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWidget* around = centreOn_ ? centreOn_.data() : parentWidget()) {
        const QPoint centre = around->mapToGlobal(around->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
}

bool CChartWindow::eventFilter(QObject* watched, QEvent* event) {
    // The in-place editor gets its own keys, so Delete here always means the row.
    if (watched == grid_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelectedRow();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

int CChartWindow::FirstSelectedRow() const {
    const QModelIndexList rows = grid_->selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first)
            first = index.row();
    }
    return first;
}

void CChartWindow::ShowResult(const CChartResult& result) {
    if (!result.HasMessage())
        return;
    prompter_.Tell(result.message, result.caption,
                   result.warning ? PromptIcon::Exclamation : PromptIcon::Stop);
}

void CChartWindow::TellTextReplaced() {
    prompter_.Tell(Sjis("表に書けない文字を〓に置き換えました"), Sjis("警告"),
                   PromptIcon::Exclamation);
}

}  // namespace yarrow
