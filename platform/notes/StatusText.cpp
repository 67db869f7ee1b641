#include "platform/notes/StatusText.h"

namespace statustext {
namespace {

struct Entry {
    STATUS code;
    const char* text;
};

constexpr Entry kTexts[] = {
    {ERR_NOEXIST, "File does not exist"},
    {ERR_MEMORY, "Insufficient memory"},
    {ERR_NO_MORE_FILES, "No more files to search"},
    {ERR_INVALID_HANDLE, "Invalid handle"},
    {ERR_BAD_PARAMETER, "Invalid argument"},
    {ERR_BUFFER_TOO_SMALL, "Buffer is too small"},
    {ERR_FILE_WRITE, "Unable to write to file"},
    {ERR_NO_MORE_MATCHES, "(Search status - no more to do)"},
    {ERR_NOT_A_DATABASE, "File is not a database"},
    {ERR_DATABASE_DAMAGED, "Database is damaged"},
    {ERR_ITEM_NOT_FOUND, "Note item not found"},
    {ERR_NOTE_DELETED, "Document has been deleted"},
    {ERR_INVALID_NOTE, "Invalid or nonexistent document"},
    {ERR_NO_MODIFIED_NOTES, "No documents have been modified since specified time."},
    {ERR_ITEM_DATATYPE, "Field in note has wrong datatype"},
    {ERR_NOACCESS, "You are not authorized to perform that operation"},
    {ERR_NOTE_NOT_OBJECT, "Item is not a file attachment"},
    {ERR_NOT_FOUND, "Entry not found in index"},
    {ERR_TDI_CONV, "Unable to interpret time or date"},
    {ERR_NOT_IMPLEMENTED, "Function not implemented"},
    {ERR_NOTES_NOT_INITIALIZED, "Notes is not initialized"},
    {ERR_FORMULA_COMPILATION, "Formula error"},
    {ERR_PASSWORD_CANCELLED, "You cancelled the password prompt"},
    {ERR_WRONG_PASSWORD, "Wrong password"},
};

} // namespace

const char* Find(STATUS code) noexcept
{
    if (code == NOERROR_STATUS) {
        return "No error";
    }
    for (const Entry& entry : kTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return "Unknown error";
}

} // namespace statustext
