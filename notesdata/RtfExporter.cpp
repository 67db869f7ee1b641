#include "notesdata/RtfExporter.h"

#include <atomic>

namespace brw {
namespace {

std::atomic<HMODULE> g_module{nullptr};
std::atomic<ExportRtfFunction> g_entry{nullptr};

}  // namespace

void LoadRtfExporter()
{
    HMODULE module = LoadLibraryW(L"nxrtf.dll");
    ExportRtfFunction entry =
        module ? reinterpret_cast<ExportRtfFunction>(reinterpret_cast<void*>(GetProcAddress(module, "ExportRTF")))
               : nullptr;
    g_entry = entry;
    HMODULE previous = g_module.exchange(module);
    if (previous != nullptr) {
        FreeLibrary(previous);
    }
}

void FreeRtfExporter()
{
    g_entry = nullptr;
    HMODULE previous = g_module.exchange(nullptr);
    if (previous != nullptr) {
        FreeLibrary(previous);
    }
}

ExportRtfFunction RtfExporterEntry()
{
    return g_entry;
}

}  // namespace brw
