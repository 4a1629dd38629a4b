#include "cards/qt/CCardPileList.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "cards/qt/IScrollTimer.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {
namespace {

constexpr int kNumberRole = Qt::UserRole;
constexpr int kTextRole = Qt::UserRole + 1;
// A card's display text: its text and an attribute name, 255 bytes each.
constexpr qsizetype kMaxTextBytes = 1024;
constexpr int kHighestCardNumber = 32767;

class CQtScrollTimer final : public IScrollTimer {
  public:
    CQtScrollTimer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            // A copy: the tick may start the timer again with a new one.
            const auto tick = tick_;
            if (tick)
                tick();
        });
    }
    void Start(int ms, std::function<void()> tick) override {
        tick_ = std::move(tick);
        timer_.start(ms);
    }
    void Stop() override { timer_.stop(); }
    bool IsActive() const override { return timer_.isActive(); }

  private:
    QTimer timer_;
    std::function<void()> tick_;
};

}  // namespace

const QString& CCardPileList::MimeType() {
    static const QString type = QStringLiteral("application/x-yarrow-card-entries");
    return type;
}

CCardPileList::CCardPileList(int pile, const QObject* group, QWidget* parent)
    : QTreeWidget(parent),
      pile_(pile),
      group_(reinterpret_cast<quintptr>(group)),
      scrollTimer_(std::make_unique<CQtScrollTimer>()) {
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    // The list marks and scrolls by its own rules.
    setDropIndicatorShown(false);
    setAutoScroll(false);
    setColumnWidth(0, kInitialColumnWidth);
    header()->setStretchLastSection(false);
}

CCardPileList::~CCardPileList() = default;

void CCardPileList::SetScrollTimer(std::unique_ptr<IScrollTimer> timer) {
    StopScrolling();
    scrollTimer_ = std::move(timer);
}

QTreeWidgetItem* CCardPileList::MakeItem(const CardItem& card) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, FromCp932(card.text));
    item->setData(0, kNumberRole, card.number);
    item->setData(0, kTextRole, QByteArray::fromStdString(card.text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    return item;
}

void CCardPileList::FitColumnTo(const QString& text) {
    const int width = fontMetrics().horizontalAdvance(text);
    if (width > columnWidth(0))
        setColumnWidth(0, width + kColumnPadding);
}

void CCardPileList::AppendCard(const CardItem& card) {
    InsertCards(topLevelItemCount(), {card});
}

void CCardPileList::InsertCards(int at, const std::vector<CardItem>& cards) {
    at = std::clamp(at, 0, topLevelItemCount());
    QList<QTreeWidgetItem*> items;
    for (const CardItem& card : cards) {
        items.append(MakeItem(card));
        FitColumnTo(items.back()->text(0));
    }
    insertTopLevelItems(at, items);
}

std::vector<CardItem> CCardPileList::Cards() const {
    std::vector<CardItem> cards;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = topLevelItem(row);
        cards.push_back({item->data(0, kNumberRole).toInt(),
                         item->data(0, kTextRole).toByteArray().toStdString()});
    }
    return cards;
}

std::vector<CardItem> CCardPileList::SelectedCards() const {
    std::vector<CardItem> cards;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = topLevelItem(row);
        if (item->isSelected()) {
            cards.push_back({item->data(0, kNumberRole).toInt(),
                             item->data(0, kTextRole).toByteArray().toStdString()});
        }
    }
    return cards;
}

bool CCardPileList::RemoveCard(int number) {
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->data(0, kNumberRole).toInt() == number) {
            delete takeTopLevelItem(row);
            return true;
        }
    }
    return false;
}

void CCardPileList::RemoveSelected() {
    for (int row = topLevelItemCount() - 1; row >= 0; --row) {
        if (topLevelItem(row)->isSelected())
            delete takeTopLevelItem(row);
    }
}

void CCardPileList::SortByNumber() {
    QList<QTreeWidgetItem*> items;
    while (topLevelItemCount() > 0)
        items.append(takeTopLevelItem(0));
    std::stable_sort(items.begin(), items.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return a->data(0, kNumberRole).toInt() < b->data(0, kNumberRole).toInt();
    });
    addTopLevelItems(items);
}

int CCardPileList::DropMarkRow() const {
    return dropMark_.isValid() ? dropMark_.row() : -1;
}

// ---------------------------------------------------------------------------
// The drag

QMimeData* CCardPileList::BeginDrag() {
    dragged_.clear();
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    std::vector<CardItem> cards = SelectedCards();
    if (cards.empty())
        return nullptr;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->isSelected())
            dragged_.emplace_back(indexFromItem(topLevelItem(row)));
    }
    out << static_cast<quint64>(QCoreApplication::applicationPid()) << group_
        << static_cast<qint32>(pile_) << static_cast<qint32>(cards.size());
    for (const CardItem& card : cards)
        out << static_cast<qint32>(card.number) << QByteArray::fromStdString(card.text);
    auto* mime = new QMimeData;
    mime->setData(MimeType(), bytes);
    return mime;
}

void CCardPileList::EndDrag(Qt::DropAction action) {
    if (action == Qt::MoveAction) {
        // By persistent index: rows inserted by a drop into this very list,
        // or changed by records meanwhile, do not confuse which items go.
        std::vector<int> rows;
        for (const QPersistentModelIndex& index : dragged_) {
            if (index.isValid())
                rows.push_back(index.row());
        }
        std::sort(rows.begin(), rows.end(), std::greater<int>());
        for (int row : rows)
            delete takeTopLevelItem(row);
    }
    dragged_.clear();
}

void CCardPileList::startDrag(Qt::DropActions) {
    QMimeData* mime = BeginDrag();
    if (mime == nullptr)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const Qt::DropActions offered =
        copyAllowed_ ? (Qt::MoveAction | Qt::CopyAction) : Qt::DropActions(Qt::MoveAction);
    EndDrag(drag->exec(offered, Qt::MoveAction));
}

bool CCardPileList::Decode(const QMimeData* mime, Payload& payload) const {
    if (mime == nullptr || !mime->hasFormat(MimeType()))
        return false;
    // The data may come from anywhere on the desktop: every field is checked
    // before it is believed.
    QDataStream in(mime->data(MimeType()));
    in.setVersion(QDataStream::Qt_6_0);
    quint64 pid = 0;
    quint64 group = 0;
    qint32 pile = 0;
    qint32 count = 0;
    in >> pid >> group >> pile >> count;
    if (in.status() != QDataStream::Ok ||
        pid != static_cast<quint64>(QCoreApplication::applicationPid()) || group != group_ ||
        pile < 1 || pile > 4 || count < 1 || count > kMaxDraggedCards) {
        return false;
    }
    payload.sourcePile = pile;
    payload.cards.clear();
    for (qint32 i = 0; i < count; ++i) {
        qint32 number = 0;
        QByteArray text;
        in >> number >> text;
        if (in.status() != QDataStream::Ok || number < 0 || number > kHighestCardNumber ||
            text.size() > kMaxTextBytes) {
            return false;
        }
        payload.cards.push_back({number, text.toStdString()});
    }
    return true;
}

int CCardPileList::InsertRowAt(const QPoint& pointer) const {
    const QPoint hit = pointer + QPoint(0, kHitPointBelow);
    const int count = topLevelItemCount();
    if (count == 0)
        return 0;
    if (QTreeWidgetItem* item = itemAt(hit))
        return DropInsertIndex(DropZone::OnItem, indexOfTopLevelItem(item), count);
    QTreeWidgetItem* first = itemAt(QPoint(0, 0));
    if (first == nullptr)
        first = topLevelItem(0);
    QTreeWidgetItem* last = itemAt(QPoint(0, viewport()->height() - 1));
    if (last == nullptr)
        last = topLevelItem(count - 1);
    DropZone zone = DropZone::Elsewhere;
    if (hit.y() < visualItemRect(first).top())
        zone = DropZone::AboveFirstVisible;
    else if (hit.y() > visualItemRect(last).bottom())
        zone = DropZone::BelowLastVisible;
    return DropInsertIndex(zone, -1, count);
}

void CCardPileList::MarkRow(int row) {
    if (dropMark_.isValid())
        model()->setData(dropMark_, QVariant(), Qt::BackgroundRole);
    dropMark_ = QPersistentModelIndex();
    if (row < 0 || row >= topLevelItemCount())
        return;
    dropMark_ = indexFromItem(topLevelItem(row));
    model()->setData(dropMark_, palette().brush(QPalette::Highlight), Qt::BackgroundRole);
}

void CCardPileList::dragEnterEvent(QDragEnterEvent* event) {
    Payload payload;
    if (!Decode(event->mimeData(), payload)) {
        event->ignore();
        return;
    }
    dragMoveEvent(event);
}

void CCardPileList::dragMoveEvent(QDragMoveEvent* event) {
    Payload payload;
    if (!Decode(event->mimeData(), payload)) {
        event->ignore();
        return;
    }
    const QPoint pointer = event->position().toPoint();
    FollowEdge(pointer);
    const QPoint hit = pointer + QPoint(0, kHitPointBelow);
    QTreeWidgetItem* item = itemAt(hit);
    MarkRow(item != nullptr ? indexOfTopLevelItem(item) : -1);
    if (InsertRowAt(pointer) < 0) {
        event->ignore();
        return;
    }
    const bool copy = copyAllowed_ && (event->modifiers() & Qt::ControlModifier);
    event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void CCardPileList::dragLeaveEvent(QDragLeaveEvent* event) {
    StopScrolling();
    MarkRow(-1);
    event->accept();
}

void CCardPileList::dropEvent(QDropEvent* event) {
    StopScrolling();
    MarkRow(-1);
    Payload payload;
    const QPoint pointer = event->position().toPoint();
    const int row = Decode(event->mimeData(), payload) ? InsertRowAt(pointer) : -1;
    if (row < 0) {
        event->ignore();
        return;
    }
    if (payload.sourcePile == pile_) {
        std::vector<int> rows;
        for (const QPersistentModelIndex& index : dragged_) {
            if (index.isValid())
                rows.push_back(index.row());
        }
        if (DropsOntoItself(rows, row)) {
            event->setDropAction(Qt::IgnoreAction);
            event->ignore();
            // Told once the drag is over, not in the middle of it.
            QTimer::singleShot(0, this, [this] {
                if (prompter_ != nullptr)
                    prompter_->Tell("An item can't be dropped onto itself", "Yarrow",
                                    PromptIcon::Exclamation);
            });
            return;
        }
    }
    InsertCards(row, payload.cards);
    clearSelection();
    QTreeWidgetItem* lastInserted = topLevelItem(row + static_cast<int>(payload.cards.size()) - 1);
    setCurrentItem(lastInserted);
    lastInserted->setSelected(true);
    const bool copy = copyAllowed_ && (event->modifiers() & Qt::ControlModifier);
    event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    emit CardsDropped(payload.sourcePile, payload.cards);
}

// ---------------------------------------------------------------------------
// Scrolling near the edges

void CCardPileList::FollowEdge(const QPoint& pointer) {
    int direction = 0;
    if (pointer.y() < kEdgePixels)
        direction = -1;
    else if (pointer.y() >= viewport()->height() - kEdgePixels)
        direction = 1;
    if (direction == scrollDirection_)
        return;
    scrollDirection_ = direction;
    if (direction == 0) {
        scrollTimer_->Stop();
        return;
    }
    scrollTimer_->Start(kFirstScrollMs, [this] { ScrollTick(); });
}

void CCardPileList::ScrollTick() {
    const QModelIndex before = indexAt(QPoint(0, 0));
    verticalScrollBar()->triggerAction(scrollDirection_ < 0 ? QAbstractSlider::SliderSingleStepSub
                                                            : QAbstractSlider::SliderSingleStepAdd);
    if (indexAt(QPoint(0, 0)) == before) {
        StopScrolling();
        return;
    }
    scrollTimer_->Start(kNextScrollMs, [this] { ScrollTick(); });
}

void CCardPileList::StopScrolling() {
    scrollDirection_ = 0;
    if (scrollTimer_)
        scrollTimer_->Stop();
}

}  // namespace yarrow
