// The log control fed by the chat log: what a line looks like in the
// document, links, streaming out and scrolling.
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

#include "chat/CChatLog.h"
#include "net/MsgType.h"
#include "platform/CRtfReader.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"
#include "platform/qt/CLogWidget.h"

using namespace yarrow;

namespace {

class CStillClock final : public IClock {
  public:
    std::time_t Now() const override { return 1'700'000'000; }
};

// The character format at the first occurrence of `text` in the log.
QTextCharFormat FormatOf(const CLogWidget& log, const QString& text) {
    QTextCursor found = log.document()->find(text);
    if (found.isNull()) {
        return {};
    }
    QTextCursor at(log.document());
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

struct Fixture {
    CStillClock clock;
    CLogWidget log;
    CChatLog chat{&log, clock, "/nonexistent/"};
};

constexpr std::int32_t kLogBox = 3;

}  // namespace

class CLogWidgetQtTest : public QObject {
    Q_OBJECT
  private slots:
    void chatLineCarriesItsColoursSizesAndBoldInAndOut();
    void addressesBecomeLinksThatEndWhereTheAddressEnds();
    void clickingALinkOpensIt();
    void scrollLockKeepsTheView();
    void hostileDocumentsAreHarmless();
    void aLineFullOfAddressesIsLinkedThroughout();
};

void CLogWidgetQtTest::chatLineCarriesItsColoursSizesAndBoldInAndOut() {
    Fixture f;
    f.chat.AppendChatLine(Sjis("GM"), Sjis("<color FF0000>赤い</color>普通<size 5>大"), 0x0000FF,
                          kLogBox);
    const QTextCharFormat name = FormatOf(f.log, QStringLiteral("GM"));
    QCOMPARE(name.foreground().color(), QColor(0, 0, 255));
    QVERIFY(name.fontWeight() >= QFont::Bold);
    const QTextCharFormat red = FormatOf(f.log, QStringLiteral("赤い"));
    QCOMPARE(red.foreground().color(), QColor(255, 0, 0));
    QVERIFY(red.fontWeight() < QFont::Bold);
    QCOMPARE(red.fontPointSize(), 12.0);
    QCOMPARE(FormatOf(f.log, QStringLiteral("普通")).foreground().color(), QColor(0, 0, 0));
    QCOMPARE(FormatOf(f.log, QStringLiteral("大")).fontPointSize(), 22.5);

    // A heart in red; one entry in two paragraphs, braces and backslashes as typed.
    f.chat.AppendChatLine(Sjis("GM"), Sjis("a<h>b\r\nc\\{d}"), 0, kLogBox);
    const QString heart = QString(QChar(0x2665));
    QCOMPARE(FormatOf(f.log, heart).foreground().color(), QColor(255, 0, 0));
    // A notice's bold ends with its line.
    f.chat.AppendNoticeLine(Sjis("<b>x"));
    f.chat.AppendNoticeLine(Sjis("y"));
    QVERIFY(FormatOf(f.log, QStringLiteral("x")).fontWeight() >= QFont::Bold);
    QVERIFY(FormatOf(f.log, QStringLiteral("y")).fontWeight() < QFont::Bold);

    // Saved as text, and as RTF that reads back with the same colours and weights.
    const std::string saved = f.log.StreamOutText();
    QVERIFY(saved.starts_with(Sjis("GM：赤い普通大\r\nGM：a")));
    QVERIFY(saved.ends_with(Sjis("b\r\nc\\{d}\r\nx\r\ny\r\n")));
    bool redSeen = false, boldBlueName = false;
    for (const RtfRun& run : CRtfReader::Read(f.log.StreamOutRtf())) {
        redSeen |= run.text == "赤い" && run.format.color == 0xFF0000u && !run.format.bold;
        boldBlueName |= run.text == "GM" && run.format.bold && run.format.color == 0x0000FFu;
    }
    QVERIFY(redSeen && boldBlueName);
    f.log.Clear();
    QCOMPARE(f.log.StreamOutText(), std::string());
}

// Each line's links as the log marks them: an address runs to the next
// blank, control or non-ASCII character or one of < > ", and a saved log
// keeps the colour the line gave the address, not the link colour.
void CLogWidgetQtTest::addressesBecomeLinksThatEndWhereTheAddressEnds() {
    const struct {
        const char* line;
        QStringList links;
    } cases[] = {
        {"see <color 008000>https://example.com/a?b=1</color> and http://x.jp/ここ",
         {"https://example.com/a?b=1", "http://x.jp/"}},
        {"<https://x.y/z>", {"https://x.y/z"}},
        {"http:// https:// ftp://a.b mailto:x", {}},
        {"http://a\thttps://b", {"http://a", "https://b"}},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.chat.AppendChatLine(Sjis("GM"), Sjis(c.line), 0, kLogBox);
        QStringList links;
        for (auto it = f.log.document()->firstBlock().begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor() && (links.isEmpty() || links.back() != format.anchorHref()))
                links << format.anchorHref();
        }
        QCOMPARE(links, c.links);
    }
    Fixture f;
    f.chat.AppendChatLine(Sjis("GM"), Sjis(cases[0].line), 0, kLogBox);
    bool sawGreen = false;
    for (const RtfRun& run : CRtfReader::Read(f.log.StreamOutRtf())) {
        if (run.text.find("example.com") != std::string::npos)
            sawGreen = run.format.color == 0x008000u;
    }
    QVERIFY(sawGreen);
}

void CLogWidgetQtTest::clickingALinkOpensIt() {
    Fixture f;
    QList<QUrl> opened;
    f.log.SetLinkOpener([&opened](const QUrl& url) { opened << url; });
    f.log.resize(400, 200);
    f.log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.log));
    f.chat.AppendChatLine(Sjis("GM"), Sjis("http://example.com/page"), 0, kLogBox);
    QTextCursor at(f.log.document());
    at.setPosition(f.log.document()->find(QStringLiteral("example")).selectionStart() + 2);
    const QPoint point = f.log.cursorRect(at).center();
    QTest::mouseClick(f.log.viewport(), Qt::LeftButton, {}, point);
    QCOMPARE(opened, (QList<QUrl>{QUrl(QStringLiteral("http://example.com/page"))}));
}

void CLogWidgetQtTest::scrollLockKeepsTheView() {
    Fixture f;
    f.log.resize(300, 120);
    f.log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.log));
    for (int i = 0; i < 100; ++i) {
        f.chat.AppendNoticeLine(Sjis("line ") + std::to_string(i));
    }
    QScrollBar* bar = f.log.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());  // follows the newest line
    bar->setValue(10);
    f.chat.SetScrollLock(true);
    f.chat.AppendNoticeLine(Sjis("locked"));
    QCOMPARE(bar->value(), 10);
    f.chat.SetScrollLock(false);
    f.chat.AppendNoticeLine(Sjis("unlocked"));
    QCOMPARE(bar->value(), bar->maximum());
}

void CLogWidgetQtTest::hostileDocumentsAreHarmless() {
    CLogWidget log;
    // Truncated, unbalanced and nonsense input shows what text it has, no more.
    log.AppendRtf("{\\rtf1{\\colortbl;\\red255;}\\cf99999999999 abc\\'8", false);
    log.AppendRtf("}}}}{{{\\par\\par", false);
    log.AppendRtf(std::string(1000, '{'), false);
    log.AppendRtf("", false);
    QVERIFY(log.document()->toPlainText().contains(QStringLiteral("abc")));
    QVERIFY(log.document()->characterCount() < 100);
}

void CLogWidgetQtTest::aLineFullOfAddressesIsLinkedThroughout() {
    // A peer's single line packed with addresses, sizes changing between
    // them: every address still becomes its own link with its own size. The
    // line is long enough that looking through the whole rest of the line,
    // or through every piece of it, once per address would not finish within
    // the test's time limit.
    Fixture f;
    constexpr int kAddresses = 40000;
    std::string text;
    for (int i = 0; i < kAddresses; ++i) {
        text += "<size " + std::to_string(i % 2 + 1) + ">http://a.jp/" + std::to_string(i) + " ";
    }
    f.chat.AppendChatLine("GM", text, 0x000000, kLogBox);

    const QTextBlock block = f.log.document()->firstBlock();
    int links = 0;
    QString lastHref;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        if (format.isAnchor()) {
            ++links;
            QCOMPARE(format.anchorHref(), it.fragment().text());
            lastHref = format.anchorHref();
        }
    }
    QCOMPARE(links, kAddresses);
    QCOMPARE(lastHref, QStringLiteral("http://a.jp/%1").arg(kAddresses - 1));
    QCOMPARE(FormatOf(f.log, QStringLiteral("http://a.jp/0 ")).fontPointSize(), 7.5);
    QCOMPARE(FormatOf(f.log, QStringLiteral("http://a.jp/1 ")).fontPointSize(), 9.0);
}

QTEST_MAIN(CLogWidgetQtTest)
#include "CLogWidgetQtTest.moc"
