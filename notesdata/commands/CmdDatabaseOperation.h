#pragma once
// A command on one database, named by its path (`db`) or its replica id.
#include "notesdata/commands/CmdBase.h"
#include "notesdata/notes/Db.h"

#include <string>

namespace brw {

class CmdDatabaseOperation : public CmdBase {
public:
    using CmdBase::CmdBase;

    // servername, db, replicaid; true when db or replicaid is present.
    bool ReadAttributes() override;

protected:
    // By `path` when it is not empty, else (or when that fails) by replica
    // id. The caller passes the db text after any rewriting of its own. A
    // path naming another machine fails the open at once.
    bool OpenDatabase(Db& db, const std::wstring& path);

    const std::wstring& ServerName() const { return serverName_; }
    const std::wstring& DatabasePath() const { return databasePath_; }
    const std::wstring& ReplicaIdText() const { return replicaId_; }

private:
    std::wstring serverName_;
    std::wstring databasePath_;
    std::wstring replicaId_;
};

// A request's database path as Notes opens it: item URLs carry "/".
std::wstring DatabasePathForNotes(std::wstring path);

// The type of the drive whose root is given ("X:\\"), as GetDriveTypeW.
using DriveTypeReader = UINT (*)(const wchar_t* root);

// Whether a request's database path would make Notes reach another
// machine: a UNC or device path ("\\\\server\\..." or "//server/..."), the
// "server!!path" form, any other ":" than a drive's, or a drive that is
// not a local disk. A brw: link on a web page becomes such a request, so
// these are refused rather than opened.
bool NamesAnotherMachine(const std::wstring& path, DriveTypeReader driveType = nullptr);

} // namespace brw
