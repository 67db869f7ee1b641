#pragma once
// A command on one database, named by its path (`db`) or its replica id.
#include <string>

#include "notesdata/CmdBase.h"
#include "notesdata/Db.h"

namespace brw {

class CmdDatabaseOperation : public CmdBase {
public:
    using CmdBase::CmdBase;

    // servername, db, replicaid; true when db or replicaid is present.
    bool ReadAttributes() override;

protected:
    // By `path` when it is not empty, else (or when that fails) by replica
    // id. The caller passes the db text after any rewriting of its own.
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

}  // namespace brw
