// Process-wide state of the stand-in nnotes.dll: the notes.ini settings, the
// handle table (databases, notes, memory, id tables, builders, formulas) and
// the cache of loaded database files.
#pragma once
#include "platform/notes/NsfFile.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace runtime {

struct Settings {
    std::wstring iniPath;
    std::map<std::string, std::string> values; // names in lower case, LMBCS values
    std::wstring dataDirectory;                // no trailing backslash
};

// Reads notes.ini beside this module, or the one named by an "=path" argument.
STATUS Initialise(int argc, char** argv);
void Terminate();
bool IsInitialised();
// Value of a notes.ini entry (case-insensitive name); empty when missing.
std::string Setting(const char* name);
std::wstring DataDirectory();
// A database path as given by a caller: absolute, or relative to the data
// directory, in the Notes character set.
std::wstring ResolvePath(const char* lmbcsPath);
// The path relative to the data directory when it lies inside it.
std::wstring RelativeToData(const std::wstring& fullPath);
// The lines of a small text file (notes.ini, an ID file) without their line
// ends and trailing blanks.
std::vector<std::string> TextLines(const std::vector<BYTE>& bytes);

enum class Kind { Database, Note, Memory, IdTable, Builder, Formula };

struct Object {
    virtual ~Object() = default;
    virtual Kind GetKind() const = 0;
};

struct DatabaseObject : Object {
    Kind GetKind() const override { return Kind::Database; }
    std::wstring path; // full path; the data directory for a directory handle
    bool isDirectory = false;
    std::shared_ptr<const nsf::DbImage> image;
};

struct ItemRef {
    const char* name;
    WORD nameLength;
    WORD flags;
    const BYTE* value;
    DWORD valueLength;
    const BYTE* object;
    DWORD objectLength;
    DHANDLE valueHandle; // memory handle lent out for the value, 0 until asked
};

struct NoteObject : Object, nsf::NoteHeader {
    Kind GetKind() const override { return Kind::Note; }
    DBHANDLE db = 0;
    std::shared_ptr<const nsf::DbImage> image;
    std::vector<ItemRef> items;
    std::deque<std::vector<BYTE>> owned; // values added in memory (never saved)

    ~NoteObject() override;
    void AddItem(const std::string& name, WORD itemFlags, std::vector<BYTE> value);
    const ItemRef* FindItem(const char* name, size_t length, size_t from = 0) const;
};

struct MemoryObject : Object {
    Kind GetKind() const override { return Kind::Memory; }
    void* address = nullptr;
    DWORD size = 0;
    std::vector<BYTE> owned; // empty when it lends a part of a database image
    std::shared_ptr<const nsf::DbImage> keepAlive;
};

struct IdTableObject : Object {
    Kind GetKind() const override { return Kind::IdTable; }
    std::vector<DWORD> ids;
    size_t position = 0;
};

struct BuilderObject : Object {
    Kind GetKind() const override { return Kind::Builder; }
    NOTEHANDLE note = 0;
    std::string itemName;
    std::vector<BYTE> records;
};

struct FormulaObject : Object {
    Kind GetKind() const override { return Kind::Formula; }
    std::string text;
};

DHANDLE Add(std::unique_ptr<Object> object);
// Looks a handle up as the given kind; null when it is not one.
Object* Find(DHANDLE handle, Kind kind);
template <typename T>
T* FindAs(DHANDLE handle, Kind kind)
{
    return static_cast<T*>(Find(handle, kind));
}
bool Remove(DHANDLE handle, Kind kind);
// A memory handle holding a copy of bytes, for results the caller frees.
DHANDLE AddMemoryCopy(const void* data, size_t size);
DHANDLE AddMemoryView(const void* data, size_t size, std::shared_ptr<const nsf::DbImage> keepAlive);

// The loaded image of a database file, reloaded when the file changed.
std::shared_ptr<const nsf::DbImage> LoadImage(const std::wstring& path, STATUS* status);

// First database open in a process: asks for the ID password when it has one.
STATUS EnsureLoggedIn();

} // namespace runtime
