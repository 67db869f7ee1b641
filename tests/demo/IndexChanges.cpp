#include "tests/demo/IndexChanges.h"

#include "platform/winsearch/core/StateFolder.h"

namespace brwdemo {
namespace {

// What the catalogue's writer does to the folder: files replaced, written.
constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

} // namespace

ChangeNotification WatchIndexChanges()
{
    return ChangeNotification(FindFirstChangeNotificationW(brw::winsearch::StateFolder().c_str(), TRUE, kChanges));
}

} // namespace brwdemo
