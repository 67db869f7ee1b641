// Databases and the data directory: open, close, information, directory
// searches with summary buffers, modified-note tables and id tables, design
// notes and profile documents.
#include "platform/notes/Lmbcs.h"
#include "platform/notes/NoteAccess.h"
#include "platform/notes/Runtime.h"
#include "platform/notes/TimeDate.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using runtime::DatabaseObject;
using runtime::Kind;

namespace {

constexpr char kDirectoryType[] = "$NOTEFILE";

DatabaseObject* FindDb(DBHANDLE h)
{
    return runtime::FindAs<DatabaseObject>(h, Kind::Database);
}

void CopyLmbcs(const std::wstring& text, char* out, size_t size)
{
    const std::string lmbcs = lmbcs::FromWide(text);
    const size_t n = std::min(lmbcs.size(), size - 1);
    std::memcpy(out, lmbcs.data(), n);
    out[n] = 0;
}

STATUS OpenPath(const char* path, DBHANDLE* reth, TIMEDATE* dataModified, TIMEDATE* nonDataModified)
{
    if (path == nullptr || reth == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    *reth = 0;
    if (!runtime::IsInitialised()) {
        return ERR_NOTES_NOT_INITIALIZED;
    }
    auto db = std::make_unique<DatabaseObject>();
    db->path = runtime::ResolvePath(path);
    const DWORD attributes = GetFileAttributesW(db->path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        db->isDirectory = true;
    } else {
        STATUS status = runtime::EnsureLoggedIn();
        if (status != NOERROR_STATUS) {
            return status;
        }
        db->image = runtime::LoadImage(db->path, &status);
        if (!db->image) {
            return status;
        }
        if (dataModified != nullptr) {
            *dataModified = db->image->Info().dataModified;
        }
        if (nonDataModified != nullptr) {
            *nonDataModified = db->image->Info().nonDataModified;
        }
    }
    *reth = runtime::Add(std::move(db));
    return NOERROR_STATUS;
}

bool HasNsfExtension(const std::wstring& name)
{
    return name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".nsf") == 0;
}

void FindDatabases(const std::wstring& folder, bool recurse, std::vector<std::wstring>& found)
{
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    std::vector<std::wstring> subfolders;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            subfolders.push_back(folder + L"\\" + name);
        } else if (HasNsfExtension(name)) {
            found.push_back(folder + L"\\" + name);
        }
    } while (FindNextFileW(search, &data));
    FindClose(search);
    for (const std::wstring& sub : subfolders) {
        if (recurse) {
            FindDatabases(sub, recurse, found);
        }
    }
}

std::string InfoText(const nsf::DbInfo& info)
{
    return info.title + "\n\n#1\n#2";
}

// Builds an ITEM_TABLE summary buffer: names then values, item by item.
class SummaryBuilder {
public:
    void AddText(const char* name, const std::string& text)
    {
        std::vector<BYTE> value{BYTE(TYPE_TEXT & 0xFF), BYTE(TYPE_TEXT >> 8)};
        value.insert(value.end(), text.begin(), text.end());
        Add(name, value);
    }
    void AddTime(const char* name, const TIMEDATE& t)
    {
        std::vector<BYTE> value(2 + sizeof(TIMEDATE));
        const WORD type = TYPE_TIME;
        std::memcpy(value.data(), &type, 2);
        std::memcpy(value.data() + 2, &t, sizeof(t));
        Add(name, value);
    }
    void AddNumber(const char* name, double number)
    {
        std::vector<BYTE> value(2 + sizeof(double));
        const WORD type = TYPE_NUMBER;
        std::memcpy(value.data(), &type, 2);
        std::memcpy(value.data() + 2, &number, sizeof(number));
        Add(name, value);
    }
    std::vector<BYTE> Build() const
    {
        std::vector<BYTE> buffer(sizeof(ITEM_TABLE) + entries_.size() * sizeof(ITEM));
        size_t pos = sizeof(ITEM_TABLE);
        for (const auto& entry : entries_) {
            ITEM item{static_cast<USHORT>(entry.first.size()), static_cast<USHORT>(entry.second.size())};
            std::memcpy(buffer.data() + pos, &item, sizeof(item));
            pos += sizeof(item);
        }
        for (const auto& entry : entries_) {
            buffer.insert(buffer.end(), entry.first.begin(), entry.first.end());
            buffer.insert(buffer.end(), entry.second.begin(), entry.second.end());
        }
        ITEM_TABLE table{static_cast<USHORT>(buffer.size()), static_cast<USHORT>(entries_.size())};
        std::memcpy(buffer.data(), &table, sizeof(table));
        return buffer;
    }

private:
    void Add(const char* name, std::vector<BYTE> value) { entries_.emplace_back(name, std::move(value)); }
    std::vector<std::pair<std::string, std::vector<BYTE>>> entries_;
};

STATUS SearchDirectory(DatabaseObject& dir, WORD mask, NSFSEARCHPROC routine, void* parameter)
{
    std::vector<std::wstring> found;
    FindDatabases(dir.path, (mask & FILE_RECURSE) != 0, found);
    std::sort(found.begin(), found.end());
    for (const std::wstring& path : found) {
        STATUS status = NOERROR_STATUS;
        auto image = runtime::LoadImage(path, &status);
        if (!image) {
            continue; // a damaged file is not a database a directory lists
        }
        const nsf::DbInfo& info = image->Info();
        SummaryBuilder summary;
        summary.AddText("$TITLE", info.title);
        summary.AddText("$Path", lmbcs::FromWide(runtime::RelativeToData(path)));
        summary.AddText("$Info", InfoText(info));
        summary.AddText("$type", kDirectoryType);
        summary.AddTime("$Modified", info.dataModified);
        summary.AddNumber("$Length", static_cast<double>(image->FileSize()));
        const std::vector<BYTE> buffer = summary.Build();
        SEARCH_MATCH match{};
        match.ID.File = info.replicaId;
        match.OriginatorID.File = info.replicaId;
        match.SummaryLength = static_cast<WORD>(buffer.size());
        const STATUS result =
            routine(parameter, &match, reinterpret_cast<ITEM_TABLE*>(const_cast<BYTE*>(buffer.data())));
        if (result != NOERROR_STATUS) {
            return result;
        }
    }
    return NOERROR_STATUS;
}

STATUS SearchDatabase(DatabaseObject& db, WORD classMask, const TIMEDATE* since, NSFSEARCHPROC routine, void* parameter)
{
    auto image = db.image;
    for (const nsf::NoteView& note : image->Notes()) {
        const bool deleted = (note.flags & nsf::kNoteDeleted) != 0;
        if ((note.noteClass & classMask) == 0 || (deleted && since == nullptr) ||
            (since != nullptr && timedate::Compare(note.modified, *since) <= 0)) {
            continue;
        }
        SEARCH_MATCH match{};
        match.ID.File = note.oid.File;
        match.ID.Note = note.oid.Note;
        match.ID.NoteID = note.id;
        match.OriginatorID = note.oid;
        match.NoteClass = note.noteClass;
        match.SERetFlags = deleted ? 0 : 1;
        SummaryBuilder summary;
        const std::vector<BYTE> buffer = summary.Build();
        const STATUS result =
            routine(parameter, &match, reinterpret_cast<ITEM_TABLE*>(const_cast<BYTE*>(buffer.data())));
        if (result != NOERROR_STATUS) {
            return result;
        }
    }
    return NOERROR_STATUS;
}

// Design names are "name|alias|alias" in $TITLE; a match on any part counts.
bool DesignNameMatches(const nsf::DbImage& image, const nsf::NoteView& note, const char* name)
{
    for (const nsf::ItemView& item : image.Items(note)) {
        if (item.nameLength == 6 && _strnicmp(item.name, "$TITLE", 6) == 0 && item.valueLength >= 2) {
            std::string value = notes::TextOfValue(item.value, item.valueLength);
            size_t start = 0;
            while (start <= value.size()) {
                size_t bar = value.find('|', start);
                if (bar == std::string::npos) {
                    bar = value.size();
                }
                if (_stricmp(value.substr(start, bar - start).c_str(), name) == 0) {
                    return true;
                }
                start = bar + 1;
            }
        }
    }
    return false;
}

STATUS FindDesign(DBHANDLE hFile, const char* name, WORD noteClass, NOTEID* retNoteID)
{
    if (retNoteID != nullptr) {
        *retNoteID = 0;
    }
    DatabaseObject* db = FindDb(hFile);
    if (db == nullptr || db->isDirectory || name == nullptr || retNoteID == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    auto image = db->image;
    for (const nsf::NoteView& note : image->Notes()) {
        if ((note.flags & nsf::kNoteDeleted) == 0 && (note.noteClass & NOTE_CLASS_DOCUMENT) == 0 &&
            (note.noteClass & noteClass) != 0 && DesignNameMatches(*image, note, name)) {
            *retNoteID = note.id;
            return NOERROR_STATUS;
        }
    }
    return ERR_NOT_FOUND;
}

std::string ProfileKey(const char* profile, WORD profileLength, const char* user, WORD userLength)
{
    std::string name(profile, profileLength);
    for (char& c : name) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    char count[8];
    std::snprintf(count, sizeof(count), "%03u", static_cast<unsigned>(name.size() % 1000));
    std::string key = "$profile_" + std::string(count) + name + "_";
    if (user != nullptr) {
        key.append(user, userLength);
    }
    return key;
}

} // namespace

extern "C" {

STATUS LNPUBLIC NSFDbOpen(const char* PathName, DBHANDLE* rethDB)
{
    return OpenPath(PathName, rethDB, nullptr, nullptr);
}

STATUS LNPUBLIC NSFDbOpenExtended(const char* PathName, WORD, DHANDLE, TIMEDATE*, DBHANDLE* rethDB,
                                  TIMEDATE* retDataModified, TIMEDATE* retNonDataModified)
{
    return OpenPath(PathName, rethDB, retDataModified, retNonDataModified);
}

STATUS LNPUBLIC NSFDbClose(DBHANDLE hDB)
{
    return runtime::Remove(hDB, Kind::Database) ? NOERROR_STATUS : STATUS(ERR_INVALID_HANDLE);
}

STATUS LNPUBLIC NSFDbReplicaInfoGet(DBHANDLE hDB, DBREPLICAINFO* retReplicationInfo)
{
    DatabaseObject* db = FindDb(hDB);
    if (db == nullptr || db->isDirectory || retReplicationInfo == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    *retReplicationInfo = DBREPLICAINFO{};
    retReplicationInfo->ID = db->image->Info().replicaId;
    return NOERROR_STATUS;
}

STATUS LNPUBLIC NSFDbLocateByReplicaID(DBHANDLE hDB, DBID* ReplicaID, char* retPathName, WORD PathMaxLen)
{
    DatabaseObject* dir = FindDb(hDB);
    if (dir == nullptr || ReplicaID == nullptr || retPathName == nullptr || PathMaxLen == 0) {
        return ERR_BAD_PARAMETER;
    }
    retPathName[0] = 0;
    const std::wstring root = dir->isDirectory ? dir->path : runtime::DataDirectory();
    std::vector<std::wstring> found;
    FindDatabases(root, true, found);
    std::sort(found.begin(), found.end());
    for (const std::wstring& path : found) {
        STATUS status = NOERROR_STATUS;
        auto image = runtime::LoadImage(path, &status);
        if (image && std::memcmp(&image->Info().replicaId, ReplicaID, sizeof(DBID)) == 0) {
            const std::string text = lmbcs::FromWide(runtime::RelativeToData(path));
            if (text.size() >= PathMaxLen) {
                return ERR_BUFFER_TOO_SMALL;
            }
            std::memcpy(retPathName, text.c_str(), text.size() + 1);
            return NOERROR_STATUS;
        }
    }
    return ERR_NOEXIST;
}

STATUS LNPUBLIC NSFDbInfoGet(DBHANDLE hDB, char* retBuffer)
{
    DatabaseObject* db = FindDb(hDB);
    if (db == nullptr || db->isDirectory || retBuffer == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    const std::string info = InfoText(db->image->Info());
    const size_t n = std::min<size_t>(info.size(), NSF_INFO_SIZE - 1);
    std::memcpy(retBuffer, info.data(), n);
    retBuffer[n] = 0;
    return NOERROR_STATUS;
}

void LNPUBLIC NSFDbInfoParse(char* Info, WORD What, char* Buffer, WORD Length)
{
    if (Info == nullptr || Buffer == nullptr || Length == 0) {
        return;
    }
    Buffer[0] = 0;
    const std::string info(Info, strnlen(Info, NSF_INFO_SIZE));
    size_t start = 0;
    for (WORD part = 0; part < What && start != std::string::npos; ++part) {
        start = info.find('\n', start);
        start = start == std::string::npos ? start : start + 1;
    }
    if (start == std::string::npos) {
        return;
    }
    size_t end = info.find('\n', start);
    std::string value = info.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (What >= INFOPARSE_CLASS && value.size() >= 2 && value[0] == '#') {
        value = value.substr(2);
    }
    lmbcs::CopyWholeCharacters(value, Buffer, Length);
}

STATUS LNPUBLIC NSFDbPathGet(DBHANDLE hDB, char* retCanonicalPathName, char* retExpandedPathName)
{
    DatabaseObject* db = FindDb(hDB);
    if (db == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    if (retCanonicalPathName != nullptr) {
        CopyLmbcs(runtime::RelativeToData(db->path), retCanonicalPathName, MAXPATH);
    }
    if (retExpandedPathName != nullptr) {
        CopyLmbcs(db->path, retExpandedPathName, MAXPATH);
    }
    return NOERROR_STATUS;
}

STATUS LNPUBLIC NSFSearch(DBHANDLE hDB, FORMULAHANDLE hFormula, char*, WORD SearchFlags, WORD NoteClassMask,
                          TIMEDATE* Since, NSFSEARCHPROC EnumRoutine, void* EnumRoutineParameter, TIMEDATE* retUntil)
{
    DatabaseObject* db = FindDb(hDB);
    if (db == nullptr || EnumRoutine == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    if (hFormula != 0) {
        return ERR_NOT_IMPLEMENTED; // selection formulas are not evaluated here
    }
    if (retUntil != nullptr) {
        *retUntil = timedate::Now();
    }
    if (db->isDirectory) {
        if ((SearchFlags & SEARCH_FILETYPE) == 0) {
            return ERR_BAD_PARAMETER;
        }
        return SearchDirectory(*db, NoteClassMask, EnumRoutine, EnumRoutineParameter);
    }
    return SearchDatabase(*db, NoteClassMask, Since, EnumRoutine, EnumRoutineParameter);
}

STATUS LNPUBLIC NSFDbGetModifiedNoteTable(DBHANDLE hDB, WORD NoteClassMask, TIMEDATE Since, TIMEDATE* retUntil,
                                          DHANDLE* rethTable)
{
    if (rethTable != nullptr) {
        *rethTable = 0;
    }
    DatabaseObject* db = FindDb(hDB);
    if (db == nullptr || db->isDirectory || rethTable == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    // Pick up a file that changed while the handle was open.
    STATUS status = NOERROR_STATUS;
    if (auto fresh = runtime::LoadImage(db->path, &status)) {
        db->image = fresh;
    }
    const TIMEDATE until = timedate::Now();
    // From the minimum time a table lists live notes only; from any later
    // time (or the wildcard) deletion stubs come too, flagged RRV_DELETED.
    const bool withStubs = !timedate::IsMinimum(Since);
    const bool everything = timedate::IsWildcard(Since) || timedate::IsMinimum(Since);
    auto table = std::make_unique<runtime::IdTableObject>();
    for (const nsf::NoteView& note : db->image->Notes()) {
        const bool deleted = (note.flags & nsf::kNoteDeleted) != 0;
        if ((note.noteClass & NoteClassMask) == 0 || (note.flags & nsf::kNoteProfile) != 0 || (deleted && !withStubs) ||
            (!everything && timedate::Compare(note.modified, Since) <= 0)) {
            continue;
        }
        table->ids.push_back(deleted ? (note.id | RRV_DELETED) : note.id);
    }
    if (retUntil != nullptr) {
        *retUntil = until;
    }
    *rethTable = runtime::Add(std::move(table));
    return NOERROR_STATUS;
}

BOOL LNPUBLIC IDScan(DHANDLE hTable, FLAG fFirst, DWORD* retID)
{
    auto* table = runtime::FindAs<runtime::IdTableObject>(hTable, Kind::IdTable);
    if (table == nullptr || retID == nullptr) {
        return FALSE;
    }
    if (fFirst) {
        table->position = 0;
    }
    if (table->position >= table->ids.size()) {
        return FALSE;
    }
    *retID = table->ids[table->position++];
    return TRUE;
}

STATUS LNPUBLIC IDDestroyTable(DHANDLE hTable)
{
    return runtime::Remove(hTable, Kind::IdTable) ? NOERROR_STATUS : STATUS(ERR_INVALID_HANDLE);
}

STATUS LNPUBLIC NIFFindDesignNote(DBHANDLE hFile, const char* Name, WORD Class, NOTEID* retNoteID)
{
    return FindDesign(hFile, Name, Class, retNoteID);
}

STATUS LNPUBLIC NIFFindDesignNoteExt(DBHANDLE hFile, const char* Name, WORD Class, const char*, NOTEID* retNoteID,
                                     DWORD)
{
    // The flag pattern narrows shared design notes by their $Flags; names
    // are unique per class in our databases, so class and name decide.
    return FindDesign(hFile, Name, Class, retNoteID);
}

STATUS LNPUBLIC NIFFindPrivateDesignNote(DBHANDLE hFile, const char* Name, WORD Class, NOTEID* retNoteID)
{
    return FindDesign(hFile, Name, Class == 0 ? WORD(NOTE_CLASS_ALLNONDATA) : Class, retNoteID);
}

STATUS LNPUBLIC NSFProfileOpen(DBHANDLE hDB, const char* ProfileName, WORD ProfileNameLength, const char* UserName,
                               WORD UserNameLength, BOOL, NOTEHANDLE* rethProfileNote)
{
    if (rethProfileNote != nullptr) {
        *rethProfileNote = 0;
    }
    DatabaseObject* db = FindDb(hDB);
    if (db == nullptr || db->isDirectory || ProfileName == nullptr || rethProfileNote == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    const std::string key = ProfileKey(ProfileName, ProfileNameLength, UserName, UserNameLength);
    auto image = db->image;
    for (const nsf::NoteView& note : image->Notes()) {
        if ((note.flags & nsf::kNoteProfile) == 0 || (note.flags & nsf::kNoteDeleted) != 0) {
            continue;
        }
        for (const nsf::ItemView& item : image->Items(note)) {
            if (item.nameLength == 5 && _strnicmp(item.name, "$Name", 5) == 0 &&
                _stricmp(notes::TextOfValue(item.value, item.valueLength).c_str(), key.c_str()) == 0) {
                return notes::OpenNote(hDB, note.id, rethProfileNote);
            }
        }
    }
    return ERR_NOT_FOUND;
}

} // extern "C"
