#include "common/gbk.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

namespace {

// ICU converters are not thread-safe; one per thread, opened on first use.
UConverter* gbkConverter() {
  thread_local icu::LocalUConverterPointer converter([] {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* opened = ucnv_open("GBK", &status);
    return U_SUCCESS(status) ? opened : nullptr;
  }());
  if (converter.isValid()) ucnv_reset(converter.getAlias());
  return converter.getAlias();
}

std::u16string decode(std::string_view gbk, std::vector<std::int32_t>* byteOffsets) {
  std::u16string out;
  UConverter* converter = gbkConverter();
  if (converter == nullptr || gbk.empty()) {
    if (byteOffsets != nullptr) byteOffsets->assign(1, static_cast<std::int32_t>(gbk.size()));
    return out;
  }

  // GBK never yields more UTF-16 units than it has bytes; the loop below
  // still grows the buffers should a converter ever do so.
  out.resize(gbk.size() + 8);
  if (byteOffsets != nullptr) byteOffsets->resize(out.size());

  const char* source = gbk.data();
  const char* const sourceEnd = source + gbk.size();
  std::size_t written = 0;
  for (;;) {
    const auto consumedBefore = static_cast<std::int32_t>(source - gbk.data());
    char16_t* target = out.data() + written;
    std::int32_t* offsets = byteOffsets != nullptr ? byteOffsets->data() + written : nullptr;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, out.data() + out.size(), &source, sourceEnd, offsets,
                   /*flush=*/true, &status);
    const std::size_t produced = static_cast<std::size_t>(target - out.data()) - written;
    if (offsets != nullptr && consumedBefore != 0) {
      for (std::size_t k = 0; k < produced; ++k) offsets[k] += consumedBefore;
    }
    written += produced;
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    out.resize(out.size() * 2);
    if (byteOffsets != nullptr) byteOffsets->resize(out.size());
  }

  out.resize(written);
  if (byteOffsets != nullptr) {
    byteOffsets->resize(written);
    byteOffsets->push_back(static_cast<std::int32_t>(gbk.size()));
  }
  return out;
}

}  // namespace

std::u16string gbkToUtf16(std::string_view gbk) { return decode(gbk, nullptr); }

std::u16string gbkToUtf16(std::string_view gbk, std::vector<std::int32_t>& byteOffsets) {
  return decode(gbk, &byteOffsets);
}

Text utf16ToGbk(std::u16string_view utf16) {
  Text out;
  UConverter* converter = gbkConverter();
  if (converter == nullptr || utf16.empty()) return out;

  // Two bytes per UTF-16 unit is GBK's widest; the +1 leaves room for ICU's NUL.
  out.resize(utf16.size() * 2 + 1);
  UErrorCode status = U_ZERO_ERROR;
  const std::int32_t length =
      ucnv_fromUChars(converter, out.data(), static_cast<std::int32_t>(out.size()), utf16.data(),
                      static_cast<std::int32_t>(utf16.size()), &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return out;
}

Text utf8ToGbk(std::string_view utf8) {
  std::u16string utf16(utf8.size(), u'\0');
  std::int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(utf16.data(), static_cast<std::int32_t>(utf16.size()), &length, utf8.data(),
                       static_cast<std::int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return Text();
  utf16.resize(static_cast<std::size_t>(length));
  return utf16ToGbk(utf16);
}

std::string gbkToUtf8(std::string_view gbk) {
  const std::u16string utf16 = gbkToUtf16(gbk);
  std::string utf8(utf16.size() * 3, '\0');
  std::int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(utf8.data(), static_cast<std::int32_t>(utf8.size()), &length, utf16.data(),
                     static_cast<std::int32_t>(utf16.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return std::string();
  utf8.resize(static_cast<std::size_t>(length));
  return utf8;
}
