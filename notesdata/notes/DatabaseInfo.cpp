#include "notesdata/notes/DatabaseInfo.h"

#include "common/WideString.h"
#include "notesdata/notes/Db.h"
#include "notesdata/notes/NotesText.h"
#include "notesdata/notes/NotesTime.h"

#include <cwchar>
#include <optional>
#include <string>

namespace brw {
namespace {

constexpr WORD kModifiedTextBytes = 100;
constexpr WORD kTitleBytes = NSF_INFO_SIZE - 1; // 127

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

} // namespace

bool ReadDatabaseInfo(const wchar_t* path, wchar_t* title, int titleLength, wchar_t* modified, int modifiedLength,
                      BYTE* isMail)
{
    Db db;
    if (!db.OpenByWidePath(path)) {
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

} // namespace brw
