// Opening a search result: the document in the Notes client through a
// notes:/// URL, its exported body, or an extracted attachment with its own
// program. The decisions live here; what touches the system (the pipe, the
// shell, the message box) goes through an OpenEnvironment, so each decision
// can be checked without launching anything.
#pragma once
#include "handler/pipe/PipeReply.h"
#include "handler/pipe/Requests.h"

#include <windows.h>

#include <string>

namespace brw {

constexpr wchar_t kOpenVerb[] = L"Open";
constexpr wchar_t kViewIndexedTextVerb[] = L"ViewIndexedText";
// The reply's elements naming the files the connector wrote.
constexpr wchar_t kBodyFileElement[] = L"rtf";
constexpr wchar_t kAttachmentFileElement[] = L"diskfilename";

enum class FileLaunch {
    Launched,
    // The user said no at the system's own prompt: nothing more is done.
    Declined,
    Failed,
};

class OpenEnvironment {
public:
    virtual ~OpenEnvironment() = default;
    // The folder the request names as tempdir.
    virtual std::wstring TemporaryDirectory() = 0;
    // One get_document exchange: S_OK with the reply, else its failure.
    virtual HRESULT FetchDocument(PipeReply* reply, const std::wstring& database, const std::wstring& noteId,
                                  const DocumentRequest& what, const std::wstring& temporaryDirectory) = 0;
    // A notes:/// URL or the body file, opened by the shell; true on success.
    virtual bool LaunchTarget(const std::wstring& target) = 0;
    // An extracted attachment, opened the way a mail attachment is opened.
    virtual FileLaunch LaunchAttachment(const std::wstring& path, const std::wstring& sourceUrl) = 0;
    // Says that the Notes client could not be started.
    virtual void ShowNotesLaunchFailure() = 0;
};

// The path of the file the reply names in element, when the reply has one
// and it lies under the folder the request named; a path elsewhere means the
// reply is not one our connector wrote for us. Throws std::bad_alloc.
bool ReplyFileUnder(const PipeReply& reply, const wchar_t* element, const std::wstring& folder, std::wstring* path);

// 0 when something was opened (or the URL names nothing to open), 1 when the
// URL was refused or nothing could be launched. Throws std::bad_alloc.
int OpenBrwUrl(const wchar_t* verb, const wchar_t* url, OpenEnvironment& environment);

} // namespace brw
