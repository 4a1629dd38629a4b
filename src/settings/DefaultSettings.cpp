#include "settings/DefaultSettings.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/ProgramFolder.h"
#include "settings/CSettings.h"

namespace yarrow {
namespace {

CreateSettingsResult Failure(int error) {
    CreateSettingsResult r;
    r.outcome = CreateSettingsResult::Outcome::Failed;
    r.message = Sjis("iniファイルを作成できません\r\n") + LastErrorText(error);
    r.caption = Sjis("エラー");
    return r;
}

}  // namespace

CreateSettingsResult CreateDefaultSettings(const std::string& folder) {
    std::string path = folder + std::string(kSettingsFileName);
    if (FileExists(path))
        return {};

    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return Failure(errno);
    ::close(fd);

    static const std::vector<std::string> initial = {
        "HandleName=GM",
        "ServerIP=127.0.0.1",
        "PortNum=15000",
        "HandleNameColor=0x000000",
        Sjis("DiceHoy=ころころ……"),
        Sjis("PleaseWait=<size 5>待った！</size>"),
        "LogFolder=Log",
        "CharSize=3",
        "IsClient=0",
        "IsSaveLog=1",
        "IsUseSquareMap=0",
        "IsAutoMapShow=1",
        "IsAutoChartShow=1",
        "HexDirection=0",
        "ForeGroundColor=0x000000",
        "BackGroundColor=0xFFFFFF",
    };
    static const std::vector<std::string> dice = {
        "FormNum=7", "1=3D6", "2=2D6", "3=1D6", "4=1D100", "5=-1,2D6", "6=$CARD", "7=$TIMER,",
    };

    CProfileFile file(path);
    // A write that fails (a full disk, say) must not pass for a created file.
    bool ok = file.WriteSection(kInitialSetting, initial) &&
              file.WriteSection(kDiceSection, dice) &&
              file.WriteSection(kSubHandleNameSection, {"SubHandleNameNum=0"}) &&
              file.WriteSection(kDiceTemplateSection, {"TemplateNum=0"});
    if (!ok) {
        // Take the half-written file away again, so the next start retries
        // instead of mistaking it for the user's settings.
        CreateSettingsResult failure = Failure(errno);
        ::unlink(path.c_str());
        return failure;
    }
    CreateSettingsResult r;
    r.outcome = CreateSettingsResult::Outcome::Created;
    return r;
}

}  // namespace yarrow
