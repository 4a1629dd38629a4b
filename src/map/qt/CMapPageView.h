#pragma once
// One map page on screen (a tab of the map window): it paints the page into
// an off-screen surface and copies that to the screen, scrolls, shows the
// items' tips, and turns mouse gestures, context menus and tool bar buttons
// into calls on the page (CMapPage), whose rules decide what an edit does.
//
// Edits that are shared end in SendRequested (the window sends the whole
// map); tool bar state changes end in StateChanged; an edit that found
// nothing left to apply to ends in NoticeRequested.

#include <QAbstractScrollArea>
#include <QImage>
#include <QRegion>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "map/CMapPage.h"
#include "map/qt/CMapRenderer.h"
#include "map/qt/CMapToolBar.h"

class QMenu;
class QScrollBar;

namespace yarrow {

class IMapDialogs;
class IPrompter;

class CMapPageView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // The page, renderer, prompter and dialogs outlive the view. The chip
    // dialog lists programFolder's "ChipFile.ini"; the unit dialog's default
    // colour comes from the settings file at settingsPath.
    CMapPageView(CMapPage& page, CMapRenderer& renderer, IPrompter& prompter, IMapDialogs& dialogs,
                 std::string programFolder, std::string settingsPath, QWidget* parent = nullptr);
    ~CMapPageView() override;

    CMapPage& Page() const { return page_; }
    int MapNumber() const { return page_.MapNumber(); }

    // A page command by number (MapCommandIds.h) on the context cell; false
    // for a number the page does not know.
    bool RunCommand(int id);
    // The context menu for the context cell and the current tool.
    std::unique_ptr<QMenu> BuildContextMenu();

    // The tool bar's buttons.
    void SetTool(int tool);
    void SetRectFill(bool on);
    void SetSmallTiles(bool small);
    void SetHexShape(bool hex);
    void SetHexDirection(int direction);
    void SetWhiteBackground(bool white);
    void SetLocked(bool locked);
    void ChooseFillColor();
    void TakeSnapshot();
    MapToolState ToolState() const;

    // After the page was replaced as a whole (a received map, a loaded file):
    // counts, scroll bars, tips and the whole surface.
    void Refresh();
    // The surface as shown, brought up to date.
    const QImage& Surface();
    // The client area the page is drawn in.
    QSize ClientSize() const;

  signals:
    void SendRequested();
    void StateChanged();
    // A short line for the user's log (code page 932).
    void NoticeRequested(const std::string& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    // Each scroll bar with the page axis it moves.
    struct AxisBar {
        QScrollBar* bar;
        ScrollAxis axis;
    };
    std::array<AxisBar, 2> AxisBars() const;
    void InvalidateAll();
    void InvalidateCell(int column, int row);
    void Invalidate(const QRect& rect);
    // Renders what is invalid into the surface.
    void Flush();
    void SyncScrollBars();
    // A scroll bar's button, page or thumb action, by the page's rules.
    void OnScrollAction(ScrollAxis axis, QScrollBar* bar, int action);
    // A value set on a bar by other means counts as a thumb position.
    void OnScrolled(ScrollAxis axis, int value);
    void UpdateCursor();
    // Shows a result's message; true when the page changed.
    bool Show(const CMapResult& result);
    // Keeps a result's message (once per text) for TellHeld and takes it out
    // of the result.
    void Hold(CMapResult& result);
    void TellHeld();
    // Fill or delete tool on one cell, as a press or drag step does.
    void ApplyTool(MapCell cell);
    std::optional<MapRubberBand> RubberBand() const;
    QRect RubberBandRect() const;
    void EndDrag();
    // Rectangle fill's press and release steps, keeping the tool.
    void SetRectMode(RectFillMode mode);
    void ShowContextMenu(const QPoint& globalPosition);

    // The commands.
    void Reset();
    void Slide();
    void AddUnit(MapCell cell);
    void EditItem();
    void EditTileLabel();
    void PlaceChip();
    // Repaints and sends a new item from a dialog, wherever it was placed.
    void ShowPlaced(const CMapResult& placed, MapCell chosen);

    CMapPage& page_;
    IPrompter& prompter_;
    IMapDialogs& dialogs_;
    std::string programFolder_;
    std::string settingsPath_;
    CMapRenderer& renderer_;
    QImage surface_;
    QRegion invalid_;
    QPoint bandEnd_;
    bool leftPressed_ = false;
    // Refusals met during a mouse gesture, told once it has ended and been
    // sent.
    std::vector<CMapResult> held_;
    bool syncingBars_ = false;
    int wheelDelta_ = 0;
};

}  // namespace yarrow
