#include "handler/protocol/OpenResult.h"

#include "common/FailureTrail.h"
#include "handler/pipe/ReplyFields.h"
#include "handler/protocol/BrwUrl.h"
#include "handler/protocol/OpenTargets.h"

namespace brw {
namespace {

constexpr wchar_t kComponent[] = L"Open result";

bool IsVerb(const wchar_t* verb, const wchar_t* name)
{
    return verb != nullptr && CompareStringOrdinal(verb, -1, name, -1, TRUE) == CSTR_EQUAL;
}

int Launch(const std::wstring& target, OpenEnvironment& environment)
{
    if (environment.LaunchTarget(target)) {
        return 0;
    }
    environment.ShowNotesLaunchFailure();
    return 1;
}

// The exported body, or the Notes client without a document when there is
// none to show.
int OpenIndexedText(const ParsedBrwUrl& parsed, OpenEnvironment& environment)
{
    const std::wstring folder = environment.TemporaryDirectory();
    DocumentRequest what;
    what.manage = true;
    PipeReply reply;
    std::wstring body;
    if (FAILED(environment.FetchDocument(&reply, parsed.databasePath, parsed.noteId, what, folder)) ||
        !ReplyFileUnder(reply, kBodyFileElement, folder, &body) || IsDangerousFileType(body)) {
        return Launch(kNotesUrlPrefix, environment);
    }
    return Launch(body, environment);
}

// The extracted attachment; the document in Notes when it cannot be had or
// must not be run. The file belongs to the connector's temporary-file
// manager, which deletes it once its program has let it go, so it is never
// deleted here.
int OpenAttachment(const ParsedBrwUrl& parsed, const wchar_t* url, const std::wstring& documentTarget,
                   OpenEnvironment& environment)
{
    if (parsed.attachmentNumber < 1) {
        return Launch(documentTarget, environment);
    }
    const std::wstring folder = environment.TemporaryDirectory();
    DocumentRequest what;
    what.attachmentNumber = parsed.attachmentNumber;
    what.preview = true;
    what.manage = true;
    PipeReply reply;
    std::wstring file;
    if (FAILED(environment.FetchDocument(&reply, parsed.databasePath, parsed.noteId, what, folder)) ||
        !ReplyFileUnder(reply, kAttachmentFileElement, folder, &file)) {
        return Launch(documentTarget, environment);
    }
    if (IsDangerousFileType(file)) {
        TraceFailure(kComponent, L"attachment of a type that runs code", E_ACCESSDENIED);
        return Launch(documentTarget, environment);
    }
    switch (environment.LaunchAttachment(file, url)) {
    case FileLaunch::Launched:
    case FileLaunch::Declined:
        return 0;
    case FileLaunch::Failed:
        break;
    }
    return OpenBrwUrl(kOpenVerb, url, environment);
}

} // namespace

bool ReplyFileUnder(const PipeReply& reply, const wchar_t* element, const std::wstring& folder, std::wstring* path)
{
    std::wstring found;
    if (!GetElementText(reply.View(), element, &found, 1) || found.empty()) {
        return false;
    }
    if (!LiesUnderFolder(found, folder)) {
        TraceFailure(kComponent, L"reply file outside the temporary folder", E_ACCESSDENIED);
        return false;
    }
    *path = found;
    return true;
}

int OpenBrwUrl(const wchar_t* verb, const wchar_t* url, OpenEnvironment& environment)
{
    ParsedBrwUrl parsed;
    if (!ParseBrwUrl(url, &parsed)) {
        return 1;
    }
    std::wstring target = kNotesUrlPrefix;
    switch (parsed.kind) {
    case UrlKind::Root:
        return Launch(target, environment);
    case UrlKind::Database:
        return MakeNotesDatabaseTarget(parsed.databasePath, &target) ? Launch(target, environment) : 1;
    case UrlKind::Document:
    case UrlKind::MessageBody:
    case UrlKind::Attachment:
        break;
    default:
        return 0;
    }
    if (!MakeNotesDocumentTarget(parsed.databasePath, parsed.noteId, &target)) {
        return 1;
    }
    if (parsed.kind == UrlKind::Document && IsVerb(verb, kViewIndexedTextVerb)) {
        return OpenIndexedText(parsed, environment);
    }
    if (parsed.kind == UrlKind::Attachment && !IsVerb(verb, kOpenVerb)) {
        return OpenAttachment(parsed, url, target, environment);
    }
    return Launch(target, environment);
}

} // namespace brw
