#pragma once
// The one-time search of a fixed disk for the user's mail databases, for a
// user whose Notes data lies elsewhere than the installation says. It must
// end on any disk: junctions that loop back are not followed, a removable
// or missing drive is not touched (no "insert a disk" box), and paths are
// bounded by the buffers they end up in.
#include "connector/DatabaseInfoSource.h"

#include <windows.h>

#include <string>
#include <vector>

namespace brw::discovery {

inline constexpr wchar_t kScanRoot[] = L"D:\\";

// The mail databases below root, in the order found: files named "*.nsf"
// (more than the extension) whose full path fits a database list entry and
// that the source opens as mail. Hidden entries and reparse points are
// skipped. Nothing when root is not on a fixed disk.
std::vector<std::wstring> FindMailDatabases(const std::wstring& root, DatabaseInfoSource& source);

// Adds each path to the database list with empty data (not indexed yet);
// a path already listed keeps its data. Returns how many were added.
size_t AddToDatabaseList(const std::vector<std::wstring>& paths);

} // namespace brw::discovery
