// The map window inside whole chat windows: made hidden at start-up, opened
// from the frame's "Mapを使用(&M)", and two players over TCP painting and
// placing on a map that the other sees, with the keyboard left where it was.

#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>
#include <fstream>
#include <memory>

#include "app/CChatController.h"
#include "app/CMainFrame.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "app/CommandLine.h"
#include "chat/CommandIds.h"
#include "map/CMapBook.h"
#include "map/qt/CMapPageView.h"
#include "map/qt/CMapPropSheet.h"
#include "map/qt/CMapToolBar.h"
#include "map/qt/MapCommandIds.h"
#include "net/CClientSession.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/qt/CLogWidget.h"
#include "support/ChatPlayer.h"
#include "support/ScriptedPrompter.h"

namespace yarrow {
namespace {

struct Player : test::ChatPlayer<test::SilentPrompter> {
    explicit Player(const char* settings = nullptr)
        : ChatPlayer(settings != nullptr
                         ? std::map<std::string, std::string>{{"Yarrow.ini", settings}}
                         : std::map<std::string, std::string>{}) {}
    CMapPropSheet& Map() const { return *chat->MapWindow(); }
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
        Player player;
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
        Player host;
        Player guest;
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

        // A map the host makes and sends shows up as a new tab.
        QVERIFY(map.RunCommand(mapcmd::kNewMap));
        CMapPageView* sub = map.View(1);
        QVERIFY(sub != nullptr);
        sub->Page().PaintTile(0, 0);
        map.SendMap(*sub);
        QTRY_COMPARE(guest.Map().Tabs()->count(), 2);
        QCOMPARE(guest.Map().Tabs()->tabText(1), QStringLiteral("SubMap01"));
    }

  private:
    static void JoinBoth(Player& host, Player& guest) {
        auto request = [](CommandLineRequest::Mode mode, int port, const char* name) {
            CommandLineRequest r;
            r.mode = mode;
            r.host = "127.0.0.1";
            r.port = port;
            r.name = name;
            return r;
        };
        QVERIFY(
            host.chat->ConnectFromCommandLine(request(CommandLineRequest::Mode::Host, 0, "GM")));
        const int port = host.chat->Session().PortNum();
        QVERIFY(guest.chat->ConnectFromCommandLine(
            request(CommandLineRequest::Mode::Join, port, "PL")));
        QTRY_COMPARE(host.chat->Session().MyID(), 1);
        QTRY_COMPARE(guest.chat->Session().MyID(), 2);
    }
};

}  // namespace yarrow

QTEST_MAIN(yarrow::MapWindowQtTest)
#include "MapWindowQtTest.moc"
