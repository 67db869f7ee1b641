#include "notesdata/CmdDatabaseOperation.h"

#include <algorithm>

#include "notesdata/NotesText.h"
#include "notesdata/RequestXml.h"

namespace brw {

std::wstring DatabasePathForNotes(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
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
    if (db.OpenByWidePath(path.c_str())) {
        return true;
    }
    return !replicaId_.empty() && replicaId_.size() <= kMaxDatabasePathChars && db.OpenByReplicaId(replicaId_);
}

}  // namespace brw
