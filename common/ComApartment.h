// The calling thread's COM apartment for the life of the holder: entered
// when made, left when it goes, and only when entering succeeded.
#pragma once

#include <objbase.h>

namespace brw {

class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) noexcept : hr_(CoInitializeEx(nullptr, model)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(hr_)) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool Entered() const noexcept { return SUCCEEDED(hr_); }
    HRESULT Result() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

} // namespace brw
