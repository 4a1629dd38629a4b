#include "platform/qt/CQtSound.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace yarrow {

CQtSound::CQtSound(QObject* parent) : QObject(parent) {}

CQtSound::~CQtSound() {
    StopPlayback();
}

QByteArray CQtSound::SineWave(int hertz, int milliseconds, int sampleRate) {
    hertz = std::clamp(hertz, 20, 20000);
    milliseconds = std::clamp(milliseconds, 0, kMaxMilliseconds);
    sampleRate = std::clamp(sampleRate, 8000, 192000);
    const int samples = static_cast<int>(static_cast<long long>(sampleRate) * milliseconds / 1000);
    const int fade = std::min(samples / 2, sampleRate / 200);  // 5 ms
    QByteArray pcm(samples * static_cast<int>(sizeof(std::int16_t)), Qt::Uninitialized);
    auto* out = reinterpret_cast<std::int16_t*>(pcm.data());
    const double step = 2.0 * std::numbers::pi * hertz / sampleRate;
    for (int i = 0; i < samples; ++i) {
        double gain = 0.5;
        if (i < fade) {
            gain *= static_cast<double>(i) / fade;
        } else if (i >= samples - fade) {
            gain *= static_cast<double>(samples - 1 - i) / fade;
        }
        out[i] = static_cast<std::int16_t>(std::lround(32767.0 * gain * std::sin(step * i)));
    }
    return pcm;
}

void CQtSound::Tone(int hertz, int milliseconds) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        QApplication::beep();
        return;
    }
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        QApplication::beep();
        return;
    }
    // A new alert replaces one still playing rather than queueing behind it.
    StopPlayback();
    pcm_ = SineWave(hertz, milliseconds, kSampleRate);
    buffer_ = new QBuffer(&pcm_, this);
    buffer_->open(QIODevice::ReadOnly);
    sink_ = new QAudioSink(device, format, this);
    connect(sink_, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState) {
            if (sink_ != nullptr && sink_->error() != QAudio::NoError &&
                state == QAudio::StoppedState) {
                QApplication::beep();
            }
            // Deferred: the sink is still inside its own signal here.
            QAudioSink* sink = sink_;
            QBuffer* buffer = buffer_;
            sink_ = nullptr;
            buffer_ = nullptr;
            if (sink != nullptr) {
                sink->disconnect(this);
                sink->deleteLater();
            }
            if (buffer != nullptr) {
                buffer->deleteLater();
            }
        }
    });
    sink_->start(buffer_);
    if (sink_ != nullptr && sink_->error() != QAudio::NoError) {
        StopPlayback();
        QApplication::beep();
    }
}

void CQtSound::ErrorBeep() {
    QApplication::beep();
}

void CQtSound::StopPlayback() {
    if (sink_ != nullptr) {
        sink_->disconnect(this);
        sink_->stop();
        delete sink_;
        sink_ = nullptr;
    }
    if (buffer_ != nullptr) {
        delete buffer_;
        buffer_ = nullptr;
    }
}

}  // namespace yarrow
