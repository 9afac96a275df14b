#include "common/gbk.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <bit>

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

DecodedGbk::DecodedGbk(std::string_view gbk) : size_(static_cast<std::int32_t>(gbk.size())) {
  UConverter* converter = gbkConverter();
  if (converter != nullptr && !gbk.empty()) decodeAll(converter, gbk);
  if (!offsets_.empty()) offsets_.push_back(size_);
  blockStart_.push_back(size_);  // for the end position when it starts a block
}

void DecodedGbk::decodeAll(UConverter* converter, std::string_view gbk) {
  utf16_.reserve(gbk.size());  // GBK never yields more units than it has bytes
  twoByte_.reserve(gbk.size() / kBlock + 1);
  blockStart_.reserve(gbk.size() / kBlock + 2);

  // Decoded a piece at a time, so that the per-unit offsets ICU reports are
  // only ever held for one piece; each unit's width is known once the next
  // unit's offset is, so the last unit of a piece waits for the next piece.
  constexpr std::size_t kPiece = 1 << 15;
  std::vector<char16_t> piece(kPiece);
  std::vector<std::int32_t> starts(kPiece);
  const char* source = gbk.data();
  const char* const sourceEnd = source + gbk.size();
  std::int32_t pending = -1;  // start of the unit whose width is not known yet
  for (;;) {
    const auto consumedBefore = static_cast<std::int32_t>(source - gbk.data());
    char16_t* target = piece.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, piece.data() + piece.size(), &source, sourceEnd,
                   starts.data(), /*flush=*/true, &status);
    const auto produced = static_cast<std::size_t>(target - piece.data());
    utf16_.append(piece.data(), produced);
    for (std::size_t k = 0; k < produced; ++k) {
      const std::int32_t start = starts[k] + consumedBefore;
      if (pending >= 0) addUnit(pending, start - pending);
      pending = start;
    }
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
  }
  if (pending >= 0) addUnit(pending, size_ - pending);
}

inline void DecodedGbk::addUnit(std::int32_t start, std::int32_t width) {
  if ((width == 1 || width == 2) && offsets_.empty()) [[likely]] {
    const std::size_t within = units_ % kBlock;
    if (within == 0) {
      blockStart_.push_back(start);
      twoByte_.push_back(0);
    }
    twoByte_.back() |= static_cast<std::uint64_t>(width - 1) << within;
    ++units_;
    return;
  }
  // Not one or two bytes: keep an offset per unit from here on.
  if (offsets_.empty()) {
    std::vector<std::int32_t> earlier(units_);
    for (std::size_t unit = 0; unit < units_; ++unit) earlier[unit] = byteOffset(unit);
    offsets_ = std::move(earlier);
  }
  offsets_.push_back(start);
  ++units_;
}

std::int32_t DecodedGbk::byteOffset(std::size_t unit) const {
  if (!offsets_.empty()) return offsets_[unit];
  if (unit >= units_) return size_;
  const std::size_t block = unit / kBlock;
  const std::size_t within = unit % kBlock;
  const std::uint64_t before = within == 0 ? 0 : twoByte_[block] & ((std::uint64_t{1} << within) - 1);
  return blockStart_[block] + static_cast<std::int32_t>(within) +
         static_cast<std::int32_t>(std::popcount(before));
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
