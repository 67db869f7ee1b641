#pragma once
// The class object of the DOM the requests are parsed with, kept for the
// thread that owns a data service. CoCreateInstance looks the class up in
// the registry each time, which was the most of a small request's system
// calls; the class object is asked for once.
#include "common/ComHolders.h"

#include <windows.h>
#include <msxml2.h>

#include <atomic>

namespace brw {

// MSXML 3.0's version-independent DOMDocument, named here because the SDK
// headers map the plain name to a later version.
inline constexpr CLSID kDomDocumentClass = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID kDomDocumentInterface = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

class DomClass {
public:
    DomClass() = default;
    ~DomClass();
    DomClass(const DomClass&) = delete;
    DomClass& operator=(const DomClass&) = delete;

    // A new document, made through the class object of the first thread that
    // asks. The caller vouches that the thread's apartment lasts until the
    // DomClass goes; other threads create as usual.
    HRESULT CreateDocument(IXMLDOMDocument** document);

private:
    ComPtr<IClassFactory> factory_; // the owning thread's only
    std::atomic<DWORD> thread_{0};
};

} // namespace brw
