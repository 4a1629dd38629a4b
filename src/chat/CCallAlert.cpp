#include "chat/CCallAlert.h"

#include <ctime>

#include "net/CMsg.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"
#include "platform/ISound.h"

namespace yarrow {

bool CCallAlert::Receive(const CMsg& msg, std::int32_t myId) {
    if (msg.Type != CallMember || msg.ID != myId || myId < 0)
        return false;
    host_.BringToFront();
    for (int i = 0; i < kBeeps; ++i) {
        if (i > 0)
            host_.Pause(kPauseMs);
        sound_.Tone(kBeepHertz, kBeepMs);
    }
    host_.AppendNoticeLine(NoticeText(msg.Text));
    return true;
}

std::string CCallAlert::NoticeText(const std::string& callText) const {
    static const std::string format = Sjis("呼出時間 %H:%M:%S");
    const std::time_t now = clock_.Now();
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[64];
    const std::size_t length = std::strftime(stamp, sizeof stamp, format.c_str(), &local);
    return callText + "(" + std::string(stamp, length) + ")";
}

}  // namespace yarrow
