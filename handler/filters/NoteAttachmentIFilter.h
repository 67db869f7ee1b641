// The filter of one attachment of a Notes document: 12 properties of its
// own, then the text of the filter Windows has for the attachment's type,
// fed with the file the connector extracted.
#pragma once
#include "common/ComHolders.h"
#include "handler/filters/ChunkFilter.h"
#include "handler/pipe/ConnectorFile.h"
#include "handler/pipe/PipeReply.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace brw {

// {DD285E6F-D13C-488F-B71B-C232C6DE6A3D}
constexpr CLSID kNoteAttachmentIFilterClsid = {
    0xDD285E6F, 0xD13C, 0x488F, {0xB7, 0x1B, 0xC2, 0x32, 0xC6, 0xDE, 0x6A, 0x3D}};

constexpr wchar_t kAttachmentItemType[] = L"BRW/Attachment";
// Folder and path shown for every attachment.
constexpr wchar_t kAttachmentFolder[] = L"Document Attachment";

constexpr ULONG kAttachmentPropertyCount = 12;
extern const PropertyKeyEntry kAttachmentProperties[kAttachmentPropertyCount];

// Entry index of the attachment table, from the attachment's reply.
HRESULT ComputeAttachmentProperty(ULONG index, std::wstring_view reply, const std::wstring& noteId,
                                  unsigned short attachmentNumber, PROPVARIANT* value) noexcept;

class CNoteAttachmentIFilter final : public ChunkFilter {
public:
    CNoteAttachmentIFilter() noexcept;

    // Has the connector extract the attachment; contentFilter must not be
    // null.
    HRESULT InitializeAttachment(const std::wstring& identity, const std::wstring& databasePath,
                                 const std::wstring& noteId, unsigned short attachmentNumber,
                                 IFilter* contentFilter) noexcept;

private:
    ~CNoteAttachmentIFilter() override;
    bool HasItem() const noexcept override { return reply_ != nullptr; }
    HRESULT ComputeProperty(ULONG index, PROPVARIANT* value) override;
    bool OpenContent() override;
    IFilter* Content() const noexcept override { return contentFilter_.get(); }
    bool LoadByPath();

    std::wstring identity_;
    std::wstring noteId_;
    unsigned short attachmentNumber_ = 0;
    std::unique_ptr<PipeReply> reply_;
    // Before the content filter and its stream, which may hold the file
    // open: members go in reverse order, so the file goes last.
    ConnectorFile diskFile_;
    ComPtr<IFilter> contentFilter_;
    ComPtr<IStream> contentStream_;
};

} // namespace brw
