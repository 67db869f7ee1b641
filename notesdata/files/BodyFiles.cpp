#include "notesdata/files/BodyFiles.h"

#include "common/DebugConsole.h"
#include "common/Handles.h"
#include "notesdata/files/MimeStoredPart.h"
#include "notesdata/files/TemporaryFiles.h"
#include "notesdata/notes/MimeBody.h"
#include "notesdata/notes/NoteItems.h"
#include "notesdata/notes/NotesText.h"
#include "notesdata/notes/Rfc822Item.h"
#include "notesdata/notes/TextListValue.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

namespace brw {
namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr wchar_t kItemSeparator = L' ';
// A stored line break (a NUL in the value, or a paragraph end) and a wrapped
// line's end become one blank: the indexer reads words, not lines.
constexpr char kLineDelimiter[] = " ";
constexpr wchar_t kBlank = L' ';
constexpr WORD kCharsPerLine = 80;
// Text goes to UTF-16 in pieces of at most this many bytes, each ending on
// a whole character.
constexpr size_t kPieceBytes = 20000;
constexpr size_t kWideBufferBytes = 0x1FFF6;
constexpr WORD kWideTargetBytes = 0xFFFB;
constexpr char kTextListSeparator = ' ';
// Writes reach the file in blocks this large: a body is many small pieces
// (a blank per item), and each write is a system call.
constexpr size_t kWriteBlockBytes = 64 * 1024;

bool IsReadOnlyFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Created with its finished attributes: the creating handle may still
// write, and the reply names the file only once it is complete. Setting them
// afterwards costs another open of the file.
HANDLE CreateForWriting(const std::wstring& path, DWORD disposition)
{
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, kFinishedFileAttributes, nullptr);
}

// A body left by an earlier process of the same ids (they are reused) is
// finished, so read-only; a new file takes its place.
FileHandle ReplaceBodyFile(const std::wstring& path)
{
    if (IsReadOnlyFile(path)) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    DeleteFileW(path.c_str());
    FileHandle file(CreateForWriting(path, CREATE_NEW));
    if (!file) {
        LogLong(L"ExportAs failed: ", static_cast<long>(GetLastError()));
    }
    return file;
}

// The name is new but for a reused id, so the file is created, not
// overwritten: an overwrite truncates, and some file systems write a
// truncated file's new data out at close, though a body lives only until
// its filter has read it.
FileHandle OpenBodyFile(const std::wstring& path)
{
    FileHandle file(CreateForWriting(path, CREATE_NEW));
    if (file) {
        return file;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS) {
        return ReplaceBodyFile(path);
    }
    LogLong(L"ExportAs failed: ", static_cast<long>(error));
    return FileHandle();
}

class TextBodyWriter {
public:
    // The buffers are filled before they are read, so they are not cleared.
    TextBodyWriter(HANDLE file, NoteDocument& document, const std::wstring& tempDir)
        : file_(file), document_(document), tempDir_(tempDir), wide_(new char[kWideBufferBytes])
    {
    }

    // ERROR_SUCCESS, or the error of the write the file did not take.
    DWORD WriteAll();

private:
    bool Item(const NoteItem& item);
    void ConvertedItem(const NoteItem& item);
    void TextListItem(const NoteItem& item);
    void Rfc822Item(const NoteItem& item);
    void MimeText();
    void WriteNotesText(const char* text, size_t length);
    void WriteWideText(wchar_t* text, size_t count);
    void WriteBytes(const void* bytes, DWORD count);
    void WriteWide(wchar_t c) { WriteBytes(&c, sizeof(c)); }
    void Flush();

    HANDLE file_;
    NoteDocument& document_;
    // Where a MIME part kept in a file object is read back from.
    const std::wstring& tempDir_;
    // The parts of a MIME body make one text, written where the first is.
    bool mimeWritten_ = false;
    std::unique_ptr<char[]> wide_;
    std::vector<char> pending_;
    DWORD writeError_ = ERROR_SUCCESS;
};

DWORD TextBodyWriter::WriteAll()
{
    WriteWide(kByteOrderMark);
    ForEachNoteItem(document_.Handle(), [this](const NoteItem& item) { return Item(item); });
    Flush();
    return writeError_;
}

bool TextBodyWriter::Item(const NoteItem& item)
{
    if (item.type == TYPE_COMPOSITE || item.type == TYPE_TEXT) {
        ConvertedItem(item);
    } else if (item.type == TYPE_TEXT_LIST) {
        TextListItem(item);
    } else if (item.type == TYPE_RFC822_TEXT) {
        Rfc822Item(item);
    } else if (item.type == TYPE_MIME_PART && !mimeWritten_) {
        MimeText();
    }
    WriteWide(kItemSeparator);
    return writeError_ == ERROR_SUCCESS;
}

void TextBodyWriter::ConvertedItem(const NoteItem& item)
{
    LogHex(L"Export Type: ", item.type);
    LogLong(L"Export len:", static_cast<long>(item.length));
    DHANDLE converted = 0;
    DWORD length = 0;
    const STATUS status =
        ConvertItemToText(item.value, item.length, kLineDelimiter, kCharsPerLine, &converted, &length, FALSE);
    if (status != NOERROR_STATUS) {
        LogHex(L"ConvertItemToText failed:", status);
        return;
    }
    const NotesMemory text(converted);
    if (!text) {
        LogString(L"ConvertItemToText didn't return a buffer\n");
        return;
    }
    if (length == 0) {
        LogString(L"ConvertItemToText return 0 bytes\n");
        return;
    }
    LogLong(L"Converted Text: ", static_cast<long>(length));
    const LockedMemory locked(text.get());
    if (locked.get() != nullptr) {
        WriteNotesText(locked.get(), length);
    }
}

// Read from the item's own value: a note may hold several lists of one
// name, and a lookup by name would give the first of them each time.
void TextBodyWriter::TextListItem(const NoteItem& item)
{
    const LockedValue value(item.value);
    std::vector<std::string_view> entries;
    if (value.Data() == nullptr || item.length < sizeof(WORD) ||
        !ReadTextList(value.Data() + sizeof(WORD), item.length - sizeof(WORD), &entries)) {
        return;
    }
    std::string joined;
    for (const std::string_view& entry : entries) {
        if (!joined.empty()) {
            joined += kTextListSeparator;
        }
        joined.append(entry.data(), entry.size());
    }
    WriteNotesText(joined.data(), joined.size());
}

// Header text as the reply's fields show it; dates are no words to find.
void TextBodyWriter::Rfc822Item(const NoteItem& item)
{
    const LockedValue value(item.value);
    if (value.Data() == nullptr || item.length < sizeof(WORD)) {
        return;
    }
    const Rfc822Value header = ReadRfc822Value(value.Data() + sizeof(WORD), item.length - sizeof(WORD));
    std::wstring joined;
    for (const std::wstring& text : header.texts) {
        joined += joined.empty() ? L"" : L" ";
        joined += text;
    }
    WriteWideText(joined.data(), joined.size());
}

void TextBodyWriter::MimeText()
{
    mimeWritten_ = true;
    std::wstring text = MimeBodyText(document_, StoredPartReaderFor(document_, tempDir_));
    WriteWideText(text.data(), text.size());
}

void TextBodyWriter::WriteNotesText(const char* text, size_t length)
{
    while (length > 0 && writeError_ == ERROR_SUCCESS) {
        const size_t piece = LmbcsPieceLength(text, length, kPieceBytes);
        const WORD converted =
            OSTranslate(OS_TRANSLATE_LMBCS_TO_UNICODE, text, static_cast<WORD>(piece), wide_.get(), kWideTargetBytes);
        if (converted == 0) {
            return;
        }
        WriteWideText(reinterpret_cast<wchar_t*>(wide_.get()), converted / sizeof(wchar_t));
        LogLong(L"Amount output", converted);
        text += piece;
        length -= piece;
        LogLong(L"Process Amount", static_cast<long>(length < kPieceBytes ? length : kPieceBytes));
    }
}

// A NUL left in converted text is a stored line break.
void TextBodyWriter::WriteWideText(wchar_t* text, size_t count)
{
    std::replace(text, text + count, L'\0', kBlank);
    WriteBytes(text, static_cast<DWORD>(count * sizeof(wchar_t)));
}

void TextBodyWriter::WriteBytes(const void* bytes, DWORD count)
{
    if (writeError_ != ERROR_SUCCESS) {
        return;
    }
    if (pending_.size() + count > kWriteBlockBytes) {
        Flush();
    }
    const char* data = static_cast<const char*>(bytes);
    pending_.insert(pending_.end(), data, data + count);
}

void TextBodyWriter::Flush()
{
    DWORD written = 0;
    if (writeError_ != ERROR_SUCCESS || pending_.empty()) {
        return;
    }
    if (!WriteFile(file_, pending_.data(), static_cast<DWORD>(pending_.size()), &written, nullptr)) {
        writeError_ = GetLastError();
    } else if (written != pending_.size()) {
        writeError_ = ERROR_DISK_FULL;
    }
    pending_.clear();
}

} // namespace

std::optional<std::wstring> WriteTextBody(NoteDocument& document, const std::wstring& tempDir)
{
    std::optional<std::wstring> path = MakeTempFilePath(
        tempDir, TempFileKind::TextBody, document.Database().ReplicaId(), document.NoteId(), NextBodySerial(), L"");
    if (!path) {
        return std::nullopt;
    }
    FileHandle file = OpenBodyFile(*path);
    if (!file) {
        return std::nullopt;
    }
    const DWORD writeError = TextBodyWriter(file.get(), document, tempDir).WriteAll();
    if (writeError != ERROR_SUCCESS) {
        // A cut-off body is no body: the handler would index half a text.
        LogLong(L"ExportAs failed: ", static_cast<long>(writeError));
        file.reset();
        SetFileAttributesW(path->c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path->c_str());
        return std::nullopt;
    }
    return path;
}

} // namespace brw
