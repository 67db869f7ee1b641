// The database part of a brw URL, made by one rule wherever a URL is built:
// the crawl's change notifications (32-bit) and the filters' pull
// enumeration (64-bit). Both must give the same text for the same database,
// or the index holds its documents twice and a deletion removes one copy.
#pragma once
#include <string>

namespace brw {

// A database path in its one form: "\" separators, "." and ".." and empty
// segments resolved, relative to the data directory when it lies under it
// (a relative path is taken as one under it), else absolute; the letter case
// as given. A trailing separator stays. dataDirectory may be empty.
std::wstring NormalizeDatabasePath(const std::wstring& path, const std::wstring& dataDirectory);

// NormalizeDatabasePath, then lower case and "/" separators: the text
// between the identity and the note id of a brw URL. Applied to its own
// result it changes nothing, so a path that already went through it (a
// database list entry, a URL's path) may go through it again.
std::wstring BrwUrlDatabasePart(const std::wstring& path, const std::wstring& dataDirectory);

} // namespace brw
