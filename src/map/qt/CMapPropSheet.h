#pragma once
// The map window "Map": a modeless, resizable window with its own menu, a
// 50-pixel band holding the tool bar, and one tab per map page ("MainMap",
// then "SubMap%02d" by map number). Escape and closing only hide it; the
// pages stay. A right click on a sub map's tab offers "マップの削除(&D)",
// which removes that map here only.
//
// The pages live in a CMapBook that the chat view owns (received maps update
// it even while the window is hidden); the window keeps one view per page.
// Whatever a view edits reaches the others through the send hook.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "map/CMapBook.h"
#include "map/IMapView.h"
#include "map/qt/IMapDialogs.h"

class QMenuBar;
class QTabWidget;

namespace yarrow {

class CMapPageView;
class CMapRenderer;
class CMapToolBar;
class IPrompter;

class CMapPropSheet : public QWidget, public IMapView {
    Q_OBJECT
  public:
    // Sends one page's whole map to everybody; false when it could not be
    // sent (not connected, or the send failed).
    using SendHook = std::function<bool(const CMapPage& page)>;

    // Chips come from programFolder's "ChipFile.ini"; the unit dialog's
    // default colour from the settings file at settingsPath. The book and the
    // prompter outlive the window. Without `dialogs` the real ones are used.
    CMapPropSheet(CMapBook& book, IPrompter& prompter, std::string programFolder,
                  std::string settingsPath, QWidget* parent = nullptr,
                  std::unique_ptr<IMapDialogs> dialogs = nullptr);

    // What a new page starts with: shape and direction from the settings
    // file, the chip set of programFolder's "ChipFile.ini" (a book's source).
    static MapInitialSettings InitialSettings(const std::string& settingsPath,
                                              const std::string& programFolder);
    ~CMapPropSheet() override;

    void SetSendHook(SendHook send) { send_ = std::move(send); }
    // Writes a notice line (code page 932) to the user's own log.
    using NoticeHook = std::function<void(const std::string& text)>;
    void SetNoticeHook(NoticeHook notice) { notice_ = std::move(notice); }
    // The first time the window is shown it is centred on this widget.
    void CentreOnFirstShow(QWidget* widget) { centreOn_ = widget; }

    CMapBook& Book() { return book_; }
    // The page with this number, created with its tab (last, not made
    // active) when missing; a negative number is the next free one. Null
    // when no more pages may be made.
    CMapPageView* GetOrCreatePage(int mapNumber);
    CMapPageView* View(int mapNumber) const;
    CMapPageView* ActiveView() const;
    // Makes a page's tab the current one.
    void Activate(int mapNumber);
    // Removes a sub map's tab and page, here only; the main map stays.
    bool DeleteMap(int mapNumber);
    // Sends a page's whole map (the edits' and "Mapを送信する(&S)"'s send).
    void SendMap(CMapPageView& view);

    // IMapView: a received map was applied to the book. Shows the window
    // without taking the keyboard focus, adds the page's tab, switches to it,
    // grows the window for far cells and repaints, as the report asks.
    bool IsMapWindowShown() const override { return isVisible(); }
    void OnMapReceived(const MapReceiveReport& report) override;

    // A window menu command by number (MapCommandIds.h).
    bool RunCommand(int id);

    CMapToolBar* ToolBar() const { return toolBar_; }
    QTabWidget* Tabs() const { return tabs_; }
    QMenuBar* MenuBar() const { return menuBar_; }
    IMapDialogs& Dialogs() const { return *dialogs_; }
    // The tab last right-clicked, -1 when none.
    int MapTab() const { return mapTab_; }
    // The tab context menu for the tab at this position (tab bar
    // coordinates): nothing for the main map's tab or outside the tabs.
    void ShowTabMenu(const QPoint& position);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    CMapPageView* AddView(CMapPage& page);
    // A view for every page of the book, in map-number order.
    void AddMissingViews();
    void ShowActiveState();
    void NewMap();
    void OpenMapFile(CMapPageView& view);
    // Makes the view's client area at least `growth` (each non-zero
    // dimension), keeping the window's position and staying on the screen.
    void Grow(CMapPageView& view, const MapGrowth& growth);
    void SaveMapFile(CMapPageView& view);

    CMapBook& book_;
    IPrompter& prompter_;
    std::string programFolder_;
    std::string settingsPath_;
    std::unique_ptr<IMapDialogs> dialogs_;
    std::unique_ptr<CMapRenderer> renderer_;
    SendHook send_;
    NoticeHook notice_;
    std::map<int, CMapPageView*> views_;
    QMenuBar* menuBar_ = nullptr;
    CMapToolBar* toolBar_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    int mapTab_ = -1;
    QPointer<QWidget> centreOn_;
    bool shownBefore_ = false;
};

}  // namespace yarrow
