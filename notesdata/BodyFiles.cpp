#include "notesdata/BodyFiles.h"

#include <memory>
#include <vector>

#include "common/DebugConsole.h"
#include "common/Handles.h"
#include "notesdata/NoteItems.h"
#include "notesdata/NotesText.h"
#include "notesdata/TemporaryFiles.h"

namespace brw {
namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr wchar_t kItemSeparator = L' ';
constexpr char kLineDelimiter[] = "  ";
constexpr WORD kCharsPerLine = 80;
// Text goes to UTF-16 in pieces of at most this many bytes, each ending on
// a whole character.
constexpr size_t kPieceBytes = 20000;
constexpr size_t kWideBufferBytes = 0x1FFF6;
constexpr WORD kWideTargetBytes = 0xFFFB;
constexpr WORD kTextListBytes = 0xFFFF;
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
HANDLE CreateForWriting(const std::wstring& path)
{
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, kFinishedFileAttributes, nullptr);
}

// An earlier request's finished body is read-only; it is replaced.
FileHandle OpenBodyFile(const std::wstring& path)
{
    FileHandle file(CreateForWriting(path));
    if (file) {
        return file;
    }
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && IsReadOnlyFile(path)) {
        if (!SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
            LogLong(L"ExportAs failed: ", static_cast<long>(GetLastError()));
            return FileHandle();
        }
        file.reset(CreateForWriting(path));
        if (file) {
            return file;
        }
        error = GetLastError();
    }
    LogLong(L"ExportAs failed: ", static_cast<long>(error));
    return FileHandle();
}

class TextBodyWriter {
public:
    // The buffers are filled before they are read, so they are not cleared.
    TextBodyWriter(NOTEHANDLE note, HANDLE file)
        : note_(note), file_(file), wide_(new char[kWideBufferBytes]), textList_(new char[kTextListBytes])
    {
    }

    // ERROR_SUCCESS, or the error of the write the file did not take.
    DWORD WriteAll();

private:
    bool Item(const NoteItem& item);
    void ConvertedItem(const NoteItem& item);
    void TextListItem(const NoteItem& item);
    void WriteNotesText(const char* text, size_t length);
    void WriteBytes(const void* bytes, DWORD count);
    void WriteWide(wchar_t c) { WriteBytes(&c, sizeof(c)); }
    void Flush();

    NOTEHANDLE note_;
    HANDLE file_;
    std::unique_ptr<char[]> wide_;
    std::unique_ptr<char[]> textList_;
    std::vector<char> pending_;
    DWORD writeError_ = ERROR_SUCCESS;
};

DWORD TextBodyWriter::WriteAll()
{
    WriteWide(kByteOrderMark);
    ForEachNoteItem(note_, [this](const NoteItem& item) { return Item(item); });
    Flush();
    return writeError_;
}

bool TextBodyWriter::Item(const NoteItem& item)
{
    if (item.type == TYPE_COMPOSITE || item.type == TYPE_TEXT) {
        ConvertedItem(item);
    } else if (item.type == TYPE_TEXT_LIST) {
        TextListItem(item);
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

void TextBodyWriter::TextListItem(const NoteItem& item)
{
    const std::string name = ReadItemName(note_, item.item);
    const WORD length =
        NSFItemConvertToText(note_, name.c_str(), textList_.get(), kTextListBytes, kTextListSeparator);
    WriteNotesText(textList_.get(), length < kTextListBytes ? length : kTextListBytes);
}

void TextBodyWriter::WriteNotesText(const char* text, size_t length)
{
    while (length > 0 && writeError_ == ERROR_SUCCESS) {
        const size_t piece = LmbcsPieceLength(text, length, kPieceBytes);
        const WORD converted = OSTranslate(OS_TRANSLATE_LMBCS_TO_UNICODE, text, static_cast<WORD>(piece),
                                           wide_.get(), kWideTargetBytes);
        if (converted == 0) {
            return;
        }
        WriteBytes(wide_.get(), converted & ~1u);
        LogLong(L"Amount output", converted);
        text += piece;
        length -= piece;
        LogLong(L"Process Amount", static_cast<long>(length < kPieceBytes ? length : kPieceBytes));
    }
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

}  // namespace

std::optional<std::wstring> WriteTextBody(NoteDocument& document, const std::wstring& tempDir)
{
    std::optional<std::wstring> path =
        MakeTempFilePath(tempDir, TempFileKind::TextBody, document.Database().ReplicaId(), document.NoteId(), 0, L"");
    if (!path) {
        return std::nullopt;
    }
    FileHandle file = OpenBodyFile(*path);
    if (!file) {
        return std::nullopt;
    }
    const DWORD writeError = TextBodyWriter(document.Handle(), file.get()).WriteAll();
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

}  // namespace brw
