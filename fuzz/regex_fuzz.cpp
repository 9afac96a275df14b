// RegexObject with pattern, text and options from the input. Every query
// afterwards must hold up, and every text it returns must be the bytes of
// the searched text at the position it reports.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "regex/regex_object.h"

namespace {

// Two bits an option: left out, false or true.
std::optional<bool> optionFrom(std::uint8_t flags, int slot) {
  switch ((flags >> (2 * slot)) & 3) {
    case 0:
      return std::nullopt;
    case 1:
      return false;
    default:
      return true;
  }
}

void check(bool condition) {
  if (!condition) std::abort();
}

void checkText(const Text& searched, const Text& found, std::int32_t position) {
  if (position < 0) {
    check(found.empty());
    return;
  }
  check(static_cast<std::size_t>(position) + found.size() <= searched.size());
  check(searched.compare(static_cast<std::size_t>(position), found.size(), found) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t flags = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  // The pattern ends at the first zero byte; the text is what follows, cut at
  // its own first zero byte as the program's texts are.
  const std::size_t split = rest.find('\0');
  const Text pattern(rest.substr(0, split));
  const Text text = split == std::string_view::npos
                        ? Text()
                        : Text(rest.substr(split + 1).substr(0, rest.substr(split + 1).find('\0')));

  RegexObject regex;
  const bool ran = regex.create(pattern, text, optionFrom(flags, 0), optionFrom(flags, 1),
                                optionFrom(flags, 2), optionFrom(flags, 3));
  const std::int32_t count = regex.matchCount();
  check(count >= 0);
  check(ran || count == 0);
  const std::int32_t groups = regex.subMatchCount();
  check(groups >= 0);

  const std::int32_t checked = count < 200 ? count : 200;
  for (std::int32_t m = -1; m <= checked + 1; ++m) {
    std::int32_t position = 0;
    checkText(text, regex.matchText(m, &position), position);
    check(m >= 1 && m <= count ? position >= 0 : position == -1);
    for (std::int32_t g = 0; g <= groups + 1; ++g) {
      checkText(text, regex.subMatchText(m, g, &position), position);
    }
  }
  (void)regex.patternText();
  (void)regex.replace("<$1|$&|$$>");
  return 0;
}
