// A database to DXL through MSXML: documents, design notes and profiles with
// all their items. Rich text and the value types DXL has no element for go
// out as rawitemdata, so an import gives back the same bytes.
#pragma once
#include "platform/notes/NsfFile.h"

#include <string>

namespace dxl {

bool Export(const nsf::DbData& data, const std::wstring& dxlPath, std::wstring* error);

} // namespace dxl
