#pragma once
// The dice template pane below the member list: a group box, the templates of
// the chosen group and a bonus box. A double click rolls a template (judged,
// and hidden while Shift is held) through the roller.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dice/DiceTemplate.h"

class QComboBox;
class QListWidget;
class QSpinBox;

namespace yarrow {

// Rolls one template with the pane's bonus (CDiceRoller::RollTemplateFromPane).
using TemplateRoller = std::function<bool(const TemplateEntry& entry, std::int32_t bonus)>;

class CDiceTemplateView : public QWidget {
    Q_OBJECT
  public:
    // `settingsPath` is ProgramFolder + "Yarrow.ini": the pane always reads that
    // file, even when the options sheet worked on another one.
    CDiceTemplateView(std::string settingsPath, TemplateRoller roller, QWidget* parent = nullptr);

    // Re-reads the group names and shows the templates of group `index`.
    void ShowGroup(int index);
    // Rolls the template in row `row` with the bonus box's value.
    bool RollRow(int row);

    const std::vector<TemplateEntry>& Entries() const { return entries_; }
    QComboBox* GroupBox() const { return groups_; }
    QListWidget* TemplateList() const { return list_; }
    QSpinBox* BonusBox() const { return bonus_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::string settingsPath_;
    TemplateRoller roller_;
    std::vector<TemplateEntry> entries_;
    bool shownOnce_ = false;

    QComboBox* groups_;
    QListWidget* list_;
    QSpinBox* bonus_;
};

}  // namespace yarrow
