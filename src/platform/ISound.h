#pragma once
// Beeps: the call alert's tones and the system's error sound.

namespace yarrow {

class ISound {
  public:
    virtual ~ISound() = default;
    // A tone of `hertz` for `milliseconds`.
    virtual void Tone(int hertz, int milliseconds) = 0;
    // The system's error (hand/stop) sound.
    virtual void ErrorBeep() = 0;
};

}  // namespace yarrow
