// One small handler per kind of brw URL: whether the item is a container,
// which filter reads it, and for a message body the file that stands for it.
#pragma once
#include "common/ComHolders.h"
#include "handler/pipe/ConnectorFile.h"
#include "handler/protocol/BrwUrl.h"

#include <windows.h>
#include <filter.h>
#include <searchapi.h>

#include <memory>
#include <string>

namespace brw {

class URLHandler {
public:
    explicit URLHandler(const ParsedBrwUrl& url) : url_(url) {}
    virtual ~URLHandler() = default;
    virtual bool IsDirectory() = 0;
    virtual HRESULT BindToFilter(IFilter** filter) = 0;
    virtual HRESULT GetFileName(wchar_t* buffer, DWORD size, DWORD* length);
    virtual HRESULT GetSize(ULONGLONG* size);
    virtual HRESULT GetDocFormat(wchar_t* buffer, DWORD size, DWORD* length);
    // Holds the indexer's site, replacing an earlier one.
    void SetSite(IProtocolHandlerSite* site) { site_ = ComPtr<IProtocolHandlerSite>(site); }

protected:
    const ParsedBrwUrl url_;
    ComPtr<IProtocolHandlerSite> site_;
};

class NSFNotesURLHandler final : public URLHandler {
public:
    using URLHandler::URLHandler;
    bool IsDirectory() override { return true; }
    HRESULT BindToFilter(IFilter** filter) override;
};

class NSFDbURLHandler final : public URLHandler {
public:
    using URLHandler::URLHandler;
    bool IsDirectory() override { return true; }
    HRESULT BindToFilter(IFilter** filter) override;
};

class NSFNoteURLHandler final : public URLHandler {
public:
    using URLHandler::URLHandler;
    bool IsDirectory() override { return false; }
    HRESULT BindToFilter(IFilter** filter) override;
};

// Asks for the document at construction; the body file it names is
// deleted with the handler when the connector wrote it read-only.
class NSFMessageBodyURLHandler final : public URLHandler {
public:
    explicit NSFMessageBodyURLHandler(const ParsedBrwUrl& url);
    bool IsDirectory() override { return false; }
    HRESULT BindToFilter(IFilter** filter) override;
    HRESULT GetFileName(wchar_t* buffer, DWORD size, DWORD* length) override;
    HRESULT GetSize(ULONGLONG* size) override;

private:
    ConnectorFile bodyFile_;
};

class NSFAttachmentURLHandler final : public URLHandler {
public:
    using URLHandler::URLHandler;
    bool IsDirectory() override { return false; }
    HRESULT BindToFilter(IFilter** filter) override;
};

// The handler of the URL's kind; empty for a URL that does not parse, and
// when memory runs out.
std::unique_ptr<URLHandler> CreateUrlHandler(const wchar_t* url) noexcept;

} // namespace brw
