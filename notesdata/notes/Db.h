#pragma once
// An open Notes database: its handle, replica id, modification times, full
// path and whether it is a mail file. DbDirectory is the data directory,
// opened as a database to search its entries.
#include "notesdata/notes/NotesHandles.h"

#include <notesapi.h>

#include <optional>
#include <string>

namespace brw {

enum class DbKind : WORD { CalendarOwner = 0, Mail = 1, Other = 2 };

// Longer paths, from requests or the connector, name nothing Notes opens.
inline constexpr size_t kMaxDatabasePathChars = 1024;

// The client's data directory (Notes text), at most size - 1 bytes; nothing
// when it is not configured.
std::optional<std::string> ReadDataDirectory(WORD size);

class Db {
public:
    Db() = default;
    virtual ~Db() = default;
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    // Notes-text path, relative to the data directory or full. With an owner
    // window a failure is shown in an "Error opening database" box.
    bool OpenByPath(const std::string& path, HWND owner = nullptr);
    // A UTF-16 path from outside the service: NUL-terminated, at most
    // kMaxDatabasePathChars; null, empty or longer opens nothing.
    bool OpenByWidePath(const wchar_t* path, HWND owner = nullptr);
    // 16 hex digits, high half first; shorter or other text never matches.
    bool OpenByReplicaId(const std::wstring& replicaId);
    void Close();

    // Sets Kind(); true for mail files and calendar owners' databases.
    bool CheckMail();

    bool IsOpen() const { return static_cast<bool>(handle_); }
    DBHANDLE Handle() const { return handle_.get(); }
    DbKind Kind() const { return kind_; }
    const std::wstring& ReplicaId() const { return replicaId_; }
    const TIMEDATE& DataModified() const { return dataModified_; }
    const TIMEDATE& OtherModified() const { return otherModified_; }
    // The full path as Notes gives it (UTF-16), read at the first request;
    // empty when it cannot be read.
    const std::wstring& FullPath();

protected:
    // Opens without reading the replica id (the data directory has none).
    bool OpenHandle(const std::string& path, HWND owner);

private:
    bool HasInboxFolder() const;
    bool HasCalendarOwner() const;

    DbHandle handle_;
    DbKind kind_ = DbKind::Other;
    std::wstring replicaId_;
    TIMEDATE dataModified_{};
    TIMEDATE otherModified_{};
    std::wstring fullPath_;
    bool fullPathRead_ = false;
};

class DbDirectory : public Db {
public:
    // Reads the data directory (at most 255 bytes) and opens it.
    bool Open();
    // Opens the data directory a caller has read already.
    bool Open(const std::string& dataDirectory);
};

// The text of a Notes status, for a message box or the log.
std::wstring StatusText(STATUS status);

} // namespace brw
