#pragma once
// What the connector's database list shows of one database: its title, the
// time its data last changed and whether it is a mail file.
#include <windows.h>

namespace brw {

// Opens the database at path (UTF-16, relative to the data directory or
// full) and fills the buffers that are given, each by a bounded copy: at
// most length - 1 characters and a NUL; a length of 0 or less leaves that
// buffer untouched. isMail may be null. False, with nothing written, when
// the database does not open.
bool ReadDatabaseInfo(const wchar_t* path, wchar_t* title, int titleLength, wchar_t* modified, int modifiedLength,
                      BYTE* isMail);

} // namespace brw
