#pragma once
// The map window's tool bar (dialog 128): the tool radio group
// "ﾕﾆｯﾄ配置" / "塗り潰し" / "ﾀｲﾙ削除", the fill colour swatch "色変更", the
// check buttons for rectangle fill, cell size, cell shape, hex direction,
// background and map lock, each showing the bitmap of its state, and the
// snapshot button. Every button acts on the active page; the page reports
// its state back with SetState. Control object names are their numbers.

#include <QWidget>
#include <cstdint>

class QButtonGroup;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace yarrow {

// What a page shows on the tool bar.
struct MapToolState {
    std::int32_t fillColor = 0xC0C0C0;  // map colour order (0x00BBGGRR)
    int tool = 0;
    bool rectFill = false;
    bool locked = false;
    // bit 0 hexagonal cells, bit 1 small cells, bit 2 hex direction 1,
    // bit 3 white background (the map flags' layout).
    int shapeBits = 0x9;
};

class CMapToolBar : public QWidget {
    Q_OBJECT
  public:
    explicit CMapToolBar(QWidget* parent = nullptr);

    // Sets the radio group, the check states, the bitmaps and the swatch.
    void SetState(const MapToolState& state);
    const MapToolState& State() const { return state_; }

    QRadioButton* ToolRadio(int tool) const;
    QPushButton* ColorButton() const { return color_; }
    QToolButton* RectFillButton() const { return rectFill_; }
    QToolButton* SizeButton() const { return size_; }
    QToolButton* ShapeButton() const { return shape_; }
    QToolButton* DirectionButton() const { return direction_; }
    QToolButton* BackgroundButton() const { return background_; }
    QToolButton* LockButton() const { return lock_; }
    QToolButton* SnapshotButton() const { return snapshot_; }
    // The bitmap number a check button shows now (tests and tips).
    int BitmapOf(const QToolButton* button) const;

  signals:
    void ToolSelected(int tool);
    void FillColorRequested();
    void RectFillToggled(bool on);
    void SmallTilesToggled(bool small);
    void HexShapeToggled(bool hex);
    void HexDirectionToggled(int direction);
    void WhiteBackgroundToggled(bool white);
    void LockToggled(bool locked);
    void SnapshotRequested();

  private:
    QToolButton* MakeButton(const char* id, const QString& text, const QString& tip,
                            bool checkable);
    void SetBitmap(QToolButton* button, int bitmap);

    MapToolState state_;
    QButtonGroup* tools_ = nullptr;
    QRadioButton* radios_[3] = {};
    QPushButton* color_ = nullptr;
    QToolButton* rectFill_ = nullptr;
    QToolButton* size_ = nullptr;
    QToolButton* shape_ = nullptr;
    QToolButton* direction_ = nullptr;
    QToolButton* background_ = nullptr;
    QToolButton* lock_ = nullptr;
    QToolButton* snapshot_ = nullptr;
};

}  // namespace yarrow
