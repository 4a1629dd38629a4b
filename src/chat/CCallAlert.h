#pragma once
// Receiving a call (record type 12): only its target reacts, by coming to the
// front, beeping three times and noting who called and when.

#include <cstdint>
#include <string>

namespace yarrow {

class CMsg;
class IClock;
class ISound;

class ICallAlertHost {
  public:
    virtual ~ICallAlertHost() = default;
    virtual void BringToFront() = 0;
    virtual void AppendNoticeLine(const std::string& text) = 0;
    // The silence between two beeps.
    virtual void Pause(int milliseconds) = 0;
};

class CCallAlert {
  public:
    static constexpr int kBeepHertz = 800;
    static constexpr int kBeepMs = 300;
    static constexpr int kPauseMs = 50;
    static constexpr int kBeeps = 3;

    CCallAlert(ICallAlertHost& host, ISound& sound, const IClock& clock)
        : host_(host), sound_(sound), clock_(clock) {}

    // True when the call was for `myId` and the alert ran.
    bool Receive(const CMsg& msg, std::int32_t myId);

    // "%s(%s)": the caller's text and "呼出時間 %H:%M:%S" in local time.
    std::string NoticeText(const std::string& callText) const;

  private:
    ICallAlertHost& host_;
    ISound& sound_;
    const IClock& clock_;
};

}  // namespace yarrow
