// The text helpers over arbitrary bytes: GBK conversion both ways, trimming
// and the cut at the first zero byte.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "common/gbk.h"
#include "common/text.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// The GBK characters of a text as (offset, length): a byte of 0x80 or above
// starts a two-byte character unless it is the last byte.
std::vector<std::pair<std::size_t, std::size_t>> characters(std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length =
        static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
    out.emplace_back(i, length);
    i += length;
  }
  return out;
}

bool isBlank(std::string_view character) {
  return character == " " || character == "\xA1\xA1";
}

// After trimming, the text starts with no blank character, and ends with none
// unless a dangling lead byte was dropped (the blanks before it then stay).
void checkTrim(std::string_view input) {
  const Text trimmed = trimBlanks(input);
  check(trimmed.size() <= input.size());
  check(input.find(trimmed) != std::string_view::npos);
  if (trimmed.empty()) return;
  const auto chars = characters(trimmed);
  const auto text = std::string_view(trimmed);
  check(!isBlank(text.substr(chars.front().first, chars.front().second)));
  const auto inputChars = characters(input);
  const bool danglingLeadByte = inputChars.back().second == 1 &&
                                static_cast<unsigned char>(input.back()) >= 0x80;
  if (!danglingLeadByte) {
    check(!isBlank(text.substr(chars.back().first, chars.back().second)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const Bytes raw(data, data + size);
  const Text text = bytesToText(raw);
  check(text.size() <= size);
  check(text.find('\0') == Text::npos);
  check(bytes.substr(0, text.size()) == text);

  const std::u16string utf16 = gbkToUtf16(bytes);
  const std::vector<std::int32_t> offsets = gbkUnitOffsets(bytes);
  check(offsets.size() == utf16.size() + 1);
  check(offsets.back() == static_cast<std::int32_t>(size));
  // The cursor's walk splits the text exactly as the decoder does.
  GbkCursor cursor(bytes);
  check(cursor.unitCount() == utf16.size());
  for (std::size_t unit = 0; unit < offsets.size(); ++unit) {
    check(cursor.advanceTo(unit) == offsets[unit]);
    if (unit > 0) check(offsets[unit - 1] < offsets[unit]);
  }

  // Whatever GBK can hold comes back unchanged from a second round trip.
  const Text encoded = utf16ToGbk(utf16);
  check(utf16ToGbk(gbkToUtf16(encoded)) == encoded);
  std::u16string fromBytes(size / 2, u'\0');
  std::memcpy(fromBytes.data(), data, fromBytes.size() * sizeof(char16_t));
  const Text encodedAny = utf16ToGbk(fromBytes);
  check(encodedAny.size() <= fromBytes.size() * 2);

  checkTrim(bytes);
  return 0;
}
