#include "chat/qt/CConnectDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"
#include "settings/CSettings.h"
#include "settings/SettingsValues.h"

namespace yarrow {
namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

template <typename W>
W* Named(W* widget, const char* id) {
    widget->setObjectName(Q(id));
    return widget;
}

constexpr const char* kLocalAddress = "127.0.0.1";

}  // namespace

CConnectDialog::CConnectDialog(const std::string& settingsPath, IPrompter& prompter,
                               ColorChooser chooser, QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      chooser_(chooser ? std::move(chooser) : ColorChooser(&CBasicOptionPage::PickColor)) {
    setObjectName(Q("102"));
    setWindowTitle(Q("接続"));

    server_ = Named(new QRadioButton(Q("ｻｰﾊﾞとして接続"), this), "1007");
    client_ = Named(new QRadioButton(Q("ｸﾗｲｱﾝﾄとして接続"), this), "1008");
    handleName_ = Named(new QLineEdit(this), "1011");
    address_ = Named(new QLineEdit(this), "1009");
    port_ = Named(new QLineEdit(this), "1010");
    port_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), port_));
    makeDefault_ = Named(new QCheckBox(Q("現在の設定をデフォルトにする"), this), "1028");
    startLog_ = Named(new QCheckBox(Q("接続と同時にログ保存開始"), this), "1012");
    nameColor_ = Named(new QComboBox(this), "1022");
    CBasicOptionPage::FillNameColorCombo(nameColor_);

    auto* roles = new QHBoxLayout;
    roles->addWidget(server_);
    roles->addWidget(client_);
    auto* form = new QFormLayout;
    form->addRow(Q("ﾊﾝﾄﾞﾙﾈｰﾑ"), handleName_);
    form->addRow(Q("名前色"), nameColor_);
    form->addRow(Q("サーバ名(IP)"), address_);
    form->addRow(Q("ポート番号"), port_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(Q("キャンセル"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(roles);
    layout->addLayout(form);
    layout->addWidget(startLog_);
    layout->addWidget(makeDefault_);
    layout->addWidget(buttons);

    CSettings settings(settingsPath);
    handleName_->setText(FromCp932(settings.HandleName()));
    address_->setText(FromCp932(settings.ServerIP()));
    port_->setText(FromCp932(settings.GetString(kInitialSetting, "PortNum", "15000")));
    startLog_->setChecked(settings.IsSaveLogExactlyOne());
    (settings.IsClient() ? client_ : server_)->setChecked(true);
    address_->setEnabled(client_->isChecked());
    CBasicOptionPage::SelectNameColor(nameColor_, settings.HandleNameColor(), customColor_);

    connect(server_, &QRadioButton::clicked, this, &CConnectDialog::OnRoleChanged);
    connect(client_, &QRadioButton::clicked, this, &CConnectDialog::OnRoleChanged);
    connect(nameColor_, &QComboBox::activated, this, &CConnectDialog::OnNameColorChosen);
    connect(buttons, &QDialogButtonBox::accepted, this, &CConnectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CConnectDialog::reject);
}

void CConnectDialog::PresetJoin(const std::string& address, std::optional<int> port) {
    client_->setChecked(true);
    OnRoleChanged();
    address_->setText(QString::fromStdString(address));
    if (port)
        port_->setText(QString::number(*port));
    handleName_->setFocus();
    handleName_->selectAll();
}

void CConnectDialog::OnRoleChanged() {
    address_->setEnabled(client_->isChecked());
    if (server_->isChecked())
        address_->setText(Q(kLocalAddress));
}

void CConnectDialog::OnNameColorChosen(int index) {
    CBasicOptionPage::OnNameColorActivated(nameColor_, index, chooser_, this, customColor_);
}

void CConnectDialog::accept() {
    static const std::string caption = Sjis("エラー");
    static const std::string noName = Sjis("ハンドルネームが入力されていません");
    static const std::string noAddress = Sjis("サーバIPが入力されていません");
    static const std::string noPort = Sjis("ポート番号が入力されていません");
    static const std::string badPort = Sjis("ポート番号は1から65535の間で入力してください");
    // Every missing entry is named, one after the other, before the dialog
    // refuses to close, so the user learns all of them at once.
    bool ok = true;
    if (handleName_->text().isEmpty()) {
        prompter_.Tell(noName, caption, PromptIcon::Exclamation);
        ok = false;
    } else if (ToCp932(handleName_->text()).replaced) {
        // Everybody else would see "〓" in place of such a character.
        static const std::string badName = Sjis("ハンドルネームに使用できない文字が含まれています");
        prompter_.Tell(badName, caption, PromptIcon::Exclamation);
        ok = false;
    }
    if (address_->text().isEmpty()) {
        prompter_.Tell(noAddress, caption, PromptIcon::Exclamation);
        ok = false;
    }
    if (port_->text().isEmpty()) {
        prompter_.Tell(noPort, caption, PromptIcon::Exclamation);
        ok = false;
    } else if (int port = port_->text().toInt(); port < 1 || port > 65535) {
        // Such a port can be neither listened on nor connected to.
        prompter_.Tell(badPort, caption, PromptIcon::Exclamation);
        ok = false;
    }
    if (ok)
        QDialog::accept();
}

ConnectRequest CConnectDialog::Request() const {
    ConnectRequest r;
    r.handleName = ToCp932(handleName_->text()).text;
    r.asClient = client_->isChecked();
    r.serverAddress = ToCp932(address_->text()).text;
    r.port = port_->text().toInt();
    r.color = PaletteValue(nameColor_->currentIndex(), customColor_);
    r.startLog = startLog_->isChecked();
    r.makeDefault = makeDefault_->isChecked();
    return r;
}

bool CConnectDialog::WriteDefaults(const ConnectRequest& request, const std::string& settingsPath) {
    CSettings settings(settingsPath);
    bool ok = settings.WriteString(kInitialSetting, "HandleName", request.handleName);
    ok = ok && settings.WriteString(kInitialSetting, "ServerIP", request.serverAddress);
    ok = ok && settings.WriteInt(kInitialSetting, "PortNum", request.port);
    ok = ok && settings.WriteColor(kInitialSetting, "HandleNameColor", request.color);
    ok = ok && settings.WriteBool(kInitialSetting, "IsClient", request.asClient);
    ok = ok && settings.WriteBool(kInitialSetting, "IsSaveLog", request.startLog);
    return ok;
}

}  // namespace yarrow
