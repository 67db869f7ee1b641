#pragma once
// One connector per logon session: the first holds the session's named
// mutex; a later one sees that the name existed and ends at once.
#include "common/Handles.h"

#include <windows.h>

namespace brw {

inline constexpr wchar_t kConnectorInstanceMutex[] = L"Local\\{2EFEB679-25C1-43d3-9CA8-E864CFB89695}";

class SingleInstance {
public:
    explicit SingleInstance(const wchar_t* name = kConnectorInstanceMutex) noexcept
        : mutex_(CreateMutexW(nullptr, FALSE, name)), creationError_(GetLastError())
    {
    }

    bool IsFirst() const noexcept { return creationError_ != ERROR_ALREADY_EXISTS; }

private:
    KernelHandle mutex_;
    DWORD creationError_;
};

} // namespace brw
