#include "common/gbk.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <cstring>

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

std::u16string decode(std::string_view gbk) {
  std::u16string out;
  UConverter* converter = gbkConverter();
  if (converter == nullptr || gbk.empty()) return out;
  // GBK never yields more UTF-16 units than it has bytes; should a converter
  // ever do so, ICU says how many and the second round fits.
  out.resize(gbk.size() + 1);
  for (int round = 0; round < 2; ++round) {
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t length =
        ucnv_toUChars(converter, out.data(), static_cast<std::int32_t>(out.size()), gbk.data(),
                      static_cast<std::int32_t>(gbk.size()), &status);
    if (U_SUCCESS(status)) {
      out.resize(static_cast<std::size_t>(length));
      return out;
    }
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    out.resize(static_cast<std::size_t>(length) + 1);
  }
  return std::u16string();
}

}  // namespace

std::u16string gbkToUtf16(std::string_view gbk) { return decode(gbk); }

std::vector<std::int32_t> gbkUnitOffsets(std::string_view gbk) {
  std::vector<std::int32_t> offsets(gbk.size() + 1);
  UConverter* converter = gbkConverter();
  std::size_t units = 0;
  if (converter != nullptr && !gbk.empty()) {
    // GBK never yields more units than bytes, so one call fills it.
    std::u16string scratch(gbk.size() + 1, u'\0');
    char16_t* target = scratch.data();
    const char* source = gbk.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, scratch.data() + scratch.size(), &source,
                   gbk.data() + gbk.size(), offsets.data(), /*flush=*/true, &status);
    units = static_cast<std::size_t>(target - scratch.data());
  }
  offsets.resize(units);
  offsets.push_back(static_cast<std::int32_t>(gbk.size()));
  return offsets;
}

std::size_t GbkCursor::widthAt(std::size_t byte) const {
  const auto lead = static_cast<unsigned char>(gbk_[byte]);
  if (lead < 0x81 || lead == 0xFF || byte + 1 >= gbk_.size()) return 1;
  const auto trail = static_cast<unsigned char>(gbk_[byte + 1]);
  const bool isTrail = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE);
  return isTrail ? 2 : 1;
}

std::int32_t GbkCursor::advanceTo(std::size_t unit) {
  const std::size_t size = gbk_.size();
  while (unit_ < unit && byte_ < size) {
    // Eight ASCII bytes at a time: the common case in markup and addresses.
    if (unit - unit_ >= 8 && size - byte_ >= 8) {
      std::uint64_t eight;
      std::memcpy(&eight, gbk_.data() + byte_, 8);
      if ((eight & 0x8080808080808080ull) == 0) {
        unit_ += 8;
        byte_ += 8;
        continue;
      }
    }
    byte_ += widthAt(byte_);
    ++unit_;
  }
  return static_cast<std::int32_t>(byte_ < size ? byte_ : size);
}

std::size_t GbkCursor::unitCount() const {
  GbkCursor walk(gbk_);
  walk.advanceTo(static_cast<std::size_t>(-1));
  return walk.unit_;
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
