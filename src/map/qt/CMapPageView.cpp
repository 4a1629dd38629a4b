#include "map/qt/CMapPageView.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "map/CMapFile.h"
#include "map/SnapshotBmp.h"
#include "map/qt/CChipDlg.h"
#include "map/qt/CMapSlideDlg.h"
#include "map/qt/CUnitDlg.h"
#include "map/qt/IMapDialogs.h"
#include "map/qt/MapCommandIds.h"
#include "platform/Cp932.h"
#include "platform/FileBytes.h"
#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {
namespace {

// Tips wider than this wrap.
constexpr int kMaxTipWidth = 200;
// More separate invalid rectangles than this are painted as their bounds.
constexpr int kMaxInvalidRects = 8;

QAction* AddCommand(QMenu& menu, const QString& text, int id, bool enabled = true) {
    QAction* action = menu.addAction(text);
    action->setObjectName(QString::number(id));
    action->setData(id);
    action->setEnabled(enabled);
    return action;
}

QString TipText(const std::string& symbol) {
    QString text = FromCp932(CMapLayout::DrawnText(symbol));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

}  // namespace

CMapPageView::CMapPageView(CMapPage& page, CMapRenderer& renderer, IPrompter& prompter,
                           IMapDialogs& dialogs, std::string programFolder,
                           std::string settingsPath, QWidget* parent)
    : QAbstractScrollArea(parent),
      page_(page),
      prompter_(prompter),
      dialogs_(dialogs),
      programFolder_(std::move(programFolder)),
      settingsPath_(std::move(settingsPath)),
      renderer_(renderer) {
    setObjectName(QStringLiteral("106"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);
    for (const AxisBar& b : AxisBars()) {
        connect(b.bar, &QScrollBar::actionTriggered, this,
                [this, b](int action) { OnScrollAction(b.axis, b.bar, action); });
        connect(b.bar, &QScrollBar::valueChanged, this,
                [this, b](int value) { OnScrolled(b.axis, value); });
    }
    SyncScrollBars();
    UpdateCursor();
}

CMapPageView::~CMapPageView() = default;

QSize CMapPageView::ClientSize() const {
    return viewport()->size();
}

MapToolState CMapPageView::ToolState() const {
    MapToolState state;
    state.fillColor = page_.FillColor();
    state.tool = static_cast<int>(page_.Tool());
    state.rectFill = page_.RectFill() != RectFillMode::Off;
    state.locked = page_.Locked();
    state.shapeBits = page_.DisplayBits();
    return state;
}

// ---------------------------------------------------------------------------
// Painting

void CMapPageView::InvalidateAll() {
    invalid_ = QRegion(QRect(QPoint(0, 0), viewport()->size()));
    viewport()->update();
}

void CMapPageView::Invalidate(const QRect& rect) {
    const QRect r = rect.intersected(QRect(QPoint(0, 0), viewport()->size()));
    if (r.isEmpty()) {
        return;
    }
    invalid_ += r;
    viewport()->update(r);
}

void CMapPageView::InvalidateCell(int column, int row) {
    Invalidate(renderer_.CellExtent(page_, column, row));
}

void CMapPageView::Flush() {
    const QSize size = viewport()->size();
    if (surface_.size() != size) {
        surface_ = QImage(size, QImage::Format_RGB32);
        invalid_ = QRegion(QRect(QPoint(0, 0), size));
    }
    if (invalid_.isEmpty() || surface_.isNull()) {
        invalid_ = QRegion();
        return;
    }
    QPainter painter(&surface_);
    const auto band = RubberBand();
    if (invalid_.rectCount() > kMaxInvalidRects) {
        renderer_.Render(painter, page_, invalid_.boundingRect(), band);
    } else {
        for (const QRect& rect : invalid_) {
            renderer_.Render(painter, page_, rect, band);
        }
    }
    invalid_ = QRegion();
}

const QImage& CMapPageView::Surface() {
    Flush();
    return surface_;
}

void CMapPageView::paintEvent(QPaintEvent* event) {
    Flush();
    QPainter painter(viewport());
    // One copy of the surface: the map never flickers while it is edited.
    painter.drawImage(event->rect(), surface_, event->rect());
}

void CMapPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    page_.SetClientSize(viewport()->width(), viewport()->height());
    SyncScrollBars();
    InvalidateAll();
}

void CMapPageView::Refresh() {
    page_.SetClientSize(viewport()->width(), viewport()->height());
    SyncScrollBars();
    UpdateCursor();
    InvalidateAll();
}

std::optional<MapRubberBand> CMapPageView::RubberBand() const {
    if (page_.RectFill() != RectFillMode::Dragging) {
        return std::nullopt;
    }
    MapRubberBand band;
    band.rect = RubberBandRect();
    band.hatched = page_.Tool() != MapTool::DeleteTiles;
    band.color = QColor(QRgb(RgbFromMapColor(page_.FillColor())));
    return band;
}

QRect CMapPageView::RubberBandRect() const {
    const MapPoint start = page_.DragStart();
    return QRect(QPoint(start.x, start.y), bandEnd_).normalized();
}

// ---------------------------------------------------------------------------
// Scrolling

std::array<CMapPageView::AxisBar, 2> CMapPageView::AxisBars() const {
    return {{{horizontalScrollBar(), ScrollAxis::Horizontal},
             {verticalScrollBar(), ScrollAxis::Vertical}}};
}

void CMapPageView::SyncScrollBars() {
    syncingBars_ = true;
    for (const AxisBar& b : AxisBars()) {
        b.bar->setRange(0, page_.ScrollMax(b.axis));
        b.bar->setSingleStep(page_.LineStep(b.axis));
        b.bar->setPageStep(page_.PageStep(b.axis));
        b.bar->setValue(page_.ScrollPosition(b.axis));
    }
    syncingBars_ = false;
}

void CMapPageView::OnScrolled(ScrollAxis axis, int value) {
    if (syncingBars_ || value == page_.ScrollPosition(axis)) {
        return;
    }
    const bool moved = page_.Scroll(axis, ScrollAction::Thumb, value);
    // The page keeps a staggered axis on even positions.
    SyncScrollBars();
    if (moved) {
        InvalidateAll();
    }
}

void CMapPageView::OnScrollAction(ScrollAxis axis, QScrollBar* bar, int action) {
    ScrollAction step = ScrollAction::Thumb;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            step = ScrollAction::LineForward;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            step = ScrollAction::LineBack;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            step = ScrollAction::PageForward;
            break;
        case QAbstractSlider::SliderPageStepSub:
            step = ScrollAction::PageBack;
            break;
        case QAbstractSlider::SliderToMinimum:
            step = ScrollAction::ToStart;
            break;
        case QAbstractSlider::SliderToMaximum:
            step = ScrollAction::ToEnd;
            break;
        case QAbstractSlider::SliderMove:
            step = ScrollAction::Thumb;
            break;
        default:
            return;
    }
    // The page's own rules decide where a step lands; the bar follows.
    const bool moved = page_.Scroll(axis, step, bar->sliderPosition());
    bar->setSliderPosition(page_.ScrollPosition(axis));
    if (moved) {
        InvalidateAll();
    }
}

void CMapPageView::wheelEvent(QWheelEvent* event) {
    // Three lines per notch, along the axis the wheel (or Shift) picks.
    const QPoint delta = event->angleDelta();
    const bool across = delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    wheelDelta_ += delta.x() != 0 ? delta.x() : delta.y();
    const int notches = wheelDelta_ / QWheelEvent::DefaultDeltasPerStep;
    wheelDelta_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    const ScrollAxis axis = across ? ScrollAxis::Horizontal : ScrollAxis::Vertical;
    bool moved = false;
    for (int i = 0; i < 3 * std::abs(notches); ++i) {
        moved |=
            page_.Scroll(axis, notches > 0 ? ScrollAction::LineBack : ScrollAction::LineForward);
    }
    event->accept();
    if (moved) {
        SyncScrollBars();
        InvalidateAll();
    }
}

void CMapPageView::scrollContentsBy(int, int) {
    // The page scrolls by cells and repaints itself (OnScrolled).
}

// ---------------------------------------------------------------------------
// Mouse

void CMapPageView::UpdateCursor() {
    if (page_.Dragging()) {
        viewport()->setCursor(Qt::SizeAllCursor);
    } else if (page_.Tool() != MapTool::PlaceUnits) {
        viewport()->setCursor(Qt::CrossCursor);
    } else {
        viewport()->unsetCursor();
    }
}

bool CMapPageView::Show(const CMapResult& result) {
    if (result.HasMessage()) {
        prompter_.Tell(result.message, result.caption, result.icon);
    }
    return result.changed;
}

void CMapPageView::ApplyTool(MapCell cell) {
    const QRect before = renderer_.CellExtent(page_, cell.column, cell.row);
    CMapResult result = page_.Tool() == MapTool::FillTiles
                            ? page_.PaintTile(cell.column, cell.row)
                            : page_.DeleteTile(cell.column, cell.row);
    // At the tile limit a drag keeps recolouring tiles; the refusal is told
    // once, when the gesture ends.
    Hold(result);
    if (result.changed) {
        Invalidate(before | renderer_.CellExtent(page_, cell.column, cell.row));
    }
}

void CMapPageView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const MapCell cell = page_.HitTest(at.x(), at.y());
    if (event->button() == Qt::RightButton) {
        if (event->modifiers() & Qt::ControlModifier) {
            if (page_.PickFillColor(cell.column, cell.row)) {
                emit StateChanged();
            }
            return;
        }
        page_.SetContextCell(cell);
        ShowContextMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    leftPressed_ = true;
    held_.clear();
    const MapTool tool = page_.Tool();
    if (tool == MapTool::PlaceUnits) {
        if (page_.HasItem(cell.column, cell.row)) {
            page_.SetDragging(true);
        }
    } else {
        if (page_.RectFill() != RectFillMode::Off) {
            page_.SetDragStart({at.x(), at.y()});
            bandEnd_ = at;
            SetRectMode(RectFillMode::Dragging);
        }
        ApplyTool(cell);
    }
    page_.SetContextCell(cell);
    UpdateCursor();
}

void CMapPageView::mouseMoveEvent(QMouseEvent* event) {
    UpdateCursor();
    const QPoint at = event->position().toPoint();
    if (page_.Tool() == MapTool::PlaceUnits || !leftPressed_) {
        return;
    }
    if (page_.RectFill() == RectFillMode::Dragging) {
        const QRect before = RubberBandRect();
        bandEnd_ = at;
        Invalidate((before | RubberBandRect()).adjusted(-1, -1, 2, 2));
        return;
    }
    if (page_.RectFill() != RectFillMode::Off || !(event->buttons() & Qt::LeftButton) ||
        !QRect(QPoint(0, 0), viewport()->size()).contains(at)) {
        return;
    }
    const MapCell cell = page_.HitTest(at.x(), at.y());
    if (cell == page_.ContextCell() || !page_.IsCellVisible(cell.column, cell.row)) {
        return;
    }
    ApplyTool(cell);
    page_.SetContextCell(cell);
}

void CMapPageView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !leftPressed_) {
        return;
    }
    leftPressed_ = false;
    // The drop point stays inside the page, as if the cursor had been held
    // there while dragging.
    const QRect client(QPoint(0, 0), viewport()->size());
    QPoint at = event->position().toPoint();
    at.setX(std::clamp(at.x(), 0, std::max(0, client.width() - 1)));
    at.setY(std::clamp(at.y(), 0, std::max(0, client.height() - 1)));
    bool send = false;
    if (page_.Dragging()) {
        const MapCell from = page_.ContextCell();
        const MapCell drop = page_.HitTest(at.x(), at.y());
        if (!(drop == from)) {
            CMapResult dropped =
                page_.DropItem(from, drop, event->modifiers() & Qt::ControlModifier);
            Hold(dropped);
        }
        EndDrag();
        InvalidateAll();
        send = true;
    }
    if (page_.Tool() != MapTool::PlaceUnits) {
        if (page_.RectFill() == RectFillMode::Dragging) {
            const MapPoint start = page_.DragStart();
            const MapCell from = page_.HitTest(start.x, start.y);
            const MapCell to = page_.HitTest(at.x(), at.y());
            CMapResult filled = page_.FillRectangle(from, to, page_.Tool() == MapTool::DeleteTiles);
            Hold(filled);
            SetRectMode(RectFillMode::Armed);
            page_.SetDragStart({0, 0});
            InvalidateAll();
        }
        send = true;
    }
    UpdateCursor();
    if (send) {
        emit SendRequested();
    }
    TellHeld();
}

void CMapPageView::Hold(CMapResult& result) {
    if (!result.HasMessage()) {
        return;
    }
    const bool told = std::any_of(held_.begin(), held_.end(), [&](const CMapResult& held) {
        return held.message == result.message;
    });
    if (!told) {
        held_.push_back(result);
    }
    result.message.clear();
}

void CMapPageView::TellHeld() {
    // A message box runs an event loop of its own: opened while the button is
    // held it would take the release (the gesture would never be sent), and
    // before the send a map arriving meanwhile would replace the edit first.
    const std::vector<CMapResult> held = std::move(held_);
    held_.clear();
    for (const CMapResult& result : held) {
        Show(result);
    }
}

void CMapPageView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    const MapCell cell = page_.HitTest(at.x(), at.y());
    const CUnitRecord* item = page_.ItemAt(cell.column, cell.row);
    if (item == nullptr) {
        AddUnit(cell);
        return;
    }
    if (!IsPlainUnit(*item)) {
        return;
    }
    page_.TurnFacing(cell.column, cell.row, event->modifiers() & Qt::ShiftModifier);
    Invalidate(renderer_.ItemExtent(page_, cell.column, cell.row));
    emit SendRequested();
}

void CMapPageView::EndDrag() {
    page_.SetDragging(false);
    UpdateCursor();
}

void CMapPageView::focusOutEvent(QFocusEvent* event) {
    // A dialog or another window taking the focus ends an item drag.
    if (page_.Dragging()) {
        EndDrag();
        leftPressed_ = false;
    }
    QAbstractScrollArea::focusOutEvent(event);
}

bool CMapPageView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const MapCell cell = page_.HitTest(help->pos().x(), help->pos().y());
        const CUnitRecord* item = page_.ItemAt(cell.column, cell.row);
        const MapRect box = page_.CellBox(cell.column, cell.row);
        if (item == nullptr || box.IsEmpty()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QString text = TipText(item->Symbol);
        if (QFontMetrics(QToolTip::font()).horizontalAdvance(text) > kMaxTipWidth) {
            text =
                QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>")
                    .arg(kMaxTipWidth)
                    .arg(text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
        }
        QToolTip::showText(help->globalPos(), text, viewport(),
                           QRect(box.left, box.top, box.Width(), box.Height()));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CMapPageView::SetRectMode(RectFillMode mode) {
    // The rectangle's press and release cycle keeps the tool (fill or
    // delete); only the tool bar's button selects the fill tool with it.
    const MapTool tool = page_.Tool();
    page_.SetRectFill(mode);
    page_.SetTool(tool);
}

// ---------------------------------------------------------------------------
// Context menus and commands

std::unique_ptr<QMenu> CMapPageView::BuildContextMenu() {
    auto menu = std::make_unique<QMenu>(this);
    const MapCell cell = page_.ContextCell();
    const CUnitRecord* item = page_.ItemAt(cell.column, cell.row);
    const bool hasTile = page_.HasTile(cell.column, cell.row);
    const bool chip = item != nullptr && IsChip(*item);
    // Past the last column or row nothing can be placed.
    const bool onMap = IsOnMap(cell.column, cell.row);
    using namespace mapcmd;
    if (page_.Tool() != MapTool::PlaceUnits) {
        menu->setObjectName(QStringLiteral("Dummy2"));
        AddCommand(*menu, QStringLiteral("塗りつぶしの終了(&X)"), kEndFill);
        AddCommand(*menu, QStringLiteral("ﾀｲﾙﾗﾍﾞﾙの編集(&L)"), kEditTileLabel, hasTile);
        AddCommand(*menu, QStringLiteral("タイル色の変更(&H)"), kFillColor);
        menu->addSeparator();
        AddCommand(*menu, QStringLiteral("ﾕﾆｯﾄ編集(&C)"), kEditItem, item != nullptr && !chip);
        AddCommand(*menu, QStringLiteral("ﾕﾆｯﾄの削除(&D)"), kDeleteItem, item != nullptr);
        AddCommand(*menu, QStringLiteral("ﾀｲﾙの削除(&E)"), kDeleteTile, hasTile);
        return menu;
    }
    menu->setObjectName(QStringLiteral("Dummy1"));
    if (item == nullptr) {
        AddCommand(*menu, QStringLiteral("ﾕﾆｯﾄ配置(&U)"), kAddUnit, onMap);
    } else {
        AddCommand(*menu, QStringLiteral("ﾕﾆｯﾄ編集(&E)"), kEditItem, !chip);
    }
    AddCommand(*menu, chip ? QStringLiteral("ﾁｯﾌﾟの削除(&D)") : QStringLiteral("ﾕﾆｯﾄの削除(&D)"),
               kDeleteItem, item != nullptr);
    AddCommand(*menu, QStringLiteral("ﾀｲﾙの削除(&R)"), kDeleteTile, hasTile);
    AddCommand(*menu, QStringLiteral("ﾀｲﾙﾗﾍﾞﾙ編集(&L)"), kEditTileLabel, hasTile);
    AddCommand(*menu, QStringLiteral("チップの配置(&C)"), kPlaceChip,
               page_.ChipsAvailable() && item == nullptr && onMap);
    menu->addSeparator();
    AddCommand(*menu, QStringLiteral("タイル塗潰し(&T)"), kCycleTool);
    return menu;
}

void CMapPageView::ShowContextMenu(const QPoint& globalPosition) {
    activateWindow();
    const std::unique_ptr<QMenu> menu = BuildContextMenu();
    if (QAction* chosen = dialogs_.RunMenu(*menu, globalPosition)) {
        RunCommand(chosen->data().toInt());
    }
}

bool CMapPageView::RunCommand(int id) {
    using namespace mapcmd;
    const MapCell cell = page_.ContextCell();
    switch (id) {
        case kReset:
            Reset();
            return true;
        case kDeleteTile:
            InvalidateCell(cell.column, cell.row);
            page_.DeleteTile(cell.column, cell.row);
            emit SendRequested();
            return true;
        case kSlide:
            Slide();
            return true;
        case kEndFill:
            SetTool(0);
            return true;
        case kDeleteItem:
            Invalidate(renderer_.ItemExtent(page_, cell.column, cell.row));
            page_.DeleteItem(cell.column, cell.row);
            emit SendRequested();
            page_.SetContextCell({0, 0});
            return true;
        case kEditItem:
            EditItem();
            return true;
        case kPlaceChip:
            PlaceChip();
            return true;
        case kCycleTool:
            page_.CycleTool();
            UpdateCursor();
            emit StateChanged();
            return true;
        case kFillColor:
            ChooseFillColor();
            return true;
        case kAddUnit:
            AddUnit(cell);
            return true;
        case kEditTileLabel:
            EditTileLabel();
            return true;
        default:
            return false;
    }
}

void CMapPageView::Reset() {
    static const std::string text = Sjis("Mapを全てリセットします。\r\nよろしいですか？");
    static const std::string caption = Sjis("確認");
    if (prompter_.Ask(text, caption, PromptIcon::Question, PromptButtons::YesNo) !=
        PromptAnswer::Yes) {
        return;
    }
    page_.Reset();
    InvalidateAll();
    emit SendRequested();
}

void CMapPageView::Slide() {
    CMapSlideDlg dialog(this);
    if (!dialogs_.Run(dialog)) {
        return;
    }
    page_.Slide(dialog.ColumnShift(), dialog.RowShift());
    InvalidateAll();
    emit SendRequested();
}

void CMapPageView::AddUnit(MapCell cell) {
    if (!IsOnMap(cell.column, cell.row)) {
        return;
    }
    const CMapResult limit = page_.CheckItemLimit();
    if (limit.HasMessage()) {
        Show(limit);
        return;
    }
    CUnitDlg dialog(CUnitDlg::Mode::Unit, prompter_, dialogs_, settingsPath_, this);
    if (!dialogs_.Run(dialog)) {
        return;
    }
    ShowPlaced(page_.PlaceNewItem(cell, dialog.AsLabel() ? kKindLabel : kKindUnit,
                                  dialog.MapColor(), dialog.Symbol()),
               cell);
}

void CMapPageView::EditItem() {
    const MapCell cell = page_.ContextCell();
    const CUnitRecord* item = page_.ItemAt(cell.column, cell.row);
    if (item == nullptr || IsChip(*item)) {
        return;
    }
    // Maps keep arriving while the dialog is open: the edit goes to this item
    // wherever it stands on OK, never to an item that took its cell.
    const CUnitRecord opened = *item;
    CUnitDlg dialog(CUnitDlg::Mode::Unit, prompter_, dialogs_, settingsPath_, this);
    dialog.SetSymbol(opened.Symbol);
    dialog.SetMapColor(opened.UnitColor);
    dialog.SetAsLabel(IsLabel(opened));
    if (!dialogs_.Run(dialog)) {
        return;
    }
    const std::optional<MapCell> now = page_.FindItem(opened, cell);
    if (!now) {
        static const std::string gone =
            Sjis("◇ 編集していたユニットが見つからないため、変更は反映されませんでした");
        emit NoticeRequested(gone);
        return;
    }
    const QRect before = renderer_.ItemExtent(page_, now->column, now->row);
    page_.EditItem(now->column, now->row, dialog.AsLabel(), dialog.MapColor(), dialog.Symbol());
    Invalidate(before | renderer_.ItemExtent(page_, now->column, now->row));
    emit SendRequested();
}

void CMapPageView::EditTileLabel() {
    const MapCell cell = page_.ContextCell();
    const CTileRecord* tile = page_.TileAt(cell.column, cell.row);
    if (tile == nullptr) {
        return;
    }
    CUnitDlg dialog(CUnitDlg::Mode::LabelEdit, prompter_, dialogs_, settingsPath_, this);
    dialog.SetSymbol(tile->TileLabel);
    dialog.SetMapColor(tile->LabelColor);
    dialog.SetLabelSize(tile->LabelSize & 3);
    if (!dialogs_.Run(dialog)) {
        return;
    }
    // The label belongs to the cell's tile as it is on OK; a tile another
    // member removed meanwhile takes nothing, and the user is told.
    if (!page_.HasTile(cell.column, cell.row)) {
        static const std::string gone =
            Sjis("◇ 編集していたタイルが削除されたため、ラベルは反映されませんでした");
        emit NoticeRequested(gone);
        return;
    }
    const QRect before = renderer_.CellExtent(page_, cell.column, cell.row);
    page_.EditTileLabel(cell.column, cell.row, dialog.MapColor(), dialog.LabelSize(),
                        dialog.Symbol());
    Invalidate(before | renderer_.CellExtent(page_, cell.column, cell.row));
    emit SendRequested();
}

void CMapPageView::PlaceChip() {
    const MapCell cell = page_.ContextCell();
    if (!IsOnMap(cell.column, cell.row) || page_.HasItem(cell.column, cell.row)) {
        return;
    }
    CChipDlg dialog(programFolder_, prompter_, this);
    if (!dialogs_.Run(dialog)) {
        return;
    }
    ShowPlaced(page_.PlaceNewItem(cell, kKindChip, dialog.Chip(), dialog.Symbol()), cell);
}

void CMapPageView::ShowPlaced(const CMapResult& placed, MapCell chosen) {
    Show(placed);
    if (placed.cell && !(*placed.cell == chosen)) {
        // Beside the chosen cell, with a leader line to it.
        InvalidateAll();
    } else {
        Invalidate(renderer_.ItemExtent(page_, chosen.column, chosen.row));
    }
    emit SendRequested();
}

// ---------------------------------------------------------------------------
// Tool bar

void CMapPageView::SetTool(int tool) {
    page_.SetTool(static_cast<MapTool>(std::clamp(tool, 0, 2)));
    UpdateCursor();
    emit StateChanged();
}

void CMapPageView::SetRectFill(bool on) {
    page_.SetRectFill(on ? RectFillMode::Armed : RectFillMode::Off);
    UpdateCursor();
    InvalidateAll();
    emit StateChanged();
}

void CMapPageView::SetSmallTiles(bool small) {
    page_.SetSmallTiles(small);
    Refresh();
    emit StateChanged();
}

void CMapPageView::SetHexShape(bool hex) {
    page_.SetHexShape(hex);
    Refresh();
    emit StateChanged();
    emit SendRequested();
}

void CMapPageView::SetHexDirection(int direction) {
    page_.SetHexDirection(direction);
    Refresh();
    emit StateChanged();
    emit SendRequested();
}

void CMapPageView::SetWhiteBackground(bool white) {
    page_.SetWhiteBackground(white);
    InvalidateAll();
    emit StateChanged();
    emit SendRequested();
}

void CMapPageView::SetLocked(bool locked) {
    page_.SetLocked(locked);
    emit StateChanged();
}

void CMapPageView::ChooseFillColor() {
    if (const auto color = dialogs_.PickColor(page_.FillColor(), this)) {
        page_.SetFillColor(*color);
    }
    emit StateChanged();
}

void CMapPageView::TakeSnapshot() {
    if (page_.SnapshotName().empty()) {
        const auto name = dialogs_.SnapshotFileName(this);
        if (!name) {
            return;
        }
        page_.SetSnapshotName(*name);
    }
    page_.SetSnapshotPending(true);
    const QImage& shown = Surface();
    const std::string bytes = EncodeBmp555(
        shown.width(), shown.height(), reinterpret_cast<const std::uint32_t*>(shown.constBits()),
        static_cast<std::size_t>(shown.bytesPerLine() / 4));
    // The number moves on either way, so the next press never overwrites a
    // snapshot that was written.
    const CMapResult result = CMapFile::SaveSnapshot(page_.TakeSnapshotFileName(), bytes);
    page_.SetSnapshotPending(false);
    if (result.HasMessage()) {
        prompter_.Tell(result.message, result.caption, result.icon);
    }
}

}  // namespace yarrow
