#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
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
        int n = 0;
        for (const CMsg& msg : session.records)
            n += msg.Type == ChartLock;
        return n;
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
    void lockDisablesEditingUntilUnlocked();
    void lockAndUnlockBetweenWindowsThroughTheHub();
    void forcedUnlockFreesOnlyThisWindow();
    void autoShowOffKeepsWindowHiddenAndNotesEachUpdate();
    void nothingIsSentWhileNotConnected();
    void addColumnAndRowAnnounceAndKeepTheirLimits();
    void deleteKeyAsksBeforeDeletingTheFirstSelectedRow();
    void moveButtonsWrapAndDropTheSelection();
    void resetThenAddRowDoesNothing();
    void deleteColumnsOffersAllButFirstAndAnnouncesEvenForNone();
    void deleteColumnsDialogAsksWithTheCount();
    void inPlaceEditWritesTheCellOnEnterAndEscape();
    void lockArrivingDuringAQuestionCancelsTheEdit();
    void saveAndOpenFilesWithTheirMessages();
    void fitColumnsMeasuresCellsAndTraces();
    void fittedWidthsNeverShortenTheText();
    void shortenedTextsEndInDots();
    void maximumChartAppliesWhole();
    void unrepresentableHeaderIsReplacedAndTold();
    void chartArrivingDuringADeleteQuestionCancelsTheDelete();
    void currentRowGetsTheFocusFrame();
};

void CChartWindowQtTest::lockDisablesEditingUntilUnlocked() {
    Participant p(1, "A");
    p.window->SetChartLock(true, "Bob");
    QCOMPARE(p.window->windowTitle(), QStringLiteral("ロック中(Bob)"));
    QCOMPARE(p.Button("1040")->text(), QStringLiteral("ﾛｯｸ解除"));
    for (const char* id : {"1042", "1043", "1045", "1046"})
        QVERIFY2(!p.Button(id)->isEnabled(), id);
    QVERIFY(p.window->NumberBox()->isEnabled());  // the arrows stay usable
    QVERIFY(!p.window->NumberBox()->findChild<QLineEdit*>()->isEnabled());

    // Editing does nothing while locked.
    p.window->AddRow();
    p.window->EditCell(0, 0);
    p.SelectRow(0);
    QTest::keyClick(p.window->Grid(), Qt::Key_Delete);
    QCOMPARE(p.window->Model().RowCount(), 1);
    QVERIFY(p.prompter.prompts.empty());
    QVERIFY(p.session.records.empty());

    p.window->SetChartLock(true, "Carol");  // a second locker changes nothing
    QCOMPARE(p.window->windowTitle(), QStringLiteral("ロック中(Bob)"));

    p.window->SetChartLock(false, "");
    QCOMPARE(p.window->windowTitle(), QStringLiteral("Yarrow"));
    QCOMPARE(p.Button("1040")->text(), QStringLiteral("更新"));
    for (const char* id : {"1042", "1043", "1045", "1046"})
        QVERIFY2(p.Button(id)->isEnabled(), id);
    QVERIFY(p.window->NumberBox()->findChild<QLineEdit*>()->isEnabled());
}

void CChartWindowQtTest::lockAndUnlockBetweenWindowsThroughTheHub() {
    LoopHub hub;
    Participant a(1, "Alice");
    Participant b(2, "Bob");
    hub.Attach(a);
    hub.Attach(b);

    a.window->AddRow();  // editing announces
    QCOMPARE(a.LocksSent(), 1);
    QCOMPARE(a.session.records.back().Text, std::string("Alice"));
    QVERIFY(!a.window->Model().Locked());  // its own echo is ignored
    QVERIFY(b.window->Model().Locked());
    QCOMPARE(b.window->windowTitle(), QStringLiteral("ロック中(Alice)"));

    a.window->NumberBox()->setValue(7);
    a.Button("1040")->click();  // 更新
    QCOMPARE(a.session.records.back().Type, static_cast<std::int32_t>(Chart));
    QVERIFY(!b.window->Model().Locked());
    QCOMPARE(b.window->windowTitle(), QStringLiteral("Yarrow"));
    QCOMPARE(b.window->Model().RowCount(), 2);
    QCOMPARE(b.window->NumberBox()->value(), 7);
    QVERIFY(a.window->isVisible() && b.window->isVisible());  // auto-show is on
    QVERIFY(b.session.notices.empty());                       // shown, so not noted
}

void CChartWindowQtTest::forcedUnlockFreesOnlyThisWindow() {
    LoopHub hub;
    Participant a(1, "Alice");
    Participant b(2, "Bob");
    Participant c(3, "Carol");
    for (Participant* p : {&a, &b, &c})
        hub.Attach(*p);
    a.window->AnnounceChartLock();
    QVERIFY(b.window->Model().Locked() && c.window->Model().Locked());

    b.prompter.answers = {PromptAnswer::No};
    b.window->SendChart();
    QCOMPARE(b.prompter.prompts.size(), size_t(1));
    QCOMPARE(
        b.prompter.prompts[0].text,
        Sjis("現在表はAliceさんによってロックされています。\r\nロックを強制的に解除しますか？"));
    QCOMPARE(b.prompter.prompts[0].buttons, PromptButtons::YesNo);
    QVERIFY(b.window->Model().Locked());

    b.prompter.answers = {PromptAnswer::Yes};
    b.window->SendChart();
    QVERIFY(!b.window->Model().Locked());
    QVERIFY(b.session.records.empty());  // the forced unlock sends nothing
    QVERIFY(c.window->Model().Locked());
    QCOMPARE(b.window->windowTitle(), QStringLiteral("Yarrow"));
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
    QCOMPARE(b.session.notices, (std::vector<std::string>{Sjis("◇ 表に更新がありました"),
                                                          Sjis("◇ 表に更新がありました")}));
    QCOMPARE(b.window->Model().ColumnCount(), 2);
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
    for (int i = 1; i < 256; ++i)
        p.window->AddColumn();
    for (int i = 1; i < 256; ++i)
        p.window->AddRow();
    QCOMPARE(p.window->Model().ColumnCount(), 256);
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

void CChartWindowQtTest::deleteKeyAsksBeforeDeletingTheFirstSelectedRow() {
    Participant p(1, "A");
    p.window->AddRow();
    p.window->AddRow();
    p.window->Grid()->setFocus();
    p.window->Grid()->selectionModel()->select(
        p.window->Grid()->model()->index(2, 0),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    p.window->Grid()->selectionModel()->select(
        p.window->Grid()->model()->index(1, 0),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const int locksBefore = p.LocksSent();

    p.prompter.answers = {PromptAnswer::No};
    QTest::keyClick(p.window->Grid(), Qt::Key_Delete);
    QCOMPARE(p.window->Model().RowCount(), 3);
    QCOMPARE(p.prompter.prompts.back().text, Sjis("アイテムを削除してよろしいですか？"));
    QCOMPARE(p.LocksSent(), locksBefore);

    p.window->AddColumn();  // unscripted header: nothing happens
    p.prompter.answers = {PromptAnswer::Yes};
    QCOMPARE(p.window->Model().RowCount(), 3);
    p.window->DeleteSelectedRow();
    QCOMPARE(p.window->Model().RowCount(), 2);
    QCOMPARE(p.LocksSent(), locksBefore + 1);
}

void CChartWindowQtTest::moveButtonsWrapAndDropTheSelection() {
    Participant p(1, "A");
    p.window->AddRow();
    p.window->AddRow();
    QTableView* grid = p.window->Grid();
    for (int r = 0; r < 3; ++r) {
        grid->model()->setData(grid->model()->index(r, 0), QString(QChar('a' + r)));
    }
    const int locksBefore = p.LocksSent();
    p.SelectRow(2);
    p.Button("1046")->click();  // ▼ on the last row: to the top
    QCOMPARE(p.Column0(), (std::vector<std::string>{"c", "a", "b"}));
    QVERIFY(grid->selectionModel()->selectedRows().isEmpty());
    p.Button("1046")->click();  // nothing selected: nothing moves
    QCOMPARE(p.Column0(), (std::vector<std::string>{"c", "a", "b"}));
    p.SelectRow(0);
    p.Button("1045")->click();  // ▲ on the first row: to the bottom
    QCOMPARE(p.Column0(), (std::vector<std::string>{"a", "b", "c"}));
    p.SelectRow(1);
    p.Button("1045")->click();
    QCOMPARE(p.Column0(), (std::vector<std::string>{"b", "a", "c"}));
    QCOMPARE(p.LocksSent(), locksBefore);  // moving does not announce
}

void CChartWindowQtTest::resetThenAddRowDoesNothing() {
    Participant p(1, "A");
    p.window->AddRow();
    p.window->NumberBox()->setValue(30);
    p.prompter.answers = {PromptAnswer::No};
    p.Action("32803")->trigger();
    QCOMPARE(p.window->Model().RowCount(), 2);
    QCOMPARE(p.prompter.prompts.back().text, Sjis("表を全てリセットします。\r\nよろしいですか？"));

    p.prompter.answers = {PromptAnswer::Yes};
    p.Action("32803")->trigger();
    QCOMPARE(p.window->Model().ColumnCount(), 0);
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
    const int locksBefore = p.LocksSent();
    p.Action("32804")->trigger();  // cancelled: nothing
    QCOMPARE(p.dialogs->offered, (QStringList{QStringLiteral("名前"), "b", "c", "d"}));
    QCOMPARE(p.LocksSent(), locksBefore);

    p.dialogs->columns = std::vector<int>{};
    p.window->DeleteColumns();
    QCOMPARE(p.window->Model().ColumnCount(), 4);
    QCOMPARE(p.LocksSent(), locksBefore + 1);

    // Also while locked, and column 0 survives even when asked for.
    p.window->SetChartLock(true, "Bob");
    p.dialogs->columns = std::vector<int>{0, 1, 3};
    p.window->DeleteColumns();
    QCOMPARE(p.window->Model().ColumnCount(), 2);
    QCOMPARE(p.window->Model().Header(0), Sjis("名前"));
    QCOMPARE(p.window->Model().Header(1), std::string("c"));
    QCOMPARE(p.window->Grid()->model()->columnCount(), 2);
    QCOMPARE(p.LocksSent(), locksBefore + 2);
}

void CChartWindowQtTest::deleteColumnsDialogAsksWithTheCount() {
    ScriptedPrompter prompter;
    const QStringList headers{QStringLiteral("名前"), "b", "c", "d"};
    {
        CDeleteColumnsDialog dialog(headers, prompter);
        QCOMPARE(dialog.List()->count(), 3);
        QCOMPARE(dialog.List()->item(0)->text(), QStringLiteral("b"));
        dialog.List()->item(2)->setSelected(true);
        dialog.List()->item(0)->setSelected(true);
        prompter.answers = {PromptAnswer::Yes};
        dialog.ConfirmDelete();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Taken(), (std::vector<int>{1, 3}));
        QCOMPARE(prompter.prompts.back().text, Sjis("これら2個の列を削除してもよろしいですか？"));
    }
    {
        CDeleteColumnsDialog dialog(headers, prompter);
        dialog.List()->item(1)->setSelected(true);
        prompter.answers = {PromptAnswer::No};
        dialog.ConfirmDelete();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));  // closes as confirmed
        QVERIFY(dialog.Taken().empty());
    }
    {
        CDeleteColumnsDialog dialog(headers, prompter);
        const size_t asked = prompter.prompts.size();
        dialog.ConfirmDelete();  // nothing selected: no question
        QCOMPARE(prompter.prompts.size(), asked);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
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
    const CMsg msg = ChartMsg(2, 1, {"h", "sent"});
    p.window->ApplyChart(msg);
    QApplication::processEvents();
    QCOMPARE(p.window->Model().Cell(0, 0), std::string("sent"));
}

void CChartWindowQtTest::lockArrivingDuringAQuestionCancelsTheEdit() {
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

    // The same for the delete question, answered Yes after the lock came.
    p.window->SetChartLock(false, {});
    p.window->AddRow();
    p.prompter.answers = {PromptAnswer::Yes};
    p.prompter.whileOpen = [&] { p.Receive(lock); };
    p.SelectRow(1);
    p.window->DeleteSelectedRow();
    p.prompter.whileOpen = nullptr;
    QVERIFY(p.window->Model().Locked());
    QCOMPARE(p.window->Model().RowCount(), 2);

    // A cell longer than a single-line field holds is not opened for editing.
    const CMsg msg = ChartMsg(2, 1, {"h", std::string(40000, 'x')});
    p.window->ApplyChart(msg);
    const int locks = p.LocksSent();
    p.window->EditCell(0, 0);
    QVERIFY(!p.window->Grid()->findChild<QLineEdit*>());
    QCOMPARE(p.LocksSent(), locks);
    QCOMPARE(p.window->Model().Cell(0, 0).size(), size_t(40000));
}

void CChartWindowQtTest::chartArrivingDuringADeleteQuestionCancelsTheDelete() {
    const CMsg chart =
        ChartMsg(4, 3, {"h0", "h1", "h2", "a", "b", "c", "d", "e", "f", "g", "h", "i"});
    // Row: the question is answered Yes after another chart came in.
    Participant p(1, "A");
    p.Receive(chart);
    CMsg other = chart;
    other.Strings = {"h0", "h1", "h2", "x", "y", "z", "u", "v", "w", "r", "s", "t"};
    p.prompter.answers = {PromptAnswer::Yes};
    p.prompter.whileOpen = [&] { p.Receive(other); };
    p.SelectRow(1);
    p.window->DeleteSelectedRow();
    p.prompter.whileOpen = nullptr;
    QCOMPARE(p.window->Model().RowCount(), 3);
    QCOMPARE(p.window->Model().Cell(1, 0), std::string("u"));

    // Columns: the same while the column dialog is open.
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
    const CMsg chart = ChartMsg(3, 2, {"h0", "h1", "", "", "", ""});
    p.window->ApplyChart(chart);
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
    QCOMPARE(q.window->Model().Header(1), std::string("H,P"));
    QCOMPARE(q.window->Model().Cell(0, 1), std::string("3,4"));
    QCOMPARE(q.window->NumberBox()->value(), 5);
    QVERIFY(q.session.records.empty());  // opening neither announces nor sends

    std::ofstream(dir.filePath("empty.cht").toStdString(), std::ios::binary).flush();
    q.dialogs->openPath = dir.filePath("empty.cht").toStdString();
    q.window->OpenChartFile();
    QCOMPARE(q.prompter.prompts.back().text,
             Sjis("Chartファイルの書式がおかしいか、あるいは破損しています"));
    QCOMPARE(q.prompter.prompts.back().icon, PromptIcon::Stop);
    QCOMPARE(q.window->Model().Header(1), std::string("H,P"));

    q.dialogs->savePath = dir.filePath("missing/x.cht").toStdString();
    q.window->SaveChartFile();
    QVERIFY(q.prompter.prompts.back().text.rfind(Sjis("Chartファイルを開けません\r\n"), 0) == 0);
}

void CChartWindowQtTest::fitColumnsMeasuresCellsAndTraces() {
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
}

void CChartWindowQtTest::fittedWidthsNeverShortenTheText() {
    // Column sizes come from summed character advances; the grid draws with
    // shaped text. The sum must never come out narrower.
    const QFont font = QApplication::font();
    const QFontMetrics exact(font);
    CTextWidthMeter meter(font);
    const QStringList texts{QStringLiteral("AVAVAV To Ty Wa"),
                            QStringLiteral("戦士ｾﾝｼ（12）"),
                            QStringLiteral("iiiiiiiiiiiiiiiiiiiiiiiiiiii"),
                            QStringLiteral("ffi fl office"),
                            QString::fromUtf8("e\xCC\x81t\xCC\x81"),
                            QString::fromUtf8("\xF0\x9F\x98\x80 ok"),
                            QString()};
    for (const QString& text : texts) {
        const int width = meter.Width(text);
        QVERIFY2(width >= exact.horizontalAdvance(text), qPrintable(text));
        QVERIFY2(width <= exact.horizontalAdvance(text) + text.size() + 1, qPrintable(text));
        const QString shown = CChartItemDelegate::ShortenText(exact, text, width);
        QCOMPARE(shown, text);
    }
}

void CChartWindowQtTest::shortenedTextsEndInDots() {
    const QFontMetrics metrics(QApplication::font());
    const QString text = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    QCOMPARE(CChartItemDelegate::ShortenText(metrics, text, 10000), text);
    const int width = metrics.horizontalAdvance(QStringLiteral("abcdefgh..."));
    const QString shortened = CChartItemDelegate::ShortenText(metrics, text, width);
    QVERIFY(shortened.endsWith(QStringLiteral("...")));
    QVERIFY(text.startsWith(shortened.chopped(3)));
    QVERIFY(metrics.horizontalAdvance(shortened) <= width);
    QVERIFY(shortened.size() >= 9);  // not cut more than needed
    QCOMPARE(CChartItemDelegate::ShortenText(metrics, text, 0), QStringLiteral("..."));
}

void CChartWindowQtTest::maximumChartAppliesWhole() {
    Participant p(1, "A");
    p.window->show();
    CMsg msg;
    msg.Type = Chart;
    msg.ChartRows = 257;
    msg.ChartColumns = 256;
    for (int i = 0; i < 257 * 256; ++i)
        msg.Strings.push_back(Sjis("セル") + std::to_string(i));
    // How long it takes is bench_chart_qt's business; here it must apply whole.
    p.Receive(msg);
    QApplication::processEvents();
    QCOMPARE(p.window->Model().RowCount(), 256);
    QCOMPARE(p.window->Grid()->model()->columnCount(), 256);
    QCOMPARE(p.window->Model().Cell(255, 255), Sjis("セル") + std::to_string(257 * 256 - 1));
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
