// The query command's command line.
#pragma once

#include "platform/winsearch/core/Catalogue.h"

#include <string>

namespace brw::winsearch {

struct QueryOptions {
    QueryRequest request;
    bool json = false;
};

// BRWSearchQuery [--json] [--kind K] [--author A] [--type T] [--from DATE]
// [--to DATE] [--max N] word...   Dates are YYYY-MM-DD (UTC); --to takes
// the whole day. False, with a reason, for anything else.
bool ParseQueryOptions(int argc, wchar_t** argv, QueryOptions* options, std::wstring* error);

// "YYYY-MM-DD" as the FILETIME count of its first (or, with endOfDay, last)
// 100-ns interval.
bool ParseDate(const std::wstring& text, bool endOfDay, std::uint64_t* count);

} // namespace brw::winsearch
