#include "notesdata/CmdDatabaseOperation.h"

#include <algorithm>

#include "notesdata/NotesText.h"
#include "notesdata/RequestXml.h"

namespace brw {
namespace {

// Longer paths name no database Notes can open; they come from the pipe.
constexpr size_t kMaxPathChars = 1024;

}  // namespace

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
    if (!path.empty() && path.size() <= kMaxPathChars && db.OpenByPath(WideToLmbcs(path))) {
        return true;
    }
    return !replicaId_.empty() && replicaId_.size() <= kMaxPathChars && db.OpenByReplicaId(replicaId_);
}

}  // namespace brw
