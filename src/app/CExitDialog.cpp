#include "app/CExitDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace yarrow {

CExitDialog::CExitDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("exitDialog"));
    setWindowTitle(QStringLiteral("終了"));
    setModal(true);

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(QStringLiteral("Yarrowを終了します。\nよろしいですか？"), this);
    text->setObjectName(QStringLiteral("exitText"));
    text->setTextFormat(Qt::PlainText);

    auto* yes = new QPushButton(QStringLiteral("はい"), this);
    auto* no = new QPushButton(QStringLiteral("いいえ"), this);
    auto* rtf = new QPushButton(QStringLiteral("&RTFで保存"), this);
    auto* txt = new QPushButton(QStringLiteral("&TXTで保存"), this);
    yes->setObjectName(QStringLiteral("exitYes"));
    no->setObjectName(QStringLiteral("exitNo"));
    rtf->setObjectName(QStringLiteral("exitSaveRtf"));
    txt->setObjectName(QStringLiteral("exitSaveText"));
    yes->setDefault(true);
    yes->setAutoDefault(true);
    connect(yes, &QPushButton::clicked, this, [this] { Finish(ExitOutcome::Quit); });
    connect(no, &QPushButton::clicked, this, [this] { Finish(ExitOutcome::Stay); });
    connect(rtf, &QPushButton::clicked, this, [this] { Finish(ExitOutcome::SaveRtfAndQuit); });
    connect(txt, &QPushButton::clicked, this, [this] { Finish(ExitOutcome::SaveTextAndQuit); });

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addWidget(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {yes, no, rtf, txt}) {
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    yes->setFocus();
}

void CExitDialog::Finish(ExitOutcome outcome) {
    outcome_ = outcome;
    if (outcome == ExitOutcome::Stay) {
        reject();
    } else {
        accept();
    }
}

ExitOutcome CExitDialog::Ask(QWidget* parent) {
    CExitDialog dialog(parent);
    dialog.exec();
    return dialog.Outcome();
}

}  // namespace yarrow
