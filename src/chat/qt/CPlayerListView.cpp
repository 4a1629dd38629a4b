#include "chat/qt/CPlayerListView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "platform/IPrompter.h"
#include "platform/Trace.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {

namespace {

constexpr int kImageSize = 16;

QImage Blank() {
    QImage image(kImageSize, kImageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void DrawHead(QPainter& painter, const QColor& color) {
    painter.setPen(QPen(color.darker(150), 1));
    painter.setBrush(color);
    painter.drawEllipse(QRectF(4.5, 1.5, 6, 6));               // head
    painter.drawRoundedRect(QRectF(2.5, 8.5, 11, 6.5), 3, 3);  // shoulders
}

}  // namespace

QImage CPlayerListView::IdleImage() {
    static const QImage image = [] {
        QImage out = Blank();
        QPainter painter(&out);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawHead(painter, QColor(0x70, 0x90, 0xB8));
        return out;
    }();
    return image;
}

QImage CPlayerListView::TypingImage() {
    static const QImage image = [] {
        QImage out = Blank();
        QPainter painter(&out);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawHead(painter, QColor(0xE0, 0x80, 0x30));
        // A small speech balloon with three dots at the upper right.
        painter.setPen(QPen(QColor(0x60, 0x40, 0x10), 1));
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(8.5, 0.5, 7, 5), 2, 2);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x60, 0x40, 0x10));
        for (int i = 0; i < 3; ++i)
            painter.drawRect(QRectF(10 + i * 1.5, 2.5, 1, 1));
        return out;
    }();
    return image;
}

CPlayerListView::CPlayerListView(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("playerList"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(kImageSize, kImageSize));
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CPlayerListView::RebuildMembers(const std::vector<CMember>& members) {
    members_.RebuildMembers(members);
    Refill();
    emit MembersChanged();
}

void CPlayerListView::RemoveMember(std::int32_t id) {
    members_.RemoveMember(id);
    delete ItemFor(id);
    emit MembersChanged();
}

void CPlayerListView::ClearMembers() {
    members_.ClearMembers();
    clear();
    emit MembersChanged();
}

void CPlayerListView::SetTyping(std::int32_t id, bool typing) {
    members_.SetTyping(id, typing);
    for (int row = 0; row < count(); ++row) {
        QListWidgetItem* entry = item(row);
        if (entry->data(kIdRole).toInt() != id)
            continue;
        entry->setData(kImageRole, typing ? kTypingImage : kIdleImage);
        entry->setIcon(QIcon(QPixmap::fromImage(typing ? TypingImage() : IdleImage())));
    }
}

std::string CPlayerListView::MemberName(std::int32_t id) const {
    return members_.NameOf(id).value_or(std::string());
}

std::vector<std::int32_t> CPlayerListView::MemberIDs() const {
    return members_.Ids();
}

void CPlayerListView::Refill() {
    clear();
    static const QIcon idle(QPixmap::fromImage(IdleImage()));
    for (const MemberEntry& member : members_.Entries()) {
        auto* entry = new QListWidgetItem(idle, FromCp932(member.name), this);
        entry->setData(kIdRole, member.id);
        entry->setData(kImageRole, kIdleImage);
    }
}

QListWidgetItem* CPlayerListView::ItemFor(std::int32_t id) const {
    for (int row = 0; row < count(); ++row) {
        if (item(row)->data(kIdRole).toInt() == id)
            return item(row);
    }
    return nullptr;
}

void CPlayerListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidgetItem* entry = itemAt(event->position().toPoint());
    if (entry == nullptr) {
        QListWidget::mouseDoubleClickEvent(event);
        return;
    }
    const std::int32_t id = entry->data(kIdRole).toInt();
    if (event->button() == Qt::LeftButton) {
        Trace("OnDblClk:%d\r\n", id);
        emit WhisperRequested(id);
    } else if (event->button() == Qt::RightButton && prompter_ != nullptr) {
        static const std::string caption = Sjis("コール");
        const PromptAnswer answer = prompter_->Ask(CallConfirmText(MemberName(id)), caption,
                                                   PromptIcon::Question, PromptButtons::YesNo);
        if (answer == PromptAnswer::Yes)
            emit CallRequested(id);
    }
    event->accept();
}

}  // namespace yarrow
