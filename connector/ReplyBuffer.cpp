#include "connector/ReplyBuffer.h"

#include "common/WideString.h"

#include <cwchar>
#include <new>
#include <stdexcept>

namespace brw {

void ReplyBuffer::Clear()
{
    text_.clear();
    complete_ = true;
}

HRESULT ReplyBuffer::Append(const wchar_t* text, size_t length)
{
    if (!complete_) {
        return E_OUTOFMEMORY;
    }
    try {
        text_.append(text, length);
        return S_OK;
    } catch (const std::bad_alloc&) {
        complete_ = false;
        return E_OUTOFMEMORY;
    } catch (const std::length_error&) {
        complete_ = false;
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE ReplyBuffer::Begin()
{
    Clear();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReplyBuffer::OpenElement(const wchar_t* name)
{
    return AppendTag(L"<", name);
}

HRESULT STDMETHODCALLTYPE ReplyBuffer::AppendText(const wchar_t* text, int length)
{
    if (text == nullptr) {
        return length == 0 ? S_OK : E_POINTER;
    }
    if (length < -1) {
        return E_INVALIDARG;
    }
    return Append(text, length == -1 ? wcslen(text) : static_cast<size_t>(length));
}

HRESULT STDMETHODCALLTYPE ReplyBuffer::AppendFormat(const wchar_t* format, long value)
{
    if (format == nullptr) {
        return E_POINTER;
    }
    std::wstring formatted;
    try {
        formatted = FormatText(format, value);
    } catch (const std::bad_alloc&) {
        complete_ = false;
        return E_OUTOFMEMORY;
    }
    return Append(formatted.data(), formatted.size());
}

HRESULT STDMETHODCALLTYPE ReplyBuffer::CloseElement(const wchar_t* name)
{
    return AppendTag(L"</", name);
}

HRESULT ReplyBuffer::AppendTag(const wchar_t* opening, const wchar_t* name)
{
    if (name == nullptr) {
        return E_POINTER;
    }
    HRESULT hr = Append(opening, wcslen(opening));
    if (SUCCEEDED(hr)) {
        hr = Append(name, wcslen(name));
    }
    return SUCCEEDED(hr) ? Append(L">", 1) : hr;
}

} // namespace brw
