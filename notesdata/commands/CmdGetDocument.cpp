#include "notesdata/commands/CmdGetDocument.h"

#include "common/DebugConsole.h"
#include "common/PipeProtocol.h"
#include "notesdata/commands/ReplyText.h"
#include "notesdata/commands/RequestXml.h"
#include "notesdata/files/Attachment.h"
#include "notesdata/files/BodyFiles.h"
#include "notesdata/files/MimeAttachment.h"
#include "notesdata/files/TemporaryFiles.h"
#include "notesdata/notes/ItemWalk.h"
#include "notesdata/notes/NotesText.h"
#include "notesdata/notes/NotesTime.h"
#include "notesdata/notes/RichTextField.h"

#include <climits>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <optional>

namespace brw {
namespace {

// Longer text values are left to the body file.
constexpr WORD kLongestTextField = 2048;

// Hex digits up to the first other character. More than 32 bits give the
// largest id, which names no note, rather than wrapping to one that does.
NOTEID ParseNoteId(const std::wstring& text)
{
    unsigned long long id = 0;
    for (wchar_t c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            break;
        }
        id = id << 4 | static_cast<unsigned>(digit);
        if (id > 0xFFFFFFFFull) {
            return 0xFFFFFFFF;
        }
    }
    return static_cast<NOTEID>(id);
}

// A signed decimal number as strtol reads it, held at the 32-bit limits.
long ParseAttachmentNumber(const std::wstring& text)
{
    size_t at = 0;
    while (at < text.size() && iswspace(text[at])) {
        ++at;
    }
    const bool negative = at < text.size() && text[at] == L'-';
    if (at < text.size() && (text[at] == L'-' || text[at] == L'+')) {
        ++at;
    }
    long long number = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        number = number * 10 + (text[at] - L'0');
        if (number > LONG_MAX) {
            return negative ? LONG_MIN : LONG_MAX;
        }
    }
    return static_cast<long>(negative ? -number : number);
}

constexpr wchar_t kEscapedBlank[] = L"%20";
constexpr size_t kEscapedBlankLength = std::size(kEscapedBlank) - 1;

std::wstring WithBlanksForEscapes(std::wstring path)
{
    for (size_t at = path.find(kEscapedBlank); at != std::wstring::npos; at = path.find(kEscapedBlank, at + 1)) {
        path.replace(at, kEscapedBlankLength, L" ");
    }
    return path;
}

std::wstring NameText(const char* name)
{
    return LmbcsToWide(name, strnlen(name, kMaxItemNameBytes));
}

void LogOpenFailure(const std::wstring& path)
{
    if (path.empty()) {
        LogString(L"Failed to open db name not found\n");
    } else {
        LogText(L"Failed to open db", path.c_str());
    }
    LogString(L"Failed to open db\n");
}

} // namespace

bool CmdGetDocument::ReadAttributes()
{
    CmdDatabaseOperation::ReadAttributes();
    const std::wstring id = ReadTextAttribute(Element(), L"id", L"");
    if (id.empty()) {
        return false;
    }
    noteId_ = ParseNoteId(id);
    const std::wstring number = ReadTextAttribute(Element(), L"attnum", L"");
    if (!number.empty()) {
        attachmentNumber_ = ParseAttachmentNumber(number);
    }
    tempDir_ = ReadTextAttribute(Element(), L"tempdir", L"");
    manage_ = ReadBoolAttribute(Element(), L"manage", false);
    preview_ = ReadBoolAttribute(Element(), L"preview", false);
    return true;
}

int CmdGetDocument::Execute(ReplyWriter* writer)
{
    LogText(L"GetDocument: ", DatabasePath().c_str());
    LogHex(L"GetDocument: ", noteId_);
    if (attachmentNumber_ != 0) {
        LogLong(L"Attachment: ", attachmentNumber_);
    }
    const std::wstring path = DatabasePathForNotes(WithBlanksForEscapes(DatabasePath()));
    if (!OpenDatabase(db_, path)) {
        LogOpenFailure(path);
        return 1;
    }
    if (!document_.Open(noteId_)) {
        writer->AppendText(kDeletedMarker, -1);
        LogString(L"Note open failed\n");
        return 0;
    }
    writer_ = writer;
    writer->Begin();
    writer->OpenElement(L"document");
    DWORD noteSize = 0;
    WalkNoteItems(document_, *this, &noteSize);
    CollectMimeAttachments(document_, mimeAttachments_);
    const int result = attachmentNumber_ != 0 ? WriteSelectedAttachment() : WriteDocumentParts(noteSize);
    writer->CloseElement(L"document");
    document_.Close();
    LogLong(L"Retval: ", result);
    return result;
}

int CmdGetDocument::WriteSelectedAttachment()
{
    if (attachments_.Count() + mimeAttachments_.Count() == 0) {
        return 1;
    }
    LogLong(L"Att Count: ", attachments_.Count() + mimeAttachments_.Count());
    position_ = 0;
    pending_ = true;
    EnumerateAllAttachments();
    return pending_ ? 1 : 0;
}

int CmdGetDocument::WriteDocumentParts(DWORD noteSize)
{
    WriteBody();
    if (attachments_.Count() + mimeAttachments_.Count() > 0) {
        writer_->OpenElement(L"attachments");
        EnumerateAllAttachments();
        writer_->CloseElement(L"attachments");
    }
    writer_->OpenElement(L"notesize");
    writer_->AppendFormat(L"%ld", static_cast<long>(noteSize));
    writer_->CloseElement(L"notesize");
    return 0;
}

void CmdGetDocument::WriteBody()
{
    const std::optional<std::wstring> body =
        preview_ ? WriteRtfBody(document_, tempDir_) : WriteTextBody(document_, tempDir_);
    if (body) {
        WriteTextElement(writer_, L"rtf", *body);
    } else {
        LogText(L"Export failed", DatabasePath().c_str());
    }
}

bool CmdGetDocument::WriteField(const wchar_t* element, const char* name, const std::wstring& value)
{
    writer_->OpenElement(element);
    WriteTextElement(writer_, L"name", NameText(name));
    WriteTextElement(writer_, L"value", value);
    return SUCCEEDED(writer_->CloseElement(element));
}

bool CmdGetDocument::OnText(const char* name, const char* value, WORD length)
{
    if (!WritesFields() || length > kLongestTextField) {
        return true;
    }
    return WriteField(L"textfield", name, LmbcsToWide(value, length));
}

bool CmdGetDocument::BeginTextList(const char* name, WORD)
{
    if (!WritesFields()) {
        return true;
    }
    writer_->OpenElement(L"textlistfield");
    return SUCCEEDED(WriteTextElement(writer_, L"name", NameText(name)));
}

bool CmdGetDocument::OnTextListEntry(const char* value, WORD length)
{
    return !WritesFields() || SUCCEEDED(WriteTextElement(writer_, L"value", LmbcsToWide(value, length)));
}

bool CmdGetDocument::EndTextList()
{
    return !WritesFields() || SUCCEEDED(writer_->CloseElement(L"textlistfield"));
}

bool CmdGetDocument::OnTime(const char* name, const wchar_t* text, int length)
{
    if (!WritesFields() || text == nullptr || length < 0) {
        return true;
    }
    return WriteField(L"datefield", name, std::wstring(text, static_cast<size_t>(length)));
}

bool CmdGetDocument::OnRichText(const char*, RichTextField* field)
{
    // Collected whatever is written: the hotspots name the attachments.
    field->EnumerateRecords(*this);
    return true;
}

WORD CmdGetDocument::OnRecord(const char* record, WORD signature, DWORD length)
{
    AttachmentReference* reference = ReferenceFromHotspotRecord(record, signature, length);
    if (reference != nullptr) {
        references_.Add(reference);
        reference->Release();
    }
    return NOERROR_STATUS;
}

bool CmdGetDocument::OnAttachment(const char*, Attachment* attachment)
{
    LogNarrow(L"OnAttachment: ", attachment->FileName().c_str());
    attachments_.Add(attachment);
    return true;
}

bool CmdGetDocument::OnObject(QXObject* object)
{
    const auto& attachment = *static_cast<const Attachment*>(object);
    if (attachmentNumber_ != 0 && ++position_ != attachmentNumber_) {
        return true;
    }
    const std::wstring displayed = LmbcsToWide(GetOriginalFileName(references_, attachment));
    std::wstring diskFileName;
    if (attachmentNumber_ != 0) {
        const std::optional<std::wstring> extracted =
            ExtractAttachment(attachment, tempDir_, AttachmentExtension(displayed));
        if (!extracted) {
            return true;
        }
        diskFileName = *extracted;
        TakeExtracted(diskFileName);
    }
    WriteAttachment(displayed, diskFileName, attachment.FileSize(), attachment.Modified());
    return true;
}

void CmdGetDocument::TakeExtracted(const std::wstring& diskFileName)
{
    pending_ = false;
    if (manage_) {
        BRWTemporaryFileMgr::Instance().Remember(diskFileName);
    }
}

// The file items first, then the files of the MIME body, counted on.
void CmdGetDocument::EnumerateAllAttachments()
{
    attachments_.Enumerate(*this);
    class MimeWriter final : public QXObjectListEnumerator {
    public:
        explicit MimeWriter(CmdGetDocument& command) : command_(command) {}
        bool OnObject(QXObject* object) override
        {
            return command_.OnMimeAttachment(*static_cast<const MimeAttachment*>(object));
        }

    private:
        CmdGetDocument& command_;
    } mimeWriter(*this);
    mimeAttachments_.Enumerate(mimeWriter);
}

bool CmdGetDocument::OnMimeAttachment(const MimeAttachment& attachment)
{
    if (attachmentNumber_ != 0 && ++position_ != attachmentNumber_) {
        return true;
    }
    std::wstring diskFileName;
    if (attachmentNumber_ != 0) {
        const std::optional<std::wstring> extracted =
            ExtractMimeAttachment(attachment, tempDir_, AttachmentExtension(attachment.FileName()));
        if (!extracted) {
            return true;
        }
        diskFileName = *extracted;
        TakeExtracted(diskFileName);
    }
    WriteAttachment(attachment.FileName(), diskFileName, attachment.FileSize(), attachment.Modified());
    return true;
}

void CmdGetDocument::WriteAttachment(const std::wstring& displayedName, const std::wstring& diskFileName,
                                     DWORD fileSize, const TIMEDATE& modified)
{
    writer_->OpenElement(L"attachment");
    if (!diskFileName.empty()) {
        WriteTextElement(writer_, L"diskfilename", diskFileName);
    }
    WriteTextElement(writer_, L"originalfilename", displayedName);
    writer_->OpenElement(L"attachmentfilesize");
    writer_->AppendFormat(L"%ld", static_cast<long>(fileSize));
    writer_->CloseElement(L"attachmentfilesize");
    writer_->OpenElement(L"attachmentmodifiedtime");
    if (const std::optional<std::wstring> modifiedText = ReplyTimeText(modified)) {
        WriteTextElement(writer_, L"name", L"attachmentmodifiedtime");
        WriteTextElement(writer_, L"value", *modifiedText);
    }
    writer_->CloseElement(L"attachmentmodifiedtime");
    writer_->CloseElement(L"attachment");
}

std::unique_ptr<CmdBase> MakeGetDocument(IXMLDOMElement* element)
{
    return std::make_unique<CmdGetDocument>(element);
}

} // namespace brw
