// Text and Bytes: the two kinds of string the program passes around.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A string of bytes in the GBK code page (code page 936). The empty string
// stands for "no text" as well: the program never tells the two apart.
using Text = std::string;

// Raw bytes as received from the network; empty means nothing was received.
using Bytes = std::vector<std::uint8_t>;

// The bytes before the first zero byte (all of them when there is none),
// taken as a Text without any character-set conversion.
Text bytesToText(const Bytes& bytes);

// Removes ASCII spaces and full-width spaces (GBK A1 A1) from both ends.
// The text is walked by GBK characters (a byte of 0x80 or above starts a
// two-byte character), so the trail byte of another character is never taken
// for half a full-width space. A dangling lead byte at the very end is dropped,
// and the blanks before it are then kept. Tabs and line breaks are kept.
Text trimBlanks(std::string_view text);
