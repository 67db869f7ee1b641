// The filter of one Notes document: its 23 properties, its body text through
// the indexer's own text filter, then one crawl request per attachment.
#pragma once
#include "common/ComHolders.h"
#include "handler/filters/ChunkFilter.h"
#include "handler/pipe/ConnectorFile.h"
#include "handler/pipe/PipeReply.h"

#include <windows.h>

#include <memory>
#include <string>

namespace brw {

// {42BDA5B7-EF8D-41F9-8A02-375E7698C610}
constexpr CLSID kNoteIFilterClsid = {0x42BDA5B7, 0xEF8D, 0x41F9, {0x8A, 0x02, 0x37, 0x5E, 0x76, 0x98, 0xC6, 0x10}};

class CNoteIFilter final : public ChunkFilter {
public:
    CNoteIFilter() noexcept;

    // Fetches the document once; its reply answers every later call.
    // bodyFilter may be null.
    HRESULT InitializeNote(const std::wstring& identity, const std::wstring& databasePath, const std::wstring& noteId,
                           IFilter* bodyFilter) noexcept;

private:
    ~CNoteIFilter() override;
    bool HasItem() const noexcept override { return reply_ != nullptr; }
    HRESULT ComputeProperty(ULONG index, PROPVARIANT* value) override;
    // The body, through the indexer's text filter.
    bool OpenContent() override;
    IFilter* Content() const noexcept override { return bodyFilter_.get(); }
    // The attachments.
    bool NextChildUrl(std::wstring* url) override;

    std::wstring identity_;
    std::wstring databasePath_;
    std::wstring noteId_;
    ULONG attachmentNumber_ = 1;
    std::unique_ptr<PipeReply> reply_;
    // Declared before the stream and the filter reading it, which keep the
    // file open: members go in reverse order, so the file goes last.
    ConnectorFile bodyFile_;
    ComPtr<IFilter> bodyFilter_;
    ComPtr<IStream> bodyStream_;
};

} // namespace brw
