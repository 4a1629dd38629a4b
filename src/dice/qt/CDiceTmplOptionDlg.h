#pragma once
// The "ダイステンプレート" page of the options sheet: template groups and their
// templates, created with "<<追加" and removed with the Delete key. Changes
// stay on the page until the sheet is closed with OK (SaveTemplates).

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "dice/DiceTemplate.h"

class QButtonGroup;
class QComboBox;
class QListWidget;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace yarrow {

class IPrompter;

// The roller's format check: `plugin` asks whether a plug-in rolls the
// formula, otherwise whether it is a plain sum roll. Empty when no chat view
// exists, in which case every formula is refused.
using TemplateFormatCheck = std::function<bool(const std::string& formula, bool plugin)>;

class CDiceTmplOptionDlg : public QWidget {
    Q_OBJECT
  public:
    CDiceTmplOptionDlg(IPrompter& prompter, TemplateFormatCheck check, QWidget* parent = nullptr);

    // Fills the formula box from the file's dice list and reads every group.
    void LoadTemplates(const std::string& settingsPath);
    // Writes every group; false when the file cannot be written.
    bool SaveTemplates(const std::string& settingsPath) const;
    // The "<<追加" button.
    void AddTemplate();
    // The Delete key in the list: removes the selected templates.
    void DeleteSelected();

    const std::vector<TemplateGroup>& Groups() const { return groups_; }
    // Index into Groups() of the current group, or -1.
    int CurrentGroup() const { return current_; }

    QComboBox* GroupBox() const { return groupBox_; }
    QListWidget* TemplateList() const { return list_; }
    QLineEdit* NameEdit() const { return name_; }
    QComboBox* FormulaBox() const { return formula_; }
    QSpinBox* TargetBox() const { return target_; }
    QPushButton* AddButton() const { return add_; }
    void SetCriterion(TemplateCriterion criterion);
    TemplateCriterion Criterion() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ChooseGroup(int index);
    void OnGroupTextEdited(const QString& text);
    void ShowCurrentGroup();
    void Error(const char* utf8Text);

    IPrompter& prompter_;
    TemplateFormatCheck check_;
    std::vector<TemplateGroup> groups_;  // in the order they were read or created
    int current_ = -1;

    QComboBox* groupBox_;
    QListWidget* list_;
    QLineEdit* name_;
    QComboBox* formula_;
    QSpinBox* target_;
    QButtonGroup* criteria_;
    QPushButton* add_;
};

}  // namespace yarrow
