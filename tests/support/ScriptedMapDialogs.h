#pragma once
// Scripted answers for the map window's dialogs: colours, file names and a
// hook that fills in and answers the window's own dialogs.

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "map/qt/IMapDialogs.h"

namespace yarrow::test {

class ScriptedMapDialogs final : public IMapDialogs {
  public:
    std::optional<std::int32_t> PickColor(std::int32_t mapColor, QWidget*) override {
        pickedFrom.push_back(mapColor);
        return Next(colors);
    }
    std::optional<std::string> OpenMapFileName(QWidget*) override { return Next(openNames); }
    std::optional<std::string> SaveMapFileName(const std::string& initialName, QWidget*) override {
        saveInitialNames.push_back(initialName);
        return Next(saveNames);
    }
    std::optional<std::string> SnapshotFileName(QWidget*) override {
        ++snapshotAsked;
        return Next(snapshotNames);
    }
    // Shows nothing: the script fills the dialog in and answers; without a
    // script the dialog is cancelled.
    bool Run(QDialog& dialog) override {
        ++runs;
        if (runScript.empty())
            return false;
        auto step = std::move(runScript.front());
        runScript.pop_front();
        return step(dialog);
    }

    // Records the menu and picks the action with the scripted object name
    // (a command number); nothing when the script is empty.
    QAction* RunMenu(QMenu& menu, const QPoint&) override {
        lastMenu.clear();
        for (QAction* action : menu.actions()) {
            if (action->isSeparator()) {
                lastMenu.push_back({QStringLiteral("-"), false, 0});
                continue;
            }
            lastMenu.push_back({action->text(), action->isEnabled(), action->objectName().toInt()});
        }
        ++menus;
        if (menuPicks.empty())
            return nullptr;
        const int pick = menuPicks.front();
        menuPicks.pop_front();
        for (QAction* action : menu.actions()) {
            if (action->objectName().toInt() == pick && action->isEnabled())
                return action;
        }
        return nullptr;
    }

    struct MenuEntry {
        QString text;
        bool enabled;
        int id;
    };
    std::vector<MenuEntry> lastMenu;
    std::deque<int> menuPicks;
    int menus = 0;

    std::deque<std::optional<std::int32_t>> colors;
    std::deque<std::optional<std::string>> openNames, saveNames, snapshotNames;
    std::deque<std::function<bool(QDialog&)>> runScript;
    std::vector<std::int32_t> pickedFrom;
    std::vector<std::string> saveInitialNames;
    int snapshotAsked = 0;
    int runs = 0;

  private:
    template <typename T>
    static std::optional<T> Next(std::deque<std::optional<T>>& queue) {
        if (queue.empty())
            return std::nullopt;
        auto value = queue.front();
        queue.pop_front();
        return value;
    }
};

}  // namespace yarrow::test
