#include "notesdata/commands/CmdDatabaseOperation.h"

#include "notesdata/commands/RequestXml.h"
#include "notesdata/notes/NotesText.h"

#include <algorithm>
#include <cwctype>
#include <iterator>

namespace brw {
namespace {

constexpr wchar_t kServerSeparator[] = L"!!";
// Two separators open a UNC or device path: "\\\\server\\share", "\\\\?\\...".
constexpr size_t kUncPrefixLength = std::size(L"\\\\") - 1;
constexpr size_t kDrivePrefixLength = std::size(L"X:") - 1;

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsLocalDriveType(UINT type)
{
    return type == DRIVE_FIXED || type == DRIVE_REMOVABLE || type == DRIVE_CDROM || type == DRIVE_RAMDISK;
}

UINT ReadDriveType(const wchar_t* root)
{
    return GetDriveTypeW(root);
}

} // namespace

std::wstring DatabasePathForNotes(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool NamesAnotherMachine(const std::wstring& path, DriveTypeReader driveType)
{
    if (path.size() >= kUncPrefixLength && std::all_of(path.begin(), path.begin() + kUncPrefixLength, &IsSeparator)) {
        return true;
    }
    if (path.find(kServerSeparator) != std::wstring::npos) {
        return true;
    }
    const size_t colon = path.find(L':');
    if (colon == std::wstring::npos) {
        return false;
    }
    if (colon != kDrivePrefixLength - 1 || !iswalpha(path[0]) || path.find(L':', colon + 1) != std::wstring::npos) {
        return true;
    }
    const std::wstring root = path.substr(0, kDrivePrefixLength) + L"\\";
    return !IsLocalDriveType((driveType != nullptr ? driveType : &ReadDriveType)(root.c_str()));
}

bool CmdDatabaseOperation::ReadAttributes()
{
    serverName_ = ReadTextAttribute(Element(), L"servername", L"Local");
    databasePath_ = ReadTextAttribute(Element(), L"db", L"");
    replicaId_ = ReadTextAttribute(Element(), L"replicaid", L"");
    return !databasePath_.empty() || !replicaId_.empty();
}

bool CmdDatabaseOperation::OpenDatabase(Db& db, const std::wstring& path)
{
    if (NamesAnotherMachine(path)) {
        return false;
    }
    if (db.OpenByWidePath(path.c_str())) {
        return true;
    }
    return !replicaId_.empty() && replicaId_.size() <= kMaxDatabasePathChars && db.OpenByReplicaId(replicaId_);
}

} // namespace brw
