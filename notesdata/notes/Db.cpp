#include "notesdata/notes/Db.h"

#include "common/WideString.h"
#include "notesdata/notes/NotesText.h"

#include <cwchar>

namespace brw {
namespace {

constexpr char kInboxFolder[] = "($Inbox)";
constexpr char kMailFolderFlags[] = "-G40n^";
constexpr char kCalendarProfile[] = "CalendarProfile";
constexpr char kOwnerItem[] = "Owner";
constexpr WORD kStatusTextBytes = 255;
constexpr WORD kReplicaPathBytes = 257;
constexpr WORD kFullPathBytes = 1024;

std::wstring FormatReplicaId(DWORD high, DWORD low)
{
    return FormatText(L"%08X%08X", high, low);
}

bool ParseHexHalf(const wchar_t* text, DWORD* value)
{
    DWORD result = 0;
    for (int i = 0; i < 8; ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) {
            return false;
        }
        result = result << 4 | static_cast<DWORD>(digit);
    }
    *value = result;
    return true;
}

} // namespace

std::optional<std::string> ReadDataDirectory(WORD size)
{
    std::string buffer(size, '\0');
    if (size < 2 || !OSGetEnvironmentString("Directory", buffer.data(), static_cast<WORD>(size - 1))) {
        return std::nullopt;
    }
    buffer.resize(strnlen(buffer.c_str(), size - 1));
    if (buffer.empty()) {
        return std::nullopt;
    }
    return buffer;
}

std::wstring StatusText(STATUS status)
{
    char text[kStatusTextBytes + 1] = {};
    const WORD length = OSLoadString(nullptr, static_cast<STATUS>(status & ERR_MASK), text, kStatusTextBytes);
    return LmbcsToWide(text, strnlen(text, length < kStatusTextBytes ? length : kStatusTextBytes));
}

bool Db::OpenHandle(const std::string& path, HWND owner)
{
    Close();
    DBHANDLE handle = 0;
    const STATUS status = NSFDbOpenExtended(path.c_str(), 0, 0, nullptr, &handle, &dataModified_, &otherModified_);
    if (status != NOERROR_STATUS) {
        if (owner != nullptr) {
            MessageBoxW(owner, StatusText(status).c_str(), L"Error opening database", MB_OK);
        }
        return false;
    }
    handle_.reset(handle);
    return true;
}

bool Db::OpenByPath(const std::string& path, HWND owner)
{
    if (path.empty() || !OpenHandle(path, owner)) {
        return false;
    }
    DBREPLICAINFO info{};
    if (NSFDbReplicaInfoGet(handle_.get(), &info) != NOERROR_STATUS) {
        Close();
        return false;
    }
    replicaId_ = FormatReplicaId(info.ID.Innards[1], info.ID.Innards[0]);
    return true;
}

bool Db::OpenByWidePath(const wchar_t* path, HWND owner)
{
    if (path == nullptr) {
        return false;
    }
    const size_t length = wcsnlen(path, kMaxDatabasePathChars + 1);
    return length > 0 && length <= kMaxDatabasePathChars && OpenByPath(WideToLmbcs(path, length), owner);
}

bool Db::OpenByReplicaId(const std::wstring& replicaId)
{
    DBID id{};
    if (replicaId.size() < 16 || !ParseHexHalf(replicaId.c_str(), &id.Innards[1]) ||
        !ParseHexHalf(replicaId.c_str() + 8, &id.Innards[0])) {
        return false;
    }
    const std::optional<std::string> directory = ReadDataDirectory(256);
    if (!directory) {
        return false;
    }
    DbHandle directoryHandle;
    if (NSFDbOpen(directory->c_str(), directoryHandle.put()) != NOERROR_STATUS) {
        return false;
    }
    char found[kReplicaPathBytes + 1] = {};
    const STATUS status = NSFDbLocateByReplicaID(directoryHandle.get(), &id, found, kReplicaPathBytes);
    directoryHandle.reset();
    if (status != NOERROR_STATUS || !OpenHandle(std::string(found, strnlen(found, kReplicaPathBytes)), nullptr)) {
        return false;
    }
    replicaId_ = FormatReplicaId(id.Innards[1], id.Innards[0]);
    return true;
}

void Db::Close()
{
    handle_.reset();
    fullPath_.clear();
    fullPathRead_ = false;
}

bool Db::HasInboxFolder() const
{
    NOTEID id = 0;
    STATUS status = NIFFindDesignNoteExt(handle_.get(), kInboxFolder, NOTE_CLASS_VIEW, kMailFolderFlags, &id, 0);
    if (ERR(status) == ERR_NOT_FOUND) {
        status = NIFFindPrivateDesignNote(handle_.get(), kInboxFolder, NOTE_CLASS_VIEW, &id);
    }
    return status == NOERROR_STATUS;
}

bool Db::HasCalendarOwner() const
{
    NoteHandle profile;
    if (NSFProfileOpen(handle_.get(), kCalendarProfile, sizeof(kCalendarProfile) - 1, nullptr, 0, TRUE,
                       profile.put()) != NOERROR_STATUS) {
        return false;
    }
    BLOCKID item{};
    WORD type = 0;
    BLOCKID value{};
    DWORD length = 0;
    return NSFItemInfo(profile.get(), kOwnerItem, sizeof(kOwnerItem) - 1, &item, &type, &value, &length) ==
           NOERROR_STATUS;
}

bool Db::CheckMail()
{
    kind_ = DbKind::CalendarOwner;
    if (!IsOpen()) {
        kind_ = DbKind::Other;
        return false;
    }
    if (HasInboxFolder()) {
        kind_ = DbKind::Mail;
        return true;
    }
    if (HasCalendarOwner()) {
        return true;
    }
    kind_ = DbKind::Other;
    return false;
}

const std::wstring& Db::FullPath()
{
    if (!fullPathRead_ && IsOpen()) {
        char path[kFullPathBytes + 1] = {};
        if (NSFDbPathGet(handle_.get(), nullptr, path) == NOERROR_STATUS) {
            fullPath_ = LmbcsToWide(path, strnlen(path, kFullPathBytes));
        }
        fullPathRead_ = true;
    }
    return fullPath_;
}

bool DbDirectory::Open()
{
    const std::optional<std::string> directory = ReadDataDirectory(256);
    return directory && Open(*directory);
}

bool DbDirectory::Open(const std::string& dataDirectory)
{
    return OpenHandle(dataDirectory, nullptr);
}

} // namespace brw
