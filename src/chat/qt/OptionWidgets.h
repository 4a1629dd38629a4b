#pragma once
// Small pieces the option pages share.

#include <QListWidget>
#include <QString>

namespace yarrow {

// The Delete key removes the list's selected entry.
void DeleteEntryOnDeleteKey(QListWidget* list);

// `widget` with its control ID as object name (how tests and the pages find it).
template <typename W>
W* Named(W* widget, const char* id) {
    widget->setObjectName(QString::fromUtf8(id));
    return widget;
}

}  // namespace yarrow
