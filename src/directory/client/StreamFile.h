#pragma once

#include <string_view>

// What NWDSOpenStream hands out: a file descriptor open for reading on a copy of a
// stream's content, at its start (an anonymous file in memory, closed on exec); -1 when
// none can be made.
int OpenStreamFile(std::string_view content);
