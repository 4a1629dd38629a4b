#include "map/qt/CMapPropSheet.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "map/CChipFile.h"
#include "map/CMapFile.h"
#include "map/qt/CMapDialogs.h"
#include "map/qt/CMapPageView.h"
#include "map/qt/CMapRenderer.h"
#include "map/qt/CMapToolBar.h"
#include "map/qt/MapCommandIds.h"
#include "map/qt/MapToolBitmaps.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"
#include "settings/CSettings.h"

namespace yarrow {
namespace {

// The band that holds the tool bar, above the tabs.
constexpr int kBandHeight = 50;

QAction* AddCommand(QMenu* menu, const QString& text, int id) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::number(id));
    action->setData(id);
    return action;
}

}  // namespace

MapInitialSettings CMapPropSheet::InitialSettings(const std::string& settingsPath,
                                                  const std::string& programFolder) {
    MapInitialSettings initial = CMapBook::InitialSettingsFrom(CSettings(settingsPath));
    const CChipFile chips(programFolder);
    initial.chipsAvailable = chips.Exists();
    initial.chipColors = chips.ChipColors();
    return initial;
}

CMapPropSheet::CMapPropSheet(CMapBook& book, IPrompter& prompter, std::string programFolder,
                             std::string settingsPath, QWidget* parent,
                             std::unique_ptr<IMapDialogs> dialogs)
    : QWidget(parent, Qt::Window),
      book_(book),
      prompter_(prompter),
      programFolder_(std::move(programFolder)),
      settingsPath_(std::move(settingsPath)),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<CMapDialogs>()),
      renderer_(std::make_unique<CMapRenderer>(programFolder_)) {
    setObjectName(QStringLiteral("CMapPropSheet"));
    setWindowTitle(QStringLiteral("Map"));
    setWindowIcon(QIcon(MapToolBitmap(131)));

    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("116"));
    QMenu* file = menuBar_->addMenu(QStringLiteral("ファイル(&F)"));
    AddCommand(file, QStringLiteral("開く(&O)"), mapcmd::kOpenMap);
    AddCommand(file, QStringLiteral("保存(&A)"), mapcmd::kSaveMap);
    file->addSeparator();
    AddCommand(file, QStringLiteral("新しいMapの作成(&N)"), mapcmd::kNewMap);
    AddCommand(file, QStringLiteral("Mapを送信する(&S)"), mapcmd::kSendMap);
    QMenu* functions = menuBar_->addMenu(QStringLiteral("機能(&U)"));
    AddCommand(functions, QStringLiteral("リセット(&R)"), mapcmd::kReset);
    AddCommand(functions, QStringLiteral("スライド(&S)"), mapcmd::kSlide);
    connect(menuBar_, &QMenuBar::triggered, this,
            [this](QAction* action) { RunCommand(action->data().toInt()); });

    auto* band = new QFrame(this);
    band->setObjectName(QStringLiteral("band"));
    band->setFrameShape(QFrame::StyledPanel);
    band->setFixedHeight(kBandHeight);
    toolBar_ = new CMapToolBar(band);
    auto* bandLayout = new QVBoxLayout(band);
    bandLayout->setContentsMargins(0, 0, 0, 0);
    bandLayout->addWidget(toolBar_);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->setUsesScrollButtons(true);
    tabs_->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tabs_->tabBar(), &QWidget::customContextMenuRequested, this,
            &CMapPropSheet::ShowTabMenu);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        if (CMapPageView* view = ActiveView()) {
            book_.SetActive(view->MapNumber());
        }
        ShowActiveState();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar_);
    layout->addWidget(band);
    layout->addWidget(tabs_, 1);

    const auto onActive = [this](auto&& call) {
        return [this, call](auto... args) {
            if (CMapPageView* view = ActiveView()) {
                call(view, args...);
            }
        };
    };
    connect(toolBar_, &CMapToolBar::ToolSelected, this,
            onActive([](CMapPageView* v, int tool) { v->SetTool(tool); }));
    connect(toolBar_, &CMapToolBar::FillColorRequested, this,
            onActive([](CMapPageView* v) { v->ChooseFillColor(); }));
    connect(toolBar_, &CMapToolBar::RectFillToggled, this,
            onActive([](CMapPageView* v, bool on) { v->SetRectFill(on); }));
    connect(toolBar_, &CMapToolBar::SmallTilesToggled, this,
            onActive([](CMapPageView* v, bool small) { v->SetSmallTiles(small); }));
    connect(toolBar_, &CMapToolBar::HexShapeToggled, this,
            onActive([](CMapPageView* v, bool hex) { v->SetHexShape(hex); }));
    connect(toolBar_, &CMapToolBar::HexDirectionToggled, this,
            onActive([](CMapPageView* v, int direction) { v->SetHexDirection(direction); }));
    connect(toolBar_, &CMapToolBar::WhiteBackgroundToggled, this,
            onActive([](CMapPageView* v, bool white) { v->SetWhiteBackground(white); }));
    connect(toolBar_, &CMapToolBar::LockToggled, this,
            onActive([](CMapPageView* v, bool locked) { v->SetLocked(locked); }));
    connect(toolBar_, &CMapToolBar::SnapshotRequested, this,
            onActive([](CMapPageView* v) { v->TakeSnapshot(); }));

    AddMissingViews();
    Activate(book_.ActiveNumber());
    ShowActiveState();
    resize(640, 480);
}

CMapPropSheet::~CMapPropSheet() {
    delete tabs_;
    tabs_ = nullptr;
    views_.clear();
}

CMapPageView* CMapPropSheet::AddView(CMapPage& page) {
    auto* view =
        new CMapPageView(page, *renderer_, prompter_, *dialogs_, programFolder_, settingsPath_);
    views_[page.MapNumber()] = view;
    tabs_->addTab(view, FromCp932(MapPageName(page.MapNumber())));
    connect(view, &CMapPageView::StateChanged, this, [this, view] {
        if (view == ActiveView()) {
            ShowActiveState();
        }
    });
    connect(view, &CMapPageView::SendRequested, this, [this, view] { SendMap(*view); });
    connect(view, &CMapPageView::NoticeRequested, this, [this](const std::string& text) {
        if (notice_) {
            notice_(text);
        }
    });
    return view;
}

void CMapPropSheet::AddMissingViews() {
    for (int number : book_.Numbers()) {
        if (View(number) == nullptr) {
            AddView(*book_.Find(number));
        }
    }
}

CMapPageView* CMapPropSheet::GetOrCreatePage(int mapNumber) {
    CMapPage* page = book_.GetOrCreate(mapNumber);
    if (page == nullptr) {
        return nullptr;
    }
    CMapPageView* view = View(page->MapNumber());
    return view != nullptr ? view : AddView(*page);
}

CMapPageView* CMapPropSheet::View(int mapNumber) const {
    const auto it = views_.find(mapNumber);
    return it == views_.end() ? nullptr : it->second;
}

CMapPageView* CMapPropSheet::ActiveView() const {
    return tabs_ == nullptr ? nullptr : qobject_cast<CMapPageView*>(tabs_->currentWidget());
}

void CMapPropSheet::Activate(int mapNumber) {
    if (CMapPageView* view = View(mapNumber)) {
        tabs_->setCurrentWidget(view);
    }
}

bool CMapPropSheet::DeleteMap(int mapNumber) {
    CMapPageView* view = View(mapNumber);
    if (mapNumber == 0 || view == nullptr) {
        return false;
    }
    tabs_->removeTab(tabs_->indexOf(view));
    views_.erase(mapNumber);
    delete view;
    book_.Delete(mapNumber);
    if (CMapPageView* active = ActiveView()) {
        book_.SetActive(active->MapNumber());
    }
    ShowActiveState();
    return true;
}

void CMapPropSheet::SendMap(CMapPageView& view) {
    // Sent or not, the page shows its own state; an echo repaints it again.
    if (!send_ || !send_(view.Page())) {
        view.viewport()->update();
    }
}

void CMapPropSheet::OnMapReceived(const MapReceiveReport& report) {
    if (report.ignored) {
        return;
    }
    if (report.showWindow && !isVisible()) {
        // Shown beside the chat, never taking the keyboard from the input line.
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
    AddMissingViews();
    CMapPageView* view = View(report.mapNumber);
    if (view == nullptr) {
        return;
    }
    if (report.activatePage) {
        Activate(report.mapNumber);
    }
    if (report.growth.Any()) {
        Grow(*view, report.growth);
    }
    view->Refresh();
    if (view == ActiveView()) {
        ShowActiveState();
    }
}

void CMapPropSheet::Grow(CMapPageView& view, const MapGrowth& growth) {
    if (layout() != nullptr) {
        layout()->activate();
    }
    const QSize client = view.ClientSize();
    QSize size = this->size();
    if (growth.clientWidth > client.width()) {
        size.rwidth() += growth.clientWidth - client.width();
    }
    if (growth.clientHeight > client.height()) {
        size.rheight() += growth.clientHeight - client.height();
    }
    if (const QScreen* screen = this->screen()) {
        // The frame must stay on the screen: a far cell never makes the
        // window larger than the screen's free area.
        const QRect free = screen->availableGeometry();
        const QSize frame = frameGeometry().size() - this->size();
        size = size.boundedTo(free.size() - frame).expandedTo(this->size());
    }
    if (size != this->size()) {
        resize(size);
        if (layout() != nullptr) {
            layout()->activate();
        }
    }
}

void CMapPropSheet::ShowActiveState() {
    if (CMapPageView* view = ActiveView()) {
        toolBar_->SetState(view->ToolState());
    }
}

void CMapPropSheet::NewMap() {
    // The new tab is added behind the others; the active page stays.
    if (GetOrCreatePage(-1) == nullptr) {
        char text[128];
        std::snprintf(text, sizeof text, Sjis("これ以上Mapを作成できません（%d枚まで）").c_str(),
                      CMapBook::kMaxPages);
        prompter_.Tell(text, "Yarrow", PromptIcon::Information);
    }
}

bool CMapPropSheet::RunCommand(int id) {
    CMapPageView* view = ActiveView();
    switch (id) {
        case mapcmd::kNewMap:
            NewMap();
            return true;
        case mapcmd::kSendMap:
            if (view != nullptr) {
                SendMap(*view);
            }
            return true;
        case mapcmd::kReset:
        case mapcmd::kSlide:
            return view != nullptr && view->RunCommand(id);
        case mapcmd::kOpenMap:
            if (view != nullptr) {
                OpenMapFile(*view);
            }
            return true;
        case mapcmd::kSaveMap:
            if (view != nullptr) {
                SaveMapFile(*view);
            }
            return true;
        default:
            return false;
    }
}

namespace {

// The file name without its folder, which the next save offers again.
std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void CMapPropSheet::OpenMapFile(CMapPageView& view) {
    const auto path = dialogs_->OpenMapFileName(this);
    if (!path) {
        return;
    }
    CMapPage& page = view.Page();
    const CMapResult result = CMapFile::Load(*path, page);
    if (result.HasMessage()) {
        prompter_.Tell(result.message, result.caption, result.icon);
    }
    if (result.changed) {
        // Only a file that loaded names what the page shows: the next save
        // must not offer to overwrite one that did not.
        page.SetLastFileName(FileNameOf(*path));
        // A loaded map is shared like any other edit.
        SendMap(view);
        view.Refresh();
        ShowActiveState();
    }
}

void CMapPropSheet::SaveMapFile(CMapPageView& view) {
    CMapPage& page = view.Page();
    const auto path = dialogs_->SaveMapFileName(page.LastFileName(), this);
    if (!path) {
        return;
    }
    page.SetLastFileName(FileNameOf(*path));
    const CMapResult result = CMapFile::Save(*path, page);
    if (result.HasMessage()) {
        prompter_.Tell(result.message, result.caption, result.icon);
    }
}

void CMapPropSheet::ShowTabMenu(const QPoint& position) {
    const int index = tabs_->tabBar()->tabAt(position);
    mapTab_ = index;
    if (index <= 0) {
        return;
    }
    auto* view = qobject_cast<CMapPageView*>(tabs_->widget(index));
    if (view == nullptr) {
        return;
    }
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("Dummy3"));
    AddCommand(&menu, QStringLiteral("マップの削除(&D)"), mapcmd::kDeleteMap);
    const int mapNumber = view->MapNumber();
    if (dialogs_->RunMenu(menu, tabs_->tabBar()->mapToGlobal(position)) != nullptr) {
        DeleteMap(mapNumber);
    }
}

void CMapPropSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CMapPropSheet::showEvent(QShowEvent* event) {
    if (!shownBefore_ && centreOn_ != nullptr) {
        const QPoint centre = centreOn_->mapToGlobal(centreOn_->rect().center());
        QRect placed(centre - QPoint(width() / 2, height() / 2), frameGeometry().size());
        // Centred, but never pushed off the screen by a view near its edge.
        if (const QScreen* shownOn = centreOn_->screen()) {
            const QRect free = shownOn->availableGeometry();
            placed.moveLeft(std::clamp(placed.left(), free.left(),
                                       std::max(free.left(), free.right() - placed.width() + 1)));
            placed.moveTop(std::clamp(placed.top(), free.top(),
                                      std::max(free.top(), free.bottom() - placed.height() + 1)));
        }
        move(placed.topLeft());
    }
    shownBefore_ = true;
    QWidget::showEvent(event);
}

void CMapPropSheet::closeEvent(QCloseEvent* event) {
    // Closing only hides the window; its pages and maps stay.
    event->ignore();
    hide();
}

}  // namespace yarrow
