#pragma once
// The Notes rich-text to RTF converter "nxrtf.dll", loaded at run time; the
// preview body has no RTF file without it.
#include <windows.h>

namespace brw {

// ExportRTF(record file, 0, 0, 0, RTF file), both paths in Notes text.
using ExportRtfFunction = WORD(WINAPI*)(char* recordFile, WORD, DWORD*, char*, char* rtfFile);

// Loads the converter (again), replacing the process-wide one.
void LoadRtfExporter();
void FreeRtfExporter();
// Null when the module or its entry is missing.
ExportRtfFunction RtfExporterEntry();

}  // namespace brw
