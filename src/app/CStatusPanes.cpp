#include "app/CStatusPanes.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include "app/Version.h"

namespace yarrow {

CStatusPanes::CStatusPanes(QStatusBar* bar) : QObject(bar) {
    for (int i = 0; i < kPaneCount; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("statusPane%1").arg(i));
        labels_[i] = label;
        if (i == 0) {
            label->setText(QString::fromUtf8(kStatusIdleText));
            bar->addWidget(label, 1);
            continue;
        }
        // Indicator panes keep the width of their text whether or not it shows,
        // as the user expects from a status bar.
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        const QString indicator = IndicatorText(static_cast<StatusPane>(i));
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(indicator) + 12);
        bar->addPermanentWidget(label);
    }
    labels_[static_cast<int>(StatusPane::Buffer)]->setText(IndicatorText(StatusPane::Buffer));
    poll_ = new QTimer(this);
    poll_->setInterval(250);
    connect(poll_, &QTimer::timeout, this, [this] {
        if (lockSource_) {
            ShowLockKeys(lockSource_());
        }
    });
}

QString CStatusPanes::IndicatorText(StatusPane pane) {
    switch (pane) {
        case StatusPane::Message:
            return QString::fromUtf8(kStatusIdleText);
        case StatusPane::Buffer:
            return QStringLiteral("ﾊﾞｯﾌｧ1");
        case StatusPane::Filter:
            return QStringLiteral("ﾌｨﾙﾀON");
        case StatusPane::Kana:
            return QStringLiteral("ｶﾅ");
        case StatusPane::Caps:
            return QStringLiteral("CAP");
        case StatusPane::Num:
            return QStringLiteral("NUM");
        case StatusPane::Scroll:
            return QStringLiteral("SCRL");
    }
    return {};
}

QString CStatusPanes::Text(StatusPane pane) const {
    return Label(pane)->text();
}

void CStatusPanes::SetText(StatusPane pane, const QString& text) {
    Label(pane)->setText(text);
}

void CStatusPanes::SetLockKeySource(std::function<LockKeyState()> source) {
    lockSource_ = std::move(source);
    if (lockSource_) {
        ShowLockKeys(lockSource_());
        poll_->start();
    } else {
        poll_->stop();
        ShowLockKeys({});
    }
}

void CStatusPanes::ShowLockKeys(const LockKeyState& state) {
    const auto show = [this](StatusPane pane, bool on) {
        SetText(pane, on ? IndicatorText(pane) : QString());
    };
    show(StatusPane::Kana, state.kana);
    show(StatusPane::Caps, state.caps);
    show(StatusPane::Num, state.num);
    show(StatusPane::Scroll, state.scroll);
}

}  // namespace yarrow
