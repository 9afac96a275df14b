// Conversion between GBK Text and UTF-16, the form Qt and the regular
// expression engine work in. Each thread keeps its own ICU converter, so
// these functions may be called from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

struct UConverter;

// Decodes GBK. Invalid byte sequences decode to U+FFFD; nothing fails.
std::u16string gbkToUtf16(std::string_view gbk);

// The UTF-16 decoding of a GBK text, with a map from UTF-16 positions back to
// byte offsets in the text, so that a range [a, b) of UTF-16 units covers the
// bytes [byteOffset(a), byteOffset(b)). As a GBK character is one or two
// bytes, the map keeps one bit per unit (and an offset every 64 units)
// rather than an offset per unit. Texts must be shorter than 2 GiB.
class DecodedGbk {
 public:
  explicit DecodedGbk(std::string_view gbk);

  std::u16string_view utf16() const { return utf16_; }

  // Byte offset of UTF-16 position `unit`, 0 <= unit <= utf16().size().
  std::int32_t byteOffset(std::size_t unit) const;

 private:
  static constexpr std::size_t kBlock = 64;

  void decodeAll(UConverter* converter, std::string_view gbk);
  void addUnit(std::int32_t start, std::int32_t width);

  std::u16string utf16_;
  std::int32_t size_ = 0;
  std::size_t units_ = 0;                // units whose width is recorded
  std::vector<std::uint64_t> twoByte_;   // bit per unit: it came from two bytes
  std::vector<std::int32_t> blockStart_; // byte offset of every kBlock-th unit
  std::vector<std::int32_t> offsets_;    // offset per unit, used only if a unit was neither width
};

// Encodes to GBK. Characters GBK cannot hold become its substitution byte.
Text utf16ToGbk(std::u16string_view utf16);

// Encodes UTF-8 (the encoding of this program's source files) to GBK.
Text utf8ToGbk(std::string_view utf8);

// Decodes GBK to UTF-8, for messages and test output.
std::string gbkToUtf8(std::string_view gbk);
