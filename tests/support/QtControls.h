#pragma once
// Finds a dialog's control by its object name (the control id), failing the
// test program at once when the dialog has no such control.

#include <QWidget>

namespace yarrow::test {

template <typename W>
W* Child(QWidget& parent, const char* id) {
    W* w = parent.findChild<W*>(QString::fromLatin1(id));
    if (!w)
        qFatal("no control %s", id);
    return w;
}

}  // namespace yarrow::test
