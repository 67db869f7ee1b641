#include "connector/DatabaseInfoSource.h"

#include "connector/LateBinding.h"

namespace brw {

bool DataServiceInfoSource::Query(const std::wstring& path, InfoDetail detail, DatabaseInfo* info)
{
    // The data service is bound at run time, after Notes was loaded from
    // its own folder; without it no database opens.
    const DataServiceCalls* data = DataService();
    if (data == nullptr || info == nullptr) {
        return false;
    }
    wchar_t title[kTitleBufferLength] = {};
    wchar_t modified[kModifiedBufferLength] = {};
    BYTE isMail = 0;
    const bool full = detail == InfoDetail::TitleAndModified;
    if (!data->getDatabaseInfo(path.c_str(), full ? title : nullptr, full ? kTitleBufferLength : 0,
                               full ? modified : nullptr, full ? kModifiedBufferLength : 0, &isMail)) {
        return false;
    }
    info->title = title;
    info->modified = modified;
    info->isMail = isMail != 0;
    return true;
}

} // namespace brw
