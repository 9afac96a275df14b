#include "regex_object.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <limits>

#include "common/gbk.h"

namespace {

// The quote marker "#引号" in GBK.
constexpr std::string_view kQuoteMarker = "#\xD2\xFD\xBA\xC5";

using CodePtr = std::unique_ptr<pcre2_code, decltype(&pcre2_code_free)>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)>;
using CompileContextPtr =
    std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)>;
using MatchContextPtr = std::unique_ptr<pcre2_match_context, decltype(&pcre2_match_context_free)>;

MatchContextPtr makeMatchContext(std::uint32_t matchLimit) {
  MatchContextPtr context(pcre2_match_context_create(nullptr), &pcre2_match_context_free);
  if (context) {
    pcre2_set_match_limit(context.get(), matchLimit);
    pcre2_set_heap_limit(context.get(), RegexObject::kHeapLimitKiB);
  }
  return context;
}

bool isLimitError(int rc) {
  return rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT ||
         rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_JIT_STACKLIMIT;
}

PCRE2_SPTR16 codeUnits(std::u16string_view text) {
  return reinterpret_cast<PCRE2_SPTR16>(text.data());
}

// Replaces each "#引号" with a double quote, stepping over GBK characters so
// that a marker is only found where a character starts.
Text replaceQuoteMarkers(const Text& pattern) {
  Text out;
  out.reserve(pattern.size());
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (std::string_view(pattern).substr(i, kQuoteMarker.size()) == kQuoteMarker) {
      out += '"';
      i += kQuoteMarker.size();
      continue;
    }
    const bool twoBytes = static_cast<unsigned char>(pattern[i]) >= 0x80 && i + 1 < pattern.size();
    const std::size_t length = twoBytes ? 2 : 1;
    out.append(pattern, i, length);
    i += length;
  }
  return out;
}

// PCRE2 writes the whole match as "$0"; "$&" is the more familiar spelling.
std::u16string translateReplacement(std::u16string_view replacement) {
  std::u16string out;
  out.reserve(replacement.size());
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const char16_t c = replacement[i];
    if (c == u'$' && i + 1 < replacement.size()) {
      const char16_t next = replacement[++i];
      out += u'$';
      out += next == u'&' ? u'0' : next;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

struct RegexObject::Compiled {
  CodePtr code{nullptr, &pcre2_code_free};
  std::uint32_t captureCount = 0;
  Text pattern;  // as compiled, with its options
  std::uint32_t options = 0;
};

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject&) = default;
RegexObject& RegexObject::operator=(const RegexObject&) = default;
RegexObject::RegexObject(RegexObject&&) noexcept = default;
RegexObject& RegexObject::operator=(RegexObject&&) noexcept = default;

bool RegexObject::create(const Text& pattern, Text text, std::optional<bool> caseSensitive,
                         std::optional<bool> multiline, std::optional<bool> global,
                         std::optional<bool> replaceQuoteMarker) {
  compiled_.reset();
  spans_.clear();
  spansPerMatch_ = 0;
  global_ = global.value_or(true);
  patternText_ = replaceQuoteMarker.value_or(false) ? replaceQuoteMarkers(pattern) : pattern;
  hasPattern_ = true;
  searchedText_ = std::move(text);
  status_ = RegexStatus::kOk;

  // Byte offsets are kept as int32; larger texts are not searched.
  if (searchedText_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return fail(RegexStatus::kSearchFailed);
  }

  std::uint32_t options = PCRE2_UTF;
  if (!caseSensitive.value_or(false)) options |= PCRE2_CASELESS;
  if (multiline.value_or(true)) options |= PCRE2_MULTILINE;
  std::shared_ptr<const Compiled> compiled = compile(options);
  if (!compiled) return fail(RegexStatus::kBadPattern);

  const std::u16string subject = gbkToUtf16(searchedText_);
  if (const RegexStatus found = findMatches(*compiled, subject); found != RegexStatus::kOk) {
    return fail(found);
  }
  toByteOffsets(subject.size());
  compiled_ = std::move(compiled);
  return true;
}

std::shared_ptr<const RegexObject::Compiled> RegexObject::compile(std::uint32_t options) {
  // Compiling, and the JIT above all, costs more than a small search: a
  // pattern run again with the same options reuses what was built for it.
  if (lastCompiled_ && lastCompiled_->pattern == patternText_ && lastCompiled_->options == options) {
    return lastCompiled_;
  }
  CompileContextPtr context(pcre2_compile_context_create(nullptr), &pcre2_compile_context_free);
  if (!context) return nullptr;
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);  // the dot stops only at line feeds

  const std::u16string pattern16 = gbkToUtf16(patternText_);
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  auto compiled = std::make_shared<Compiled>();
  compiled->code.reset(pcre2_compile(codeUnits(pattern16), pattern16.size(), options, &errorCode,
                                     &errorOffset, context.get()));
  if (!compiled->code) return nullptr;
  pcre2_jit_compile(compiled->code.get(), PCRE2_JIT_COMPLETE);  // falls back to the interpreter
  pcre2_pattern_info(compiled->code.get(), PCRE2_INFO_CAPTURECOUNT, &compiled->captureCount);
  compiled->pattern = patternText_;
  compiled->options = options;
  lastCompiled_ = compiled;
  return compiled;
}

// Fills spans_ with every match, as positions in `subject` for now.
RegexStatus RegexObject::findMatches(const Compiled& compiled, std::u16string_view subject) {
  MatchDataPtr matchData(pcre2_match_data_create_from_pattern(compiled.code.get(), nullptr),
                         &pcre2_match_data_free);
  const MatchContextPtr matchContext = makeMatchContext(matchLimit_);
  if (!matchData || !matchContext) return RegexStatus::kSearchFailed;

  spansPerMatch_ = static_cast<std::int32_t>(compiled.captureCount + 1);
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData.get());
  PCRE2_SIZE start = 0;
  std::uint32_t matchOptions = 0;
  while (start <= subject.size()) {
    const int rc = pcre2_match(compiled.code.get(), codeUnits(subject), subject.size(), start,
                               matchOptions | PCRE2_NO_UTF_CHECK, matchData.get(),
                               matchContext.get());
    if (rc == PCRE2_ERROR_NOMATCH) {
      if (matchOptions == 0) break;
      // No non-empty match where the last empty one stood: move on one character.
      matchOptions = 0;
      ++start;
      continue;
    }
    if (rc < 0) return isLimitError(rc) ? RegexStatus::kLimitExceeded : RegexStatus::kSearchFailed;
    for (std::int32_t g = 0; g < spansPerMatch_; ++g) {
      const PCRE2_SIZE begin = ovector[2 * g];
      spans_.push_back(begin == PCRE2_UNSET
                           ? Span{}
                           : Span{static_cast<std::int32_t>(begin),
                                  static_cast<std::int32_t>(ovector[2 * g + 1])});
    }
    if (!global_) break;
    // After an empty match, look for a non-empty one at the same place first,
    // so that matching always moves forward.
    start = ovector[1];
    matchOptions = ovector[0] == ovector[1] ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
  }
  return RegexStatus::kOk;
}

// Turns the UTF-16 positions in spans_ into byte offsets in searchedText_.
void RegexObject::toByteOffsets(std::size_t subjectUnits) {
  GbkCursor cursor(searchedText_);
  if (cursor.unitCount() != subjectUnits) {
    // The walk disagrees with the decoder: take the decoder's own offsets.
    const std::vector<std::int32_t> offsets = gbkUnitOffsets(searchedText_);
    for (Span& s : spans_) {
      if (s.begin >= 0) s = Span{offsets[static_cast<std::size_t>(s.begin)],
                                 offsets[static_cast<std::size_t>(s.end)]};
    }
    return;
  }
  // One forward walk over the text serves every position once they are in
  // order: a match's start, its groups' ends in turn, then its end.
  std::vector<std::int32_t*> positions;
  positions.reserve(spans_.size() * 2);
  const auto perMatch = static_cast<std::size_t>(spansPerMatch_);
  for (std::size_t first = 0; first < spans_.size(); first += perMatch) {
    positions.push_back(&spans_[first].begin);
    for (std::size_t g = 1; g < perMatch; ++g) {
      if (spans_[first + g].begin < 0) continue;
      positions.push_back(&spans_[first + g].begin);
      positions.push_back(&spans_[first + g].end);
    }
    positions.push_back(&spans_[first].end);
  }
  const auto byValue = [](const std::int32_t* a, const std::int32_t* b) { return *a < *b; };
  if (!std::is_sorted(positions.begin(), positions.end(), byValue)) {
    std::stable_sort(positions.begin(), positions.end(), byValue);  // nested groups, lookbehind
  }
  for (std::int32_t* position : positions) {
    *position = cursor.advanceTo(static_cast<std::size_t>(*position));
  }
}

bool RegexObject::fail(RegexStatus status) {
  status_ = status;
  spans_.clear();
  spansPerMatch_ = 0;
  return false;
}

Text RegexObject::patternText() const { return hasPattern_ ? patternText_ : Text(); }

Text RegexObject::replace(const Text& replacement) const {
  if (!compiled_) return Text();
  const std::u16string subject = gbkToUtf16(searchedText_);
  const std::u16string replacement16 = translateReplacement(gbkToUtf16(replacement));

  MatchDataPtr matchData(pcre2_match_data_create_from_pattern(compiled_->code.get(), nullptr),
                         &pcre2_match_data_free);
  const MatchContextPtr matchContext = makeMatchContext(matchLimit_);
  if (!matchData || !matchContext) return Text();
  std::uint32_t options = PCRE2_SUBSTITUTE_OVERFLOW_LENGTH | PCRE2_SUBSTITUTE_UNSET_EMPTY;
  if (global_) options |= PCRE2_SUBSTITUTE_GLOBAL;

  // The first call usually fits; when it does not, PCRE2 reports the length needed.
  std::u16string out(subject.size() + replacement16.size() + 64, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    PCRE2_SIZE length = out.size();
    const int rc = pcre2_substitute(compiled_->code.get(), codeUnits(subject), subject.size(), 0,
                                    options | PCRE2_NO_UTF_CHECK, matchData.get(),
                                    matchContext.get(),
                                    codeUnits(replacement16), replacement16.size(),
                                    reinterpret_cast<PCRE2_UCHAR16*>(out.data()), &length);
    if (rc >= 0) {
      out.resize(length);
      return utf16ToGbk(out);
    }
    if (rc != PCRE2_ERROR_NOMEMORY) return Text();
    out.resize(length);
  }
  return Text();
}

std::int32_t RegexObject::matchCount() const {
  return spansPerMatch_ == 0 ? 0 : static_cast<std::int32_t>(spans_.size()) / spansPerMatch_;
}

const RegexObject::Span* RegexObject::span(std::int32_t matchIndex, std::int32_t group) const {
  if (matchIndex < 1 || matchIndex > matchCount() || group < 0 || group >= spansPerMatch_) {
    return nullptr;
  }
  const Span& found =
      spans_[static_cast<std::size_t>(matchIndex - 1) * static_cast<std::size_t>(spansPerMatch_) +
             static_cast<std::size_t>(group)];
  return found.begin < 0 ? nullptr : &found;
}

Text RegexObject::spanText(const Span* found, std::int32_t* position) const {
  if (position != nullptr) *position = found != nullptr ? found->begin : -1;
  if (found == nullptr) return Text();
  return searchedText_.substr(static_cast<std::size_t>(found->begin),
                              static_cast<std::size_t>(found->end - found->begin));
}

Text RegexObject::matchText(std::int32_t index, std::int32_t* position) const {
  return spanText(span(index, 0), position);
}

Text RegexObject::subMatchText(std::int32_t matchIndex, std::int32_t subIndex,
                               std::int32_t* position) const {
  // Group 0 is the whole match, not a sub-match.
  return spanText(subIndex < 1 ? nullptr : span(matchIndex, subIndex), position);
}

std::int32_t RegexObject::subMatchCount() const {
  return matchCount() == 0 ? 0 : spansPerMatch_ - 1;
}
