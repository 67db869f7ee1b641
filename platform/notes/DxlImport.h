// DXL (Domino XML) to a database, through MSXML: a whole database or a single
// note as the root, any encoding the XML declaration names. Unknown elements
// are skipped.
#pragma once
#include "platform/notes/NsfFile.h"

#include <string>

namespace dxl {

// Reads the DXL file into data (notes are added to what it holds). On
// failure error says why.
bool Import(const std::wstring& dxlPath, nsf::DbData& data, std::wstring* error);

} // namespace dxl
