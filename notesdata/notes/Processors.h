#pragma once
// The callbacks through which Notes walks hand their findings to the
// service's classes: directory and database searches, the items of a note,
// the records of a rich-text item and the ids of a note table.
#include <windows.h>

namespace brw {

class RichTextField;
class Attachment;

class NSFSearchProcessor {
public:
    // Called with the entry's summary item count; false skips the entry.
    virtual bool BeginEntry(WORD itemCount) = 0;
    // One text summary item (Notes character set, lengths in bytes, not
    // NUL-terminated); false ends the entry without EndEntry.
    virtual bool OnSummaryItem(const char* name, WORD nameLength, const char* text, WORD textLength) = 0;
    virtual void EndEntry() = 0;
    virtual WORD SearchFlags() const = 0;
    virtual WORD ClassMask() const = 0;
    // Notes-character-set search text, or null.
    virtual const char* SearchText() const = 0;

protected:
    ~NSFSearchProcessor() = default;
};

class NoteItemProcessor {
public:
    // Names are NUL-terminated in the Notes character set; values are the
    // bytes after the type word, with their length.
    virtual bool OnRichText(const char* name, RichTextField* field) = 0;
    virtual bool OnText(const char* name, const char* value, WORD length) = 0;
    virtual bool BeginTextList(const char* name, WORD count) = 0;
    virtual bool OnTextListEntry(const char* value, WORD length) = 0;
    virtual bool EndTextList() = 0;
    // The time as reply text (UTF-16).
    virtual bool OnTime(const char* name, const wchar_t* text, int length) = 0;
    virtual bool OnAttachment(const char* name, Attachment* attachment) = 0;

protected:
    ~NoteItemProcessor() = default;
};

class CDRecordProcessor {
public:
    // record points at the whole record, header included; 0 goes on.
    virtual WORD OnRecord(const char* record, WORD signature, DWORD length) = 0;

protected:
    ~CDRecordProcessor() = default;
};

class IIDTableProcessor {
public:
    // false stops the walk.
    virtual bool OnNoteId(DWORD id) = 0;

protected:
    ~IIDTableProcessor() = default;
};

} // namespace brw
