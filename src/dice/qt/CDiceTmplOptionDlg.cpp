#include "dice/qt/CDiceTmplOptionDlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "dice/DiceTerm.h"
#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/SjisText.h"
#include "platform/qt/QtCp932.h"
#include "settings/CSettings.h"

namespace yarrow {

CDiceTmplOptionDlg::CDiceTmplOptionDlg(IPrompter& prompter, TemplateFormatCheck check,
                                       QWidget* parent)
    : QWidget(parent),
      prompter_(prompter),
      check_(std::move(check)),
      groupBox_(new QComboBox(this)),
      list_(new QListWidget(this)),
      name_(new QLineEdit(this)),
      formula_(new QComboBox(this)),
      target_(new QSpinBox(this)),
      criteria_(new QButtonGroup(this)),
      add_(new QPushButton(QStringLiteral("<<追加"), this)) {
    setWindowTitle(QStringLiteral("ダイステンプレート"));
    groupBox_->setObjectName("groupBox");
    groupBox_->setEditable(true);
    groupBox_->setInsertPolicy(QComboBox::NoInsert);
    // Typed group names and formulas are taken as typed, never completed
    // to a longer entry of the list.
    groupBox_->setCompleter(nullptr);
    list_->setObjectName("templateList");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    name_->setObjectName("nameEdit");
    formula_->setObjectName("formulaBox");
    formula_->setEditable(true);
    formula_->setInsertPolicy(QComboBox::NoInsert);
    formula_->setCompleter(nullptr);
    target_->setObjectName("targetBox");
    target_->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    add_->setObjectName("addButton");
    // Numbers and dice formulas are typed in half-width letters: no input method.
    target_->setAttribute(Qt::WA_InputMethodEnabled, false);
    formula_->setAttribute(Qt::WA_InputMethodEnabled, false);
    formula_->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);

    const struct {
        const char* label;
        const char* object;
        TemplateCriterion criterion;
    } radios[] = {{"下方ロール", "rollUnder", TemplateCriterion::RollUnder},
                  {"上方ロール", "rollOver", TemplateCriterion::RollOver},
                  {"ﾀﾞｲｽﾌﾟﾗｸﾞｲﾝ", "plugin", TemplateCriterion::Plugin},
                  {"その他", "other", TemplateCriterion::Other}};
    auto* radioRow = new QHBoxLayout;
    for (const auto& r : radios) {
        auto* button = new QRadioButton(QString::fromUtf8(r.label), this);
        button->setObjectName(r.object);
        criteria_->addButton(button, static_cast<int>(r.criterion));
        radioRow->addWidget(button);
    }
    SetCriterion(TemplateCriterion::RollUnder);

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("ﾃﾝﾌﾟﾚｰﾄ名"), this), 0, 0);
    form->addWidget(name_, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("ダイス"), this), 1, 0);
    form->addWidget(formula_, 1, 1);
    form->addWidget(new QLabel(QStringLiteral("目標値"), this), 2, 0);
    form->addWidget(target_, 2, 1);
    form->addLayout(radioRow, 3, 0, 1, 2);
    form->addWidget(add_, 4, 0);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("グループ"), this));
    left->addWidget(groupBox_);
    left->addWidget(list_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(form, 1);

    connect(add_, &QPushButton::clicked, this, [this] { AddTemplate(); });
    connect(name_, &QLineEdit::returnPressed, this, [this] { AddTemplate(); });
    connect(groupBox_, &QComboBox::activated, this, [this](int index) { ChooseGroup(index); });
    connect(groupBox_->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { OnGroupTextEdited(text); });
    target_->installEventFilter(this);
    formula_->installEventFilter(this);
    formula_->lineEdit()->installEventFilter(this);
    list_->installEventFilter(this);
}

void CDiceTmplOptionDlg::SetCriterion(TemplateCriterion criterion) {
    if (QAbstractButton* button = criteria_->button(static_cast<int>(criterion)))
        button->setChecked(true);
}

TemplateCriterion CDiceTmplOptionDlg::Criterion() const {
    const int id = criteria_->checkedId();
    return id < 0 ? TemplateCriterion::RollUnder : static_cast<TemplateCriterion>(id);
}

void CDiceTmplOptionDlg::LoadTemplates(const std::string& settingsPath) {
    {
        QSignalBlocker block(groupBox_);
        groupBox_->clear();
    }
    list_->clear();
    groups_.clear();
    current_ = -1;

    const CProfileFile file(settingsPath);
    formula_->clear();
    // Only the keys that exist: the count in the file may be anything.
    for (const std::string& expression : CSettings(settingsPath).DiceList()) {
        if (!expression.empty() && ParseDiceTerm(expression))
            formula_->addItem(FromCp932(expression));
    }
    if (formula_->count() > 0)
        formula_->setCurrentIndex(0);

    groups_ = ReadTemplateGroups(file);
    QSignalBlocker block(groupBox_);
    for (const TemplateGroup& group : groups_)
        groupBox_->addItem(FromCp932(group.name));
    if (!groups_.empty())
        ChooseGroup(0);
}

bool CDiceTmplOptionDlg::SaveTemplates(const std::string& settingsPath) const {
    CProfileFile file(settingsPath);
    return WriteTemplateGroups(file, groups_);
}

void CDiceTmplOptionDlg::ChooseGroup(int index) {
    if (index < 0 || index >= static_cast<int>(groups_.size()))
        return;
    current_ = index;
    QSignalBlocker block(groupBox_);
    groupBox_->setCurrentIndex(index);
    ShowCurrentGroup();
}

void CDiceTmplOptionDlg::OnGroupTextEdited(const QString&) {
    // Typing a name leaves the shown group: the next template starts (or
    // joins) the group of that name.
    current_ = -1;
    list_->clear();
}

void CDiceTmplOptionDlg::ShowCurrentGroup() {
    list_->clear();
    if (current_ < 0)
        return;
    for (const TemplateEntry& entry : groups_[static_cast<std::size_t>(current_)].entries)
        list_->addItem(FromCp932(TemplateDisplayText(entry)));
}

void CDiceTmplOptionDlg::Error(const char* utf8Text) {
    static const std::string caption = Sjis("エラー");
    prompter_.Tell(Sjis(utf8Text), caption, PromptIcon::Stop);
}

void CDiceTmplOptionDlg::AddTemplate() {
    TemplateEntry entry;
    entry.name = ToCp932(name_->text()).text;
    entry.formula = ToCp932(formula_->currentText()).text;
    entry.target = target_->value();
    entry.criterion = Criterion();
    const std::string groupName = ToCp932(groupBox_->currentText()).text;

    if (entry.name.empty())
        return Error("テンプレート名を入力してください");
    if (!check_ || !check_(entry.formula, entry.criterion == TemplateCriterion::Plugin))
        return Error("ダイスフォーマットが不正です");
    // The file reads a blank name as none.
    if (TrimBlanks(groupName, " \t").empty())
        return Error("テンプレートグループ名が入力されていません");
    // The group is saved as a section of the settings file; one named like
    // the file's own sections would overwrite them.
    if (IsReservedTemplateGroupName(groupName))
        return Error(
            "この名前は設定ファイルで使われているため、テンプレートグループ名にできません");
    if (current_ < 0) {
        // A typed name of an existing group adds to that group rather than
        // starting a second group of the same name. "The same" is the file's
        // rule for section names: a second group that differs only in case
        // or blanks would share the first one's section and the save would
        // write one over the other.
        const auto found =
            std::find_if(groups_.begin(), groups_.end(), [&](const TemplateGroup& g) {
                return CProfileFile::SameSectionName(g.name, groupName);
            });
        if (found != groups_.end()) {
            ChooseGroup(static_cast<int>(found - groups_.begin()));
        } else {
            if (!IsStorableTemplateGroupName(groupName))
                return Error("テンプレートグループ名に使えない文字が含まれています");
            const std::string name(TrimBlanks(groupName, " \t"));
            groups_.push_back({name, {}});
            QSignalBlocker block(groupBox_);
            groupBox_->addItem(FromCp932(name));
            ChooseGroup(static_cast<int>(groups_.size()) - 1);
        }
    }

    auto& entries = groups_[static_cast<std::size_t>(current_)].entries;
    int position = static_cast<int>(entries.size());
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->isSelected()) {
            position = row;
            break;
        }
    }
    entries.insert(entries.begin() + position, entry);
    list_->insertItem(position, FromCp932(TemplateDisplayText(entry)));

    name_->clear();
    target_->setValue(0);
    SetCriterion(TemplateCriterion::RollUnder);
    name_->setFocus();
}

void CDiceTmplOptionDlg::DeleteSelected() {
    if (current_ < 0)
        return;
    auto& entries = groups_[static_cast<std::size_t>(current_)].entries;
    for (int row = list_->count() - 1; row >= 0; --row) {
        if (!list_->item(row)->isSelected())
            continue;
        delete list_->takeItem(row);
        if (row < static_cast<int>(entries.size()))
            entries.erase(entries.begin() + row);
    }
}

bool CDiceTmplOptionDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == list_ && key == Qt::Key_Delete) {
            DeleteSelected();
            return true;
        }
        if (watched != list_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            AddTemplate();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace yarrow
