#include "notesdata/commands/DomClass.h"

#include <objbase.h>

namespace brw {

DomClass::~DomClass()
{
    // Released where it was made; elsewhere (a service freed with the
    // process, after its thread's apartment ended) it is left to the process.
    if (thread_ != GetCurrentThreadId()) {
        factory_.Detach();
    }
}

HRESULT DomClass::CreateDocument(IXMLDOMDocument** document)
{
    *document = nullptr;
    const DWORD thread = GetCurrentThreadId();
    DWORD unclaimed = 0;
    if (thread_.compare_exchange_strong(unclaimed, thread)) {
        // Left empty when it fails: this thread then creates as the others do.
        CoGetClassObject(kDomDocumentClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory_.put_void());
    }
    if (thread_ == thread && factory_) {
        return factory_->CreateInstance(nullptr, kDomDocumentInterface, reinterpret_cast<void**>(document));
    }
    return CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER, kDomDocumentInterface,
                            reinterpret_cast<void**>(document));
}

} // namespace brw
