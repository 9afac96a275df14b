// Generated playlist documents for the benchmarks: GBK XML in the shape the
// playlist service answers with, Chinese singers and titles, one song element
// per song with its singer, title and address lines in that order.
#pragma once

#include <string>

#include "common/text.h"

// A document listing `songs` songs; the same count always gives the same bytes.
Text generatePlaylist(int songs);
