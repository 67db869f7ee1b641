#include "notesdata/files/RtfExporter.h"

#include "common/Handles.h"

#include <mutex>

namespace brw {
namespace {

constexpr wchar_t kExporterModule[] = L"nxrtf.dll";
constexpr char kExporterEntry[] = "ExportRTF";

// One per process: the services of a process share the loaded converter.
struct LoadedExporter {
    std::mutex lock;
    unsigned references = 0;
    ModuleHandle module;
    ExportRtfFunction entry = nullptr;
};

LoadedExporter& Exporter()
{
    static LoadedExporter exporter;
    return exporter;
}

} // namespace

RtfExporterReference::RtfExporterReference()
{
    LoadedExporter& exporter = Exporter();
    std::lock_guard<std::mutex> hold(exporter.lock);
    if (exporter.references++ > 0) {
        return;
    }
    exporter.module.reset(LoadLibraryW(kExporterModule));
    if (exporter.module) {
        exporter.entry = reinterpret_cast<ExportRtfFunction>(
            reinterpret_cast<void*>(GetProcAddress(exporter.module.get(), kExporterEntry)));
    }
}

RtfExporterReference::~RtfExporterReference()
{
    LoadedExporter& exporter = Exporter();
    std::lock_guard<std::mutex> hold(exporter.lock);
    if (--exporter.references > 0) {
        return;
    }
    exporter.entry = nullptr;
    exporter.module.reset();
}

ExportRtfFunction RtfExporterEntry()
{
    LoadedExporter& exporter = Exporter();
    std::lock_guard<std::mutex> hold(exporter.lock);
    return exporter.entry;
}

} // namespace brw
