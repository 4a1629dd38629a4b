#pragma once
// The picture on the "Dice" button: a die showing five, drawn at run time so
// it stays sharp at any scale.

#include <QIcon>

namespace yarrow {

QIcon DiceIcon();

}  // namespace yarrow
