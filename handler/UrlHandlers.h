// One small handler per kind of brw URL: whether the item is a container,
// which filter reads it, and for a message body the file that stands for it.
#pragma once
#include <windows.h>

#include "common/ComHolders.h"
#include "handler/BrwUrl.h"

#include <searchapi.h>

#include <filter.h>

#include <memory>
#include <string>

namespace brw {

class URLHandler {
public:
    virtual ~URLHandler() = default;
    virtual bool IsDirectory() = 0;
    virtual HRESULT BindToFilter(IFilter** filter) = 0;
    virtual HRESULT GetFileName(wchar_t* buffer, DWORD size, DWORD* length);
    virtual HRESULT GetSize(ULONGLONG* size);
    virtual HRESULT GetDocFormat(wchar_t* buffer, DWORD size, DWORD* length);
    // Holds the indexer's site, replacing an earlier one.
    void SetSite(IProtocolHandlerSite* site) { site_ = ComPtr<IProtocolHandlerSite>(site); }

protected:
    ComPtr<IProtocolHandlerSite> site_;
};

class NSFNotesURLHandler final : public URLHandler {
public:
    explicit NSFNotesURLHandler(const ParsedBrwUrl& url) : identity_(url.identity) {}
    bool IsDirectory() override { return true; }
    HRESULT BindToFilter(IFilter** filter) override;

private:
    std::wstring identity_;
};

class NSFDbURLHandler final : public URLHandler {
public:
    explicit NSFDbURLHandler(const ParsedBrwUrl& url) : identity_(url.identity), databasePath_(url.databasePath) {}
    bool IsDirectory() override { return true; }
    HRESULT BindToFilter(IFilter** filter) override;

private:
    std::wstring identity_;
    std::wstring databasePath_;
};

class NSFNoteURLHandler final : public URLHandler {
public:
    explicit NSFNoteURLHandler(const ParsedBrwUrl& url)
        : identity_(url.identity), databasePath_(url.databasePath), noteId_(url.noteId)
    {
    }
    bool IsDirectory() override { return false; }
    HRESULT BindToFilter(IFilter** filter) override;

private:
    std::wstring identity_;
    std::wstring databasePath_;
    std::wstring noteId_;
};

// Asks for the document at construction; the body file it names is
// deleted with the handler when the connector wrote it read-only.
class NSFMessageBodyURLHandler final : public URLHandler {
public:
    explicit NSFMessageBodyURLHandler(const ParsedBrwUrl& url);
    ~NSFMessageBodyURLHandler() override;
    bool IsDirectory() override { return false; }
    HRESULT BindToFilter(IFilter** filter) override;
    HRESULT GetFileName(wchar_t* buffer, DWORD size, DWORD* length) override;
    HRESULT GetSize(ULONGLONG* size) override;

private:
    std::wstring identity_;
    std::wstring databasePath_;
    std::wstring noteId_;
    std::wstring bodyPath_;
};

class NSFAttachmentURLHandler final : public URLHandler {
public:
    explicit NSFAttachmentURLHandler(const ParsedBrwUrl& url)
        : identity_(url.identity), databasePath_(url.databasePath), noteId_(url.noteId),
          attachmentName_(url.attachmentName), extension_(url.extension), attachmentNumber_(url.attachmentNumber)
    {
    }
    bool IsDirectory() override { return false; }
    HRESULT BindToFilter(IFilter** filter) override;

private:
    std::wstring identity_;
    std::wstring databasePath_;
    std::wstring noteId_;
    std::wstring attachmentName_;
    std::wstring extension_;
    int attachmentNumber_;
};

// The handler of the URL's kind; empty for a URL that does not parse, and
// when memory runs out.
std::unique_ptr<URLHandler> CreateUrlHandler(const wchar_t* url) noexcept;

} // namespace brw
