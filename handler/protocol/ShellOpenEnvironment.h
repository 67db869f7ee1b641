// The system behind opening a result: the connector's pipe, the shell, the
// attachment services and a message box without an owner.
#pragma once
#include "handler/protocol/OpenResult.h"

namespace brw {

class ShellOpenEnvironment : public OpenEnvironment {
public:
    std::wstring TemporaryDirectory() override;
    HRESULT FetchDocument(PipeReply* reply, const std::wstring& database, const std::wstring& noteId,
                          const DocumentRequest& what, const std::wstring& temporaryDirectory) override;
    bool LaunchTarget(const std::wstring& target) override;
    FileLaunch LaunchAttachment(const std::wstring& path, const std::wstring& sourceUrl) override;
    void ShowNotesLaunchFailure() override;
};

// The message box's caption and text when the Notes client cannot be started.
extern const wchar_t kNotesLaunchFailureCaption[];
extern const wchar_t kNotesLaunchFailureText[];

} // namespace brw
