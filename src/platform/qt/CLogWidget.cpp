#include "platform/qt/CLogWidget.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

#include "platform/CRtfWriter.h"

namespace yarrow {

namespace {

// A link is drawn in the link colour; the colour the line gave the text is kept
// here so that a saved log still carries it.
constexpr int kOwnColorProperty = QTextFormat::UserProperty + 1;

QColor FromRgb(std::uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

std::uint32_t ToRgb(const QColor& color) {
    return (static_cast<std::uint32_t>(color.red()) << 16) |
           (static_cast<std::uint32_t>(color.green()) << 8) |
           static_cast<std::uint32_t>(color.blue());
}

QTextCharFormat ToQtFormat(const RtfCharFormat& format) {
    QTextCharFormat qt;
    if (format.color) {
        qt.setForeground(FromRgb(*format.color));
    }
    qt.setFontPointSize(format.halfPoints / 2.0);
    qt.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    return qt;
}

RtfCharFormat FromQtFormat(const QTextCharFormat& qt) {
    RtfCharFormat format;
    if (qt.hasProperty(kOwnColorProperty)) {
        const QVariant own = qt.property(kOwnColorProperty);
        if (own.isValid() && !own.isNull()) {
            format.color = own.toUInt();
        }
    } else if (qt.hasProperty(QTextFormat::ForegroundBrush)) {
        format.color = ToRgb(qt.foreground().color());
    }
    if (qt.hasProperty(QTextFormat::FontPointSize)) {
        format.halfPoints = static_cast<int>(std::lround(qt.fontPointSize() * 2.0));
    }
    format.bold = qt.fontWeight() >= QFont::Bold;
    return format;
}

bool IsUrlChar(QChar c) {
    const char16_t u = c.unicode();
    return u > 0x20 && u < 0x7F && u != '<' && u != '>' && u != '"';
}

}  // namespace

CLogWidget::CLogWidget(QWidget* parent) : QTextBrowser(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    document()->setUndoRedoEnabled(false);
    opener_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (opener_ &&
            (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))) {
            opener_(url);
        }
    });
}

void CLogWidget::AppendRtf(const std::string& document, bool keepScrollPosition) {
    QScrollBar* bar = verticalScrollBar();
    const int kept = bar->value();
    AppendRuns(CRtfReader::Read(document));
    if (keepScrollPosition) {
        bar->setValue(kept);
    } else {
        bar->setValue(bar->maximum());
    }
}

void CLogWidget::AppendRuns(const std::vector<RtfRun>& runs) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    const int start = cursor.position();
    // One edit block: the layout is updated once for the whole line, and only
    // for the part that changed.
    cursor.beginEditBlock();
    for (const RtfRun& run : runs) {
        if (run.paragraphBreak) {
            cursor.insertBlock(QTextBlockFormat(), ToQtFormat(run.format));
        } else if (!run.text.empty()) {
            cursor.insertText(
                QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size())),
                ToQtFormat(run.format));
        }
    }
    MarkLinks(start, cursor.position());
    cursor.endEditBlock();
}

void CLogWidget::MarkLinks(int from, int to) {
    if (to <= from) {
        return;
    }
    // Addresses never span paragraphs, so each paragraph of the new line is
    // searched on its own.
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        const QString text = block.text();
        if (!text.contains(QLatin1String("http"))) {
            continue;
        }
        const std::vector<std::pair<int, int>> urls = FindUrls(text);
        if (urls.empty()) {
            continue;
        }
        // The paragraph's pieces as they were before any link was marked.
        // Addresses never overlap, so marking one leaves the pieces under the
        // others as they are; walking both lists side by side keeps a line
        // with many addresses linear instead of visiting every piece again
        // for every address.
        struct Piece {
            int position;
            int length;
            QTextCharFormat format;
        };
        std::vector<Piece> pieces;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            pieces.push_back({fragment.position(), fragment.length(), fragment.charFormat()});
        }
        QTextCursor cursor(document());
        std::size_t first = 0;
        for (const auto& [start, length] : urls) {
            const QString href = text.mid(start, length);
            // Fragment by fragment, so every piece keeps its own size and weight
            // and remembers its own colour.
            const int begin = block.position() + start;
            const int end = begin + length;
            while (first < pieces.size() &&
                   pieces[first].position + pieces[first].length <= begin) {
                ++first;
            }
            for (std::size_t i = first; i < pieces.size() && pieces[i].position < end; ++i) {
                const Piece& piece = pieces[i];
                const int a = std::max(begin, piece.position);
                const int b = std::min(end, piece.position + piece.length);
                if (a >= b) {
                    continue;
                }
                QTextCharFormat link = piece.format;
                if (link.hasProperty(QTextFormat::ForegroundBrush)) {
                    link.setProperty(kOwnColorProperty, ToRgb(link.foreground().color()));
                } else {
                    link.setProperty(kOwnColorProperty, QVariant());
                }
                link.setAnchor(true);
                link.setAnchorHref(href);
                link.setFontUnderline(true);
                link.setForeground(palette().color(QPalette::Link));
                cursor.setPosition(a);
                cursor.setPosition(b, QTextCursor::KeepAnchor);
                cursor.setCharFormat(link);
            }
        }
    }
}

std::vector<std::pair<int, int>> CLogWidget::FindUrls(const QString& text) {
    std::vector<std::pair<int, int>> urls;
    int from = 0;
    // Each search result is kept until the scan has passed it: searching for
    // both schemes afresh after every address would read the rest of a long
    // line again for each address of the other scheme.
    int http = -2;
    int https = -2;
    while (from < text.size()) {
        if (http != -1 && http < from) {
            http = static_cast<int>(text.indexOf(QLatin1String("http://"), from));
        }
        if (https != -1 && https < from) {
            https = static_cast<int>(text.indexOf(QLatin1String("https://"), from));
        }
        int start = http;
        int schemeLength = 7;
        if (https >= 0 && (http < 0 || https < http)) {
            start = https;
            schemeLength = 8;
        }
        if (start < 0) {
            break;
        }
        int end = start + schemeLength;
        while (end < text.size() && IsUrlChar(text.at(end))) {
            ++end;
        }
        // A scheme with nothing after it is not an address.
        if (end > start + schemeLength) {
            urls.emplace_back(start, end - start);
        }
        from = end;
    }
    return urls;
}

std::vector<RtfRun> CLogWidget::Runs() const {
    std::vector<RtfRun> runs;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) {
            RtfRun mark;
            mark.paragraphBreak = true;
            mark.format = FromQtFormat(block.charFormat());
            runs.push_back(mark);
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            RtfRun run;
            run.format = FromQtFormat(fragment.charFormat());
            run.text = fragment.text().toStdString();
            if (!runs.empty() && !runs.back().paragraphBreak && runs.back().format == run.format) {
                runs.back().text += run.text;
            } else {
                runs.push_back(std::move(run));
            }
        }
    }
    return runs;
}

std::string CLogWidget::StreamOutRtf() const {
    return CRtfWriter::WriteRtf(Runs());
}

std::string CLogWidget::StreamOutText() const {
    return CRtfWriter::WriteText(Runs());
}

void CLogWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (!menuProvider_) {
        QTextBrowser::contextMenuEvent(event);
        return;
    }
    QMenu* menu = menuProvider_(this);
    if (menu == nullptr) {
        return;
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CLogWidget::Clear() {
    document()->clear();
}

void CLogWidget::SetBackgroundColor(std::uint32_t rgb) {
    QPalette p = palette();
    const QColor color = FromRgb(rgb);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, color);
    }
    setPalette(p);
}

}  // namespace yarrow
