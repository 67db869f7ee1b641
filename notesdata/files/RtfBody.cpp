// The preview body: the document rendered as its form shows it, pictures
// left out, written as rich-text records and converted to RTF.
#include "connector/SettingsStore.h"
#include "notesdata/files/BodyFiles.h"
#include "notesdata/files/MimeRtfBody.h"
#include "notesdata/files/RtfExporter.h"
#include "notesdata/files/TemporaryFiles.h"
#include "notesdata/notes/NotesText.h"
#include "notesdata/notes/RichTextField.h"

#include <cstring>
#include <optional>
#include <string>

namespace brw {
namespace {

constexpr char kRenderField[] = "RenderField";
constexpr char kFilteredField[] = "FilteredRenderedField";
constexpr char kFormItem[] = "Form";
// The database that carries the forms our documents render with.
constexpr char kRegistrationDatabase[] = "brwregister.nsf";
constexpr wchar_t kRegistrationBelowProgram[] = L"NotesDataDirectory\\brwregister.nsf";
constexpr size_t kProgramPathChars = 260;

std::string FormName(NOTEHANDLE note)
{
    char name[kMaxItemNameBytes + 1] = {};
    const WORD length = NSFItemGetText(note, kFormItem, name, sizeof(name));
    return std::string(name, strnlen(name, length < kMaxItemNameBytes ? length : kMaxItemNameBytes));
}

bool OpenRegistrationDatabase(Db& database)
{
    if (database.OpenByPath(kRegistrationDatabase)) {
        return true;
    }
    std::optional<std::wstring> program =
        settings::ReadString(HKEY_LOCAL_MACHINE, settings::kNotesKeyPath, settings::kNotesPath, kProgramPathChars);
    if (!program || program->empty()) {
        return false;
    }
    if (program->back() != L'\\') {
        *program += L'\\';
    }
    return database.OpenByPath(WideToLmbcs(*program + kRegistrationBelowProgram));
}

// While it lives, the document belongs to the registration database when
// that holds the document's form, so that it renders with that form.
class RenderWithRegisteredForm {
public:
    explicit RenderWithRegisteredForm(NoteDocument& document) : document_(document)
    {
        const std::string form = FormName(document.Handle());
        NOTEID formId = 0;
        if (form.empty() || !OpenRegistrationDatabase(registration_) ||
            NIFFindDesignNote(registration_.Handle(), form.c_str(), NOTE_CLASS_ALL, &formId) != NOERROR_STATUS) {
            return;
        }
        DBHANDLE handle = registration_.Handle();
        NSFNoteSetInfo(document.Handle(), _NOTE_DB, &handle);
        switched_ = true;
    }
    ~RenderWithRegisteredForm()
    {
        if (switched_) {
            DBHANDLE own = document_.Database().Handle();
            NSFNoteSetInfo(document_.Handle(), _NOTE_DB, &own);
        }
    }
    RenderWithRegisteredForm(const RenderWithRegisteredForm&) = delete;
    RenderWithRegisteredForm& operator=(const RenderWithRegisteredForm&) = delete;

private:
    NoteDocument& document_;
    Db registration_; // outlives the switch back
    bool switched_ = false;
};

bool Render(NoteDocument& document, NOTEHANDLE scratch)
{
    RichTextField rendered(scratch);
    if (rendered.BeginBuilding(kRenderField) != NOERROR_STATUS) {
        return false;
    }
    STATUS status = NOERROR_STATUS;
    {
        RenderWithRegisteredForm form(document);
        status = rendered.RenderNote(document.Handle());
    }
    return status == NOERROR_STATUS && rendered.FinishBuilding() == NOERROR_STATUS;
}

bool CopyFiltered(NOTEHANDLE scratch)
{
    NoteItem item{};
    if (NSFItemInfo(scratch, kRenderField, sizeof(kRenderField) - 1, &item.item, &item.type, &item.value,
                    &item.length) != NOERROR_STATUS) {
        return false;
    }
    const RichTextField source(scratch, item);
    RichTextField target(scratch);
    if (target.BeginBuilding(kFilteredField) != NOERROR_STATUS) {
        return false;
    }
    RichTextFilter filter(target);
    return source.EnumerateRecords(filter) == NOERROR_STATUS && target.FinishBuilding() == NOERROR_STATUS;
}

std::optional<std::wstring> BodyPath(NoteDocument& document, const std::wstring& tempDir, TempFileKind kind,
                                     DWORD serial)
{
    return MakeTempFilePath(tempDir, kind, document.Database().ReplicaId(), document.NoteId(), serial, L"");
}

bool WriteRecords(NOTEHANDLE scratch, const std::wstring& path)
{
    return NSFItemCDToFile(scratch, kFilteredField, WideToLmbcs(path).c_str()) == NOERROR_STATUS;
}

void ConvertToRtf(const std::wstring& recordsPath, const std::wstring& rtfPath)
{
    const ExportRtfFunction exportRtf = RtfExporterEntry();
    if (exportRtf == nullptr) {
        return;
    }
    // A preview left by an earlier process of the same ids (they are
    // reused) is finished, so read-only.
    SetFileAttributesW(rtfPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::string source = WideToLmbcs(recordsPath);
    std::string target = WideToLmbcs(rtfPath);
    exportRtf(source.data(), 0, nullptr, nullptr, target.data());
}

} // namespace

std::optional<std::wstring> WriteRtfBody(NoteDocument& document, const std::wstring& tempDir)
{
    if (HasMimeBody(document)) {
        return WriteMimeRtfBody(document, tempDir);
    }
    // The scratch note is never saved: it only holds the rendering.
    NOTEHANDLE created = 0;
    if (NSFNoteCreate(document.Database().Handle(), &created) != NOERROR_STATUS || created == 0) {
        return std::nullopt;
    }
    const NoteHandle scratch(created);
    if (!Render(document, scratch.get()) || !CopyFiltered(scratch.get())) {
        return std::nullopt;
    }
    const DWORD serial = NextBodySerial();
    const std::optional<std::wstring> records = BodyPath(document, tempDir, TempFileKind::RichTextRecords, serial);
    if (!records) {
        return std::nullopt;
    }
    std::optional<std::wstring> rtf;
    if (WriteRecords(scratch.get(), *records)) {
        rtf = BodyPath(document, tempDir, TempFileKind::RtfBody, serial);
    }
    if (rtf) {
        ConvertToRtf(*records, *rtf);
        MarkFileFinished(*rtf);
    }
    DeleteFileW(records->c_str());
    return rtf;
}

} // namespace brw
