// COM for the length of one call made on a thread that may not have it
// (registration from an installer, ProcessURL from a launcher or a worker);
// the thread is left as it was found.
#pragma once
#include <windows.h>
#include <objbase.h>

namespace brw {

class ComForThisCall {
public:
    ComForThisCall() noexcept : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComForThisCall()
    {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ComForThisCall(const ComForThisCall&) = delete;
    ComForThisCall& operator=(const ComForThisCall&) = delete;

private:
    HRESULT result_;
};

} // namespace brw
