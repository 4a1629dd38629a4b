#pragma once
// The connect dialog "接続": role (server or client), handle name, server
// address, port, name colour, and whether to start the text log and to make
// the entries the new defaults. It only asks; the caller connects with the
// result and, after a successful connection, writes the defaults when asked.

#include <QDialog>
#include <cstdint>
#include <optional>
#include <string>

#include "chat/qt/CBasicOptionPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace yarrow {

class IPrompter;

struct ConnectRequest {
    std::string handleName;     // code page 932
    bool asClient = false;      // false: host the hub and join it
    std::string serverAddress;  // "127.0.0.1" when hosting
    int port = 0;
    std::uint32_t color = 0;   // 0xRRGGBB, the palette value or the custom colour
    bool startLog = false;     // start the plain-text log on connecting
    bool makeDefault = false;  // write the entries back as the new defaults
};

class CConnectDialog : public QDialog {
    Q_OBJECT
  public:
    // Reads its initial values from `settingsPath` (ProgramFolder + "Yarrow.ini").
    CConnectDialog(const std::string& settingsPath, IPrompter& prompter, ColorChooser chooser = {},
                   QWidget* parent = nullptr);

    // For a join link: joining as a client, the hub's address and, when
    // given, its port; the keyboard focus goes to the handle name.
    void PresetJoin(const std::string& address, std::optional<int> port);

    // The entries; meaningful after the dialog was accepted.
    ConnectRequest Request() const;

    // Writes HandleName, ServerIP, PortNum, HandleNameColor, IsClient and
    // IsSaveLog into `settingsPath` (the chat view's current settings file).
    static bool WriteDefaults(const ConnectRequest& request, const std::string& settingsPath);

    void accept() override;

  private:
    void OnRoleChanged();
    void OnNameColorChosen(int index);

    IPrompter& prompter_;
    ColorChooser chooser_;
    std::uint32_t customColor_ = 0;

    QRadioButton* server_;
    QRadioButton* client_;
    QLineEdit* handleName_;
    QLineEdit* address_;
    QLineEdit* port_;
    QCheckBox* makeDefault_;
    QCheckBox* startLog_;
    QComboBox* nameColor_;
};

}  // namespace yarrow
