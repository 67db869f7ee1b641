// Rich-text (CD) records: a bounds-checked walk over a record stream, plain
// text of a stream, and the few records the stand-in writes itself.
#pragma once
#include <notesapi.h>

#include <functional>
#include <string>
#include <vector>

namespace cd {

struct Record {
    const BYTE* start; // header first
    DWORD length;      // header included, without the pad byte
    WORD signature;    // BSIG: the signature byte; WSIG/LSIG: the whole word
    size_t headerSize;
};

// Calls visit for each record; false from visit stops the walk. Returns
// false when the stream is damaged (a record that does not fit).
bool Walk(const BYTE* data, size_t size, const std::function<bool(const Record&)>& visit);

// The text of a record stream, paragraphs ending with lineDelimiter.
std::string PlainText(const BYTE* data, size_t size, const std::string& lineDelimiter);

// Hotspot data of a file attachment: stored name, then displayed name.
bool AttachmentNames(const Record& record, std::string* stored, std::string* displayed);

void AppendParagraph(std::vector<BYTE>& out);
void AppendPabDefinition(std::vector<BYTE>& out, WORD id);
void AppendPabReference(std::vector<BYTE>& out, WORD id);
void AppendText(std::vector<BYTE>& out, const std::string& lmbcsText, BYTE attributes = 0, BYTE pointSize = 10);
void AppendAttachmentHotspot(std::vector<BYTE>& out, const std::string& stored, const std::string& displayed);
void AppendTableBegin(std::vector<BYTE>& out);
void AppendTableCell(std::vector<BYTE>& out, BYTE row, BYTE column);
void AppendTableEnd(std::vector<BYTE>& out);

} // namespace cd
