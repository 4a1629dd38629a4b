#include "chat/qt/CBasicOptionPage.h"

#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "chat/qt/OptionWidgets.h"
#include "dice/TimerCommand.h"
#include "platform/IPrompter.h"
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

QListWidget* MakeList(const char* id, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(Q(id));
    DeleteEntryOnDeleteKey(list);
    return list;
}

QLineEdit* MakeEdit(const char* id, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(Q(id));
    return edit;
}

void FillList(QListWidget* list, const std::vector<std::string>& items) {
    list->clear();
    for (const std::string& item : items)
        list->addItem(FromCp932(item));
}

std::vector<std::string> ListItems(const QListWidget* list) {
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i)
        items.push_back(Bytes(list->item(i)->text()));
    return items;
}

}  // namespace

CBasicOptionPage::CBasicOptionPage(BasicPageContext context, IPrompter& prompter,
                                   DiceFormatCheck check, ColorChooser chooser, QWidget* parent)
    : QWidget(parent),
      context_(std::move(context)),
      prompter_(prompter),
      check_(std::move(check)),
      chooser_(chooser ? std::move(chooser) : ColorChooser(&CBasicOptionPage::PickColor)) {
    setObjectName(Q("105"));

    diceList_ = MakeList("1047", this);
    diceEdit_ = MakeEdit("1015", this);
    subNameList_ = MakeList("1048", this);
    subNameEdit_ = MakeEdit("1017", this);
    nameColor_ = new QComboBox(this);
    nameColor_->setObjectName(Q("1049"));
    FillNameColorCombo(nameColor_);
    charSize_ = new QComboBox(this);
    charSize_->setObjectName(Q("1050"));
    for (const std::string& label : CharSizeComboLabels())
        charSize_->addItem(FromCp932(label));
    handleName_ = MakeEdit("1016", this);
    serverIP_ = MakeEdit("1018", this);
    port_ = MakeEdit("1019", this);
    port_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), port_));
    handleName_->setText(FromCp932(context_.handleName));

    auto* diceBox = new QGroupBox(Q("ダイス"), this);
    auto* diceLayout = new QVBoxLayout(diceBox);
    diceLayout->addWidget(diceList_);
    diceLayout->addWidget(diceEdit_);
    auto* subBox = new QGroupBox(Q("サブハンドルネーム"), this);
    auto* subLayout = new QVBoxLayout(subBox);
    subLayout->addWidget(subNameList_);
    subLayout->addWidget(subNameEdit_);

    auto* fields = new QGridLayout;
    int row = 0;
    auto addRow = [&](const char* label, QWidget* field) {
        fields->addWidget(new QLabel(Q(label), this), row, 0);
        fields->addWidget(field, row++, 1);
    };
    addRow("名前色", nameColor_);
    addRow("文字ｻｲｽﾞ", charSize_);
    addRow("ﾃﾞﾌｫﾙﾄﾊﾝﾄﾞﾙﾈｰﾑ", handleName_);
    addRow("ﾃﾞﾌｫﾙﾄｻｰﾊﾞﾈｰﾑ", serverIP_);
    addRow("ﾃﾞﾌｫﾙﾄﾎﾟｰﾄ", port_);

    auto* layout = new QGridLayout(this);
    layout->addWidget(diceBox, 0, 0);
    layout->addWidget(subBox, 0, 1);
    layout->addLayout(fields, 1, 0, 1, 2);

    connect(diceEdit_, &QLineEdit::returnPressed, this, &CBasicOptionPage::AddDiceExpression);
    connect(subNameEdit_, &QLineEdit::returnPressed, this, &CBasicOptionPage::AddSubHandleName);
    connect(nameColor_, &QComboBox::activated, this, &CBasicOptionPage::OnNameColorChosen);
}

void CBasicOptionPage::FillNameColorCombo(QComboBox* combo) {
    combo->clear();
    for (const PaletteEntry& entry : HandleNamePalette())
        combo->addItem(FromCp932(entry.label));
}

void CBasicOptionPage::SelectNameColor(QComboBox* combo, std::uint32_t color,
                                       std::uint32_t& custom) {
    const int index = PaletteIndexOf(color);
    if (index == kPaletteCustom)
        custom = color;
    combo->setCurrentIndex(index);
}

void CBasicOptionPage::OnNameColorActivated(QComboBox* combo, int index,
                                            const ColorChooser& chooser, QWidget* parent,
                                            std::uint32_t& custom) {
    if (index != kPaletteCustom)
        return;
    std::optional<std::uint32_t> chosen = chooser(parent, custom);
    if (chosen)
        custom = *chosen;
    else
        combo->setCurrentIndex(0);
}

std::optional<std::uint32_t> CBasicOptionPage::PickColor(QWidget* parent, std::uint32_t initial) {
    QColor chosen = QColorDialog::getColor(QColor(static_cast<QRgb>(initial)), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return static_cast<std::uint32_t>(chosen.rgb()) & 0xFFFFFFu;
}

void CBasicOptionPage::Load(const std::string& path) {
    CSettings settings(path);
    if (context_.connected) {
        serverIP_->setText(FromCp932(context_.liveServerAddress));
        port_->setText(QString::number(context_.livePort));
    } else {
        serverIP_->setText(FromCp932(settings.ServerIP()));
        port_->setText(QString::number(settings.PortNum()));
    }
    serverIP_->setEnabled(!context_.connected);
    port_->setEnabled(!context_.connected);
    charSize_->setCurrentIndex(CharSizeComboIndex(settings.CharSize()));
    SelectNameColor(nameColor_, settings.HandleNameColor(), customColor_);
    FillList(diceList_, settings.DiceList());
    FillList(subNameList_, settings.SubHandleNames());
}

bool CBasicOptionPage::Save(const std::string& path) const {
    CSettings settings(path);
    if (!settings.CreateIfMissing())
        return false;
    bool ok = settings.WriteString(kInitialSetting, "HandleName", Bytes(handleName_->text()));
    ok = ok && settings.WriteString(kInitialSetting, "ServerIP", Bytes(serverIP_->text()));
    ok = ok && settings.WriteInt(kInitialSetting, "PortNum", port_->text().toInt());
    ok = ok && settings.WriteColor(kInitialSetting, "HandleNameColor",
                                   PaletteValue(nameColor_->currentIndex(), customColor_));
    ok = ok && settings.WriteInt(kInitialSetting, "CharSize",
                                 CharSizeFromComboIndex(charSize_->currentIndex()));
    ok = ok && settings.WriteDiceList(ListItems(diceList_));
    ok = ok && settings.WriteSubHandleNames(ListItems(subNameList_));
    return ok;
}

void CBasicOptionPage::AddDiceExpression() {
    std::string text = Bytes(diceEdit_->text());
    if (text.empty())
        return;
    bool valid;
    if (text.rfind("$TIMER", 0) == 0) {
        std::int32_t duration = 0, interval = 0;
        valid = ParseTimerCommand(text, 0, duration, interval) != TimerCommand::Invalid;
    } else {
        valid = check_ && check_(text);
    }
    if (!valid) {
        static const std::string message = Sjis("ダイス書式が間違っています");
        static const std::string caption = Sjis("書式エラー");
        prompter_.Tell(message, caption, PromptIcon::Stop);
        diceEdit_->clear();
        return;
    }
    diceList_->addItem(diceEdit_->text());
    diceEdit_->clear();
}

void CBasicOptionPage::AddSubHandleName() {
    if (subNameEdit_->text().isEmpty())
        return;
    subNameList_->addItem(subNameEdit_->text());
    subNameEdit_->clear();
}

void CBasicOptionPage::OnNameColorChosen(int index) {
    OnNameColorActivated(nameColor_, index, chooser_, this, customColor_);
}

}  // namespace yarrow
