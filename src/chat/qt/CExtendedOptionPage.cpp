#include "chat/qt/CExtendedOptionPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

#include "chat/qt/OptionWidgets.h"
#include "platform/qt/QtCp932.h"
#include "settings/CSettings.h"
#include "settings/SettingsValues.h"

namespace yarrow {
namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string Bytes(const QString& text) {
    return ToCp932(text).text;
}

}  // namespace

CExtendedOptionPage::CExtendedOptionPage(ColorChooser chooser, QWidget* parent)
    : QWidget(parent),
      chooser_(chooser ? std::move(chooser) : ColorChooser(&CBasicOptionPage::PickColor)) {
    setObjectName(Q("125"));

    fixedSound_ = Named(new QRadioButton(Q("固定"), this), "1064");
    randomSound_ = Named(new QRadioButton(Q("ﾗﾝﾀﾞﾑ"), this), "1063");
    diceHoy_ = Named(new QLineEdit(this), "1051");
    randomList_ = Named(new QListWidget(this), "1061");
    DeleteEntryOnDeleteKey(randomList_);
    randomEdit_ = Named(new QLineEdit(this), "1062");
    filterdPerson_ = Named(new QLineEdit(this), "1025");
    filter_ = Named(new QLineEdit(this), "1027");
    textColorCombo_ = Named(new QComboBox(this), "1056");
    for (const std::string& l : TextColorComboLabels())
        textColorCombo_->addItem(FromCp932(l));
    backColorCombo_ = Named(new QComboBox(this), "1055");
    for (const std::string& l : BackColorComboLabels())
        backColorCombo_->addItem(FromCp932(l));
    saveLog_ = Named(new QCheckBox(Q("接続と同時にログを記録開始する"), this), "1020");
    client_ = Named(new QCheckBox(Q("普段はクライアントとして接続する"), this), "1021");
    squareMap_ = Named(new QCheckBox(Q("普段はSquareマップを使用する"), this), "1052");
    autoMap_ = Named(new QCheckBox(Q("Mapを自動的に表示する"), this), "1053");
    autoChart_ = Named(new QCheckBox(Q("表を自動的に表示する"), this), "1054");
    fixedSound_->setChecked(true);

    auto* soundBox = new QGroupBox(Q("ダイス効果音"), this);
    auto* soundLayout = new QGridLayout(soundBox);
    soundLayout->addWidget(fixedSound_, 0, 0);
    soundLayout->addWidget(diceHoy_, 0, 1);
    soundLayout->addWidget(randomSound_, 1, 0);
    soundLayout->addWidget(randomList_, 1, 1);
    soundLayout->addWidget(randomEdit_, 2, 1);

    auto* filterBox = new QGroupBox(Q("一人称フィルタ"), this);
    auto* filterLayout = new QHBoxLayout(filterBox);
    filterLayout->addWidget(filterdPerson_);
    filterLayout->addWidget(new QLabel(Q("→"), this));
    filterLayout->addWidget(filter_);

    auto* colors = new QGridLayout;
    colors->addWidget(new QLabel(Q("文字色"), this), 0, 0);
    colors->addWidget(textColorCombo_, 0, 1);
    colors->addWidget(new QLabel(Q("背景色"), this), 1, 0);
    colors->addWidget(backColorCombo_, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(soundBox);
    layout->addWidget(filterBox);
    layout->addLayout(colors);
    for (QCheckBox* box : {saveLog_, client_, squareMap_, autoMap_, autoChart_})
        layout->addWidget(box);
    layout->addStretch();

    connect(randomEdit_, &QLineEdit::returnPressed, this, &CExtendedOptionPage::AddRandomSound);
    connect(textColorCombo_, &QComboBox::activated, this, &CExtendedOptionPage::OnTextColorChosen);
    connect(backColorCombo_, &QComboBox::activated, this, &CExtendedOptionPage::OnBackColorChosen);
}

void CExtendedOptionPage::Load(const std::string& path) {
    CSettings settings(path);
    diceHoy_->setText(FromCp932(settings.DiceHoy()));
    filterdPerson_->setText(FromCp932(settings.FilterdPersonText()));
    filter_->setText(FromCp932(settings.FilterText()));
    backColor_ = settings.BackGroundColor();
    backColorCombo_->setCurrentIndex(BackColorComboIndex(backColor_));
    textColor_ = settings.GetColor(kInitialSetting, "ForeGroundColor", "0x0");
    textColorCombo_->setCurrentIndex(TextColorComboIndex(textColor_));
    client_->setChecked(settings.IsClient());
    saveLog_->setChecked(settings.IsSaveLog());
    squareMap_->setChecked(settings.IsUseSquareMap());
    autoChart_->setChecked(settings.IsAutoChartShow());
    autoMap_->setChecked(settings.IsAutoMapShow());
    (settings.IsDiceHoyRandom() ? randomSound_ : fixedSound_)->setChecked(true);
    randomList_->clear();
    for (const std::string& item : settings.RandomDiceHoys())
        randomList_->addItem(FromCp932(item));
}

bool CExtendedOptionPage::Save(const std::string& path) const {
    CSettings settings(path);
    bool ok = settings.WriteString(kInitialSetting, "DiceHoy", Bytes(diceHoy_->text()));
    ok =
        ok && settings.WriteString(kInitialSetting, "FilterdPerson", Bytes(filterdPerson_->text()));
    ok = ok && settings.WriteString(kInitialSetting, "Filter", Bytes(filter_->text()));
    ok = ok && settings.WriteBool(kInitialSetting, "IsClient", client_->isChecked());
    ok = ok && settings.WriteBool(kInitialSetting, "IsSaveLog", saveLog_->isChecked());
    ok = ok && settings.WriteBool(kInitialSetting, "IsUseSquareMap", squareMap_->isChecked());
    ok = ok && settings.WriteBool(kInitialSetting, "IsAutoChartShow", autoChart_->isChecked());
    ok = ok && settings.WriteBool(kInitialSetting, "IsAutoMapShow", autoMap_->isChecked());
    ok = ok && settings.WriteBool(kInitialSetting, "IsDiceHoyRandom", randomSound_->isChecked());
    ok = ok && settings.WriteColor(kInitialSetting, "ForeGroundColor", textColor_);
    ok = ok && settings.WriteColor(kInitialSetting, "BackGroundColor", backColor_);
    std::vector<std::string> sounds;
    for (int i = 0; i < randomList_->count(); ++i)
        sounds.push_back(Bytes(randomList_->item(i)->text()));
    ok = ok && settings.WriteRandomDiceHoys(sounds);
    return ok;
}

void CExtendedOptionPage::AddRandomSound() {
    // An empty sound is a choice too: a roll that makes no sound.
    randomList_->addItem(randomEdit_->text());
    randomEdit_->clear();
}

void CExtendedOptionPage::OnTextColorChosen(int index) {
    if (index != kColorComboCustom) {
        textColor_ = TextColorComboValue(index, textColor_);
        return;
    }
    std::optional<std::uint32_t> chosen = chooser_(this, textColor_);
    textColor_ = chosen ? *chosen : 0x000000;
    if (!chosen)
        textColorCombo_->setCurrentIndex(TextColorComboIndex(textColor_));
}

void CExtendedOptionPage::OnBackColorChosen(int index) {
    if (index != kColorComboCustom) {
        backColor_ = BackColorComboValue(index, backColor_);
        return;
    }
    std::optional<std::uint32_t> chosen = chooser_(this, backColor_);
    backColor_ = chosen ? *chosen : 0xFFFFFF;
    if (!chosen)
        backColorCombo_->setCurrentIndex(BackColorComboIndex(backColor_));
}

}  // namespace yarrow
