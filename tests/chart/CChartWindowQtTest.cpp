#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>

#include "chart/qt/CChartItemDelegate.h"
#include "chart/qt/CChartWindow.h"
#include "chart/qt/CDeleteColumnsDialog.h"
#include "chart/qt/CTextWidthMeter.h"
#include "chart/qt/IChartDialogs.h"
#include "net/CDispatcher.h"
#include "platform/Cp932.h"
#include "platform/Trace.h"
#include "support/FakeSession.h"
#include "support/FixedClock.h"
#include "support/RecordingTargets.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;
using namespace yarrow::test;

namespace {

class ScriptedDialogs final : public IChartDialogs {
  public:
    std::optional<std::string> OpenFileName(QWidget*) override { return openPath; }
    std::optional<std::string> SaveFileName(QWidget*) override { return savePath; }
    std::optional<QString> AskColumnHeader(QWidget*) override {
        if (whileAsking)
            whileAsking();
        return header;
    }
    std::optional<std::vector<int>> ChooseColumnsToDelete(const QStringList& headers, IPrompter&,
                                                          QWidget*) override {
        offered = headers;
        if (whileAsking)
            whileAsking();
        return columns;
    }
    std::optional<std::string> openPath;
    std::optional<std::string> savePath;
    std::optional<QString> header;
    // Runs while a column dialog is open (records arriving meanwhile).
    std::function<void()> whileAsking;
    std::optional<std::vector<int>> columns;
    QStringList offered;
};

// One participant's chart window with the real dispatcher in front of it, so
// records reach the window as they do in the program. Sends go to the
// session (a FakeSession), and through a LoopHub to every participant.
struct Participant {
    Participant(std::int32_t id, const std::string& name) : dialogs(new ScriptedDialogs) {
        session.myId = id;
        session.myName = name;
        window = std::make_unique<CChartWindow>(session, prompter, nullptr,
                                                std::unique_ptr<IChartDialogs>(dialogs));
        dispatcher = std::make_unique<CDispatcher>(
            CDispatcher::Deps{nullptr,
                              session,
                              session,
                              rec,
                              *window,
                              rec,
                              rec,
                              timers,
                              prompter,
                              clock,
                              [](std::function<void()> task) { task(); },
                              {},
                              [this] { return autoShow; }});
    }
    void Receive(CMsg msg) { dispatcher->Dispatch(msg); }
    QPushButton* Button(const char* id) const {
        return window->findChild<QPushButton*>(QString::fromLatin1(id));
    }
    QAction* Action(const char* id) const {
        return window->findChild<QAction*>(QString::fromLatin1(id));
    }
    void SelectRow(int row) const { window->Grid()->selectRow(row); }
    std::vector<std::string> Column0() const {
        std::vector<std::string> out;
        for (int r = 0; r < window->Model().RowCount(); ++r)
            out.push_back(window->Model().Cell(r, 0));
        return out;
    }
    int LocksSent() const {
        return static_cast<int>(std::count_if(session.records.begin(), session.records.end(),
                                              [](const CMsg& m) { return m.Type == ChartLock; }));
    }

    FakeSession session;
    Recorder rec;
    FakeTimers timers;
    ScriptedPrompter prompter;
    FixedClock clock;
    bool autoShow = true;
    ScriptedDialogs* dialogs;  // owned by the window
    std::unique_ptr<CChartWindow> window;
    std::unique_ptr<CDispatcher> dispatcher;
};

// Relays every record to every attached participant in attach order, the
// sender's own window included, as the hub does.
class LoopHub {
  public:
    void Attach(Participant& peer) {
        peer.session.relay = [this](const CMsg& msg) { Relay(msg); };
        peers_.push_back(&peer);
    }
    void Relay(const CMsg& msg) {
        for (Participant* peer : peers_)
            peer->Receive(msg);
    }

  private:
    std::vector<Participant*> peers_;
};

CMsg ChartMsg(int rows, int columns, std::vector<std::string> strings) {
    CMsg msg;
    msg.Type = Chart;
    msg.ChartRows = rows;
    msg.ChartColumns = columns;
    msg.Strings = std::move(strings);
    return msg;
}

std::string ReadAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

class CChartWindowQtTest : public QObject {
    Q_OBJECT
  private slots:
    void locksTravelThroughTheHubAndStopEditing();
    void autoShowOffKeepsWindowHiddenAndNotesEachUpdate();
    void nothingIsSentWhileNotConnected();
    void addColumnAndRowAnnounceAndKeepTheirLimits();
    void rowsAreDeletedMovedAndResetThroughTheControls();
    void deleteColumnsOffersAllButFirstAndAnnouncesEvenForNone();
    void inPlaceEditWritesTheCellOnEnterAndEscape();
    void recordsArrivingDuringAQuestionCancelTheEdit();
    void currentRowGetsTheFocusFrame();
    void saveAndOpenFilesWithTheirMessages();
    void fittedColumnsMeasureCellsAndNeverShortenTheText();
    void unrepresentableHeaderIsReplacedAndTold();
};

void CChartWindowQtTest::locksTravelThroughTheHubAndStopEditing() {
    LoopHub hub;
    Participant a(1, "Alice");
    Participant b(2, "Bob");
    Participant c(3, "Carol");
    for (Participant* p : {&a, &b, &c})
        hub.Attach(*p);
    a.window->AddRow();  // editing announces
    QCOMPARE(a.LocksSent(), 1);
    QCOMPARE(a.session.records.back().Text, std::string("Alice"));
    QVERIFY(!a.window->Model().Locked());  // its own echo is ignored
    QCOMPARE(b.window->windowTitle(), QStringLiteral("ロック中(Alice)"));
    QCOMPARE(b.Button("1040")->text(), QStringLiteral("ﾛｯｸ解除"));
    for (const char* id : {"1042", "1043", "1045", "1046"})
        QVERIFY2(!b.Button(id)->isEnabled(), id);
    QVERIFY(b.window->NumberBox()->isEnabled());  // the arrows stay usable
    QVERIFY(!b.window->NumberBox()->findChild<QLineEdit*>()->isEnabled());
    b.window->SetChartLock(true, "Dave");  // a second locker changes nothing
    QCOMPARE(b.window->windowTitle(), QStringLiteral("ロック中(Alice)"));

    // Editing does nothing while locked.
    b.window->AddRow();
    b.window->EditCell(0, 0);
    b.SelectRow(0);
    QTest::keyClick(b.window->Grid(), Qt::Key_Delete);
    QCOMPARE(b.window->Model().RowCount(), 1);
    QVERIFY(b.prompter.prompts.empty() && b.session.records.empty());

    // "ﾛｯｸ解除" asks; Yes frees this window only and sends nothing.
    b.prompter.answers = {PromptAnswer::No};
    b.Button("1040")->click();
    QCOMPARE(
        b.prompter.prompts[0].text,
        Sjis("現在表はAliceさんによってロックされています。\r\nロックを強制的に解除しますか？"));
    QCOMPARE(b.prompter.prompts[0].buttons, PromptButtons::YesNo);
    QVERIFY(b.window->Model().Locked());
    b.prompter.answers = {PromptAnswer::Yes};
    b.window->SendChart();
    QVERIFY(!b.window->Model().Locked());
    QVERIFY(b.session.records.empty());
    QCOMPARE(b.window->windowTitle(), QStringLiteral("Yarrow"));
    QCOMPARE(b.Button("1040")->text(), QStringLiteral("更新"));
    for (const char* id : {"1042", "1043", "1045", "1046"})
        QVERIFY2(b.Button(id)->isEnabled(), id);
    QVERIFY(b.window->NumberBox()->findChild<QLineEdit*>()->isEnabled());
    QVERIFY(c.window->Model().Locked());

    // The sent chart lifts everybody's lock and carries the number box.
    a.window->NumberBox()->setValue(7);
    a.Button("1040")->click();
    QCOMPARE(a.session.records.back().Type, static_cast<std::int32_t>(Chart));
    QVERIFY(!c.window->Model().Locked());
    QCOMPARE(c.window->windowTitle(), QStringLiteral("Yarrow"));
    QCOMPARE(c.window->Model().RowCount(), 2);
    QCOMPARE(c.window->NumberBox()->value(), 7);
    QVERIFY(a.window->isVisible() && c.window->isVisible());  // auto-show is on
    QVERIFY(c.session.notices.empty());                       // shown, so not noted
}

void CChartWindowQtTest::autoShowOffKeepsWindowHiddenAndNotesEachUpdate() {
    LoopHub hub;
    Participant a(1, "Alice");
    Participant b(2, "Bob");
    hub.Attach(a);
    hub.Attach(b);
    b.autoShow = false;
    a.window->show();

    a.window->AddColumn();  // nothing scripted: cancelled
    a.dialogs->header = QStringLiteral("HP");
    a.window->AddColumn();
    a.window->SendChart();
    a.window->SendChart();
    QVERIFY(b.window->isHidden());
    QCOMPARE(b.session.notices, std::vector<std::string>(2, Sjis("◇ 表に更新がありました")));
    QCOMPARE(b.window->Model().Header(1), std::string("HP"));
    QVERIFY(a.session.notices.empty());  // the visible sender's window needs no notice
}

void CChartWindowQtTest::nothingIsSentWhileNotConnected() {
    Participant p(1, "A");
    p.session.connected = false;
    p.window->AddRow();
    p.window->SendChart();
    QVERIFY(p.session.records.empty());
    QVERIFY(p.session.notices.empty());  // the lock is not even noted locally
    QCOMPARE(p.window->Model().RowCount(), 2);
}

void CChartWindowQtTest::addColumnAndRowAnnounceAndKeepTheirLimits() {
    Participant p(1, "A");
    p.dialogs->header = QStringLiteral("");
    for (int i = 1; i < 256; ++i) {
        p.window->AddColumn();
        p.window->AddRow();
    }
    QCOMPARE(p.window->Model().RowCount(), 256);
    QCOMPARE(p.window->Grid()->horizontalHeader()->sectionSize(255), 100);
    QCOMPARE(p.LocksSent(), 510);
    QVERIFY(p.prompter.prompts.empty());

    p.window->AddColumn();
    p.window->AddRow();
    QCOMPARE(p.prompter.prompts.size(), size_t(2));
    QCOMPARE(p.prompter.prompts[0].text, Sjis("表に追加できる列は255個までです"));
    QCOMPARE(p.prompter.prompts[1].text, Sjis("表に追加できる行は255個までです"));
    QCOMPARE(p.window->Grid()->model()->columnCount(), 256);
    QCOMPARE(p.LocksSent(), 510);  // a refused addition announces nothing
}

void CChartWindowQtTest::rowsAreDeletedMovedAndResetThroughTheControls() {
    Participant p(1, "A");
    p.window->AddRow();
    p.window->AddRow();
    p.window->AddRow();
    QTableView* grid = p.window->Grid();
    for (int r = 0; r < 4; ++r)
        grid->model()->setData(grid->model()->index(r, 0), QString(QChar('a' + r)));
    const int locks = p.LocksSent();

    // The Delete key asks, then deletes the first selected row.
    grid->setFocus();
    for (int row : {3, 2})
        grid->selectionModel()->select(grid->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(grid, Qt::Key_Delete);  // unscripted: No
    QCOMPARE(p.prompter.prompts.back().text, Sjis("アイテムを削除してよろしいですか？"));
    QCOMPARE(p.window->Model().RowCount(), 4);
    QCOMPARE(p.LocksSent(), locks);
    p.prompter.answers = {PromptAnswer::Yes};
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(p.Column0(), (std::vector<std::string>{"a", "b", "d"}));
    QCOMPARE(p.LocksSent(), locks + 1);

    // ▲ and ▼ wrap around, drop the selection and announce nothing.
    p.SelectRow(2);
    p.Button("1046")->click();
    QCOMPARE(p.Column0(), (std::vector<std::string>{"d", "a", "b"}));
    QVERIFY(grid->selectionModel()->selectedRows().isEmpty());
    p.Button("1046")->click();  // nothing selected: nothing moves
    p.SelectRow(0);
    p.Button("1045")->click();
    QCOMPARE(p.Column0(), (std::vector<std::string>{"a", "b", "d"}));
    p.SelectRow(1);
    p.Button("1045")->click();
    QCOMPARE(p.Column0(), (std::vector<std::string>{"b", "a", "d"}));
    QCOMPARE(p.LocksSent(), locks + 1);

    // Reset asks; afterwards a row needs a column first.
    p.window->NumberBox()->setValue(30);
    p.Action("32803")->trigger();
    QCOMPARE(p.prompter.prompts.back().text, Sjis("表を全てリセットします。\r\nよろしいですか？"));
    QCOMPARE(p.window->Model().RowCount(), 3);
    p.prompter.answers = {PromptAnswer::Yes};
    p.Action("32803")->trigger();
    QCOMPARE(p.window->Model().RowCount(), 1);
    QCOMPARE(p.window->NumberBox()->value(), 0);
    QCOMPARE(p.window->Grid()->model()->columnCount(), 0);
    const size_t sent = p.session.records.size();
    p.Button("1043")->click();
    QCOMPARE(p.window->Model().RowCount(), 1);
    QCOMPARE(p.session.records.size(), sent);  // nothing happened, nothing announced
    p.dialogs->header = QStringLiteral("new");
    p.Button("1042")->click();
    p.Button("1043")->click();
    QCOMPARE(p.window->Model().RowCount(), 2);
}

void CChartWindowQtTest::deleteColumnsOffersAllButFirstAndAnnouncesEvenForNone() {
    Participant p(1, "A");
    for (const char* h : {"b", "c", "d"}) {
        p.dialogs->header = QString::fromLatin1(h);
        p.window->AddColumn();
    }
    const int locks = p.LocksSent();
    p.Action("32804")->trigger();  // cancelled: nothing
    QCOMPARE(p.dialogs->offered, (QStringList{QStringLiteral("名前"), "b", "c", "d"}));
    QCOMPARE(p.LocksSent(), locks);
    p.dialogs->columns = std::vector<int>{};
    p.window->DeleteColumns();
    QCOMPARE(p.window->Model().ColumnCount(), 4);
    QCOMPARE(p.LocksSent(), locks + 1);
    // Also while locked, and column 0 survives even when asked for.
    p.window->SetChartLock(true, "Bob");
    p.dialogs->columns = std::vector<int>{0, 1, 3};
    p.window->DeleteColumns();
    QCOMPARE(p.window->Model().Header(0), Sjis("名前"));
    QCOMPARE(p.window->Model().Header(1), std::string("c"));
    QCOMPARE(p.window->Grid()->model()->columnCount(), 2);
    QCOMPARE(p.LocksSent(), locks + 2);

    // The dialog itself lists all but the first and asks with the count; a
    // No still closes it as confirmed, taking nothing.
    const QStringList headers{QStringLiteral("名前"), "b", "c", "d"};
    for (const PromptAnswer answer : {PromptAnswer::Yes, PromptAnswer::No}) {
        CDeleteColumnsDialog dialog(headers, p.prompter);
        QCOMPARE(dialog.List()->count(), 3);
        dialog.List()->item(2)->setSelected(true);
        dialog.List()->item(0)->setSelected(true);
        p.prompter.answers = {answer};
        dialog.ConfirmDelete();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(p.prompter.prompts.back().text, Sjis("これら2個の列を削除してもよろしいですか？"));
        const std::vector<int> taken =
            answer == PromptAnswer::Yes ? std::vector<int>{1, 3} : std::vector<int>();
        QCOMPARE(dialog.Taken(), taken);
    }
    CDeleteColumnsDialog none(headers, p.prompter);
    const size_t asked = p.prompter.prompts.size();
    none.ConfirmDelete();  // nothing selected: no question
    QCOMPARE(p.prompter.prompts.size(), asked);
    QCOMPARE(none.result(), int(QDialog::Accepted));
}

void CChartWindowQtTest::inPlaceEditWritesTheCellOnEnterAndEscape() {
    Participant p(1, "A");
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    p.window->EditCell(0, 0);
    QCOMPARE(p.LocksSent(), 1);
    auto* editor = p.window->Grid()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QTRY_VERIFY(editor->isVisible());
    const QRect cell = p.window->Grid()->visualRect(p.window->Grid()->model()->index(0, 0));
    QCOMPARE(editor->geometry(), cell.translated(2, 2));
    editor->selectAll();
    editor->insert(QStringLiteral("戦士"));   // typed through the input method
    QTest::keyClick(editor, Qt::Key_Return);  // commits through a queued call
    QTRY_COMPARE(p.window->Model().Cell(0, 0), Sjis("戦士"));
    // Escape keeps what was typed too.
    p.window->EditCell(0, 0);
    editor = p.window->Grid()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("kept"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_COMPARE(p.window->Model().Cell(0, 0), std::string("kept"));

    // A received chart closes an open editor without taking its text.
    p.window->EditCell(0, 0);
    editor = p.window->Grid()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("lost"));
    p.window->ApplyChart(ChartMsg(2, 1, {"h", "sent"}));
    QApplication::processEvents();
    QCOMPARE(p.window->Model().Cell(0, 0), std::string("sent"));

    // A cell longer than a single-line field holds is not opened for editing.
    p.window->ApplyChart(ChartMsg(2, 1, {"h", std::string(40000, 'x')}));
    const int locks = p.LocksSent();
    p.window->EditCell(0, 0);
    for (const QLineEdit* open : p.window->Grid()->findChildren<QLineEdit*>())
        QVERIFY(!open->isVisible());
    QCOMPARE(p.LocksSent(), locks);
    QCOMPARE(p.window->Model().Cell(0, 0).size(), size_t(40000));
}

void CChartWindowQtTest::recordsArrivingDuringAQuestionCancelTheEdit() {
    // A lock while the header is asked for: no column, no announcement.
    Participant p(1, "A");
    CMsg lock;
    lock.Type = ChartLock;
    lock.ID = 2;
    lock.Text = "Bob";
    p.dialogs->header = QStringLiteral("HP");
    p.dialogs->whileAsking = [&] { p.Receive(lock); };
    p.window->AddColumn();
    QCOMPARE(p.window->Model().ColumnCount(), 1);
    QCOMPARE(p.LocksSent(), 0);

    // A lock or another chart while the row question is open, answered Yes.
    const CMsg chart =
        ChartMsg(4, 3, {"h0", "h1", "h2", "a", "b", "c", "d", "e", "f", "g", "h", "i"});
    CMsg other = chart;
    other.Strings = {"h0", "h1", "h2", "x", "y", "z", "u", "v", "w", "r", "s", "t"};
    for (const CMsg* arriving : {&lock, &other}) {
        p.Receive(chart);
        p.prompter.answers = {PromptAnswer::Yes};
        p.prompter.whileOpen = [&] { p.Receive(*arriving); };
        p.SelectRow(1);
        p.window->DeleteSelectedRow();
        p.prompter.whileOpen = nullptr;
        QCOMPARE(p.window->Model().Locked(), arriving == &lock);
        QCOMPARE(p.window->Model().RowCount(), 3);
        QCOMPARE(p.window->Model().Cell(1, 0), std::string(arriving == &lock ? "d" : "u"));
    }

    // Another chart while the column dialog is open.
    p.Receive(chart);
    p.dialogs->columns = std::vector<int>{1};
    p.dialogs->whileAsking = [&] { p.Receive(other); };
    p.window->DeleteColumns();
    QCOMPARE(p.window->Model().ColumnCount(), 3);
    p.dialogs->whileAsking = nullptr;
    p.window->DeleteColumns();  // nothing arrived: the delete goes ahead
    QCOMPARE(p.window->Model().ColumnCount(), 2);
}

void CChartWindowQtTest::currentRowGetsTheFocusFrame() {
    Participant p(1, "A");
    p.window->ApplyChart(ChartMsg(3, 2, {"h0", "h1", "", "", "", ""}));
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    QTableView* grid = p.window->Grid();
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    grid->selectionModel()->setCurrentIndex(grid->model()->index(1, 0),
                                            QItemSelectionModel::NoUpdate);
    // The frame runs along the top of the whole row, the second cell included.
    const QRect second = grid->visualRect(grid->model()->index(1, 1));
    const QImage image = grid->viewport()->grab().toImage();
    int dark = 0;
    for (int x = second.left() + 2; x < second.right() - 2; ++x)
        dark += qGray(image.pixel(x, second.top())) < 128;
    QVERIFY2(dark > 0, qPrintable(QString::number(dark)));
}

void CChartWindowQtTest::saveAndOpenFilesWithTheirMessages() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Participant p(1, "A");
    p.dialogs->header = QStringLiteral("H,P");
    p.window->AddColumn();
    p.window->Grid()->model()->setData(p.window->Grid()->model()->index(0, 1), "3,4");
    const QString path = dir.filePath("party.cht");
    p.dialogs->savePath = path.toStdString();
    p.Action("32806")->trigger();
    QVERIFY(p.prompter.prompts.empty());
    QCOMPARE(ReadAll(path), Sjis("名前,H%2CP\r\n,3%2C4\r\n"));

    Participant q(2, "B");
    q.window->NumberBox()->setValue(5);
    q.dialogs->openPath = path.toStdString();
    q.Action("32805")->trigger();
    QCOMPARE(q.window->Model().Cell(0, 1), std::string("3,4"));
    QCOMPARE(q.window->NumberBox()->value(), 5);
    QVERIFY(q.session.records.empty());  // opening neither announces nor sends

    // A broken file is told with a stop sign and changes nothing.
    std::ofstream(dir.filePath("empty.cht").toStdString(), std::ios::binary).flush();
    q.dialogs->openPath = dir.filePath("empty.cht").toStdString();
    q.window->OpenChartFile();
    QCOMPARE(q.prompter.prompts.back().text,
             Sjis("Chartファイルの書式がおかしいか、あるいは破損しています"));
    QCOMPARE(q.prompter.prompts.back().icon, PromptIcon::Stop);
    QCOMPARE(q.window->Model().Header(1), std::string("H,P"));
}

void CChartWindowQtTest::fittedColumnsMeasureCellsAndNeverShortenTheText() {
    std::string traced;
    SetTraceSink([&](std::string_view bytes) { traced.append(bytes); });
    Participant p(1, "A");
    p.dialogs->header = QStringLiteral("a very very long header that is not measured");
    p.window->AddColumn();
    p.window->Grid()->model()->setData(p.window->Grid()->model()->index(0, 0),
                                       QStringLiteral("a rather long cell text here"));
    p.window->FitColumns();
    SetTraceSink({});
    const int exact = p.window->Grid()->fontMetrics().horizontalAdvance(
        QStringLiteral("a rather long cell text here"));
    int measured = -1;
    QCOMPARE(std::sscanf(traced.c_str(), "max:%d\r\nmax:0\r\n", &measured), 1);
    QVERIFY(traced.ends_with("\r\nmax:0\r\n"));  // the long header is not measured
    QVERIFY2(measured >= exact && measured <= exact + 3, traced.c_str());
    QHeaderView* header = p.window->Grid()->horizontalHeader();
    QCOMPARE(header->sectionSize(0), measured + 4);
    QCOMPARE(header->sectionSize(1), 50);

    // Widths come from summed character advances; the grid draws shaped
    // text. The sum must never come out narrower.
    const QFontMetrics metrics(QApplication::font());
    CTextWidthMeter meter(QApplication::font());
    for (const QString& text :
         {QStringLiteral("AVAVAV To Ty Wa"), QStringLiteral("戦士ｾﾝｼ（12）"),
          QStringLiteral("iiiiiiiiiiiiiiiiiiiiiiiiiiii"), QStringLiteral("ffi fl office"),
          QString::fromUtf8("e\xCC\x81t\xCC\x81"), QString::fromUtf8("\xF0\x9F\x98\x80 ok"),
          QString()}) {
        const int width = meter.Width(text);
        QVERIFY2(width >= metrics.horizontalAdvance(text), qPrintable(text));
        QVERIFY2(width <= metrics.horizontalAdvance(text) + text.size() + 1, qPrintable(text));
        QCOMPARE(CChartItemDelegate::ShortenText(metrics, text, width), text);
    }
    // Too narrow a column ends its text in dots, cut no more than needed.
    const QString text = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    const int width = metrics.horizontalAdvance(QStringLiteral("abcdefgh..."));
    const QString shortened = CChartItemDelegate::ShortenText(metrics, text, width);
    QVERIFY(shortened.endsWith(QStringLiteral("...")));
    QVERIFY(text.startsWith(shortened.chopped(3)));
    QVERIFY(metrics.horizontalAdvance(shortened) <= width);
    QVERIFY(shortened.size() >= 9);
    QCOMPARE(CChartItemDelegate::ShortenText(metrics, text, 0), QStringLiteral("..."));
}

void CChartWindowQtTest::unrepresentableHeaderIsReplacedAndTold() {
    Participant p(1, "A");
    p.dialogs->header = QString::fromUtf8("HP\xF0\x9F\x98\x80");  // an emoji
    p.window->AddColumn();
    QCOMPARE(p.window->Model().Header(1), "HP" + std::string(kCp932Replacement));
    QCOMPARE(p.prompter.prompts.size(), size_t(1));
    QCOMPARE(p.prompter.prompts[0].icon, PromptIcon::Exclamation);
}

QTEST_MAIN(CChartWindowQtTest)
#include "CChartWindowQtTest.moc"
