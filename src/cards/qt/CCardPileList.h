#pragma once
// One pile list of the card window: a one-column report list whose items are
// cards (display text, card number as the item value) and which takes part
// in drag and drop with the other lists of its group.
//
// A drag packs the selected cards, in list order, into data of a private
// MIME type that names the group and the source pile; only lists of the same
// group (the same card window of this process) accept it. While something is
// dragged over a list the item under the hit point (5 pixels below the
// pointer) is marked, and within 10 pixels of the top or bottom edge the list
// scrolls a line after 300 ms and then every 100 ms, until the top item stops
// changing. A drop inserts before the item hit, at the start above the first
// visible item, at the end below the last one, and is refused elsewhere; a
// drop of items onto themselves is refused with a message. After a drop the
// last inserted item is selected. A move makes the source delete the dragged
// items once the drag is over.

#include <QPersistentModelIndex>
#include <QTreeWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cards/CardDrop.h"

class QMimeData;

namespace yarrow {

class IPrompter;
class IScrollTimer;

struct CardItem {
    int number = 0;
    std::string text;  // code page 932 bytes
    bool operator==(const CardItem&) const = default;
};

class CCardPileList : public QTreeWidget {
    Q_OBJECT
  public:
    static constexpr int kInitialColumnWidth = 112;
    static constexpr int kColumnPadding = 10;
    static constexpr int kEdgePixels = 10;
    static constexpr int kFirstScrollMs = 300;
    static constexpr int kNextScrollMs = 100;
    static constexpr int kHitPointBelow = 5;
    // At most this many cards travel in one drag (every card of a set).
    static constexpr int kMaxDraggedCards = 32768;
    static const QString& MimeType();

    // `pile` is the pile code the list shows; `group` is the object whose
    // lists may exchange items (the card window).
    CCardPileList(int pile, const QObject* group, QWidget* parent = nullptr);
    ~CCardPileList() override;

    int Pile() const { return pile_; }
    void SetPrompter(IPrompter* prompter) { prompter_ = prompter; }
    // Copying (Ctrl held over the target) is offered only when allowed.
    void SetCopyAllowed(bool allowed) { copyAllowed_ = allowed; }
    void SetScrollTimer(std::unique_ptr<IScrollTimer> timer);

    void AppendCard(const CardItem& card);
    void InsertCards(int at, const std::vector<CardItem>& cards);
    std::vector<CardItem> Cards() const;
    std::vector<CardItem> SelectedCards() const;
    // Removes the first item with this card number; false when none has it.
    bool RemoveCard(int number);
    void RemoveSelected();
    // Ascending by card number, equal numbers keeping their order.
    void SortByNumber();
    // The row marked as the drop position, or -1.
    int DropMarkRow() const;

    // The two halves of a drag, which startDrag runs around QDrag::exec and
    // tests call directly: the data for the selected items (null when none
    // is selected), and the end with the action the drop took.
    QMimeData* BeginDrag();
    void EndDrag(Qt::DropAction action);

  signals:
    // Cards from the list of pile `sourcePile` (this list's own pile for a
    // move within the list) were dropped here, already inserted.
    void CardsDropped(int sourcePile, const std::vector<CardItem>& cards);

  protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    struct Payload {
        int sourcePile = 0;
        std::vector<CardItem> cards;
    };
    bool Decode(const QMimeData* mime, Payload& payload) const;
    // The insertion row for a pointer position, or -1 when refused.
    int InsertRowAt(const QPoint& pointer) const;
    void MarkRow(int row);
    void FollowEdge(const QPoint& pointer);
    void ScrollTick();
    void StopScrolling();
    void FitColumnTo(const QString& text);
    static QTreeWidgetItem* MakeItem(const CardItem& card);

    const int pile_;
    const quint64 group_;
    IPrompter* prompter_ = nullptr;
    bool copyAllowed_ = true;
    std::unique_ptr<IScrollTimer> scrollTimer_;
    int scrollDirection_ = 0;
    QPersistentModelIndex dropMark_;
    // The items of the drag under way, from its start to its end.
    std::vector<QPersistentModelIndex> dragged_;
};

}  // namespace yarrow
