#pragma once
// The Notes rich-text to RTF converter "nxrtf.dll", loaded at run time; the
// preview body has no RTF file without it. Every data service holds a
// reference, so the converter stays loaded while any of them may call it.
#include <windows.h>

namespace brw {

// ExportRTF(record file, 0, 0, 0, RTF file), both paths in Notes text.
using ExportRtfFunction = WORD(WINAPI*)(char* recordFile, WORD, DWORD*, char*, char* rtfFile);

// The first reference loads the converter, the last one frees it.
class RtfExporterReference {
public:
    RtfExporterReference();
    ~RtfExporterReference();
    RtfExporterReference(const RtfExporterReference&) = delete;
    RtfExporterReference& operator=(const RtfExporterReference&) = delete;
};

// Null when no reference is held, or the module or its entry is missing.
ExportRtfFunction RtfExporterEntry();

} // namespace brw
