// Item values in the API's own layouts (type word first), as the database
// tool, DXL import and the generator store them.
#pragma once
#include <notesapi.h>

#include <string>
#include <vector>

namespace values {

std::vector<BYTE> Text(const std::string& lmbcs);
std::vector<BYTE> TextList(const std::vector<std::string>& entries);
std::vector<BYTE> Number(double number);
std::vector<BYTE> NumberList(const std::vector<double>& numbers);
std::vector<BYTE> Time(const TIMEDATE& t);
std::vector<BYTE> TimeRange(const std::vector<TIMEDATE>& times, const std::vector<TIMEDATE_PAIR>& pairs);
std::vector<BYTE> RichText(const std::vector<BYTE>& records);
// fileFlags: FILEFLAG_xxx and the ENCODE_xxx of a file that was a MIME part.
std::vector<BYTE> FileObject(const std::string& lmbcsName, DWORD size, const TIMEDATE& created,
                             const TIMEDATE& modified, WORD objectType = OBJECT_FILE, WORD fileFlags = FILEFLAG_INDOC);
std::vector<BYTE> Raw(WORD type, const std::vector<BYTE>& data);

// Internet mail as Notes keeps it. A header item (TYPE_RFC822_TEXT):
// RFC822ITEMDESC with the given RFC822_ITEM_xxx flags, then the Notes form
// of the value (text, or a TIMEDATE for dates), the header name, ": " and
// the body.
std::vector<BYTE> Rfc822Text(DWORD flags, const std::string& native, const std::string& header,
                             const std::string& body);

// A MIME part item (TYPE_MIME_PART): MIME_PART, then the boundary, the
// headers and the data it counts.
constexpr size_t kMimePartLargest = 0xFFFF; // wByteCount is a WORD
std::vector<BYTE> MimePart(DWORD flags, BYTE partType, const std::string& boundary, const std::string& headers,
                           const std::string& data);

// "YYYYMMDDThhmmss,hh+ZZ" and its shorter forms; false when it is none.
bool ParseDxlTime(const std::string& text, bool dst, TIMEDATE* result);
std::string FormatDxlTime(const TIMEDATE& t);

} // namespace values
