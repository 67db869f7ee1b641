#include "connector/DatabaseInfoSource.h"

#include "notesdata/exports/BRWDataExports.h"

namespace brw {

bool DataServiceInfoSource::Query(const std::wstring& path, InfoDetail detail, DatabaseInfo* info)
{
    wchar_t title[kTitleBufferLength] = {};
    wchar_t modified[kModifiedBufferLength] = {};
    BYTE isMail = 0;
    const bool full = detail == InfoDetail::TitleAndModified;
    if (!GetDatabaseInfo(path.c_str(), full ? title : nullptr, full ? kTitleBufferLength : 0, full ? modified : nullptr,
                         full ? kModifiedBufferLength : 0, &isMail)) {
        return false;
    }
    info->title = title;
    info->modified = modified;
    info->isMail = isMail != 0;
    return true;
}

} // namespace brw
