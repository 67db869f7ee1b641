#include "notesdata/DatabaseInfo.h"

#include <cwchar>
#include <optional>
#include <string>

#include "common/WideString.h"
#include "notesdata/Db.h"
#include "notesdata/NotesText.h"
#include "notesdata/NotesTime.h"

namespace brw {
namespace {

// Paths come from the connector's list, whose names are far shorter; a
// longer text names nothing Notes can open.
constexpr size_t kMaxPathChars = 1024;
constexpr WORD kModifiedTextBytes = 100;
constexpr WORD kTitleBytes = NSF_INFO_SIZE - 1;  // 127

std::wstring ModifiedText(const Db& db)
{
    const std::optional<std::string> text = DefaultTimeText(db.DataModified(), kModifiedTextBytes);
    return text ? LmbcsToWide(*text) : std::wstring();
}

std::wstring TitleText(const Db& db)
{
    char info[NSF_INFO_SIZE + 1] = {};
    if (NSFDbInfoGet(db.Handle(), info) != NOERROR_STATUS) {
        return std::wstring();
    }
    info[NSF_INFO_SIZE] = '\0';
    char title[kTitleBytes + 1] = {};
    NSFDbInfoParse(info, INFOPARSE_TITLE, title, kTitleBytes);
    return LmbcsToWide(title, strnlen(title, kTitleBytes));
}

bool OpenDatabase(const wchar_t* path, Db& db)
{
    if (path == nullptr) {
        return false;
    }
    const size_t length = wcsnlen(path, kMaxPathChars + 1);
    return length > 0 && length <= kMaxPathChars && db.OpenByPath(WideToLmbcs(path, length));
}

}  // namespace

bool ReadDatabaseInfo(const wchar_t* path, wchar_t* title, int titleLength, wchar_t* modified, int modifiedLength,
                      BYTE* isMail)
{
    Db db;
    if (!OpenDatabase(path, db)) {
        return false;
    }
    if (modified != nullptr) {
        CopyBounded(modified, modifiedLength, ModifiedText(db).c_str());
    }
    if (title != nullptr) {
        // A title that cannot be read shows as none.
        CopyBounded(title, titleLength, TitleText(db).c_str());
    }
    if (isMail != nullptr) {
        *isMail = db.CheckMail() ? TRUE : FALSE;
    }
    return true;
}

}  // namespace brw
