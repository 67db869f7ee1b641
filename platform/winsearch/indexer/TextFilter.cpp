#include "platform/winsearch/indexer/TextFilter.h"

#include "common/ComObject.h"
#include "common/Handles.h"
#include "common/WideString.h"
#include "platform/winsearch/core/ItemRecord.h"
#include "platform/winsearch/indexer/RtfText.h"

#include <filterr.h>
#include <propsys.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

namespace brw::winsearch {

namespace {

HRESULT ReadStream(IStream* stream, std::string* bytes)
{
    if (!stream) {
        return E_POINTER;
    }
    bytes->clear();
    char buffer[65536];
    for (;;) {
        ULONG read = 0;
        const HRESULT hr = stream->Read(buffer, sizeof(buffer), &read);
        if (FAILED(hr)) {
            return hr;
        }
        const size_t room = kMaxTextDocumentBytes - bytes->size();
        bytes->append(buffer, std::min<size_t>(read, room));
        if (read == 0 || hr == S_FALSE || bytes->size() >= kMaxTextDocumentBytes) {
            return S_OK;
        }
    }
}

HRESULT ReadFileBytes(const wchar_t* path, std::string* bytes)
{
    if (!path) {
        return E_POINTER;
    }
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    bytes->clear();
    char buffer[65536];
    DWORD read = 0;
    while (bytes->size() < kMaxTextDocumentBytes && ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) &&
           read > 0) {
        bytes->append(buffer, std::min<size_t>(read, kMaxTextDocumentBytes - bytes->size()));
    }
    return S_OK;
}

using TextFilterBase = ComObject<IFilter, IPersistStream, IPersistFile, IInitializeWithStream>;

class TextFilter final : public TextFilterBase {
public:
    explicit TextFilter(TextFormat format) : format_(format) {}
    // The object's own set-up, which IInitializeWithStream's hides.
    using TextFilterBase::Initialize;

    // IFilter
    IFACEMETHODIMP Init(ULONG, ULONG, const FULLPROPSPEC*, ULONG* flags) override
    {
        if (flags) {
            *flags = 0;
        }
        chunkGiven_ = false;
        inChunk_ = false;
        position_ = 0;
        return S_OK;
    }
    IFACEMETHODIMP GetChunk(STAT_CHUNK* chunk) override
    {
        if (!chunk) {
            return E_POINTER;
        }
        inChunk_ = false;
        if (chunkGiven_ || text_.empty()) {
            return FILTER_E_END_OF_CHUNKS;
        }
        std::memset(chunk, 0, sizeof(*chunk));
        chunk->idChunk = 1;
        chunk->breakType = CHUNK_NO_BREAK;
        chunk->flags = CHUNK_TEXT;
        chunk->locale = GetUserDefaultLCID();
        chunk->attribute.guidPropSet = kKeyContents.fmtid;
        chunk->attribute.psProperty.ulKind = PRSPEC_PROPID;
        chunk->attribute.psProperty.propid = kKeyContents.pid;
        chunk->idChunkSource = 1;
        chunkGiven_ = true;
        inChunk_ = true;
        return S_OK;
    }
    IFACEMETHODIMP GetText(ULONG* length, WCHAR* buffer) override
    {
        if (!length || !buffer) {
            return E_POINTER;
        }
        if (!inChunk_) {
            *length = 0;
            return FILTER_E_NO_TEXT;
        }
        const size_t left = text_.size() - position_;
        if (left == 0) {
            *length = 0;
            return FILTER_E_NO_MORE_TEXT;
        }
        const size_t count = std::min<size_t>(left, *length);
        std::memcpy(buffer, text_.data() + position_, count * sizeof(wchar_t));
        position_ += count;
        *length = static_cast<ULONG>(count);
        return position_ == text_.size() ? FILTER_S_LAST_TEXT : S_OK;
    }
    IFACEMETHODIMP GetValue(PROPVARIANT** value) override
    {
        if (value) {
            *value = nullptr;
        }
        return inChunk_ ? FILTER_E_NO_VALUES : FILTER_E_NO_MORE_VALUES;
    }
    IFACEMETHODIMP BindRegion(FILTERREGION, REFIID, void** unknown) override
    {
        if (unknown) {
            *unknown = nullptr;
        }
        return E_NOTIMPL;
    }

    // IPersist, IPersistStream, IPersistFile
    IFACEMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    IFACEMETHODIMP IsDirty() override { return S_FALSE; }
    IFACEMETHODIMP Load(IStream* stream) override { return LoadFrom(ReadStream(stream, &bytes_)); }
    IFACEMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    IFACEMETHODIMP Load(LPCOLESTR path, DWORD) override { return LoadFrom(ReadFileBytes(path, &bytes_)); }
    IFACEMETHODIMP Save(LPCOLESTR, BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP SaveCompleted(LPCOLESTR) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetCurFile(LPOLESTR* path) override
    {
        if (path) {
            *path = nullptr;
        }
        return E_NOTIMPL;
    }

    // IInitializeWithStream
    IFACEMETHODIMP Initialize(IStream* stream, DWORD) override { return Load(stream); }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {
            QITABENT(TextFilter, IFilter),
            QITABENT(TextFilter, IPersistStream),
            QITABENT(TextFilter, IPersistFile),
            QITABENTMULTI(TextFilter, IPersist, IPersistStream),
            QITABENT(TextFilter, IInitializeWithStream),
            {},
        };
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    HRESULT LoadFrom(HRESULT read)
    {
        if (FAILED(read)) {
            return read;
        }
        try {
            text_ = DecodedText();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        bytes_.clear();
        position_ = 0;
        chunkGiven_ = false;
        inChunk_ = false;
        return S_OK;
    }

    std::wstring DecodedText() const
    {
        switch (format_) {
        case TextFormat::Rtf:
            return RtfToText(bytes_);
        case TextFormat::Plain:
            return DecodePlainText(bytes_);
        case TextFormat::PropertiesOnly:
            break;
        }
        return std::wstring();
    }

    TextFormat format_;
    std::string bytes_;
    std::wstring text_;
    size_t position_ = 0;
    bool chunkGiven_ = false;
    bool inChunk_ = false;
};

} // namespace

std::wstring DecodePlainText(std::string_view bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        std::memcpy(text.data(), bytes.data() + 2, text.size() * 2);
        return text;
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
        static_cast<unsigned char>(bytes[1]) == 0xFF) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<wchar_t>((static_cast<unsigned char>(bytes[2 + 2 * i]) << 8) |
                                           static_cast<unsigned char>(bytes[3 + 2 * i]));
        }
        return text;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    return Utf8ToWide(bytes);
}

HRESULT CreateTextFilter(TextFormat format, IFilter** filter)
{
    if (!filter) {
        return E_POINTER;
    }
    *filter = nullptr;
    return InitializeAndQuery(new (std::nothrow) TextFilter(format), IID_IFilter, reinterpret_cast<void**>(filter));
}

} // namespace brw::winsearch
