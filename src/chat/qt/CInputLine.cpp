#include "chat/qt/CInputLine.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>
#include <algorithm>

#include "chat/CDebugCodes.h"
#include "net/CMsg.h"
#include "net/DispatchTargets.h"
#include "net/ISessionPort.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {

CInputLine::CInputLine(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("1001"));
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    document()->setDocumentMargin(2);
    setFixedHeight(HeightFor(0));
    connect(this, &QTextEdit::textChanged, this, &CInputLine::OnTextChanged);
}

void CInputLine::Attach(ISessionPort* session, IChatLogTarget* log, CDebugCodes* debug) {
    session_ = session;
    log_ = log;
    debug_ = debug;
}

int CInputLine::HeightFor(int lineBreaks) const {
    const int lines = std::clamp(lineBreaks, 0, 2);
    // The line heights suit the usual dialog font; a taller font gets taller
    // lines, so a line is never cut. Frame and margins take 7 pixels.
    const int spacing = fontMetrics().lineSpacing();
    const int first = std::max(kInputHeightOneLine, spacing + 7);
    const int pitch = std::max(kInputHeightTwoLines - kInputHeightOneLine, spacing);
    return first + lines * pitch;
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
    if (session_ == nullptr || debug_ == nullptr) {
        outcome.clearInput = true;
    } else {
        if (replaced && !state_.debugInput && log_ != nullptr) {
            log_->AppendNoticeLine(UnsendableCharactersNotice());
        }
        outcome = SubmitInput(state_, std::move(text), *session_, *debug_);
    }
    if (outcome.clearInput) {
        // A remark has ended the typing mark on every receiver by itself
        // (SubmitInput let the flag go), so emptying the line sends no
        // EndSaying; a line emptied without a remark (a debug code, or text
        // the filter took away) still has its mark to take down.
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
    if (change.notice && session_ != nullptr && session_->IsConnected()) {
        session_->SendText(std::string(), *change.notice);
    }
    const int breaks = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    if (breaks != lineBreaks_) {
        lineBreaks_ = breaks;
        setFixedHeight(HeightFor(breaks));
        emit LineBreaksChanged(breaks);
    }
}

bool CInputLine::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // The text edit claims keys such as Ctrl+Left (word movement) and
        // Ctrl+Insert before any shortcut sees them; a command's key must
        // reach its command.
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QKeySequence& command : commandKeys_) {
            if (command.matches(pressed) == QKeySequence::ExactMatch) {
                event->ignore();
                return true;
            }
        }
    }
    return QTextEdit::event(event);
}

void CInputLine::insertFromMimeData(const QMimeData* source) {
    // A remark stays far inside one record, counting two bytes a character
    // and each continuation indent for a name of up to 255 bytes.
    const QString text = toPlainText() + (source != nullptr ? source->text() : QString());
    const auto bytes = static_cast<std::size_t>(text.size()) * 2 +
                       static_cast<std::size_t>(text.count(QLatin1Char('\n'))) * 257;
    if (bytes > kMaxRecordBytes / 16) {
        QApplication::beep();
        return;
    }
    QTextEdit::insertFromMimeData(source);
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
