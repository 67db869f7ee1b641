#include "notesdata/files/MimeRtfBody.h"

#include "common/Handles.h"
#include "notesdata/files/MimeStoredPart.h"
#include "notesdata/files/TemporaryFiles.h"
#include "notesdata/notes/MimeBody.h"
#include "notesdata/notes/NoteItems.h"
#include "notesdata/notes/Rfc822Item.h"

#include <cstdio>

namespace brw {
namespace {

constexpr char kRtfStart[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 ";
constexpr char kRtfEnd[] = "}";
constexpr char kHeaderItems[][8] = {"Subject", "From"};

void AppendEscaped(std::string& rtf, const std::wstring& text)
{
    for (size_t at = 0; at < text.size(); ++at) {
        const wchar_t c = text[at];
        if (c == L'\r') {
            continue;
        }
        if (c == L'\n') {
            rtf += "\\par\r\n";
        } else if (c == L'\\' || c == L'{' || c == L'}') {
            rtf += '\\';
            rtf += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x80) {
            rtf += static_cast<char>(c);
        } else if (c == L'\t') {
            rtf += "\\tab ";
        } else if (c >= 0x80) {
            // RTF reads the escape's number as a signed 16-bit value.
            char escape[16];
            std::snprintf(escape, sizeof(escape), "\\u%d?", static_cast<int>(static_cast<short>(c)));
            rtf += escape;
        }
    }
}

// The header's text as the reply shows it; empty when the note has no
// such header item.
std::wstring HeaderText(NOTEHANDLE note, const char* name)
{
    std::wstring text;
    ForEachNoteItem(note, [&](const NoteItem& item) {
        if (item.type != TYPE_RFC822_TEXT || ReadItemName(note, item.item) != name) {
            return true;
        }
        const LockedValue value(item.value);
        if (value.Data() != nullptr && item.length >= sizeof(WORD)) {
            for (const std::wstring& part :
                 ReadRfc822Value(value.Data() + sizeof(WORD), item.length - sizeof(WORD)).texts) {
                text += (text.empty() ? L"" : L", ") + part;
            }
        }
        return false;
    });
    return text;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes)
{
    // A preview left by an earlier process of the same ids is read-only.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

} // namespace

bool HasMimeBody(NoteDocument& document)
{
    return document.Mime() != nullptr;
}

std::string RtfOfText(const std::wstring& heading, const std::wstring& body)
{
    std::string rtf = kRtfStart;
    if (!heading.empty()) {
        rtf += "{\\b ";
        AppendEscaped(rtf, heading);
        rtf += "}\\par\r\n\\par\r\n";
    }
    AppendEscaped(rtf, body);
    return rtf + kRtfEnd;
}

std::optional<std::wstring> WriteMimeRtfBody(NoteDocument& document, const std::wstring& tempDir)
{
    std::wstring heading;
    for (const char* name : kHeaderItems) {
        const std::wstring text = HeaderText(document.Handle(), name);
        heading += heading.empty() || text.empty() ? text : L"\n" + text;
    }
    const std::string rtf = RtfOfText(heading, MimeBodyText(document, StoredPartReaderFor(document, tempDir)));
    std::optional<std::wstring> path = MakeTempFilePath(tempDir, TempFileKind::RtfBody, document.Database().ReplicaId(),
                                                        document.NoteId(), NextBodySerial(), L"");
    if (!path || !WriteWholeFile(*path, rtf)) {
        return std::nullopt;
    }
    MarkFileFinished(*path);
    return path;
}

} // namespace brw
