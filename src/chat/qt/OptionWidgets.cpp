#include "chat/qt/OptionWidgets.h"

#include <QEvent>
#include <QKeyEvent>

namespace yarrow {

namespace {

class DeleteKeyFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
            delete static_cast<QListWidget*>(watched)->currentItem();
            return true;
        }
        return false;
    }
};

}  // namespace

void DeleteEntryOnDeleteKey(QListWidget* list) {
    list->installEventFilter(new DeleteKeyFilter(list));
}

}  // namespace yarrow
