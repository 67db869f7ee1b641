#pragma once
// The interfaces between the Notes data service and the command client that
// hosts it. They cross a DLL boundary without being COM, so their functions
// use COM's calling convention and their order never changes.
#include <windows.h>

// The writer a command builds its reply with. The reply is UTF-16 XML
// without a prologue; every call reports E_OUTOFMEMORY when the text could
// not be kept, after which the reply is incomplete and must not be sent.
struct ReplyWriter {
    // Starts the reply, dropping anything written before.
    virtual HRESULT STDMETHODCALLTYPE Begin() = 0;
    // Appends "<" name ">".
    virtual HRESULT STDMETHODCALLTYPE OpenElement(const wchar_t* name) = 0;
    // Appends length characters of text as they are; -1: up to its NUL.
    virtual HRESULT STDMETHODCALLTYPE AppendText(const wchar_t* text, int length) = 0;
    // Appends value formatted by a printf-style format with one 32-bit
    // conversion ("%X", "%ld", "<d>%X</d>").
    virtual HRESULT STDMETHODCALLTYPE AppendFormat(const wchar_t* format, long value) = 0;
    // Appends "</" name ">".
    virtual HRESULT STDMETHODCALLTYPE CloseElement(const wchar_t* name) = 0;
};

struct IExecuteCommand {
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
    // Runs one XML command on the calling thread; 0 on success.
    virtual int STDMETHODCALLTYPE Execute(ReplyWriter* writer, const wchar_t* request) = 0;
};
