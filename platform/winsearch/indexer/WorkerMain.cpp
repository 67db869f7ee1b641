#include "platform/winsearch/indexer/WorkerMain.h"

#include "common/Handles.h"
#include "platform/winsearch/indexer/ProtocolHost.h"
#include "platform/winsearch/indexer/WorkerPipe.h"

#include <objbase.h>
#include <windowssearcherrors.h>

namespace brw::winsearch {

namespace {

// A filter that crashes ends this process at once, with no error dialog or
// debugger (Wine would start winedbg): the host sees the pipe break and
// gives up on that item only.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* exception)
{
    TerminateProcess(GetCurrentProcess(), exception && exception->ExceptionRecord
                                              ? exception->ExceptionRecord->ExceptionCode
                                              : static_cast<UINT>(GTHR_E_FILTER_PROCESS_TERMINATED));
    return EXCEPTION_EXECUTE_HANDLER;
}

int Serve(HANDLE pipe)
{
    ProtocolHost host;
    for (;;) {
        std::string bytes;
        if (ReadFrame(pipe, &bytes) != S_OK) {
            return 0; // the host closed the pipe: shut down
        }
        GatherRequest request;
        GatherReply reply;
        if (DecodeRequest(bytes, &request)) {
            host.Gather(request, &reply);
        } else {
            reply.status = E_INVALIDARG;
            reply.failure = L"bad request";
        }
        if (FAILED(WriteFrame(pipe, EncodeReply(reply)))) {
            return 1;
        }
    }
}

} // namespace

int RunWorker(const wchar_t* pipeName)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    FileHandle pipe(CreateFileW(pipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!pipe) {
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        return 3;
    }
    const int result = Serve(pipe.get());
    CoUninitialize();
    return result;
}

} // namespace brw::winsearch
