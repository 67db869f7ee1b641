#include "handler/shell/OpenOnWorker.h"

#include "common/FailureTrail.h"
#include "common/Handles.h"

#include <windows.h>

#include <memory>
#include <string>

namespace brw {
namespace {

struct OpenJob {
    UrlOpener opener;
    std::wstring verb;
    std::wstring url;
    // A reference of the job's own on the module, let go only as the thread
    // ends (FreeLibraryAndExitThread), after the last instruction of ours.
    ModuleHandle module;
};

DWORD WINAPI RunOpenJob(void* parameter) noexcept
{
    std::unique_ptr<OpenJob> job(static_cast<OpenJob*>(parameter));
    try {
        job->opener(job->verb.c_str(), job->url.c_str());
    } catch (...) {
        TraceFailure(L"Context menu", L"open on worker", E_UNEXPECTED);
    }
    const HMODULE module = job->module.release();
    job.reset();
    FreeLibraryAndExitThread(module, 0);
}

// The module this code is linked into, with one more reference on it.
HMODULE PinThisModule()
{
    HMODULE module = nullptr;
    const auto self = reinterpret_cast<const wchar_t*>(reinterpret_cast<const void*>(&RunOpenJob));
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, self, &module)) {
        return nullptr;
    }
    return module;
}

} // namespace

HRESULT OpenOnWorkerThread(UrlOpener opener, const std::wstring& verb, const std::wstring& url)
{
    if (!opener) {
        return E_INVALIDARG;
    }
    auto job = std::make_unique<OpenJob>(OpenJob{opener, verb, url, ModuleHandle(PinThisModule())});
    if (!job->module) {
        const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        TraceFailure(L"Context menu", L"pin module", hr);
        return hr;
    }
    const KernelHandle thread(CreateThread(nullptr, 0, &RunOpenJob, job.get(), 0, nullptr));
    if (!thread) {
        const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        TraceFailure(L"Context menu", L"start worker", hr);
        return hr;
    }
    job.release(); // the thread owns it now
    return S_OK;
}

} // namespace brw
