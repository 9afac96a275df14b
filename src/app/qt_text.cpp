#include "app/qt_text.h"

#include "common/gbk.h"

QString toQString(const Text& text) {
  const std::u16string utf16 = gbkToUtf16(text);
  return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

Text toText(const QString& text) {
  return utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                        static_cast<size_t>(text.size())));
}
