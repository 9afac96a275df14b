// RegexObject: runs one regular expression over one GBK text and answers
// questions about the matches.
//
// The pattern and the text are decoded from GBK to UTF-16 and matched with
// PCRE2 (JIT where the CPU allows), character by character, never byte by
// byte. `create` finds every match at once and keeps their byte ranges in the
// searched text; every query afterwards only reads what was kept, and every
// text it returns is the exact bytes of the searched text that it covers.
//
// Defaults of `create`, when an option is left out:
//   caseSensitive      false  letters match in either case
//   multiline          true   ^ and $ also match at line feeds
//   global             true   every match, left to right, without overlap
//   replaceQuoteMarker false  "#引号" in the pattern stays as it is
// A dot matches any character but the line feed, and \s matches one of
// space, tab, line feed, vertical tab, form feed and carriage return.
//
// Indexes are 1-based. Nothing throws and nothing is logged: failures give an
// empty text, 0 or false, and `status` tells why the last `create` failed.
//
// Limits: one search may take at most kMatchLimit steps of the engine (see
// setMatchLimit) and kHeapLimitKiB of memory for backtracking, so that no text, however hostile,
// keeps the caller busy for long; a search that trips a limit fails the whole
// `create` (no partial results).
//
// Threads: the object has no lock. From one `create` to the last query on its
// results, calls must come from one thread at a time. Copies share the
// compiled pattern (which is immutable) and hold their own results, so a copy
// may be used on another thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "common/text.h"

enum class RegexStatus {
  kOk,             // the last create ran (or there was none yet)
  kBadPattern,     // the pattern did not compile
  kLimitExceeded,  // a search tripped the step or memory limit
  kSearchFailed,   // no memory, or a text too long for 32-bit byte offsets
};

class RegexObject {
 public:
  static constexpr std::uint32_t kMatchLimit = 10'000'000;
  static constexpr std::uint32_t kHeapLimitKiB = 128 * 1024;

  RegexObject();
  ~RegexObject();
  RegexObject(const RegexObject&);
  RegexObject& operator=(const RegexObject&);
  RegexObject(RegexObject&&) noexcept;
  RegexObject& operator=(RegexObject&&) noexcept;

  // Compiles `pattern` and finds its matches in `text`, replacing whatever an
  // earlier call left. Returns true when the pattern ran over the text, also
  // when nothing matched; false when it does not compile or could not run.
  // `text` is kept as the searched text in every case (pass it by move to
  // spare a copy of a large text).
  bool create(const Text& pattern, Text text,
              std::optional<bool> caseSensitive = std::nullopt,
              std::optional<bool> multiline = std::nullopt,
              std::optional<bool> global = std::nullopt,
              std::optional<bool> replaceQuoteMarker = std::nullopt);

  // The pattern in force (with quote markers replaced when that was asked
  // for), also when it did not compile; "" before the first `create`.
  Text patternText() const;

  // The searched text with the matches of the pattern in force replaced by
  // `replacement` (all of them when global is on, else the first). "$1" ..
  // "$99" stand for a group, "$0" and "$&" for the whole match, "$$" for "$".
  // "" when there is no compiled pattern or the replacement is malformed.
  Text replace(const Text& replacement) const;

  // Number of matches of the last `create`; 0 when it failed.
  std::int32_t matchCount() const;

  // The whole text of match `index`, "" when there is no such match. When
  // `position` is given it receives the 0-based byte offset of that text in
  // the searched text, or -1 when there is no such match.
  Text matchText(std::int32_t index, std::int32_t* position = nullptr) const;

  // The text that group `subIndex` took in match `matchIndex`; "" when there
  // is no such match or group, or when the group took no part in the match.
  // `position`, when given, receives the group's own 0-based byte offset in
  // the searched text, or -1 in those cases.
  Text subMatchText(std::int32_t matchIndex, std::int32_t subIndex,
                    std::int32_t* position = nullptr) const;

  // Number of capture groups in the pattern; 0 when nothing matched.
  std::int32_t subMatchCount() const;

  // Steps one search may take from the next `create` on; kMatchLimit unless set.
  void setMatchLimit(std::uint32_t steps) { matchLimit_ = steps; }

  // Why the last `create` returned false; kOk when it returned true.
  RegexStatus status() const { return status_; }

 private:
  struct Compiled;

  // Byte range of one match or group in searchedText_; begin is -1 when the
  // group took no part.
  struct Span {
    std::int32_t begin = -1;
    std::int32_t end = -1;
  };

  std::shared_ptr<const Compiled> compile(std::uint32_t options);
  RegexStatus findMatches(const Compiled& compiled, std::u16string_view subject);
  void toByteOffsets(std::size_t subjectUnits);
  bool fail(RegexStatus status);
  const Span* span(std::int32_t matchIndex, std::int32_t group) const;
  Text spanText(const Span* found, std::int32_t* position) const;

  std::shared_ptr<const Compiled> compiled_;      // null before `create` and when it failed
  std::shared_ptr<const Compiled> lastCompiled_;  // the last pattern built, kept for reuse
  Text patternText_;
  bool hasPattern_ = false;
  bool global_ = true;
  RegexStatus status_ = RegexStatus::kOk;
  std::uint32_t matchLimit_ = kMatchLimit;
  Text searchedText_;
  std::int32_t spansPerMatch_ = 0;  // the whole match plus each group
  std::vector<Span> spans_;         // spansPerMatch_ entries per match
};
