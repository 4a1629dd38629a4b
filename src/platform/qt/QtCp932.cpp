#include "platform/qt/QtCp932.h"

namespace yarrow {

QString FromCp932(std::string_view cp932) {
    const Cp932Conversion utf8 = Cp932ToUtf8(cp932);
    return QString::fromUtf8(utf8.text.data(), static_cast<qsizetype>(utf8.text.size()));
}

Cp932Conversion ToCp932(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp932(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace yarrow
