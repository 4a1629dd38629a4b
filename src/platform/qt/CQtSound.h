#pragma once
// Beeps on Qt: the call alert's tone is a generated sine wave played through
// the default audio output; without an audio device (or when the sink refuses
// to start) the desktop's own beep stands in, so an alert is never silent by
// accident.

#include <QByteArray>
#include <QObject>

#include "platform/ISound.h"

class QAudioSink;
class QBuffer;

namespace yarrow {

class CQtSound final : public QObject, public ISound {
    Q_OBJECT
  public:
    explicit CQtSound(QObject* parent = nullptr);
    ~CQtSound() override;

    void Tone(int hertz, int milliseconds) override;
    void ErrorBeep() override;

    // Signed 16-bit mono PCM of a sine at `hertz` for `milliseconds`, with a
    // short fade at both ends so the tone does not click. Durations are capped
    // at ten seconds and frequencies kept within what a speaker can play.
    static QByteArray SineWave(int hertz, int milliseconds, int sampleRate);

    static constexpr int kSampleRate = 22050;
    static constexpr int kMaxMilliseconds = 10000;

  private:
    void StopPlayback();

    QAudioSink* sink_ = nullptr;
    QBuffer* buffer_ = nullptr;
    QByteArray pcm_;
};

}  // namespace yarrow
