#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>
#include <QtTest>

#include "map/CChipFile.h"
#include "map/CMapLayout.h"
#include "map/CMapPage.h"
#include "map/SnapshotBmp.h"
#include "map/qt/CChipDlg.h"
#include "map/qt/CMapDialogs.h"
#include "map/qt/CMapPageView.h"
#include "map/qt/CMapPropSheet.h"
#include "map/qt/CMapRenderer.h"
#include "map/qt/CMapSlideDlg.h"
#include "map/qt/CMapToolBar.h"
#include "map/qt/CUnitDlg.h"
#include "map/qt/MapCommandIds.h"
#include "net/CMsg.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "platform/qt/QtCp932.h"
#include "support/ScriptedMapDialogs.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;

namespace {

// A map window over a fresh program folder, with scripted dialogs and a send
// hook that keeps a copy of every map sent.
struct Fixture {
    Fixture() {
        test::TempDir::Write(dir.File("Yarrow.ini"), "[InitialSetting]\r\nIsUseSquareMap=0\r\n");
        auto scripted = std::make_unique<test::ScriptedMapDialogs>();
        dialogs = scripted.get();
        book = std::make_unique<CMapBook>([this] {
            return CMapPropSheet::InitialSettings(dir.File("Yarrow.ini"), dir.Folder());
        });
        sheet = std::make_unique<CMapPropSheet>(
            *book, prompter, dir.Folder(), dir.File("Yarrow.ini"), nullptr, std::move(scripted));
        sheet->SetSendHook([this](const CMapPage& page) {
            sent.push_back({page.MapNumber(), page.Units(), page.Tiles()});
            return true;
        });
        sheet->SetNoticeHook([this](const std::string& text) { notices.push_back(text); });
        sheet->resize(700, 520);
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet.get()));
    }
    CMapPageView* View() const { return sheet->ActiveView(); }
    CMapPage& Page() const { return View()->Page(); }
    QWidget* Viewport() const { return View()->viewport(); }
    QPoint At(int column, int row) const {
        const MapRect box = Page().CellBox(column, row);
        return {box.CenterX(), box.CenterY()};
    }
    void Press(int c, int r, Qt::KeyboardModifiers keys = {}) {
        QTest::mousePress(Viewport(), Qt::LeftButton, keys, At(c, r));
    }
    void Move(int c, int r) { QTest::mouseMove(Viewport(), At(c, r)); }
    void Release(int c, int r, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseRelease(Viewport(), Qt::LeftButton, keys, At(c, r));
    }
    void ChooseTool(int tool) {
        QTest::mouseClick(sheet->ToolBar()->ToolRadio(tool), Qt::LeftButton);
        QCOMPARE(static_cast<int>(Page().Tool()), tool);
    }
    void RightClick(int c, int r, Qt::KeyboardModifiers keys = {}) {
        QTest::mousePress(Viewport(), Qt::RightButton, keys, At(c, r));
        QTest::mouseRelease(Viewport(), Qt::RightButton, keys, At(c, r));
    }
    // Another member's edit of the active page arrives through the receive
    // path: the page as it is, changed by `change`.
    void OthersMapArrives(const std::function<void(CMsg&)>& change) {
        CMsg msg;
        msg.Type = UpdateMap;
        msg.Param1 = Page().MapFlags();
        msg.Param2 = Page().MapNumber();
        msg.Units = Page().Units();
        msg.Tiles = Page().Tiles();
        change(msg);
        sheet->OnMapReceived(book->ReceiveMap(msg, {true, true, false}));
    }

    struct Sent {
        int mapNumber;
        UnitMap units;
        TileMap tiles;
    };
    test::TempDir dir;
    test::ScriptedPrompter prompter;
    test::ScriptedMapDialogs* dialogs = nullptr;
    std::unique_ptr<CMapBook> book;
    std::unique_ptr<CMapPropSheet> sheet;
    std::vector<Sent> sent;
    std::vector<std::string> notices;  // lines for the log
};

QStringList Messages(const test::ScriptedPrompter& prompter) {
    QStringList messages;
    for (const test::Prompt& p : prompter.prompts)
        messages.push_back(FromCp932(p.text) + "|" + FromCp932(p.caption));
    return messages;
}

// A program folder, a prompter and scripted map dialogs for one dialog.
struct Folder {
    std::unique_ptr<CUnitDlg> Unit(CUnitDlg::Mode mode = CUnitDlg::Mode::Unit) {
        return std::make_unique<CUnitDlg>(mode, prompter, dialogs, dir.File("Yarrow.ini"));
    }
    test::TempDir dir;
    test::ScriptedPrompter prompter;
    test::ScriptedMapDialogs dialogs;
};

}  // namespace

class MapPageQtTest : public QObject {
    Q_OBJECT
  private slots:
    void paintingAndRectanglesFillEveryCellAndSendOnRelease() {
        Fixture f;
        f.ChooseTool(1);
        f.Press(2, 2);
        f.Move(4, 2);
        f.Move(6, 2);
        QCOMPARE(f.Page().TileAt(4, 2)->TileColor, 0xC0C0C0);
        QVERIFY(f.Page().HasTile(6, 2));
        QCOMPARE(f.sent.size(), std::size_t{0});
        f.Release(6, 2);
        QCOMPARE(f.sent.size(), std::size_t{1});
        QCOMPARE(f.sent[0].tiles.size(), std::size_t{3});
        // Only the painted cells are repainted, yet the surface is current.
        QCOMPARE(QColor(f.View()->Surface().pixel(f.At(4, 2))), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(QColor(f.View()->Surface().pixel(f.At(5, 5))), QColor(Qt::white));

        // The delete tool clears along the drag.
        f.ChooseTool(2);
        f.Press(2, 2);
        f.Move(4, 2);
        f.Release(4, 2);
        QVERIFY(!f.Page().HasTile(2, 2));
        QVERIFY(!f.Page().HasTile(4, 2));
        QVERIFY(f.Page().HasTile(6, 2));
        QCOMPARE(f.sent.size(), std::size_t{2});

        // A rectangle fill stays armed after each rectangle; a labelled tile
        // outside it keeps its label.
        QVERIFY(f.Page().EditTileLabel(6, 2, 0, 1, "Far").changed);
        f.ChooseTool(0);
        QTest::mouseClick(f.sheet->ToolBar()->RectFillButton(), Qt::LeftButton);
        QCOMPARE(f.Page().RectFill(), RectFillMode::Armed);
        QVERIFY(f.sheet->ToolBar()->ToolRadio(1)->isChecked());
        f.Press(2, 2);
        QCOMPARE(f.Page().RectFill(), RectFillMode::Dragging);
        f.Move(4, 4);
        f.Release(4, 4);
        QCOMPARE(f.Page().RectFill(), RectFillMode::Armed);
        QCOMPARE(f.Page().Tiles().size(), std::size_t{10});
        QCOMPARE(f.Page().TileAt(6, 2)->TileLabel, std::string("Far"));
        QCOMPARE(f.sent.size(), std::size_t{3});
        // The delete tool keeps its tool through the rectangle and erases.
        f.ChooseTool(2);
        f.Press(4, 4);
        f.Release(2, 3);
        QCOMPARE(f.Page().Tool(), MapTool::DeleteTiles);
        QVERIFY(!f.Page().HasTile(3, 3));
        QVERIFY(f.Page().HasTile(3, 2));
        QCOMPARE(f.sent.size(), std::size_t{4});
    }

    void dragMovesAndCtrlDragCopiesAnItem() {
        Fixture f;
        QVERIFY(f.Page().AddUnit(2, 2, false, 0x0000FF, "A").changed);
        f.View()->Refresh();
        f.Press(2, 2);
        QVERIFY(f.Page().Dragging());
        f.Move(4, 4);
        f.Release(4, 4);
        QVERIFY(!f.Page().HasItem(2, 2));
        QCOMPARE(f.Page().ItemAt(4, 4)->Symbol, std::string("A"));
        QCOMPARE(f.sent.size(), std::size_t{1});

        // With Ctrl the item stays and its copy takes the next number.
        f.Press(4, 4, Qt::ControlModifier);
        f.Release(6, 4, Qt::ControlModifier);
        QCOMPARE(f.Page().ItemAt(4, 4)->UnitNumber, 1);
        QCOMPARE(f.Page().ItemAt(6, 4)->UnitNumber, 2);
        QCOMPARE(f.sent[1].units.size(), std::size_t{2});

        // Dropping on itself changes nothing and still sends.
        const UnitMap before = f.Page().Units();
        f.Press(6, 4);
        f.Release(6, 4);
        QVERIFY(f.Page().Units() == before);
        QCOMPARE(f.sent.size(), std::size_t{3});
    }

    void slideRunsItsDialogAndSendsOnlyWhenConfirmed() {
        Fixture f;
        QVERIFY(f.Page().PaintTile(3, 5).changed);
        f.dialogs->runScript.push_back([](QDialog& dialog) {
            auto* slide = qobject_cast<CMapSlideDlg*>(&dialog);
            if (slide == nullptr)
                return false;
            slide->SetShifts(1, -1);
            return true;
        });
        QVERIFY(f.sheet->RunCommand(mapcmd::kSlide));
        QVERIFY(f.Page().HasTile(5, 4));  // hex direction 0: two columns
        QCOMPARE(f.sent.size(), std::size_t{1});
        QVERIFY(f.sheet->RunCommand(mapcmd::kSlide));  // cancelled
        QVERIFY(f.Page().HasTile(5, 4));
        QCOMPARE(f.sent.size(), std::size_t{1});
    }

    void snapshotsAreNumberedBitmapsOfTheClientArea() {
        Fixture f;
        f.dialogs->snapshotNames.push_back(f.dir.File("b.bmp"));
        QToolButton* button = f.sheet->ToolBar()->SnapshotButton();
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(f.dialogs->snapshotAsked, 1);
        // The file's layout is SnapshotBmp's; here it is the client area.
        const QSize client = f.View()->ClientSize();
        QCOMPARE(test::TempDir::Read(f.dir.File("b_01.bmp")).size(),
                 54 + BmpRowBytes(client.width()) * static_cast<std::size_t>(client.height()));
        QVERIFY(!test::TempDir::Read(f.dir.File("b_00.bmp")).empty());
        QVERIFY(f.prompter.prompts.empty());
        // A snapshot that cannot be written says so, naming the file; a name
        // without an extension is numbered at its end, not at a dot in the folder.
        f.Page().SetSnapshotName(f.dir.File("gone.v2/c"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(Messages(f.prompter).size(), 1);
        QVERIFY(Messages(f.prompter)
                    .front()
                    .startsWith(QStringLiteral("スナップショットを保存できません")));
        QVERIFY(Messages(f.prompter).front().contains(QStringLiteral("gone.v2/c_02")));
        // A cancelled first dialog writes nothing.
        Fixture g;
        QTest::mouseClick(g.sheet->ToolBar()->SnapshotButton(), Qt::LeftButton);
        QCOMPARE(g.dialogs->snapshotAsked, 1);
        QVERIFY(g.Page().SnapshotName().empty());
    }

    void chipWithoutItsBitmapIsDrawnLikeAUnitWithoutDot() {
        Fixture f;
        test::TempDir::Write(f.dir.File("ChipFile.ini"),
                             "[ChipFile]\r\nChipNum=2\r\n0=gone.bmp\r\n1=here.bmp\r\n");
        QImage picture(19, 19, QImage::Format_RGB32);
        picture.fill(QColor(0x12, 0x34, 0x56));
        QVERIFY(picture.save(QString::fromStdString(f.dir.File("here.bmp")), "BMP"));
        CMapPage& page = f.Page();
        page.SetHexShape(false);
        // Chip 0 (no bitmap, black) at (2,2), a black unit of the same symbol
        // at (2,4), chip 1 at (2,6).
        const std::string symbol = Sjis("騎士");
        QVERIFY(page.AddChip(2, 2, 0, symbol).changed);
        QVERIFY(page.AddUnit(2, 4, false, 0, symbol).changed);
        QVERIFY(page.AddChip(2, 6, 1, symbol).changed);
        f.View()->Refresh();
        const QImage shown = f.View()->Surface();
        const CMapLayout layout(page.Geometry());
        const MapRect chip = layout.ItemBox(2, 2);
        const MapRect unit = layout.ItemBox(2, 4);
        const MapPoint dot = layout.FacingDot(unit, 0);
        int same = 0;
        int inked = 0;
        for (int y = 0; y < chip.Height(); ++y)
            for (int x = 0; x < chip.Width(); ++x) {
                const QRgb unitPixel = shown.pixel(unit.left + x, unit.top + y);
                if (QRect(dot.x, dot.y, 6, 6).contains(unit.left + x, unit.top + y)) {
                    QCOMPARE(QColor(unitPixel), QColor(Qt::black));
                    continue;
                }
                same += shown.pixel(chip.left + x, chip.top + y) == unitPixel;
                inked += qGray(unitPixel) < 128;
            }
        // The same two characters, pixel for pixel, outside the unit's dot.
        QCOMPARE(same, chip.Width() * chip.Height() - 36);
        QVERIFY(inked > 10);
        // With its bitmap, the chip is the picture at (left + 3, top + 3).
        const MapPoint origin = layout.ChipOrigin(layout.ItemBox(2, 6));
        QCOMPARE(QColor(shown.pixel(origin.x + 9, origin.y + 9)), QColor(0x12, 0x34, 0x56));
        QCOMPARE(QColor(shown.pixel(origin.x + 18, origin.y)), QColor(0x12, 0x34, 0x56));
    }

    void doubleClicksAddThroughTheDialogAndTurnUnits() {
        Fixture f;
        f.dialogs->runScript.push_back([](QDialog& dialog) {
            auto* unit = qobject_cast<CUnitDlg*>(&dialog);
            if (unit == nullptr || unit->DialogMode() != CUnitDlg::Mode::Unit)
                return false;
            unit->SymbolField()->setPlainText(QStringLiteral("騎士"));
            unit->ColorField()->setText(QStringLiteral("FF0000"));
            return true;
        });
        // A double click on an empty cell adds a unit there.
        QTest::mouseDClick(f.Viewport(), Qt::LeftButton, {}, f.At(5, 5));
        QTest::mouseRelease(f.Viewport(), Qt::LeftButton, {}, f.At(5, 5));
        const CUnitRecord* unit = f.Page().ItemAt(5, 5);
        QVERIFY(unit != nullptr);
        QCOMPARE(unit->UnitColor, 0x0000FF);
        QCOMPARE(unit->Symbol, Sjis("騎士"));
        QCOMPARE(f.sent.size(), std::size_t{1});
        // A double click on a unit turns it; with Shift back again.
        QTest::mouseDClick(f.Viewport(), Qt::LeftButton, {}, f.At(5, 5));
        QTest::mouseRelease(f.Viewport(), Qt::LeftButton, {}, f.At(5, 5));
        QCOMPARE(FacingOf(*f.Page().ItemAt(5, 5)), 1);
        QTest::mouseDClick(f.Viewport(), Qt::LeftButton, Qt::ShiftModifier, f.At(5, 5));
        QTest::mouseRelease(f.Viewport(), Qt::LeftButton, Qt::ShiftModifier, f.At(5, 5));
        QCOMPARE(FacingOf(*f.Page().ItemAt(5, 5)), 0);
        QCOMPARE(f.sent.size(), std::size_t{3});

        // Editing shows FF0000 again; turning it into a label keeps its number.
        QString shownColour;
        f.dialogs->runScript.push_back([&](QDialog& dialog) {
            auto* edit = qobject_cast<CUnitDlg*>(&dialog);
            shownColour = edit->ColorText();
            edit->SetAsLabel(true);
            return true;
        });
        f.dialogs->menuPicks.push_back(mapcmd::kEditItem);
        f.RightClick(5, 5);
        QCOMPARE(shownColour, QStringLiteral("FF0000"));
        QCOMPARE(f.Page().ItemAt(5, 5)->Flags, kKindLabel);
        QCOMPARE(f.sent.size(), std::size_t{4});
        // A label does not turn, and nothing is sent.
        QTest::mouseDClick(f.Viewport(), Qt::LeftButton, {}, f.At(5, 5));
        QTest::mouseRelease(f.Viewport(), Qt::LeftButton, {}, f.At(5, 5));
        QCOMPARE(f.Page().ItemAt(5, 5)->Flags, kKindLabel);
        QCOMPARE(f.sent.size(), std::size_t{4});
    }

    // The unit and chip dialogs are open while maps keep arriving: another
    // member may put an item on the chosen cell meanwhile. What was typed is
    // placed all the same, on the nearest free cell pointing at the chosen
    // one, and sent; the other member's item stays.
    void itemsAddedWhileTheirCellWasTakenLandBesideIt() {
        Fixture f;
        test::TempDir::Write(f.dir.File("ChipFile.ini"),
                             "[ChipFile]\r\nChipNum=1\r\n0=Knight.bmp\r\n");
        test::TempDir::Write(f.dir.File("Knight.bmp"), "BM");
        f.sheet->RunCommand(mapcmd::kNewMap);
        f.sheet->Tabs()->setCurrentIndex(1);
        QVERIFY(f.Page().ChipsAvailable());
        const auto othersItemArrives = [&f](int c, int r, const char* symbol) {
            f.OthersMapArrives([&](CMsg& msg) {
                msg.Units[MakeCellKey(c, r)] = CUnitRecord{0, 0, 9, symbol, kNoAnchor};
            });
        };
        struct Case {
            int command;
            std::uint8_t kind;
        };
        const Case cases[] = {{mapcmd::kAddUnit, kKindUnit}, {mapcmd::kPlaceChip, kKindChip}};
        int row = 4;
        for (const Case& c : cases) {
            f.dialogs->runScript.push_back([&](QDialog& dialog) {
                othersItemArrives(5, row, "theirs");
                if (auto* unit = qobject_cast<CUnitDlg*>(&dialog))
                    unit->SymbolField()->setPlainText(QStringLiteral("mine%1").arg(row));
                else if (auto* chip = qobject_cast<CChipDlg*>(&dialog))
                    chip->SymbolField()->setText(QStringLiteral("mine%1").arg(row));
                else
                    return false;
                return true;
            });
            const std::size_t sentBefore = f.sent.size();
            f.Page().SetContextCell({5, row});
            QVERIFY(f.View()->RunCommand(c.command));
            QCOMPARE(f.Page().ItemAt(5, row)->Symbol, std::string("theirs"));
            const std::optional<MapCell> beside = [&]() -> std::optional<MapCell> {
                for (const auto& [key, item] : f.Page().Units()) {
                    if (item.Symbol == "mine" + std::to_string(row))
                        return MapCell{KeyColumn(key), KeyRow(key)};
                }
                return std::nullopt;
            }();
            QVERIFY2(beside.has_value(), "the typed item was lost");
            const CUnitRecord& mine = *f.Page().ItemAt(beside->column, beside->row);
            QCOMPARE(mine.Flags & kKindMask, int(c.kind));
            QCOMPARE(int(mine.Anchor), int(MakeCellKey(5, row)));
            QCOMPARE(f.sent.size(), sentBefore + 1);
            QCOMPARE(f.sent.back().units.size(), f.Page().Units().size());
            row += 4;
        }
    }

    // The unit and tile label dialogs are open while maps keep arriving. A
    // unit another member moved is edited where it stands now, and the item
    // that took its cell keeps its own text and colour; a unit or tile
    // another member removed takes nothing, nothing is sent, and the log says
    // so instead of the typed text vanishing.
    void editsFollowTheirItemWhileMapsArrive() {
        Fixture f;
        const std::string unitGone =
            Sjis("◇ 編集していたユニットが見つからないため、変更は反映されませんでした");
        const std::string tileGone =
            Sjis("◇ 編集していたタイルが削除されたため、ラベルは反映されませんでした");
        struct Case {
            const char* what;
            int command;
            std::function<void(CMsg&)> meanwhile;
            std::optional<std::string> notice;  // else the edit is applied and sent
        };
        const MapCell x{5, 4};
        const CellKey xKey = x.Key();
        const CellKey elsewhere = MakeCellKey(9, 6);
        const Case cases[] = {
            {"unit moved, another on its cell", mapcmd::kEditItem,
             [&](CMsg& msg) {
                 auto node = msg.Units.extract(xKey);
                 node.key() = elsewhere;
                 msg.Units.insert(std::move(node));
                 msg.Units[xKey] = CUnitRecord{0, 0x00FF00, 9, "B", kNoAnchor};
             },
             std::nullopt},
            {"unit deleted", mapcmd::kEditItem, [&](CMsg& msg) { msg.Units.erase(xKey); },
             unitGone},
            {"tile recoloured", mapcmd::kEditTileLabel,
             [&](CMsg& msg) { msg.Tiles[xKey].TileColor = 0x00AA00; }, std::nullopt},
            {"tile deleted", mapcmd::kEditTileLabel, [&](CMsg& msg) { msg.Tiles.erase(xKey); },
             tileGone},
        };
        for (const Case& c : cases) {
            f.Page().Reset();
            QVERIFY(f.Page().AddUnit(x.column, x.row, false, 0x112233, "A").changed);
            f.Page().SetFillColor(0xC0C0C0);
            QVERIFY(f.Page().PaintTile(x.column, x.row).changed);
            QVERIFY(f.Page().EditTileLabel(x.column, x.row, 0, 0, "old").changed);
            const CUnitRecord unitBefore = *f.Page().ItemAt(x.column, x.row);
            f.dialogs->runScript.push_back([&](QDialog& dialog) {
                f.OthersMapArrives(c.meanwhile);
                auto* edit = qobject_cast<CUnitDlg*>(&dialog);
                if (edit == nullptr)
                    return false;
                edit->SymbolField()->setPlainText(QStringLiteral("mine"));
                edit->ColorField()->setText(QStringLiteral("FF0000"));
                return true;
            });
            const std::size_t sentBefore = f.sent.size();
            f.notices.clear();
            f.Page().SetContextCell(x);
            QVERIFY2(f.View()->RunCommand(c.command), c.what);
            QVERIFY2(f.dialogs->runScript.empty(), c.what);
            if (c.notice) {
                QCOMPARE(f.notices, std::vector<std::string>{*c.notice});
                QCOMPARE(f.sent.size(), sentBefore);
                for (const auto& [key, item] : f.Page().Units())
                    QVERIFY2(item.Symbol != "mine", c.what);
                for (const auto& [key, tile] : f.Page().Tiles())
                    QVERIFY2(tile.TileLabel != "mine", c.what);
                QVERIFY2(c.command != mapcmd::kEditTileLabel || !f.Page().HasTile(x.column, x.row),
                         c.what);
                continue;
            }
            QVERIFY2(f.notices.empty(), c.what);
            QCOMPARE(f.sent.size(), sentBefore + 1);
            QCOMPARE(f.sent.back().units, f.Page().Units());
            QCOMPARE(f.sent.back().tiles, f.Page().Tiles());
            if (c.command == mapcmd::kEditItem) {
                // The other member's unit on X is untouched; A took the edit
                // where it was moved to, keeping its number.
                QCOMPARE(f.Page().ItemAt(x.column, x.row)->Symbol, std::string("B"));
                QCOMPARE(f.Page().ItemAt(x.column, x.row)->UnitColor, 0x00FF00);
                const CUnitRecord* moved = f.Page().ItemAt(KeyColumn(elsewhere), KeyRow(elsewhere));
                QVERIFY2(moved != nullptr, c.what);
                QCOMPARE(moved->Symbol, std::string("mine"));
                QCOMPARE(moved->UnitColor, 0x0000FF);
                QCOMPARE(moved->UnitNumber, unitBefore.UnitNumber);
            } else {
                // The label goes onto the tile as it is now: its new colour stays.
                const CTileRecord* tile = f.Page().TileAt(x.column, x.row);
                QCOMPARE(tile->TileLabel, std::string("mine"));
                QCOMPARE(tile->LabelColor, 0x0000FF);
                QCOMPARE(tile->TileColor, 0x00AA00);
            }
        }
    }

    void itemLimitRefusesNewItemsBeforeTheDialog() {
        Fixture f;
        for (int c = 0; c < kMapSide; ++c)
            for (int r = 0; r < kMapSide && f.Page().Units().size() < kMaxItems; ++r)
                f.Page().AddUnit(c, r, false, 0, "x");
        QCOMPARE(f.Page().Units().size(), kMaxItems);
        QVERIFY(!f.Page().HasItem(255, 255));
        f.Page().SetContextCell({255, 255});
        QVERIFY(f.View()->RunCommand(mapcmd::kAddUnit));
        QCOMPARE(f.dialogs->runs, 0);
        QCOMPARE(Messages(f.prompter),
                 QStringList{QStringLiteral("65535個以上のシンボルを置くことはできません|Yarrow")});
        // A copy by Ctrl-drag is refused the same way and still sends.
        f.Press(1, 1, Qt::ControlModifier);
        f.Release(255, 255, Qt::ControlModifier);
        QCOMPARE(f.Page().Units().size(), kMaxItems);
        QCOMPARE(f.prompter.prompts.size(), std::size_t{2});
        QCOMPARE(f.sent.size(), std::size_t{1});
        // A move adds nothing: dropped on a taken cell it finds the one free
        // cell and points back at where it was dropped.
        f.Press(1, 1);
        f.Release(5, 5);
        QCOMPARE(int(f.Page().ItemAt(255, 255)->Anchor), int(MakeCellKey(5, 5)));
        QCOMPARE(f.Page().Units().size(), kMaxItems);
        QCOMPARE(f.prompter.prompts.size(), std::size_t{2});
        QCOMPARE(f.sent.size(), std::size_t{2});
    }

    void contextMenusGreyWhatTheCellCannotDo() {
        struct Case {
            const char* name;
            int tool;
            const char* item;  // "", "unit", "chip"
            bool tile;
            bool chips;
            const char* entries;  // "|" between entries, "-" a separator, "~" greyed
        };
        const Case cases[] = {
            {"tool 0, empty cell", 0, "", false, true,
             "ﾕﾆｯﾄ配置(&U)|~ﾕﾆｯﾄの削除(&D)|~ﾀｲﾙの削除(&R)|~ﾀｲﾙﾗﾍﾞﾙ編集(&L)|チップの配置(&C)|-|"
             "タイル塗潰し(&T)"},
            {"tool 0, unit on tile", 0, "unit", true, true,
             "ﾕﾆｯﾄ編集(&E)|ﾕﾆｯﾄの削除(&D)|ﾀｲﾙの削除(&R)|ﾀｲﾙﾗﾍﾞﾙ編集(&L)|~チップの配置(&C)|-|"
             "タイル塗潰し(&T)"},
            {"tool 0, chip", 0, "chip", false, true,
             "~ﾕﾆｯﾄ編集(&E)|ﾁｯﾌﾟの削除(&D)|~ﾀｲﾙの削除(&R)|~ﾀｲﾙﾗﾍﾞﾙ編集(&L)|~チップの配置(&C)|-|"
             "タイル塗潰し(&T)"},
            {"tool 0, no chip file", 0, "", true, false,
             "ﾕﾆｯﾄ配置(&U)|~ﾕﾆｯﾄの削除(&D)|ﾀｲﾙの削除(&R)|ﾀｲﾙﾗﾍﾞﾙ編集(&L)|~チップの配置(&C)|-|"
             "タイル塗潰し(&T)"},
            {"tool 1, empty cell", 1, "", false, true,
             "塗りつぶしの終了(&X)|~ﾀｲﾙﾗﾍﾞﾙの編集(&L)|タイル色の変更(&H)|-|~ﾕﾆｯﾄ編集(&C)|"
             "~ﾕﾆｯﾄの削除(&D)|~ﾀｲﾙの削除(&E)"},
            {"tool 2, unit on tile", 2, "unit", true, true,
             "塗りつぶしの終了(&X)|ﾀｲﾙﾗﾍﾞﾙの編集(&L)|タイル色の変更(&H)|-|ﾕﾆｯﾄ編集(&C)|"
             "ﾕﾆｯﾄの削除(&D)|ﾀｲﾙの削除(&E)"},
        };
        for (const Case& c : cases) {
            Fixture f;
            if (c.chips)
                test::TempDir::Write(f.dir.File("ChipFile.ini"), "[ChipFile]\r\nChipNum=0\r\n");
            // New pages see the chip file as it is when they are made.
            CMapPageView* view = f.sheet->GetOrCreatePage(-1);
            f.sheet->Activate(view->MapNumber());
            QCOMPARE(f.Page().ChipsAvailable(), c.chips);
            if (QString(c.item) == "unit")
                f.Page().AddUnit(4, 4, false, 0, "U");
            if (QString(c.item) == "chip")
                f.Page().AddChip(4, 4, 0, "C");
            if (c.tile)
                f.Page().PaintTile(4, 4);
            f.Page().SetTool(static_cast<MapTool>(c.tool));
            f.View()->Refresh();
            f.RightClick(4, 4);
            QCOMPARE(f.Page().ContextCell(), (MapCell{4, 4}));
            QStringList shown;
            for (const auto& entry : f.dialogs->lastMenu)
                shown << ((entry.enabled || entry.text == "-") ? entry.text : "~" + entry.text);
            QCOMPARE(shown.join(QLatin1Char('|')), QString::fromUtf8(c.entries));
            QCOMPARE(f.sent.size(), std::size_t{0});
        }
    }

    void contextCommandsDeleteResetAndPickColours() {
        Fixture f;
        f.Page().AddUnit(4, 4, false, 0, "U");
        f.Page().PaintTile(4, 4);
        f.Page().PaintTile(6, 6);
        f.View()->Refresh();
        f.dialogs->menuPicks = {mapcmd::kDeleteItem, mapcmd::kDeleteTile};
        f.RightClick(4, 4);
        QVERIFY(!f.Page().HasItem(4, 4));
        QCOMPARE(f.Page().ContextCell(), (MapCell{0, 0}));
        QCOMPARE(f.sent.size(), std::size_t{1});
        f.RightClick(4, 4);
        QVERIFY(!f.Page().HasTile(4, 4));
        QCOMPARE(f.sent.size(), std::size_t{2});

        // Reset asks first; No keeps everything.
        QVERIFY(f.sheet->RunCommand(mapcmd::kReset));
        QCOMPARE(Messages(f.prompter).back(),
                 QStringLiteral("Mapを全てリセットします。\r\nよろしいですか？|確認"));
        QCOMPARE(f.prompter.prompts.back().buttons, PromptButtons::YesNo);
        QVERIFY(f.Page().HasTile(6, 6));
        QCOMPARE(f.sent.size(), std::size_t{2});
        f.prompter.answers.push_back(PromptAnswer::Yes);
        QVERIFY(f.sheet->RunCommand(mapcmd::kReset));
        QVERIFY(f.Page().Tiles().empty() && f.Page().LastUnitNumber() == 0);
        QCOMPARE(f.sent.size(), std::size_t{3});
        QVERIFY(f.sent.back().tiles.empty());

        // "タイル塗潰し(&T)" cycles the tool, "塗りつぶしの終了(&X)" ends it; neither sends.
        f.dialogs->menuPicks = {mapcmd::kCycleTool, mapcmd::kEndFill};
        f.RightClick(1, 1);
        QCOMPARE(f.Page().Tool(), MapTool::FillTiles);
        QVERIFY(f.sheet->ToolBar()->ToolRadio(1)->isChecked());
        f.RightClick(1, 1);
        QCOMPARE(f.Page().Tool(), MapTool::PlaceUnits);
        QCOMPARE(f.sent.size(), std::size_t{3});

        // Ctrl picks the tile's colour instead of showing the menu.
        const int menus = f.dialogs->menus;
        f.Page().SetFillColor(0x123456);
        f.Page().PaintTile(2, 2);
        f.Page().SetFillColor(0xC0C0C0);
        f.RightClick(2, 2, Qt::ControlModifier);
        QCOMPARE(f.sheet->ToolBar()->State().fillColor, 0x123456);
        QCOMPARE(f.dialogs->menus, menus);
    }

    void toolBarDrivesTheActivePage() {
        Fixture f;
        CMapToolBar* bar = f.sheet->ToolBar();
        QTest::mouseClick(bar->ShapeButton(), Qt::LeftButton);
        QVERIFY(!f.Page().HexShape());
        QCOMPARE(f.sent.size(), std::size_t{1});
        QTest::mouseClick(bar->SizeButton(), Qt::LeftButton);
        QVERIFY(f.Page().SmallTiles());
        QTest::mouseClick(bar->LockButton(), Qt::LeftButton);
        QVERIFY(f.Page().Locked());
        QCOMPARE(f.sent.size(), std::size_t{1});  // size and lock are local
        QTest::mouseClick(bar->BackgroundButton(), Qt::LeftButton);
        QCOMPARE(QColor(f.View()->Surface().pixel(2, 2)), QColor(0xAA, 0xAA, 0xAA));
        QTest::mouseClick(bar->DirectionButton(), Qt::LeftButton);
        QCOMPARE(f.Page().HexDirection(), 1);
        QCOMPARE(f.sent.size(), std::size_t{3});
        f.dialogs->colors.push_back(std::int32_t{0x0000FF});
        QTest::mouseClick(bar->ColorButton(), Qt::LeftButton);
        QCOMPARE(f.Page().FillColor(), 0x0000FF);
        // Switching tabs shows each page's state.
        f.sheet->Activate(f.sheet->GetOrCreatePage(-1)->MapNumber());
        QVERIFY(!bar->LockButton()->isChecked());
        f.sheet->Activate(0);
        QVERIFY(bar->LockButton()->isChecked() && bar->SizeButton()->isChecked());
    }

    void newMapsAndTabDeletion() {
        Fixture f;
        QTabWidget* tabs = f.sheet->Tabs();
        QVERIFY(f.sheet->RunCommand(mapcmd::kNewMap));
        QVERIFY(f.sheet->RunCommand(mapcmd::kNewMap));
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(2), QStringLiteral("SubMap02"));
        QCOMPARE(tabs->currentIndex(), 0);

        // Right-clicking the first tab shows no menu.
        const QPoint first = tabs->tabBar()->tabRect(0).center();
        f.sheet->ShowTabMenu(first);
        QCOMPARE(f.dialogs->menus, 0);
        // A sub map's tab offers deletion; cancelling keeps it.
        const QPoint second = tabs->tabBar()->tabRect(1).center();
        f.sheet->ShowTabMenu(second);
        QCOMPARE(f.dialogs->lastMenu.size(), std::size_t{1});
        QCOMPARE(f.dialogs->lastMenu[0].text, QStringLiteral("マップの削除(&D)"));
        QCOMPARE(tabs->count(), 3);
        f.dialogs->menuPicks.push_back(mapcmd::kDeleteMap);
        f.sheet->Activate(1);
        f.sheet->ShowTabMenu(second);
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(1), QStringLiteral("SubMap02"));
        QVERIFY(f.sheet->Book().Find(1) == nullptr);
        QCOMPARE(f.sheet->ActiveView()->MapNumber(), f.sheet->Book().ActiveNumber());
        // "Mapを送信する(&S)" sends the active page.
        f.sheet->Activate(2);
        QVERIFY(f.sheet->RunCommand(mapcmd::kSendMap));
        QCOMPARE(f.sent.size(), std::size_t{1});
        QCOMPARE(f.sent[0].mapNumber, 2);
    }

    void mapFilesSaveAndOpenThroughTheWindowMenu() {
        Fixture f;
        f.Page().PaintTile(2, 3);
        f.Page().AddUnit(4, 4, false, 0x0000FF, "U");
        const std::string path = f.dir.File("field.map");
        f.dialogs->saveNames.push_back(path);
        QVERIFY(f.sheet->RunCommand(mapcmd::kSaveMap));
        QCOMPARE(Messages(f.prompter).back(),
                 QStringLiteral("現在のタイル状態を保存しました|保存"));
        QCOMPARE(f.Page().LastFileName(), std::string("field.map"));
        QVERIFY(!test::TempDir::Read(path).empty());
        QCOMPARE(f.sent.size(), std::size_t{0});
        // The next save offers the last name.
        QVERIFY(f.sheet->RunCommand(mapcmd::kSaveMap));
        QCOMPARE(f.dialogs->saveInitialNames.back(), std::string("field.map"));

        // Opening into a sub map replaces it and sends it as that map.
        CMapPageView* sub = f.sheet->GetOrCreatePage(-1);
        f.sheet->Activate(sub->MapNumber());
        f.dialogs->openNames.push_back(path);
        QVERIFY(f.sheet->RunCommand(mapcmd::kOpenMap));
        QVERIFY(sub->Page().HasTile(2, 3));
        QCOMPARE(sub->Page().ItemAt(4, 4)->Symbol, std::string("U"));
        QCOMPARE(f.sent.size(), std::size_t{1});
        QCOMPARE(f.sent[0].mapNumber, sub->MapNumber());
    }

    void receivedMapsShowTheWindowAddTabsAndGrowIt() {
        Fixture f;
        f.sheet->hide();
        f.sheet->resize(500, 400);
        const QPoint position = f.sheet->pos();
        // A record for map 3 while only map 0 exists, with a tile far right.
        CMsg msg;
        msg.Type = UpdateMap;
        msg.Param1 = 0x9;
        msg.Param2 = 3;
        msg.Tiles[MakeCellKey(40, 2)] = CTileRecord{0x00FF00, 0, 0, ""};
        const MapReceiveReport report =
            f.book->ReceiveMap(msg, {f.sheet->IsMapWindowShown(), true, false});
        f.sheet->OnMapReceived(report);
        QVERIFY(f.sheet->isVisible());
        QCOMPARE(f.sheet->Tabs()->tabText(1), QStringLiteral("SubMap03"));
        QCOMPARE(f.View()->MapNumber(), 3);
        // Grown to show column 40, in place.
        QVERIFY(f.View()->ClientSize().width() >= report.growth.clientWidth ||
                f.sheet->width() >= f.sheet->screen()->availableGeometry().width() - 40);
        QVERIFY(f.sheet->width() > 500);
        QCOMPARE(f.sheet->height(), 400);
        QCOMPARE(f.sheet->pos(), position);
        QCOMPARE(f.sent.size(), std::size_t{0});
    }

    void tipsScrollingAndFocusLoss() {
        Fixture f;
        f.Page().AddUnit(3, 2, false, 0, Sjis("騎士") + "\r\nHP 12");
        f.View()->Refresh();
        QHelpEvent help(QEvent::ToolTip, f.At(3, 2), f.Viewport()->mapToGlobal(f.At(3, 2)));
        QApplication::sendEvent(f.Viewport(), &help);
        QCOMPARE(QToolTip::text(), QStringLiteral("騎士\nHP 12"));
        QToolTip::hideText();

        // Losing the focus during an item drag ends it: the release drops
        // nothing.
        f.View()->setFocus();
        f.Press(3, 2);
        QVERIFY(f.Page().Dragging());
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(f.View(), &out);
        QVERIFY(!f.Page().Dragging());
        f.Release(6, 6);
        QVERIFY(f.Page().HasItem(3, 2));
        QCOMPARE(f.sent.size(), std::size_t{0});

        // The scroll bar moves the staggered axis by two columns; a thumb
        // dropped on an odd column lands on the next even one.
        QScrollBar* bar = f.View()->horizontalScrollBar();
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.Page().ScrollColumn(), 2);
        QVERIFY(f.Page().CellBox(1, 2).IsEmpty());
        bar->setValue(5);
        QCOMPARE(f.Page().ScrollColumn(), 6);
        QCOMPARE(bar->value(), 6);
        // A wheel notch scrolls three rows; with Shift three column steps.
        const QPointF at(50, 50);
        for (const Qt::KeyboardModifiers keys :
             {Qt::KeyboardModifiers{}, Qt::KeyboardModifiers{Qt::ShiftModifier}}) {
            QWheelEvent notch(at, f.Viewport()->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                              keys, Qt::NoScrollPhase, false);
            QApplication::sendEvent(f.Viewport(), &notch);
        }
        QCOMPARE(f.Page().ScrollRow(), 3);
        QCOMPARE(f.View()->verticalScrollBar()->value(), 3);
        QCOMPARE(f.Page().ScrollColumn(), 12);
    }

    void tileLimitIsToldOncePerGesture() {
        Fixture f;
        f.sheet->ToolBar()->ShapeButton()->click();  // square cells
        QVERIFY(!f.Page().HexShape());
        // Every cell but (255,255) has a tile; (253,253) is emptied again.
        f.Page().FillRectangle({0, 0}, {255, 255}, false);
        QCOMPARE(f.Page().Tiles().size(), kMaxTiles);
        QVERIFY(!f.Page().HasTile(255, 255));
        f.Page().DeleteTile(253, 253);
        f.Page().Scroll(ScrollAxis::Horizontal, ScrollAction::ToEnd);
        f.Page().Scroll(ScrollAxis::Vertical, ScrollAction::ToEnd);
        f.View()->Refresh();
        QVERIFY(f.Page().IsCellVisible(255, 255));
        f.prompter.prompts.clear();
        f.ChooseTool(1);
        f.Page().SetFillColor(0x0000FF);
        f.Press(253, 253);  // the last tile that fits
        f.Move(255, 255);   // refused, told
        f.Move(254, 254);   // a recolour is always allowed
        f.Move(255, 255);   // refused again, not told again
        f.Release(255, 255);
        QCOMPARE(f.Page().TileAt(253, 253)->TileColor, 0x0000FF);
        QCOMPARE(f.Page().TileAt(254, 254)->TileColor, 0x0000FF);
        QCOMPARE(QColor(f.View()->Surface().pixel(f.At(254, 254))), QColor(Qt::red));
        QVERIFY(!f.Page().HasTile(255, 255));
        QCOMPARE(Messages(f.prompter),
                 QStringList{QStringLiteral("65535個以上のタイルを塗ることはできません|Yarrow")});
        // The next gesture tells again.
        f.Press(255, 255);
        f.Release(255, 255);
        QCOMPARE(f.prompter.prompts.size(), std::size_t{2});
    }

    // --- The unit and chip dialogs ---------------------------------------------

    void unitDialogColourComesFromTheColourDialogOrTheHandleName() {
        // An empty colour shows the handle name's colour from the settings.
        struct Case {
            const char* stored;
            QString shown;
            std::int32_t mapColor;
        };
        for (const Case& c :
             {Case{"0x00FF80", "00FF80", 0x80FF00}, Case{"0X0000ff", "0000ff", 0xFF0000},
              Case{nullptr, "000000", 0}, Case{"junk", "junk", 0}}) {
            Folder f;
            if (c.stored)
                test::TempDir::Write(
                    f.dir.File("Yarrow.ini"),
                    std::string("[InitialSetting]\r\nHandleNameColor=") + c.stored + "\r\n");
            auto dialog = f.Unit();
            dialog->show();
            QCOMPARE(dialog->ColorText(), c.shown);
            QCOMPARE(dialog->MapColor(), c.mapColor);
        }
        Folder f;
        auto edit = f.Unit();
        edit->SetColorText(QStringLiteral("0000FF"));
        edit->show();  // a colour already given is kept
        QCOMPARE(edit->ColorText(), QStringLiteral("0000FF"));
        // The colour button starts the colour dialog at the shown colour and
        // writes the chosen one back as text.
        f.dialogs.colors = {std::int32_t{0x00FF00}, std::nullopt};
        QTest::mouseClick(edit->findChild<QPushButton*>(QStringLiteral("1057")), Qt::LeftButton);
        QCOMPARE(f.dialogs.pickedFrom.back(), 0xFF0000);
        QCOMPARE(edit->ColorText(), QStringLiteral("00FF00"));
        edit->PickColor();  // cancelled: unchanged
        QCOMPARE(edit->ColorText(), QStringLiteral("00FF00"));
    }

    void symbolFieldTakesFiftyCharactersAndRefusesNone() {
        Folder f;
        auto dialog = f.Unit();
        dialog->show();
        QTest::keyClick(dialog->SymbolField(), Qt::Key_Return);
        QCOMPARE(Messages(f.prompter), QStringList{QStringLiteral("シンボルが空です|エラー")});
        QCOMPARE(f.prompter.prompts[0].icon, PromptIcon::Stop);
        QVERIFY(dialog->isVisible());

        QTest::keyClicks(dialog->SymbolField(), QString(60, QLatin1Char('x')));
        QCOMPARE(dialog->SymbolField()->toPlainText(), QString(50, QLatin1Char('x')));
        // Pasting keeps what fits; a long symbol being edited is cut too.
        dialog->SymbolField()->clear();
        dialog->SymbolField()->insertPlainText(QString(45, QLatin1Char('p')) + "0123456789");
        QCOMPARE(dialog->SymbolField()->toPlainText(), QString(45, QLatin1Char('p')) + "01234");
        dialog->SetSymbol(std::string(80, 'z'));
        QCOMPARE(dialog->Symbol(), std::string(50, 'z'));

        // Ctrl+Enter breaks the line, stored as two characters that count as
        // two; Enter then closes with OK.
        dialog->SymbolField()->clear();
        QTest::keyClicks(dialog->SymbolField(), QString(47, QLatin1Char('a')));
        QTest::keyClick(dialog->SymbolField(), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(dialog->SymbolField(), "bcd");
        QTest::keyClick(dialog->SymbolField(), Qt::Key_Enter);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->Symbol(), std::string(47, 'a') + "\r\nb");

        // In label-edit mode an empty text is accepted (it removes the label).
        auto label = f.Unit(CUnitDlg::Mode::LabelEdit);
        label->show();
        label->SetLabelSize(7);  // out of the list: large
        QCOMPARE(label->LabelSize(), 0);
        label->accept();
        QCOMPARE(label->result(), int(QDialog::Accepted));
        QCOMPARE(f.prompter.prompts.size(), std::size_t{1});
    }

    void chipListShowsExistingBitmapsWithTheirNumbers() {
        Folder f;
        test::TempDir::Write(f.dir.File(kChipFileName),
                             "[ChipFile]\r\nChipNum=3\r\n0=a.bmp\r\n1=b.bmp\r\n2=" + Sjis("表") +
                                 ".bmp\r\n[ChipName]\r\n0=" + Sjis("騎士") +
                                 "\r\n1=B\r\n2=" + Sjis("宝") + "\r\n");
        QImage image(19, 19, QImage::Format_RGB32);
        image.fill(Qt::red);
        // A Japanese bitmap name is code page 932 in the chip file and UTF-8
        // on the disk.
        for (const char* name : {"a.bmp", "表.bmp"})
            QVERIFY(image.save(QString::fromUtf8(f.dir.File(name)), "BMP"));
        CChipDlg dialog(f.dir.Folder(), f.prompter);
        QCOMPARE(dialog.ChipList()->count(), 2);
        // The first entry is selected with its name and preview.
        QCOMPARE(dialog.Chip(), 0);
        QCOMPARE(dialog.SymbolField()->text(), QStringLiteral("騎士"));
        QVERIFY(!dialog.Preview()->pixmap().isNull());
        // Selecting another chip replaces whatever was typed.
        dialog.SetSymbol(QStringLiteral("typed"));
        dialog.Select(1);
        QCOMPARE(dialog.Chip(), 2);
        QCOMPARE(dialog.Symbol(), Sjis("宝"));
        QCOMPARE(dialog.ChipList()->currentText(), QStringLiteral("表.bmp"));
        QVERIFY(!dialog.Preview()->pixmap().isNull());
        // OK with an empty symbol is refused and keeps the dialog open.
        dialog.show();
        dialog.SymbolField()->clear();
        QTest::keyClick(dialog.SymbolField(), Qt::Key_Return);
        QCOMPARE(Messages(f.prompter), QStringList{QStringLiteral("シンボルが空です|エラー")});
        QVERIFY(dialog.isVisible());
    }

    void theStripPastTheLastCellEditsNothing() {
        // A client area that is not a whole number of cells, scrolled to the
        // end, shows a strip past column and row 255. A click there must not
        // reach column or row 0 at the other end of the map.
        Fixture f;
        f.sheet->ToolBar()->ShapeButton()->click();  // square cells
        QVERIFY(!f.Page().HexShape());
        f.sent.clear();
        const QSize client = f.View()->ClientSize();
        f.sheet->resize(f.sheet->width() + (12 - client.width() % 25 + 25) % 25,
                        f.sheet->height() + (12 - client.height() % 25 + 25) % 25);
        QTRY_COMPARE(f.View()->ClientSize().width() % 25, 12);
        QCOMPARE(f.View()->ClientSize().height() % 25, 12);
        f.View()->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        f.View()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(f.Page().ScrollColumn() + f.Page().VisibleCols(), 256);
        QCOMPARE(f.Page().ScrollRow() + f.Page().VisibleRows(), 256);
        const QPoint strip(f.View()->ClientSize().width() - 3, f.View()->ClientSize().height() - 3);

        f.ChooseTool(1);
        QTest::mousePress(f.Viewport(), Qt::LeftButton, {}, strip);
        QTest::mouseRelease(f.Viewport(), Qt::LeftButton, {}, strip);
        QVERIFY(f.Page().Tiles().empty());
        // A rectangle dragged into the strip ends at the last cell.
        f.sheet->ToolBar()->RectFillButton()->click();
        f.Press(254, 254);
        QTest::mouseMove(f.Viewport(), strip);
        QTest::mouseRelease(f.Viewport(), Qt::LeftButton, {}, strip);
        QCOMPARE(f.Page().Tiles().size(), std::size_t{4});
        QVERIFY(f.Page().HasTile(255, 255));
        f.sheet->ToolBar()->RectFillButton()->click();

        // Nothing is offered to be placed there either.
        f.ChooseTool(0);
        QTest::mouseDClick(f.Viewport(), Qt::LeftButton, {}, strip);
        QCOMPARE(f.dialogs->runs, 0);
        QTest::mousePress(f.Viewport(), Qt::RightButton, {}, strip);
        QCOMPARE(f.dialogs->lastMenu.front().text, QStringLiteral("ﾕﾆｯﾄ配置(&U)"));
        QVERIFY(!f.dialogs->lastMenu.front().enabled);
        QVERIFY(f.Page().Units().empty());
        QVERIFY(!f.Page().HasTile(0, 0) && !f.Page().HasTile(0, 255) && !f.Page().HasTile(255, 0));
    }

    void aRefusalIsToldOnlyOnceTheGestureIsSent() {
        // A message box takes the mouse: opened while the button is held, the
        // release would never reach the page and the painting never be sent.
        Fixture f;
        f.sheet->ToolBar()->ShapeButton()->click();  // square cells
        f.Page().FillRectangle({0, 0}, {255, 255}, false);
        f.Page().DeleteTile(253, 253);
        f.Page().Scroll(ScrollAxis::Horizontal, ScrollAction::ToEnd);
        f.Page().Scroll(ScrollAxis::Vertical, ScrollAction::ToEnd);
        f.View()->Refresh();
        f.ChooseTool(1);
        f.Page().SetFillColor(0x0000FF);
        f.sent.clear();
        std::vector<std::size_t> sentWhenTold;
        f.prompter.whileOpen = [&] { sentWhenTold.push_back(f.sent.size()); };

        f.Press(254, 254);  // a recolour
        f.Move(255, 255);   // refused
        f.Move(253, 253);   // the last tile that fits
        QVERIFY(sentWhenTold.empty());
        f.Release(253, 253);
        QCOMPARE(sentWhenTold, std::vector<std::size_t>{1});
        QCOMPARE(f.sent.back().tiles.size(), kMaxTiles);
        QCOMPARE(f.sent.back().tiles.at(MakeCellKey(254, 254)).TileColor, 0x0000FF);

        // A rectangle that reaches the limit is sent before it is told.
        f.Page().DeleteTile(250, 250);
        f.Page().DeleteTile(251, 251);
        f.sheet->ToolBar()->RectFillButton()->click();
        f.Press(250, 250);
        f.Move(252, 252);
        f.Release(252, 252);
        QCOMPARE(sentWhenTold, (std::vector<std::size_t>{1, 2}));
        QCOMPARE(f.sent.back().tiles.at(MakeCellKey(250, 250)).TileColor, 0x0000FF);
        QCOMPARE(f.prompter.prompts.size(), std::size_t{2});
    }

    void fileDialogsStartInTheFolderLastChosen() {
        // A map opened from a folder is offered to be saved back there, not
        // in the program folder under the same name.
        test::TempDir dir;
        QVERIFY(QDir().mkpath(QString::fromStdString(dir.File("maps"))));
        const QString maps = QFileInfo(QString::fromStdString(dir.File("maps"))).absoluteFilePath();
        test::TempDir::Write(dir.File("maps/dungeon.map"), "x");
        QStringList shownIn;
        auto answer = [&shownIn](const QString& choose) {
            QTimer::singleShot(0, [&shownIn, choose] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                shownIn << dialog->directory().absolutePath();
                if (choose.isEmpty()) {
                    dialog->reject();
                    return;
                }
                dialog->selectFile(choose);
                static_cast<QDialog*>(dialog)->accept();
            });
        };
        CMapDialogs dialogs;
        answer(maps + "/dungeon.map");
        QCOMPARE(
            dialogs.OpenMapFileName(nullptr),
            std::optional<std::string>(QFile::encodeName(maps + "/dungeon.map").toStdString()));
        answer({});
        QCOMPARE(dialogs.SaveMapFileName("dungeon.map", nullptr), std::nullopt);
        answer({});
        QCOMPARE(dialogs.SnapshotFileName(nullptr), std::nullopt);
        QCOMPARE(shownIn.size(), 3);
        QCOMPARE(shownIn[1], maps);
        QCOMPARE(shownIn[2], maps);
    }

    // A chip picture is drawn from its top left corner at its own size; only
    // that corner is kept, so a chip set of large pictures does not fill the
    // memory, and a large picture draws exactly as its corner would.
    void largeChipPicturesKeepOnlyTheDrawnCorner() {
        Fixture f;
        constexpr int kChip = CMapLayout::kChipSize;
        QImage big(400, 300, QImage::Format_RGB32);
        for (int y = 0; y < big.height(); ++y)
            for (int x = 0; x < big.width(); ++x)
                big.setPixel(x, y, qRgb(x * 13 % 256, y * 11 % 256, (x * 7 + y * 3) % 256));
        QImage small(10, 7, QImage::Format_RGB32);
        small.fill(QColor(0x12, 0x34, 0x56));
        const auto save = [&](const QImage& image, const char* name) {
            QVERIFY(image.save(QString::fromStdString(f.dir.File(name)), "BMP"));
        };
        save(big, "big.bmp");
        save(big.copy(0, 0, kChip, kChip), "corner.bmp");
        save(small, "small.bmp");
        test::TempDir::Write(f.dir.File("ChipFile.ini"),
                             "[ChipFile]\r\nChipNum=3\r\n0=big.bmp\r\n1=corner.bmp\r\n"
                             "2=small.bmp\r\n");
        CMapPage& page = f.Page();
        page.SetHexShape(false);
        CMapRenderer renderer(f.dir.Folder());
        const auto render = [&] {
            QImage shown(page.ClientWidth(), page.ClientHeight(), QImage::Format_RGB32);
            QPainter painter(&shown);
            renderer.Render(painter, page, shown.rect());
            return shown;
        };
        const QImage empty = render();
        QVERIFY(page.AddChip(2, 2, 0, "A").changed);
        QVERIFY(page.AddChip(2, 6, 1, "A").changed);
        QVERIFY(page.AddChip(2, 10, 2, "A").changed);
        const QImage shown = render();

        const CMapLayout layout(page.Geometry());
        const MapRect large = layout.ItemBox(2, 2);
        const MapRect corner = layout.ItemBox(2, 6);
        for (int y = 0; y < large.Height(); ++y)
            for (int x = 0; x < large.Width(); ++x)
                QCOMPARE(QColor(shown.pixel(large.left + x, large.top + y)),
                         QColor(shown.pixel(corner.left + x, corner.top + y)));
        const MapPoint origin = layout.ChipOrigin(large);
        QCOMPARE(QColor(shown.pixel(origin.x + kChip - 1, origin.y + kChip - 1)),
                 QColor(big.pixel(kChip - 1, kChip - 1)));
        // A picture smaller than a chip gets nothing added around it.
        const MapRect box = layout.ItemBox(2, 10);
        const MapPoint at = layout.ChipOrigin(box);
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) {
                const bool picture = QRect(at.x, at.y, 10, 7).contains(x, y);
                QCOMPARE(QColor(shown.pixel(x, y)),
                         picture ? QColor(0x12, 0x34, 0x56) : QColor(empty.pixel(x, y)));
            }
        // Two chip corners and the small picture are all the cache holds.
        QVERIFY(renderer.ChipPictureBytes() > 0);
        QVERIFY2(renderer.ChipPictureBytes() <= (2 * kChip * kChip + 10 * 7) * 4,
                 qPrintable(QString::number(renderer.ChipPictureBytes())));
    }
};

QTEST_MAIN(MapPageQtTest)
#include "MapPageQtTest.moc"
