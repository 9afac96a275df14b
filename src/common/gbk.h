// Conversion between GBK Text and UTF-16, the form Qt and the regular
// expression engine work in. Each thread keeps its own ICU converter, so
// these functions may be called from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

// Decodes GBK. Invalid byte sequences decode to U+FFFD; nothing fails.
std::u16string gbkToUtf16(std::string_view gbk);

// Where each UTF-16 unit of a GBK text's decoding starts in the text: one
// offset per unit and a final one equal to gbk.size(), as ICU reports them.
// Exact for any bytes, but four bytes of memory per unit.
std::vector<std::int32_t> gbkUnitOffsets(std::string_view gbk);

// Walks a GBK text unit by unit without decoding it, by the structure of GBK:
// a byte from 0x81 to 0xFE followed by a trail byte (0x40-0x7E, 0x80-0xFE)
// decodes to one unit, every other byte to one unit of its own. That is how
// the decoder splits any text, valid or not; unitCount() lets a caller check
// the walk against an actual decoding before relying on it.
class GbkCursor {
 public:
  explicit GbkCursor(std::string_view gbk) : gbk_(gbk) {}

  // Units in the whole text by this walk.
  std::size_t unitCount() const;

  // Moves forward to UTF-16 position `unit` (not behind the current one) and
  // returns its byte offset; a position past the end gives gbk.size().
  std::int32_t advanceTo(std::size_t unit);

 private:
  std::size_t widthAt(std::size_t byte) const;

  std::string_view gbk_;
  std::size_t unit_ = 0;
  std::size_t byte_ = 0;
};

// Encodes to GBK. Characters GBK cannot hold become its substitution byte.
Text utf16ToGbk(std::u16string_view utf16);

// Encodes UTF-8 (the encoding of this program's source files) to GBK.
Text utf8ToGbk(std::string_view utf8);

// Decodes GBK to UTF-8, for messages and test output.
std::string gbkToUtf8(std::string_view gbk);
