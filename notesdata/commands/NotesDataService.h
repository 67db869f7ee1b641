#pragma once
// The data service the command client runs requests through: Notes stays
// initialised for the process while a service lives.
#include "notesdata/commands/DomClass.h"
#include "notesdata/commands/ExecuteCommand.h"
#include "notesdata/files/RtfExporter.h"

#include <optional>

namespace brw {

class NotesDataService final : public IExecuteCommand {
public:
    // Initialises Notes for the process once more and takes a reference to
    // the RTF converter; the use count starts at 0.
    NotesDataService();

    ULONG STDMETHODCALLTYPE AddRef() override;
    // At 0: lets go of the RTF converter, ends Notes and deletes the service.
    ULONG STDMETHODCALLTYPE Release() override;
    int STDMETHODCALLTYPE Execute(ReplyWriter* writer, const wchar_t* request) override;

private:
    volatile LONG references_ = 0;
    std::optional<RtfExporterReference> exporter_;
    // Goes with the service, which its owner releases on its own thread
    // before that thread's apartment ends.
    DomClass domClass_;
};

} // namespace brw
