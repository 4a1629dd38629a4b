#include "chat/qt/CInputLine.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>

#include "chat/CDebugCodes.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {

CInputLine::CInputLine(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("1001"));
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    document()->setDocumentMargin(2);
    setFixedHeight(kInputHeightOneLine);
    connect(this, &QTextEdit::textChanged, this, &CInputLine::OnTextChanged);
}

void CInputLine::Attach(IChatViewPort* view, CDebugCodes* debug) {
    view_ = view;
    debug_ = debug;
}

void CInputLine::SetFilterWords(std::vector<std::string> persons,
                                std::vector<std::string> replacements) {
    state_.filter.persons = std::move(persons);
    state_.filter.replacements = std::move(replacements);
}

std::string CInputLine::Cp932Text(bool* replaced) const {
    QString text = toPlainText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    Cp932Conversion conversion = ToCp932(text);
    if (replaced != nullptr)
        *replaced = conversion.replaced;
    return std::move(conversion.text);
}

SubmitOutcome CInputLine::Submit() {
    bool replaced = false;
    std::string text = Cp932Text(&replaced);
    SubmitOutcome outcome;
    if (view_ == nullptr || debug_ == nullptr) {
        outcome.clearInput = true;
    } else {
        if (replaced && !state_.debugInput) {
            static const std::string notice = Sjis("◇ 送信できない文字を〓に置き換えました");
            view_->AppendNoticeLine(notice);
        }
        outcome = SubmitInput(state_, std::move(text), *view_, *debug_);
    }
    if (outcome.clearInput) {
        // The remark itself ends the typing mark on every receiver, so
        // emptying the line here must not send EndSaying.
        state_.typing = false;
        const bool blocked = blockSignals(true);
        clear();
        blockSignals(blocked);
        OnTextChanged();
    }
    emit Submitted(outcome.sent);
    return outcome;
}

void CInputLine::OnTextChanged() {
    const std::string text = Cp932Text();
    const TypingChange change = OnInputChanged(state_, text);
    // Typing marks only mean something to others; while offline the notice
    // would only put empty lines into the own log.
    if (change.notice && view_ != nullptr && view_->IsConnected()) {
        view_->SendText(std::string(), *change.notice);
    }
    const int breaks = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    if (change.height != wantedHeight_) {
        wantedHeight_ = change.height;
        if (managesHeight_)
            setFixedHeight(wantedHeight_);
        emit HeightChanged(wantedHeight_);
    }
    if (breaks != lineBreaks_) {
        lineBreaks_ = breaks;
        emit LineBreaksChanged(breaks);
    }
}

void CInputLine::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter) {
        if (event->modifiers() & Qt::ControlModifier) {
            textCursor().insertText(QStringLiteral("\n"));
        } else {
            Submit();
        }
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void CInputLine::InsertTags(const TagPair& tags) {
    QTextCursor cursor = textCursor();
    const auto start = static_cast<std::size_t>(cursor.selectionStart());
    const auto end = static_cast<std::size_t>(cursor.selectionEnd());
    // Tags are ASCII, so their length is the same in bytes and in UTF-16
    // units and the positions stay valid in the widget's own units.
    cursor.beginEditBlock();
    for (const TextInsertion& insertion : TagInsertions(start, end, tags)) {
        cursor.setPosition(static_cast<int>(insertion.position));
        cursor.insertText(QString::fromLatin1(insertion.text.data(),
                                              static_cast<qsizetype>(insertion.text.size())));
    }
    cursor.endEditBlock();
    cursor.setPosition(static_cast<int>(CaretAfterEmptyTagInsertion(start, tags)));
    setTextCursor(cursor);
}

void CInputLine::InsertHeart() {
    QTextCursor cursor = textCursor();
    cursor.setPosition(cursor.selectionStart());
    cursor.insertText(QString::fromLatin1(kHeartTag.data(), kHeartTag.size()));
    setTextCursor(cursor);
}

int CInputLine::SwapBuffers() {
    const QString shown = toPlainText();
    setPlainText(otherBuffer_);
    otherBuffer_ = shown;
    moveCursor(QTextCursor::End);
    buffer_ = buffer_ == 1 ? 2 : 1;
    emit BufferIndicatorChanged(FromCp932(BufferIndicatorText(buffer_)));
    return buffer_;
}

QMenu* CInputLine::BuildContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool selected = textCursor().hasSelection();
    QAction* copyAction =
        menu->addAction(QStringLiteral("コピー(&C)\tCtrl+C"), this, &QTextEdit::copy);
    copyAction->setEnabled(selected);
    QAction* cutAction =
        menu->addAction(QStringLiteral("切り取り(&X)\tCtrl+X"), this, &QTextEdit::cut);
    cutAction->setEnabled(selected);
    QAction* pasteAction =
        menu->addAction(QStringLiteral("貼り付け(&V)\tCtrl+V"), this, &QTextEdit::paste);
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    pasteAction->setEnabled(clipboard != nullptr && canInsertFromMimeData(clipboard));
    return menu;
}

void CInputLine::contextMenuEvent(QContextMenuEvent* event) {
    emit ContextMenuOpened();
    QMenu* menu = BuildContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

}  // namespace yarrow
