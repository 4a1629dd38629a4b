#pragma once
// The chat view's multi-line input line (control 1001). Enter sends, Ctrl+Enter
// breaks the line; the height follows the number of lines (one, two, three);
// the first character typed tells the others "typing", emptying the line
// without sending tells them "stopped"; Ctrl+S, Ctrl+R and Ctrl+H insert tags
// as one undo step; Ctrl+B swaps the text with a second buffer. The chat
// commands' keys (Ctrl+Left, Ctrl+Insert, ...) stay commands while it has the
// focus instead of moving the caret or editing by themselves.

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QTextEdit>
#include <string>

#include "chat/InputRules.h"

class QMenu;

namespace yarrow {

class CDebugCodes;
class IChatLogTarget;
class ISessionPort;

class CInputLine : public QTextEdit {
    Q_OBJECT
  public:
    explicit CInputLine(QWidget* parent = nullptr);

    // Where remarks and typing notices go, where notices are shown and where
    // debug codes run. Without them Enter only clears the line.
    void Attach(ISessionPort* session, IChatLogTarget* log, CDebugCodes* debug);

    // Keys that belong to commands: the line lets them through to the
    // window's shortcuts.
    void SetCommandKeys(QList<QKeySequence> keys) { commandKeys_ = std::move(keys); }

    InputState& State() { return state_; }
    const InputState& State() const { return state_; }
    void SetFilterOn(bool on) { state_.filter.on = on; }
    void SetFilterWords(std::vector<std::string> persons, std::vector<std::string> replacements);

    // The text as code page 932, line breaks as CR LF. `replaced` tells
    // whether some character could not be represented.
    std::string Cp932Text(bool* replaced = nullptr) const;

    // Enter: sends the text (or runs the debug code) as the chat view does.
    SubmitOutcome Submit();

    // Ctrl+S, Ctrl+R, Ctrl+H; each is undone by one undo.
    void InsertTags(const TagPair& tags);
    void InsertSizeTags() { InsertTags(kSizeTags); }
    void InsertColorTags() { InsertTags(kColorTags); }
    void InsertHeart();

    // Ctrl+B: exchanges the text with the other buffer, caret at the end.
    // Returns the buffer now shown (1 or 2).
    int SwapBuffers();
    int CurrentBuffer() const { return buffer_; }

    // The height for a text with this many line breaks: one, two or three
    // lines, never less than the font needs.
    int HeightFor(int lineBreaks) const;

    // The right-button menu: copy, cut, paste (disabled as the state asks).
    QMenu* BuildContextMenu(QWidget* parent);

  signals:
    // The typed text contains this many line breaks now (height changes).
    void LineBreaksChanged(int lineBreaks);
    // Status pane 1's text after a buffer swap ("ﾊﾞｯﾌｧ1" / "ﾊﾞｯﾌｧ2").
    void BufferIndicatorChanged(const QString& text);
    // Enter was pressed and the text handled.
    void Submitted(bool sent);
    // The right-button menu was opened over the input line.
    void ContextMenuOpened();

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Refuses a paste or drop that would make the remark too big to send.
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void OnTextChanged();

    ISessionPort* session_ = nullptr;
    IChatLogTarget* log_ = nullptr;
    CDebugCodes* debug_ = nullptr;
    QList<QKeySequence> commandKeys_;
    InputState state_;
    QString otherBuffer_;
    int buffer_ = 1;
    int lineBreaks_ = 0;
};

}  // namespace yarrow
