// Maps between whole chat windows over TCP: a page sent by one lands in the
// other's book and window, or is noted in its log when nothing is shown.

#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>
#include <algorithm>

#include "chart/qt/CChartWindow.h"
#include "chat/CommandIds.h"
#include "map/CMapBook.h"
#include "map/IMapView.h"
#include "map/qt/CMapPageView.h"
#include "map/qt/CMapPropSheet.h"
#include "map/qt/CMapToolBar.h"
#include "map/qt/MapCommandIds.h"
#include "support/ChatPlayer.h"
#include "support/RawHubClient.h"
#include "support/ScriptedPrompter.h"

namespace yarrow {
namespace {

// Stands in for the map window: records what it was told.
class FakeMapView final : public IMapView {
  public:
    bool IsMapWindowShown() const override { return shown; }
    void OnMapReceived(const MapReceiveReport& report) override {
        reports.push_back(report);
        if (report.showWindow)
            shown = true;
    }
    bool shown = false;
    std::vector<MapReceiveReport> reports;
};

struct Player : test::ChatPlayer<test::SilentPrompter> {
    explicit Player(const char* settings = nullptr)
        : ChatPlayer(settings != nullptr
                         ? std::map<std::string, std::string>{{"Yarrow.ini", settings}}
                         : std::map<std::string, std::string>{}) {}
    CMapBook& Book() const { return chat->MapBook(); }
    CMapPropSheet& Map() const { return *chat->MapWindow(); }
};

QPoint CellCentre(CMapPageView& view, int column, int row) {
    const MapRect box = view.Page().CellBox(column, row);
    return {box.CenterX(), box.CenterY()};
}

}  // namespace

class MapSyncQtTest : public QObject {
    Q_OBJECT

  private:
    void JoinBoth() { test::JoinBoth(*host_, *guest_); }
    std::unique_ptr<Player> host_;
    std::unique_ptr<Player> guest_;

  private slots:
    void init() {
        host_ = std::make_unique<Player>();
        guest_ = std::make_unique<Player>();
    }
    void cleanup() {
        guest_.reset();
        host_.reset();
    }

    void withoutAutoShowOrWhileTypingAPageIsNoted() {
        guest_ =
            std::make_unique<Player>("[InitialSetting]\r\nIsUseSquareMap=1\r\nIsAutoMapShow=0\r\n");
        QVERIFY(!guest_->Book().MainPage().HexShape());
        JoinBoth();
        // Without a map window the notice is all the sender gets.
        host_->chat->SetMapView(nullptr);
        FakeMapView view;
        guest_->chat->SetMapView(&view);
        CMapPage& page = host_->Book().MainPage();
        page.AddUnit(3, 4, false, 0x0000FF, "GM");
        QVERIFY(CMapBook::SendMap(page, host_->chat->MapHost()));
        QTRY_COMPARE(view.reports.size(), std::size_t{1});
        QVERIFY(!view.reports[0].showWindow);
        QCOMPARE(guest_->Book().MainPage().ItemAt(3, 4)->Symbol, std::string("GM"));
        QVERIFY(guest_->Book().MainPage().HexShape());  // the received flags win
        QTRY_VERIFY(guest_->LogHas("◇ MainMapに更新がありました"));
        QTRY_VERIFY(host_->LogHas("◇ MainMapに更新がありました"));

        // The first character typed announces typing: another page stays behind.
        view.shown = true;
        QTest::keyClicks(guest_->View().InputLine(), "a");
        CMapPage* two = host_->Book().GetOrCreate(2);
        QVERIFY(CMapBook::SendMap(*two, host_->chat->MapHost()));
        QTRY_COMPARE(view.reports.size(), std::size_t{2});
        QVERIFY(view.reports[1].pageCreated && !view.reports[1].activatePage);
        QCOMPARE(guest_->Book().ActiveNumber(), 0);
        QTRY_VERIFY(guest_->LogHas("◇ SubMap02に更新がありました"));
        guest_->chat->SetMapView(nullptr);
    }

    void aNewcomerGetsWhatLiesOnTheTableOnce() {
        // The table as the newcomer arrives: a chart and two maps.
        QVERIFY(host_->Connect(CommandLineRequest::Mode::Host, 0, "GM"));
        QTRY_COMPARE(host_->chat->Session().MyID(), 1);
        host_->chat->SetMapView(nullptr);
        host_->chat->ChartWindow()->SendChart();
        QVERIFY(CMapBook::SendMap(host_->Book().MainPage(), host_->chat->MapHost()));
        CMapPage* two = host_->Book().GetOrCreate(2);
        QVERIFY(CMapBook::SendMap(*two, host_->chat->MapHost()));
        QTRY_VERIFY(host_->LogHas("◇ SubMap02に更新がありました"));

        // Between its connection and its join it is relayed a lock and a new
        // version of map 2 like everybody else.
        test::RawHubClient late(host_->chat->Session().PortNum());
        QTRY_VERIFY(!late.records.empty());
        const std::int32_t id = late.records[0].ID;
        host_->chat->ChartWindow()->AnnounceChartLock();
        two->PaintTile(1, 1);
        QVERIFY(CMapBook::SendMap(*two, host_->chat->MapHost()));
        auto count = [&late](std::int32_t type, std::int32_t map = -1) {
            return std::count_if(late.records.begin(), late.records.end(), [&](const CMsg& m) {
                return m.Type == type && (map < 0 || m.Param2 == map);
            });
        };
        QTRY_COMPARE(count(UpdateMap, 2), 1);
        // Its join is answered with the table, which comes before its next record.
        late.Send(CnctReply, id, "", "late");
        late.Send(LogBox, id, "late", "marker");
        QTRY_VERIFY(!late.records.empty() && late.records.back().Text == "marker");
        QCOMPARE(count(UpdateMap, 2), 1);  // not again
        QCOMPARE(count(UpdateMap, 0), 1);
        QCOMPARE(count(Chart), 1);
        // The chart lifts every lock, so the lock comes again after it.
        auto last = [&late](std::int32_t type) {
            return std::find_if(late.records.rbegin(), late.records.rend(),
                                [type](const CMsg& m) { return m.Type == type; }) -
                   late.records.rbegin();
        };
        QVERIFY(last(ChartLock) < last(Chart));
    }

    void madeHiddenAndOpenedFromTheFrameMenu() {
        Player& player = *host_;
        CMapPropSheet* map = player.chat->MapWindow();
        QVERIFY(map != nullptr);
        QVERIFY(!map->isVisible());
        player.app->Frame().show();
        QVERIFY(player.app->Frame().RunCommand(cmd::kUseMap));
        QVERIFY(map->isVisible());
        QCOMPARE(map->Tabs()->tabText(0), QStringLiteral("MainMap"));
        // Centred on the chat view the first time, inside the screen.
        const QPoint centre = player.View().mapToGlobal(player.View().rect().center());
        const QRect screen = player.View().screen()->availableGeometry();
        QVERIFY(screen.contains(map->frameGeometry().topLeft()));
        if (screen.contains(
                QRect(centre - QPoint(map->width() / 2, map->height() / 2), map->size())))
            QVERIFY((map->geometry().center() - centre).manhattanLength() < 40);

        QVERIFY(map->RunCommand(mapcmd::kNewMap));
        QTest::keyClick(map->ActiveView()->viewport(), Qt::Key_Escape);
        QVERIFY(!map->isVisible());
        QVERIFY(player.app->Frame().RunCommand(cmd::kUseMap));
        QVERIFY(map->isVisible());
        QCOMPARE(map->Tabs()->count(), 2);
        // Closing the frame's map window only hides it.
        map->close();
        QVERIFY(!map->isVisible());
        QCOMPARE(player.chat->MapBook().PageCount(), 2);
    }

    void twoPlayersShareWhatTheyPaintAndPlace() {
        Player& host = *host_;
        Player& guest = *guest_;
        JoinBoth();

        // The guest chats; its map window is hidden.
        QWidget& frame = guest.app->Frame();
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QTextEdit* input = guest.View().InputLine();
        input->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(input));

        // The host paints a tile with the mouse.
        CMapPropSheet& map = host.Map();
        map.show();
        QVERIFY(QTest::qWaitForWindowExposed(&map));
        CMapPageView& view = *map.ActiveView();
        QTest::mouseClick(map.ToolBar()->ToolRadio(1), Qt::LeftButton);
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, CellCentre(view, 4, 3));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, CellCentre(view, 4, 3));

        // The guest's window appears with the tile, the keyboard stays put.
        QTRY_VERIFY(guest.chat->MapBook().MainPage().HasTile(4, 3));
        QTRY_VERIFY(guest.Map().isVisible());
        // (The offscreen platform activates every window it shows, so the
        // chat window's own focus child is what tells.)
        QCOMPARE(frame.focusWidget(), static_cast<QWidget*>(input));
        QVERIFY(!guest.LogHas("◇ MainMapに更新がありました"));
        const QImage& shown = guest.Map().ActiveView()->Surface();
        QCOMPARE(QColor(shown.pixel(CellCentre(*guest.Map().ActiveView(), 4, 3))),
                 QColor(0xC0, 0xC0, 0xC0));

        // The guest drags a unit that the host placed: the host sees the move.
        CMapPage& hostPage = view.Page();
        hostPage.AddUnit(1, 1, false, 0x0000FF, Sjis("騎士"));
        map.RunCommand(mapcmd::kSendMap);
        QTRY_VERIFY(guest.chat->MapBook().MainPage().HasItem(1, 1));
        CMapPageView& guestView = *guest.Map().ActiveView();
        QTest::mousePress(guestView.viewport(), Qt::LeftButton, {}, CellCentre(guestView, 1, 1));
        QTest::mouseRelease(guestView.viewport(), Qt::LeftButton, {}, CellCentre(guestView, 6, 6));
        QTRY_VERIFY(hostPage.HasItem(6, 6));
        QVERIFY(!hostPage.HasItem(1, 1));
        QCOMPARE(hostPage.ItemAt(6, 6)->Symbol, Sjis("騎士"));
        // What a page tells its user (an edit that found nothing left to
        // apply to) goes to that user's own log alone.
        const std::string notice =
            "◇ 編集していたタイルが削除されたため、ラベルは反映されませんでした";
        emit view.NoticeRequested(Sjis(notice));
        QVERIFY(host.LogHas(notice));

        // A map the host makes and sends shows up as a new tab.
        QVERIFY(map.RunCommand(mapcmd::kNewMap));
        CMapPageView* sub = map.View(1);
        QVERIFY(sub != nullptr);
        sub->Page().PaintTile(0, 0);
        map.SendMap(*sub);
        QTRY_COMPARE(guest.Map().Tabs()->count(), 2);
        QCOMPARE(guest.Map().Tabs()->tabText(1), QStringLiteral("SubMap01"));
        // The map went through the hub after the notice: had the notice gone
        // out too, the guest would have shown it by now.
        QVERIFY(!guest.LogHas(notice));
    }
};

}  // namespace yarrow

QTEST_MAIN(yarrow::MapSyncQtTest)
#include "MapSyncQtTest.moc"
