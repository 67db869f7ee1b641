#pragma once
// The user's mail server and mail file as the current Notes location names
// them: the result of the formula @MailDbName, a text list of the server
// and the file's path.
#include "notesdata/notes/Processors.h"

#include <windows.h>

#include <string>

namespace brw {

// Keeps the first two entries of the text list: the server, then the mail
// file, each only when it is not empty. Other values do not concern it.
class MailDbNameResults final : public NoteItemProcessor {
public:
    const std::string& Server() const { return server_; }
    const std::string& MailFile() const { return mailFile_; }

    bool OnRichText(const char*, RichTextField*) override { return true; }
    bool OnText(const char*, const char*, WORD) override { return true; }
    bool BeginTextList(const char*, WORD) override { return true; }
    bool OnTextListEntry(const char* value, WORD length) override;
    bool EndTextList() override { return true; }
    bool OnTime(const char*, const wchar_t*, int) override { return true; }
    bool OnAttachment(const char*, Attachment*) override { return true; }

private:
    int entries_ = 0;
    std::string server_;
    std::string mailFile_;
};

// Evaluates @MailDbName without a note and copies server and mail file into
// the buffers (at most length - 1 characters and a NUL; a length of 0 or
// less leaves a buffer untouched; a missing entry gives an empty string).
// False when the formula does not compile or evaluate.
bool ReadServerMailInfo(wchar_t* server, int serverLength, wchar_t* mailFile, int mailFileLength);

} // namespace brw
