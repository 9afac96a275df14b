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

// As above, and fills byteOffsets with one entry per UTF-16 unit of the
// result (the offset in `gbk` of the byte sequence it came from) plus one
// final entry equal to gbk.size(), so that a range [a, b) of UTF-16 units
// covers the bytes [byteOffsets[a], byteOffsets[b]).
std::u16string gbkToUtf16(std::string_view gbk, std::vector<std::int32_t>& byteOffsets);

// Encodes to GBK. Characters GBK cannot hold become its substitution byte.
Text utf16ToGbk(std::u16string_view utf16);

// Encodes UTF-8 (the encoding of this program's source files) to GBK.
Text utf8ToGbk(std::string_view utf8);

// Decodes GBK to UTF-8, for messages and test output.
std::string gbkToUtf8(std::string_view gbk);
