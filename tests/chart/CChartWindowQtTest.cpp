#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "chart/qt/CChartItemDelegate.h"
#include "chart/qt/CChartWindow.h"
#include "chart/qt/CDeleteColumnsDialog.h"
#include "chart/qt/CTextWidthMeter.h"
#include "chart/qt/IChartDialogs.h"
#include "net/CDispatcher.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
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
    // The real dialog, as the user leaves it: the rows of `pick` selected in
    // its list (row i is column i + 1) and confirmed, or cancelled without.
    std::optional<std::vector<int>> ChooseColumnsToDelete(const QStringList& headers,
                                                          IPrompter& prompter,
                                                          QWidget* parent) override {
        CDeleteColumnsDialog dialog(headers, prompter, parent);
        offered.clear();
        for (int i = 0; i < dialog.List()->count(); ++i)
            offered << dialog.List()->item(i)->text();
        if (whileAsking)
            whileAsking();
        if (!pick)
            return std::nullopt;
        for (int row : *pick)
            dialog.List()->item(row)->setSelected(true);
        dialog.ConfirmDelete();
        return dialog.Taken();
    }
    std::optional<std::string> openPath;
    std::optional<std::string> savePath;
    std::optional<QString> header;
    // Runs while a column dialog is open (records arriving meanwhile).
    std::function<void()> whileAsking;
    std::optional<std::vector<int>> pick;
    QStringList offered;  // what the delete dialog listed
};

// One participant's chart window with the real dispatcher in front of it, so
// records reach the window as they do in the program. Sends go to the
// session (a FakeSession), and through JoinAll to every participant.
struct Participant {
    Participant(std::int32_t id, const std::string& name) : dialogs(new ScriptedDialogs) {
        session.myId = id;
        session.myName = name;
        window = std::make_unique<CChartWindow>(session, prompter, nullptr,
                                                std::unique_ptr<IChartDialogs>(dialogs));
        dispatcher = std::make_unique<CDispatcher>(CDispatcher::Deps{
            nullptr, session, session, rec, *window, rec, rec, timers, prompter, clock,
            [](std::function<void()> task) { task(); }, nullptr, [this] { return autoShow; }});
    }
    void Receive(CMsg msg) { dispatcher->Dispatch(msg); }
    QPushButton* Button(const char* id) const { return window->findChild<QPushButton*>(id); }
    QAction* Action(const char* id) const { return window->findChild<QAction*>(id); }
    void SelectRow(int row) const { window->Grid()->selectRow(row); }
    std::vector<std::string> Column0() const {
        std::vector<std::string> out;
        for (int r = 0; r < window->Model().RowCount(); ++r)
            out.push_back(window->Model().Cell(r, 0));
        return out;
    }
    // Edit buttons and the number box's field that can be used.
    int Editable() const {
        int n = window->NumberBox()->findChild<QLineEdit*>()->isEnabled();
        for (const char* id : {"1042", "1043", "1045", "1046"})
            n += Button(id)->isEnabled();
        return n;
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

// Each window's sends go, as through the hub, to every window in the order
// given, the sender's own included.
void JoinAll(const std::vector<Participant*>& all) {
    for (Participant* p : all) {
        p->session.relay = [all](const CMsg& msg) {
            for (Participant* peer : all)
                peer->Receive(msg);
        };
    }
}

CMsg ChartMsg(int rows, int columns, std::vector<std::string> strings) {
    CMsg msg;
    msg.Type = Chart;
    msg.ChartRows = rows;
    msg.ChartColumns = columns;
    msg.Strings = std::move(strings);
    return msg;
}

}  // namespace

class CChartWindowQtTest : public QObject {
    Q_OBJECT
  private slots:
    void locksTravelThroughTheHubAndStopEditing();
    void addColumnAndRowAnnounceAndKeepTheirLimits();
    void rowsAreDeletedMovedAndResetThroughTheControls();
    void deleteColumnsOffersAllButFirstAndAnnouncesEvenForNone();
    void inPlaceEditWritesTheCellOnEnterAndEscape();
    void recordsArrivingDuringAQuestionCancelTheEdit();
    void currentRowGetsTheFocusFrame();
    void saveAndOpenFilesWithTheirMessages();
    void fittedColumnsMeasureCellsAndNeverShortenTheText();
};

void CChartWindowQtTest::locksTravelThroughTheHubAndStopEditing() {
    Participant a(1, "Alice");
    Participant b(2, "Bob");
    Participant c(3, "Carol");
    JoinAll({&a, &b, &c});
    b.autoShow = false;
    a.window->AddRow();  // editing announces
    QCOMPARE(a.LocksSent(), 1);
    QCOMPARE(a.session.records.back().Text, std::string("Alice"));
    QVERIFY(!a.window->Model().Locked());  // its own echo is ignored
    QCOMPARE(std::tuple(b.window->windowTitle(), b.Button("1040")->text(), b.Editable()),
             std::tuple(QStringLiteral("ロック中(Alice)"), QStringLiteral("ﾛｯｸ解除"), 0));
    QVERIFY(b.window->NumberBox()->isEnabled());  // the arrows stay usable
    b.window->SetChartLock(true, "Dave");         // a second locker changes nothing
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
    QCOMPARE(std::tuple(b.window->windowTitle(), b.Button("1040")->text(), b.Editable()),
             std::tuple(QStringLiteral("Yarrow"), QStringLiteral("更新"), 5));
    QVERIFY(c.window->Model().Locked());

    // The sent chart lifts everybody's lock and carries the number box.
    a.window->NumberBox()->setValue(7);
    a.Button("1040")->click();
    QCOMPARE(a.session.records.back().Type, static_cast<std::int32_t>(Chart));
    QVERIFY(!c.window->Model().Locked());
    QCOMPARE(std::tuple(c.window->windowTitle(), c.window->Model().RowCount(),
                        c.window->NumberBox()->value()),
             std::tuple(QStringLiteral("Yarrow"), 2, 7));
    QVERIFY(a.window->isVisible() && c.window->isVisible());          // auto-show is on
    QVERIFY(a.session.notices.empty() && c.session.notices.empty());  // shown, so not noted
    QVERIFY(b.window->isHidden());
    QCOMPARE(b.session.notices, std::vector<std::string>{Sjis("◇ 表に更新がありました")});

    // Offline an edit and a send go nowhere, not even into a local notice.
    c.session.connected = false;
    c.window->AddRow();
    c.window->SendChart();
    QVERIFY(c.session.records.empty() && c.session.notices.empty());
    QCOMPARE(std::pair(c.window->Model().RowCount(), a.window->Model().RowCount()),
             std::pair(3, 2));
}

void CChartWindowQtTest::addColumnAndRowAnnounceAndKeepTheirLimits() {
    Participant p(1, "A");
    // A header code page 932 cannot hold is replaced and told.
    p.dialogs->header = QString::fromUtf8("HP\xF0\x9F\x98\x80");  // an emoji
    p.window->AddColumn();
    QCOMPARE(p.window->Model().Header(1), "HP" + std::string(kCp932Replacement));
    QCOMPARE(p.prompter.prompts[0].icon, PromptIcon::Exclamation);
    p.dialogs->header = QStringLiteral("");
    for (int i = 2; i < 256; ++i) {
        p.window->AddColumn();
        p.window->AddRow();
    }
    p.window->AddRow();
    QCOMPARE(p.window->Model().RowCount(), 256);
    QCOMPARE(p.window->Grid()->horizontalHeader()->sectionSize(255), 100);
    QCOMPARE(p.LocksSent(), 510);
    QCOMPARE(p.prompter.prompts.size(), size_t(1));

    p.window->AddColumn();
    p.window->AddRow();
    QCOMPARE(p.prompter.prompts.size(), size_t(3));
    QCOMPARE(p.prompter.prompts[1].text + p.prompter.prompts[2].text,
             Sjis("表に追加できる列は255個までです表に追加できる行は255個までです"));
    QCOMPARE(p.window->Grid()->model()->columnCount(), 256);
    QCOMPARE(p.LocksSent(), 510);  // a refused addition announces nothing
}

void CChartWindowQtTest::rowsAreDeletedMovedAndResetThroughTheControls() {
    Participant p(1, "A");
    p.window->ApplyChart(ChartMsg(5, 1, {"h", "a", "b", "c", "d"}));
    QTableView* grid = p.window->Grid();
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
    QCOMPARE(std::tuple(p.window->Model().RowCount(), p.window->NumberBox()->value(),
                        p.window->Grid()->model()->columnCount()),
             std::tuple(1, 0, 0));
    const size_t sent = p.session.records.size();
    p.Button("1043")->click();  // nothing happens, nothing is announced
    QCOMPARE(std::pair(p.window->Model().RowCount(), p.session.records.size()), std::pair(1, sent));
    p.dialogs->header = QStringLiteral("new");
    p.Button("1042")->click();
    p.Button("1043")->click();
    QCOMPARE(p.window->Model().RowCount(), 2);
}

void CChartWindowQtTest::deleteColumnsOffersAllButFirstAndAnnouncesEvenForNone() {
    Participant p(1, "A");
    p.window->ApplyChart(ChartMsg(2, 4, {Sjis("名前"), "b", "c", "d", "0", "1", "2", "3"}));
    p.Action("32804")->trigger();  // cancelled: nothing
    QCOMPARE(p.dialogs->offered, (QStringList{"b", "c", "d"}));
    QCOMPARE(p.LocksSent(), 0);
    // Confirmed with nothing selected: no question, no deletion, yet announced.
    p.dialogs->pick = std::vector<int>{};
    p.window->DeleteColumns();
    QVERIFY(p.prompter.prompts.empty());
    QCOMPARE(std::pair(p.window->Model().ColumnCount(), p.LocksSent()), std::pair(4, 1));
    // Two chosen and No: the dialog still closes as confirmed, taking nothing.
    p.dialogs->pick = std::vector<int>{2, 0};
    p.window->DeleteColumns();  // unscripted: No
    QCOMPARE(p.prompter.prompts.back().text, Sjis("これら2個の列を削除してもよろしいですか？"));
    QCOMPARE(std::pair(p.window->Model().ColumnCount(), p.LocksSent()), std::pair(4, 2));
    // Yes, also while locked: those two go and the other cells stay.
    p.window->SetChartLock(true, "Bob");
    p.prompter.answers = {PromptAnswer::Yes};
    p.window->DeleteColumns();
    QCOMPARE(p.window->Model().Header(1), std::string("c"));
    QCOMPARE(p.window->Model().Cell(0, 0) + p.window->Model().Cell(0, 1), std::string("02"));
    QCOMPARE(std::pair(p.window->Grid()->model()->columnCount(), p.LocksSent()), std::pair(2, 3));
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
    p.dialogs->pick = std::vector<int>{0};
    p.dialogs->whileAsking = [&] { p.Receive(other); };
    p.prompter.answers = {PromptAnswer::Yes};
    p.window->DeleteColumns();
    QCOMPARE(p.window->Model().ColumnCount(), 3);
    p.dialogs->whileAsking = nullptr;
    p.prompter.answers = {PromptAnswer::Yes};
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
    // Commas are written as %2C, and reading takes those three characters
    // back as a comma.
    TempDir dir;
    Participant p(1, "A");
    p.dialogs->header = QStringLiteral("H,P");
    p.window->AddColumn();
    QAbstractItemModel* grid = p.window->Grid()->model();
    grid->setData(grid->index(0, 0), "100%2C");
    grid->setData(grid->index(0, 1), "3,4");
    p.dialogs->savePath = dir.File("party.cht");
    p.Action("32806")->trigger();
    QVERIFY(p.prompter.prompts.empty());
    QCOMPARE(TempDir::Read(dir.File("party.cht")), Sjis("名前,H%2CP\r\n100%2C,3%2C4\r\n"));

    Participant q(2, "B");
    q.window->NumberBox()->setValue(5);
    q.dialogs->openPath = dir.File("party.cht");
    q.Action("32805")->trigger();
    // A file has no number box value; opening neither announces nor sends.
    QCOMPARE(std::tuple(q.window->Model().Cell(0, 0) + q.window->Model().Cell(0, 1),
                        q.window->NumberBox()->value(), q.session.records.size()),
             std::tuple(std::string("100,3,4"), 5, size_t(0)));

    // Blanks at either end are dropped, a missing piece or an empty line
    // reads as empty cells, a piece beyond the last column is ignored.
    q.dialogs->openPath = YARROW_FIXTURES "/chart/party.cht";
    q.window->OpenChartFile();
    const CChartModel& read = q.window->Model();
    QCOMPARE(std::pair(read.ColumnCount(), read.RowCount()), std::pair(3, 4));
    QCOMPARE(read.Header(1) + "|" + read.Header(2), Sjis("HP|MP,最大"));
    QCOMPARE(read.Cell(1, 0) + "|" + read.Cell(1, 2) + "|" + read.Cell(2, 0), Sjis("魔法使い||"));
    QCOMPARE(read.Cell(3, 2), std::string("6"));

    // A broken file is told with a stop sign and changes nothing.
    TempDir::Write(dir.File("empty.cht"), "");
    q.dialogs->openPath = dir.File("empty.cht");
    q.window->OpenChartFile();
    QCOMPARE(std::tuple(q.prompter.prompts.back().text, q.prompter.prompts.back().icon,
                        q.window->Model().Header(1)),
             std::tuple(Sjis("Chartファイルの書式がおかしいか、あるいは破損しています"),
                        PromptIcon::Stop, std::string("HP")));
}

void CChartWindowQtTest::fittedColumnsMeasureCellsAndNeverShortenTheText() {
    // A column fits its widest cell; headers are not measured, and a column
    // of empty cells is 50 pixels wide.
    Participant p(1, "A");
    p.dialogs->header = QStringLiteral("a very very long header that is not measured");
    p.window->AddColumn();
    const QString cell = QStringLiteral("a rather long cell text here");
    p.window->Grid()->model()->setData(p.window->Grid()->model()->index(0, 0), cell);
    p.window->FitColumns();
    const int exact = p.window->Grid()->fontMetrics().horizontalAdvance(cell);
    QHeaderView* header = p.window->Grid()->horizontalHeader();
    QVERIFY2(header->sectionSize(0) >= exact + 4 && header->sectionSize(0) <= exact + 7,
             qPrintable(QString::number(header->sectionSize(0) - exact)));
    QCOMPARE(header->sectionSize(1), 50);

    // Widths come from summed character advances; the grid draws shaped
    // text. The sum must never come out narrower.
    const QFontMetrics metrics(QApplication::font());
    CTextWidthMeter meter(QApplication::font());
    for (const QString& text :
         {QStringLiteral("AVAVAV To Ty Wa 戦士ｾﾝｼ（12）"), QStringLiteral("ffi fl office"),
          QString::fromUtf8("e\xCC\x81t\xCC\x81 \xF0\x9F\x98\x80 ok"), QString()}) {
        const int width = meter.Width(text);
        QVERIFY2(width >= metrics.horizontalAdvance(text), qPrintable(text));
        QVERIFY2(width <= metrics.horizontalAdvance(text) + text.size() + 1, qPrintable(text));
        QCOMPARE(CChartItemDelegate::ShortenText(metrics, text, width), text);
    }
    // Too narrow a column ends its text in dots, cut no more than needed.
    const QString text = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    const int width = metrics.horizontalAdvance(QStringLiteral("abcdefgh..."));
    const QString shortened = CChartItemDelegate::ShortenText(metrics, text, width);
    QVERIFY(shortened.size() >= 9 && metrics.horizontalAdvance(shortened) <= width);
    QCOMPARE(shortened, text.first(shortened.size() - 3) + QStringLiteral("..."));
    QCOMPARE(CChartItemDelegate::ShortenText(metrics, text, 0), QStringLiteral("..."));
}

QTEST_MAIN(CChartWindowQtTest)
#include "CChartWindowQtTest.moc"
