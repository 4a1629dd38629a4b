#include "app/CYarrowView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "app/DiceIcon.h"
#include "chat/qt/CInputLine.h"
#include "platform/qt/CLogWidget.h"

namespace yarrow {

CYarrowView::CYarrowView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("chatView"));

    log_ = new CLogWidget(this);
    log_->setObjectName(QStringLiteral("1000"));

    diceCombo_ = new QComboBox(this);
    diceCombo_->setObjectName(QStringLiteral("1013"));
    diceCombo_->setEditable(true);
    diceCombo_->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is what is rolled: completing "$TIMER" (a cancel) or
    // "1D6" from a longer entry of the list would roll another expression.
    diceCombo_->setCompleter(nullptr);
    diceCombo_->setMinimumContentsLength(8);
    diceCombo_->setToolTip(QStringLiteral("ダイスの式"));
    // Dice expressions are typed in half-width characters.
    diceCombo_->setAttribute(Qt::WA_InputMethodEnabled, false);
    diceCombo_->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);

    dice_ = new QPushButton(QStringLiteral("Dice"), this);
    dice_->setObjectName(QStringLiteral("1002"));
    dice_->setIcon(DiceIcon());
    dice_->setAutoDefault(false);
    dice_->setFocusPolicy(Qt::TabFocus);
    connect(dice_, &QPushButton::clicked, this, &CYarrowView::DiceRequested);

    handleRadio_ = new QRadioButton(this);
    handleRadio_->setObjectName(QStringLiteral("1004"));
    handleRadio_->setToolTip(QStringLiteral("ハンドル名で発言する"));
    handleRadio_->setChecked(true);
    handle_ = new QLineEdit(this);
    handle_->setObjectName(QStringLiteral("1003"));
    handle_->setPlaceholderText(QStringLiteral("ハンドル名"));

    subHandleRadio_ = new QRadioButton(this);
    subHandleRadio_->setObjectName(QStringLiteral("1005"));
    subHandleRadio_->setToolTip(QStringLiteral("サブハンドル名で発言する"));
    subHandle_ = new QComboBox(this);
    subHandle_->setObjectName(QStringLiteral("1006"));
    subHandle_->setEditable(true);
    subHandle_->setInsertPolicy(QComboBox::NoInsert);
    // A new name typed as the start of a listed one is still a new name.
    subHandle_->setCompleter(nullptr);
    subHandle_->lineEdit()->setPlaceholderText(QStringLiteral("サブハンドル名"));
    // Picking a sub-handle name or typing one means speaking under it.
    connect(subHandle_, &QComboBox::activated, this, [this] { SetRadioIndex(1); });
    connect(subHandle_->lineEdit(), &QLineEdit::textEdited, this, [this] { SetRadioIndex(1); });

    // The input line knows the keys of speaking (Enter sends, Ctrl+Enter
    // breaks the line, typing notices, tags); the view only places it.
    input_ = new CInputLine(this);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(diceCombo_, 2);
    row->addWidget(dice_);
    row->addSpacing(6);
    row->addWidget(handleRadio_);
    row->addWidget(handle_, 3);
    row->addSpacing(6);
    row->addWidget(subHandleRadio_);
    row->addWidget(subHandle_, 3);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(log_, 1);
    layout->addLayout(row);
    layout->addWidget(input_);

    setFocusProxy(input_);
}

int CYarrowView::RadioIndex() const {
    return subHandleRadio_->isChecked() ? 1 : 0;
}

void CYarrowView::SetRadioIndex(int index) {
    (index == 1 ? subHandleRadio_ : handleRadio_)->setChecked(true);
}

void CYarrowView::SetModelessWindow(ModelessWindow which, QWidget* window) {
    modeless_[static_cast<int>(which)] = window;
    if (window != nullptr) {
        window->hide();
    }
}

QWidget* CYarrowView::Modeless(ModelessWindow which) const {
    return modeless_[static_cast<int>(which)];
}

bool CYarrowView::ShowModeless(ModelessWindow which) {
    QWidget* window = Modeless(which);
    if (window == nullptr) {
        return false;
    }
    if (!placed_[static_cast<int>(which)]) {
        placed_[static_cast<int>(which)] = true;
        CentreOnView(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

void CYarrowView::CentreOnView(QWidget* window) const {
    if (window == nullptr) {
        return;
    }
    const QPoint centre = mapToGlobal(rect().center());
    const QSize size = window->frameGeometry().size().isValid() ? window->frameGeometry().size()
                                                                : window->sizeHint();
    QPoint topLeft = centre - QPoint(size.width() / 2, size.height() / 2);
    // A window wider or taller than the view still opens wholly on the
    // screen, its title bar reachable.
    if (const QScreen* screen = this->screen()) {
        const QRect free = screen->availableGeometry();
        topLeft.setX(std::max(free.left(), std::min(topLeft.x(), free.right() + 1 - size.width())));
        topLeft.setY(
            std::max(free.top(), std::min(topLeft.y(), free.bottom() + 1 - size.height())));
    }
    window->move(topLeft);
}

}  // namespace yarrow
