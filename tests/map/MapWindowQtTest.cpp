// The map window inside whole chat windows: made hidden at start-up, opened
// from the frame's "Mapを使用(&M)", and two players over TCP: a page sent by
// one lands in the other's book, the window is told what to show, the
// "updated" notice goes to the log when nothing is shown, and the keyboard
// focus stays in the input line.

#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>

#include "chat/CommandIds.h"
#include "map/CMapBook.h"
#include "map/IMapView.h"
#include "map/qt/CMapPageView.h"
#include "map/qt/CMapPropSheet.h"
#include "map/qt/CMapToolBar.h"
#include "map/qt/MapCommandIds.h"
#include "support/ChatPlayer.h"

namespace yarrow {
namespace {

using test::ChatPlayer;
using test::JoinBoth;

// Stands in for the map window: records what it was told and, like a careless
// window, grabs the keyboard focus while it works.
class FakeMapView final : public IMapView {
  public:
    bool IsMapWindowShown() const override { return shown; }
    void OnMapReceived(const MapReceiveReport& report) override {
        reports.push_back(report);
        if (report.showWindow)
            shown = true;
        if (thief != nullptr)
            thief->setFocus(Qt::OtherFocusReason);
    }
    bool shown = false;
    QWidget* thief = nullptr;
    std::vector<MapReceiveReport> reports;
};

QPoint CellCentre(CMapPageView& view, int column, int row) {
    const MapRect box = view.Page().CellBox(column, row);
    return {box.CenterX(), box.CenterY()};
}

}  // namespace

class MapWindowQtTest : public QObject {
    Q_OBJECT

  private slots:
    void madeHiddenAndOpenedFromTheFrameMenu() {
        ChatPlayer player;
        CMapPropSheet* map = player.chat->MapWindow();
        QVERIFY(map != nullptr);
        QVERIFY(!map->isVisible());
        QCOMPARE(map->windowTitle(), QStringLiteral("Map"));
        QCOMPARE(player.View().Modeless(ModelessWindow::Map), static_cast<QWidget*>(map));
        QVERIFY(&map->Book() == &player.chat->MapBook());
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
        ChatPlayer host;
        ChatPlayer guest;
        JoinBoth(host, guest);

        // The guest chats; its map window is hidden.
        QWidget& frame = guest.app->Frame();
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QTextEdit* input = guest.View().InputLine();
        input->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(input));

        // The host paints a tile with the mouse.
        CMapPropSheet& map = *host.chat->MapWindow();
        map.show();
        QVERIFY(QTest::qWaitForWindowExposed(&map));
        CMapPageView& view = *map.ActiveView();
        QTest::mouseClick(map.ToolBar()->ToolRadio(1), Qt::LeftButton);
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, CellCentre(view, 4, 3));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, CellCentre(view, 4, 3));

        // The guest's window appears with the tile, the keyboard stays put.
        QTRY_VERIFY(guest.chat->MapBook().MainPage().HasTile(4, 3));
        QTRY_VERIFY(guest.chat->MapWindow()->isVisible());
        // (The offscreen platform activates every window it shows, so the
        // chat window's own focus child is what tells.)
        QCOMPARE(frame.focusWidget(), static_cast<QWidget*>(input));
        QVERIFY(!guest.LogHas("◇ MainMapに更新がありました"));
        const QImage& shown = guest.chat->MapWindow()->ActiveView()->Surface();
        QCOMPARE(QColor(shown.pixel(CellCentre(*guest.chat->MapWindow()->ActiveView(), 4, 3))),
                 QColor(0xC0, 0xC0, 0xC0));

        // The guest drags a unit that the host placed: the host sees the move.
        CMapPage& hostPage = view.Page();
        hostPage.AddUnit(1, 1, false, 0x0000FF, Sjis("騎士"));
        map.RunCommand(mapcmd::kSendMap);
        QTRY_VERIFY(guest.chat->MapBook().MainPage().HasItem(1, 1));
        CMapPageView& guestView = *guest.chat->MapWindow()->ActiveView();
        QTest::mousePress(guestView.viewport(), Qt::LeftButton, {}, CellCentre(guestView, 1, 1));
        QTest::mouseRelease(guestView.viewport(), Qt::LeftButton, {}, CellCentre(guestView, 6, 6));
        QTRY_VERIFY(hostPage.HasItem(6, 6));
        QVERIFY(!hostPage.HasItem(1, 1));
        QCOMPARE(hostPage.ItemAt(6, 6)->Symbol, Sjis("騎士"));

        // A map the host makes and sends shows up as a new tab.
        QVERIFY(map.RunCommand(mapcmd::kNewMap));
        CMapPageView* sub = map.View(1);
        QVERIFY(sub != nullptr);
        sub->Page().PaintTile(0, 0);
        map.SendMap(*sub);
        QTRY_COMPARE(guest.chat->MapWindow()->Tabs()->count(), 2);
        QCOMPARE(guest.chat->MapWindow()->Tabs()->tabText(1), QStringLiteral("SubMap01"));
    }

    void aSentPageReachesBothBooksAndNotesItWithoutAWindow() {
        ChatPlayer host;
        ChatPlayer guest;
        // Without a map window a received map only updates the book.
        host.chat->SetMapView(nullptr);
        guest.chat->SetMapView(nullptr);
        // Not connected: nothing goes out, the edit stays local.
        CMapPage& page = host.chat->MapBook().MainPage();
        page.AddUnit(3, 4, false, 0x0000FF, "GM");
        QVERIFY(!CMapBook::SendMap(page, host.chat->MapHost()));

        JoinBoth(host, guest);
        page.PaintTile(5, 5);
        QVERIFY(CMapBook::SendMap(page, host.chat->MapHost()));
        QTRY_COMPARE(guest.chat->MapBook().MainPage().Units().size(), std::size_t{1});
        QCOMPARE(guest.chat->MapBook().MainPage().ItemAt(3, 4)->Symbol, std::string("GM"));
        QVERIFY(guest.chat->MapBook().MainPage().HasTile(5, 5));
        // Without a map window the notice is all a player gets, the sender too.
        QTRY_VERIFY(guest.LogHas("◇ MainMapに更新がありました"));
        QTRY_VERIFY(host.LogHas("◇ MainMapに更新がありました"));

        // A record for a map the guest has never seen creates it.
        CMapPage* three = host.chat->MapBook().GetOrCreate(3);
        three->AddUnit(0, 0, true, 0, "label");
        QVERIFY(CMapBook::SendMap(*three, host.chat->MapHost()));
        QTRY_VERIFY(guest.chat->MapBook().Find(3) != nullptr);
        QCOMPARE(guest.chat->MapBook().ActiveNumber(), 3);
        QTRY_VERIFY(guest.LogHas("◇ SubMap03に更新がありました"));
    }

    void aShownWindowIsToldAndTheFocusStaysInTheInputLine() {
        ChatPlayer host;
        ChatPlayer guest;
        JoinBoth(host, guest);
        // Both players share one process: the host's own window, shown by its
        // echo, would take the one keyboard focus there is.
        host.chat->SetMapView(nullptr);
        QWidget& frame = guest.app->Frame();
        FakeMapView view;
        QLineEdit thief(&frame);
        view.thief = &thief;
        guest.chat->SetMapView(&view);
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QTextEdit* input = guest.View().InputLine();
        input->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(input));

        CMapPage& page = host.chat->MapBook().MainPage();
        page.AddUnit(1, 1, false, 0, "u");
        QVERIFY(CMapBook::SendMap(page, host.chat->MapHost()));
        QTRY_COMPARE(view.reports.size(), std::size_t{1});
        // The hidden window is shown (auto-show defaults to on) instead of noted.
        QVERIFY(view.reports[0].showWindow);
        QCOMPARE(view.reports[0].mapNumber, 0);
        QVERIFY(view.reports[0].notice.empty());
        QVERIFY(!guest.LogHas("◇ MainMapに更新がありました"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(input));
        guest.chat->SetMapView(nullptr);
    }

    void whileTypingTheActivePageStaysAndAnotherPageIsNoted() {
        ChatPlayer host;
        ChatPlayer guest;
        JoinBoth(host, guest);
        FakeMapView view;
        view.shown = true;
        guest.chat->SetMapView(&view);
        // The first character typed announces typing.
        QTest::keyClicks(guest.View().InputLine(), "a");

        CMapPage* two = host.chat->MapBook().GetOrCreate(2);
        two->PaintTile(0, 0);
        QVERIFY(CMapBook::SendMap(*two, host.chat->MapHost()));
        QTRY_COMPARE(view.reports.size(), std::size_t{1});
        QVERIFY(view.reports[0].pageCreated);
        QVERIFY(!view.reports[0].activatePage);
        QCOMPARE(guest.chat->MapBook().ActiveNumber(), 0);
        QVERIFY(guest.chat->MapBook().Find(2)->HasTile(0, 0));
        QTRY_VERIFY(guest.LogHas("◇ SubMap02に更新がありました"));
        guest.chat->SetMapView(nullptr);
    }

    void theSettingsShapeNewPagesAndAutoShowCanBeOff() {
        ChatPlayer host;
        ChatPlayer guest(
            "[InitialSetting]\r\nIsUseSquareMap=1\r\nHexDirection=1\r\nIsAutoMapShow=0\r\n");
        QVERIFY(!guest.chat->MapBook().MainPage().HexShape());
        QCOMPARE(guest.chat->MapBook().GetOrCreate(-1)->HexDirection(), 1);

        JoinBoth(host, guest);
        FakeMapView view;
        guest.chat->SetMapView(&view);
        QVERIFY(CMapBook::SendMap(host.chat->MapBook().MainPage(), host.chat->MapHost()));
        QTRY_COMPARE(view.reports.size(), std::size_t{1});
        QVERIFY(!view.reports[0].showWindow);
        QVERIFY(!view.shown);
        QTRY_VERIFY(guest.LogHas("◇ MainMapに更新がありました"));
        // The received flags replace the shape from the settings.
        QVERIFY(guest.chat->MapBook().MainPage().HexShape());
        guest.chat->SetMapView(nullptr);
    }
};

}  // namespace yarrow

QTEST_MAIN(yarrow::MapWindowQtTest)
#include "MapWindowQtTest.moc"
