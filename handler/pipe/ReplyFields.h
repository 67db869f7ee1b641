// Lookups of single values in a connector reply. Tags are matched on the raw
// text, exactly and case-sensitively, the first match winning; the values
// returned have their character references decoded, since the data service
// writes "&", "<" and ">" as entities. A reply is searched over its whole
// received length (PipeReply::View), never only up to a NUL.
#pragma once
#include "handler/pipe/PipeReply.h"
#include "handler/pipe/StringList.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace brw {

// The value of "<name>NAME</name><value>...</value>". True when both tags
// are found; an empty value leaves *value unchanged.
bool GetFieldValue(std::wstring_view text, const wchar_t* name, std::wstring* value);
// Found and not empty.
bool HasFieldValue(std::wstring_view text, const wchar_t* name);
// The values of a text-list field, or of a plain field of that name; list
// must be empty. True when at least one value was found.
bool GetTextListField(std::wstring_view text, const wchar_t* name, StringList* list);
// The text of the occurrence-th (from 1) element of that name.
bool GetElementText(std::wstring_view text, const wchar_t* element, std::wstring* value, unsigned short occurrence);
// A date field "dd?mm?yyyy hh?mm?ss" taken as local time, as a UTC FILETIME.
bool GetDateField(std::wstring_view text, const wchar_t* name, FILETIME* utc);
// The next "<d>" element from reply->position, right-aligned into 8 units
// padded with "0" and a NUL. Ids longer than 8 units are skipped.
bool NextDocumentId(PipeReply* reply, wchar_t (&id)[9]);

// The predefined entities and numeric character references decoded; any
// other "&" stays as written.
std::wstring DecodeCharacterReferences(const std::wstring& raw);

} // namespace brw
