#pragma once
// Measures many short texts quickly. Shaping every cell of a full chart
// (65536 texts) takes the better part of a second; summing cached character
// advances takes a few milliseconds. Without kerning the sum is never
// narrower than the shaped text, so a column sized by it never shortens the
// text. Texts that need real shaping (surrogate pairs, combining marks) are
// measured exactly.

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

namespace yarrow {

class CTextWidthMeter {
  public:
    explicit CTextWidthMeter(const QFont& font) : metrics_(font) {}

    // The text's width in whole pixels, rounded up.
    int Width(const QString& text);

  private:
    QFontMetricsF metrics_;
    QHash<char16_t, qreal> advances_;
};

}  // namespace yarrow
