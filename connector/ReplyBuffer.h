#pragma once
// The reply of one command, built in memory through the ReplyWriter calls
// of the data service and handed out as bytes.
#include "notesdata/commands/ExecuteCommand.h"

#include <string>

namespace brw {

class ReplyBuffer final : public ReplyWriter {
public:
    HRESULT STDMETHODCALLTYPE Begin() override;
    HRESULT STDMETHODCALLTYPE OpenElement(const wchar_t* name) override;
    HRESULT STDMETHODCALLTYPE AppendText(const wchar_t* text, int length) override;
    HRESULT STDMETHODCALLTYPE AppendFormat(const wchar_t* format, long value) override;
    HRESULT STDMETHODCALLTYPE CloseElement(const wchar_t* name) override;

    void Clear();
    // False once an append ran out of memory: the text is incomplete.
    bool IsComplete() const { return complete_; }
    const std::wstring& Text() const { return text_; }
    size_t ByteCount() const { return text_.size() * sizeof(wchar_t); }

private:
    HRESULT Append(const wchar_t* text, size_t length);
    // opening + name + ">": "<name>" or "</name>".
    HRESULT AppendTag(const wchar_t* opening, const wchar_t* name);

    std::wstring text_;
    bool complete_ = true;
};

} // namespace brw
