// The filter of one attachment of a Notes document: 12 properties of its
// own, then the text of the filter Windows has for the attachment's type,
// fed with the file the connector extracted.
#pragma once
#include <windows.h>

#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "handler/FilterChunks.h"
#include "handler/PipeReply.h"

#include <filter.h>

#include <memory>
#include <string>

namespace brw {

// {DD285E6F-D13C-488F-B71B-C232C6DE6A3D}
constexpr CLSID kNoteAttachmentIFilterClsid = {
    0xDD285E6F, 0xD13C, 0x488F, {0xB7, 0x1B, 0xC2, 0x32, 0xC6, 0xDE, 0x6A, 0x3D}};

constexpr ULONG kAttachmentPropertyCount = 12;
extern const PropertyKeyEntry kAttachmentProperties[kAttachmentPropertyCount];

// Entry index of the attachment table, from the attachment's reply.
HRESULT ComputeAttachmentProperty(ULONG index, const wchar_t* reply, const std::wstring& noteId,
                                  unsigned short attachmentNumber, PROPVARIANT* value) noexcept;

class CNoteAttachmentIFilter final : public ComObject<IFilter> {
public:
    CNoteAttachmentIFilter() noexcept = default;

    // Has the connector extract the attachment; contentFilter must not be
    // null.
    HRESULT InitializeAttachment(const std::wstring& identity, const std::wstring& databasePath,
                                 const std::wstring& noteId, unsigned short attachmentNumber,
                                 IFilter* contentFilter) noexcept;

    IFACEMETHODIMP Init(ULONG grfFlags, ULONG cAttributes, const FULLPROPSPEC* aAttributes, ULONG* pFlags) override;
    IFACEMETHODIMP GetChunk(STAT_CHUNK* pStat) override;
    IFACEMETHODIMP GetText(ULONG* pcwcBuffer, WCHAR* awcBuffer) override;
    IFACEMETHODIMP GetValue(PROPVARIANT** ppPropValue) override;
    IFACEMETHODIMP BindRegion(FILTERREGION origPos, REFIID riid, void** ppunk) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    enum State : int { kProperties = -1, kContent = 0, kDone = 1 };

    ~CNoteAttachmentIFilter() override;
    void LoadContent();
    bool LoadByPath();
    bool LoadByStream();

    int state_ = kProperties;
    OwnChunks chunks_;
    ULONG propertyIndex_ = 0;
    std::wstring identity_;
    std::wstring noteId_;
    std::wstring diskFilePath_;
    unsigned short attachmentNumber_ = 0;
    std::unique_ptr<PipeReply> reply_;
    ULONG initFlags_ = 0;
    ComPtr<IFilter> contentFilter_;
    ComPtr<IStream> contentStream_;
};

} // namespace brw
