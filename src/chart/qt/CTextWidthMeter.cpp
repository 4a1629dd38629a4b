#include "chart/qt/CTextWidthMeter.h"

#include <cmath>

namespace yarrow {

int CTextWidthMeter::Width(const QString& text) {
    qreal sum = 0;
    for (const QChar ch : text) {
        if (ch.isSurrogate() || ch.isMark()) {
            return static_cast<int>(std::ceil(metrics_.horizontalAdvance(text)));
        }
        auto found = advances_.constFind(ch.unicode());
        if (found == advances_.constEnd()) {
            found = advances_.insert(ch.unicode(), metrics_.horizontalAdvance(ch));
        }
        sum += found.value();
    }
    return static_cast<int>(std::ceil(sum - 1e-6));
}

}  // namespace yarrow
