#include "map/qt/CMapToolBar.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "map/MapTypes.h"
#include "map/qt/MapToolBitmaps.h"

namespace yarrow {
namespace {

constexpr int kSwatchSize = 16;
constexpr char kBitmapProperty[] = "bitmap";

QIcon Swatch(std::int32_t mapColor) {
    QPixmap pixmap(kSwatchSize, kSwatchSize);
    pixmap.fill(QColor(QRgb(RgbFromMapColor(mapColor))));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, kSwatchSize - 1, kSwatchSize - 1);
    return QIcon(pixmap);
}

}  // namespace

CMapToolBar::CMapToolBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("128"));

    tools_ = new QButtonGroup(this);
    const char* radioIds[3] = {"1078", "1079", "1080"};
    const QString radioTexts[3] = {QStringLiteral("ﾕﾆｯﾄ配置"), QStringLiteral("塗り潰し"),
                                   QStringLiteral("ﾀｲﾙ削除")};
    auto* radioColumn = new QVBoxLayout;
    radioColumn->setSpacing(0);
    radioColumn->setContentsMargins(0, 0, 0, 0);
    for (int tool = 0; tool < 3; ++tool) {
        radios_[tool] = new QRadioButton(radioTexts[tool], this);
        radios_[tool]->setObjectName(QString::fromLatin1(radioIds[tool]));
        radios_[tool]->setFocusPolicy(Qt::TabFocus);
        tools_->addButton(radios_[tool], tool);
        radioColumn->addWidget(radios_[tool]);
    }
    connect(tools_, &QButtonGroup::idClicked, this, &CMapToolBar::ToolSelected);

    color_ = new QPushButton(QStringLiteral("色変更"), this);
    color_->setObjectName(QStringLiteral("1071"));
    color_->setFocusPolicy(Qt::TabFocus);
    color_->setIconSize(QSize(kSwatchSize, kSwatchSize));
    connect(color_, &QPushButton::clicked, this, &CMapToolBar::FillColorRequested);

    rectFill_ =
        MakeButton("1077", QStringLiteral("矩形塗潰し"), QStringLiteral("矩形塗り潰し"), true);
    size_ = MakeButton("1072", QStringLiteral("サイズ"), QStringLiteral("ﾀｲﾙｻｲｽﾞ切替"), true);
    shape_ = MakeButton("1073", QStringLiteral("形"), QStringLiteral("ﾀｲﾙ形状切替"), true);
    direction_ = MakeButton("1075", QStringLiteral("向き"), QStringLiteral("Hex方向切替"), true);
    background_ =
        MakeButton("1082", QStringLiteral("背景色"), QStringLiteral("背景色ﾈｶﾞﾎﾟｼﾞ切替"), true);
    lock_ = MakeButton("1076", QStringLiteral("ロック"), QStringLiteral("Mapﾛｯｸ"), true);
    snapshot_ = MakeButton("1102", QStringLiteral("ｽﾅｯﾌﾟｼｮｯﾄ"), QStringLiteral("ｽﾅｯﾌﾟｼｮｯﾄ"), false);
    SetBitmap(rectFill_, 137);
    SetBitmap(snapshot_, 138);

    connect(rectFill_, &QToolButton::clicked, this, &CMapToolBar::RectFillToggled);
    connect(size_, &QToolButton::clicked, this, &CMapToolBar::SmallTilesToggled);
    connect(shape_, &QToolButton::clicked, this,
            [this](bool square) { emit HexShapeToggled(!square); });
    connect(direction_, &QToolButton::clicked, this,
            [this](bool one) { emit HexDirectionToggled(one ? 1 : 0); });
    connect(background_, &QToolButton::clicked, this,
            [this](bool grey) { emit WhiteBackgroundToggled(!grey); });
    connect(lock_, &QToolButton::clicked, this, &CMapToolBar::LockToggled);
    connect(snapshot_, &QToolButton::clicked, this, &CMapToolBar::SnapshotRequested);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(4);
    layout->addLayout(radioColumn);
    layout->addWidget(color_);
    layout->addSpacing(6);
    for (QToolButton* button : {rectFill_, size_, shape_, direction_, background_, lock_}) {
        layout->addWidget(button);
    }
    layout->addSpacing(6);
    layout->addWidget(snapshot_);
    layout->addStretch(1);

    SetState(state_);
}

QToolButton* CMapToolBar::MakeButton(const char* id, const QString& text, const QString& tip,
                                     bool checkable) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(id));
    button->setText(text);
    button->setToolTip(tip);
    button->setCheckable(checkable);
    button->setFocusPolicy(Qt::TabFocus);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(QSize(kMapToolBitmapSize, kMapToolBitmapSize));
    button->setAutoRaise(false);
    return button;
}

void CMapToolBar::SetBitmap(QToolButton* button, int bitmap) {
    if (button->property(kBitmapProperty).toInt() == bitmap) {
        return;
    }
    button->setProperty(kBitmapProperty, bitmap);
    button->setIcon(QIcon(MapToolBitmap(bitmap)));
}

int CMapToolBar::BitmapOf(const QToolButton* button) const {
    return button == nullptr ? 0 : button->property(kBitmapProperty).toInt();
}

QRadioButton* CMapToolBar::ToolRadio(int tool) const {
    return tool >= 0 && tool < 3 ? radios_[tool] : nullptr;
}

void CMapToolBar::SetState(const MapToolState& state) {
    state_ = state;
    if (QRadioButton* radio = ToolRadio(state.tool)) {
        radio->setChecked(true);
    }
    const bool hex = (state.shapeBits & 1) != 0;
    const bool small = (state.shapeBits & 2) != 0;
    const bool direction = (state.shapeBits & 4) != 0;
    const bool white = (state.shapeBits & 8) != 0;
    rectFill_->setChecked(state.rectFill);
    size_->setChecked(small);
    shape_->setChecked(!hex);
    direction_->setChecked(direction);
    background_->setChecked(!white);
    lock_->setChecked(state.locked);
    SetBitmap(size_, small ? 133 : 134);
    SetBitmap(shape_, hex ? 131 : 132);
    SetBitmap(direction_, direction ? 130 : 129);
    SetBitmap(background_, white ? 139 : 140);
    SetBitmap(lock_, state.locked ? 135 : 136);
    color_->setIcon(Swatch(state.fillColor));
}

}  // namespace yarrow
