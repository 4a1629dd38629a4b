#pragma once
// The chat log control: a read-only text browser that only ever grows by whole
// RTF documents (one per line), shows their colours, sizes, bold text, hearts
// and paragraphs, turns web addresses into links, and streams the whole log
// out again as RTF or as plain text.

#include <QTextBrowser>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

#include "platform/CRtfReader.h"
#include "platform/ILogControl.h"

class QContextMenuEvent;
class QMenu;

namespace yarrow {

class CLogWidget : public QTextBrowser, public ILogControl {
    Q_OBJECT
  public:
    explicit CLogWidget(QWidget* parent = nullptr);

    void AppendRtf(const std::string& document, bool keepScrollPosition) override;
    std::string StreamOutRtf() const override;
    std::string StreamOutText() const override;
    void Clear() override;
    void SetBackgroundColor(std::uint32_t rgb) override;

    // The log's content as runs, in the form the RTF reader produces.
    std::vector<RtfRun> Runs() const;

    // What a click on a link does; the desktop's browser by default.
    void SetLinkOpener(std::function<void(const QUrl&)> opener) { opener_ = std::move(opener); }

    // Web addresses (http:// and https://) in a text, as (start, length) in
    // UTF-16 units. An address runs to the next blank, control character,
    // non-ASCII character or one of < > " (which cannot be part of one).
    static std::vector<std::pair<int, int>> FindUrls(const QString& text);

    // The log's context menu comes from the chat commands (they remember
    // which control copy goes to); without them it is the text browser's own.
    void SetContextMenuProvider(std::function<QMenu*(QWidget* parent)> provider) {
        menuProvider_ = std::move(provider);
    }

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void AppendRuns(const std::vector<RtfRun>& runs);
    void MarkLinks(int from, int to);

    std::function<void(const QUrl&)> opener_;
    std::function<QMenu*(QWidget*)> menuProvider_;
};

}  // namespace yarrow
