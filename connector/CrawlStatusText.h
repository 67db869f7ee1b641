#pragma once
// What the tray tip says about the crawl: the database it indexes and how
// many documents went to the catalogue so far, or that it is up to date.
#include "notesdata/exports/BRWDataExports.h"

#include <windows.h>

#include <cstddef>
#include <string>

namespace brw {

// The tip's buffer holds 128 characters with its NUL.
inline constexpr size_t kTrayTipLimit = 127;

// "1,200": thousands grouped with commas, as the tip's English text reads.
std::wstring GroupedCount(DWORD count);

// At most kTrayTipLimit characters; a database name that does not fit is
// shortened to its file name, then cut from the left.
std::wstring CrawlTipText(const BRWCrawlStatus& status);

} // namespace brw
