#include "common/text.h"

#include <algorithm>

namespace {

constexpr unsigned char kSpace = 0x20;
constexpr unsigned char kFullWidthSpaceByte = 0xA1;  // U+3000 is A1 A1 in GBK

bool isLeadByte(unsigned char byte) { return byte >= 0x80; }

}  // namespace

Text bytesToText(const Bytes& bytes) {
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return Text(bytes.begin(), end);
}

Text trimBlanks(std::string_view text) {
  const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const std::size_t size = text.size();
  const auto fullWidthSpaceAt = [&](std::size_t i) {
    return byteAt(i) == kFullWidthSpaceByte && i + 1 < size && byteAt(i + 1) == kFullWidthSpaceByte;
  };

  std::size_t i = 0;
  while (i < size) {
    if (byteAt(i) == kSpace) {
      ++i;
    } else if (fullWidthSpaceAt(i)) {
      i += 2;
    } else {
      break;
    }
  }

  const std::size_t begin = i;
  std::size_t end = i;  // one past the last character that is not a blank
  while (i < size) {
    const unsigned char byte = byteAt(i);
    if (!isLeadByte(byte)) {
      ++i;
      if (byte != kSpace) end = i;
    } else if (i + 1 == size) {
      // A lead byte without its trail byte: drop it, keep what stands before.
      return Text(text.substr(begin, i - begin));
    } else {
      const bool blank = fullWidthSpaceAt(i);
      i += 2;
      if (!blank) end = i;
    }
  }
  return Text(text.substr(begin, end - begin));
}
