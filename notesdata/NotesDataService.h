#pragma once
// The data service the command client runs requests through: Notes stays
// initialised for the process while a service lives.
#include "notesdata/ExecuteCommand.h"

namespace brw {

class NotesDataService final : public IExecuteCommand {
public:
    ULONG STDMETHODCALLTYPE AddRef() override;
    // At 0: frees the RTF converter, ends Notes and deletes the service.
    ULONG STDMETHODCALLTYPE Release() override;
    int STDMETHODCALLTYPE Execute(ReplyWriter* writer, const wchar_t* request) override;

private:
    volatile LONG references_ = 0;
};

}  // namespace brw
