#include "common/Handles.h"

namespace brw {

bool IsPredefinedRegistryKey(HKEY key) noexcept
{
    static const HKEY kRoots[] = {
        HKEY_CLASSES_ROOT,
        HKEY_CURRENT_USER,
        HKEY_LOCAL_MACHINE,
        HKEY_USERS,
        HKEY_PERFORMANCE_DATA,
        HKEY_PERFORMANCE_TEXT,
        HKEY_PERFORMANCE_NLSTEXT,
        HKEY_CURRENT_CONFIG,
        HKEY_DYN_DATA,
        HKEY_CURRENT_USER_LOCAL_SETTINGS,
    };
    for (HKEY root : kRoots) {
        if (key == root) {
            return true;
        }
    }
    return false;
}

} // namespace brw
