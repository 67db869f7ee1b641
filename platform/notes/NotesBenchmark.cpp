// Measures the stand-in against its performance targets on a generated
// 100,000-document mail file:
//   notes_benchmark [document count]
// It prints one line per measurement with its target and PASS or FAIL, and
// exits with 1 when a target is missed.
#include "platform/notes/DxlImport.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/NsfFile.h"

#include <objbase.h>
#include <notesapi.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    double Seconds() const
    {
        LARGE_INTEGER now;
        LARGE_INTEGER frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return double(now.QuadPart - start_.QuadPart) / double(frequency.QuadPart);
    }

private:
    LARGE_INTEGER start_;
};

bool g_allPassed = true;

void Report(const char* what, double value, const char* unit, double limit)
{
    const bool pass = value <= limit;
    g_allPassed = g_allPassed && pass;
    std::printf("%-44s %12.3f %-3s (target < %g %s) %s\n", what, value, unit, limit, unit, pass ? "PASS" : "FAIL");
}

std::wstring Folder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

bool Run(const std::wstring& commandLine)
{
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return false;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

// The working set, not PrivateUsage: Wine 8.0 reports PrivateUsage as 0,
// where Windows gives the committed private bytes.
SIZE_T ResidentBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return counters.WorkingSetSize;
}

// A DXL export of about the given size: memos with text, lists, dates and
// rich text, as a real export of a mail file carries them.
bool WriteDxl(const std::wstring& path, size_t targetBytes)
{
    std::string xml = "<?xml version='1.0' encoding='utf-8'?>\n<database xmlns='http://www.lotus.com/dxl' "
                      "title='Export' replicaid='C12585B4004B6231'>\n";
    for (unsigned i = 0; xml.size() < targetBytes; ++i) {
        char note[2048];
        std::snprintf(note, sizeof(note),
                      "<document form='Memo'><noteinfo noteid='%x' unid='C12585B4004B6231%016X' sequence='1'>"
                      "<modified><datetime>20140808T133711,22-04</datetime></modified></noteinfo>\n"
                      "<item name='Subject'><text>Quarterly report number %u</text></item>\n"
                      "<item name='From'><text>CN=Jane Doe/OU=Sales/O=Acme</text></item>\n"
                      "<item name='SendTo'><textlist><text>CN=A B/O=Acme</text><text>CN=C D/O=Acme</text>"
                      "</textlist></item>\n"
                      "<item name='PostedDate'><datetime>20140808T133711,22-04</datetime></item>\n"
                      "<item name='Body'><richtext><pardef id='1'/><par def='1'>The budget review meeting moves "
                      "to Thursday; please bring the forecast and the project plan. <run><font style='bold'/>"
                      "Important</run> items follow in the agenda.</par><par def='1'>Regards</par></richtext>"
                      "</item>\n</document>\n",
                      0x8F6 + 4 * i, i, i);
        xml += note;
    }
    xml += "</database>\n";
    return nsf::WriteFileAtomically(path, std::vector<BYTE>(xml.begin(), xml.end()));
}

struct Walk {
    unsigned notes = 0;
    unsigned items = 0;
};

Walk OpenAndWalkAll(DBHANDLE db, const std::vector<DWORD>& ids)
{
    Walk walk;
    for (DWORD id : ids) {
        NOTEHANDLE note = 0;
        if (NSFNoteOpen(db, id, 0, &note) != NOERROR_STATUS) {
            continue;
        }
        BLOCKID item;
        BLOCKID value;
        WORD type;
        DWORD length;
        STATUS status = NSFItemInfo(note, nullptr, 0, &item, &type, &value, &length);
        while (status == NOERROR_STATUS) {
            char name[130];
            WORD nameLength = 0;
            NSFItemQuery(note, item, name, sizeof(name), &nameLength, nullptr, nullptr, nullptr, nullptr);
            ++walk.items;
            status = NSFItemInfoNext(note, item, nullptr, 0, &item, &type, &value, &length);
        }
        NSFNoteClose(note);
        ++walk.notes;
    }
    return walk;
}

std::vector<DWORD> AllIds(DBHANDLE db, double* seconds)
{
    TIMEDATE minimum;
    TimeConstant(TIMEDATE_MINIMUM, &minimum);
    Stopwatch watch;
    DHANDLE table = 0;
    std::vector<DWORD> ids;
    if (NSFDbGetModifiedNoteTable(db, NOTE_CLASS_DOCUMENT, minimum, nullptr, &table) == NOERROR_STATUS) {
        DWORD id;
        for (BOOL first = TRUE; IDScan(table, first, &id); first = FALSE) {
            ids.push_back(id);
        }
        IDDestroyTable(table);
    }
    *seconds = watch.Seconds();
    return ids;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const unsigned count = argc > 1 ? wcstoul(argv[1], nullptr, 10) : 100000;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"brwbench-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring tool = L"\"" + Folder() + L"\\notesdb.exe\"";
    if (!Run(tool + L" create \"" + dir + L"\"")) {
        std::fprintf(stderr, "notesdb create failed\n");
        return 2;
    }
    const std::wstring mail = dir + L"\\mail.nsf";
    Stopwatch generate;
    if (!Run(tool + L" generate mail \"" + mail + L"\" --count " + std::to_wstring(count) + L" --seed 7")) {
        std::fprintf(stderr, "notesdb generate failed\n");
        return 2;
    }
    Report("generate the mail file", generate.Seconds(), "s", 60);
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    GetFileAttributesExW(mail.c_str(), GetFileExInfoStandard, &attributes);
    const double fileMb = attributes.nFileSizeLow / 1048576.0 + attributes.nFileSizeHigh * 4096.0;
    std::printf("%u documents, file %.1f MB\n", count, fileMb);

    std::string ini = "=" + lmbcs::FromWide(dir + L"\\notes.ini");
    char program[] = "bench";
    char* args[] = {program, ini.data()};
    NotesInitExtended(2, args);
    const SIZE_T before = ResidentBytes();
    Stopwatch firstOpen;
    DBHANDLE db = 0;
    if (NSFDbOpen("mail.nsf", &db) != NOERROR_STATUS) {
        std::fprintf(stderr, "open failed\n");
        return 2;
    }
    Report("first open", firstOpen.Seconds() * 1000, "ms", 1000);
    Report("memory after open / file size", double(ResidentBytes() - before) / (fileMb * 1048576.0), "x", 1.5);

    Stopwatch again;
    const int opens = 1000;
    for (int i = 0; i < opens; ++i) {
        DBHANDLE h = 0;
        NSFDbOpen("mail.nsf", &h);
        NSFDbClose(h);
    }
    Report("repeated open", again.Seconds() * 1000 / opens, "ms", 1);

    double tableSeconds = 0;
    const std::vector<DWORD> ids = AllIds(db, &tableSeconds);
    Report("modified-note table over all notes", tableSeconds * 1000, "ms", 100);

    Stopwatch walkWatch;
    const Walk walk = OpenAndWalkAll(db, ids);
    Report("open a note and walk its items", walkWatch.Seconds() * 1e6 / (walk.notes ? walk.notes : 1), "us", 50);
    std::printf("%u notes, %u items walked\n", walk.notes, walk.items);
    NSFDbClose(db);
    NotesTerm();

    const std::wstring dxlPath = dir + L"\\export.dxl";
    if (WriteDxl(dxlPath, 10u << 20)) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        nsf::DbData data;
        std::wstring error;
        Stopwatch import;
        const bool ok = dxl::Import(dxlPath, data, &error);
        const double seconds = import.Seconds();
        CoUninitialize();
        std::printf("DXL import of 10 MB: %u notes%s\n", static_cast<unsigned>(data.notes.size()), ok ? "" : " FAILED");
        Report("DXL import of a 10 MB export", seconds, "s", 15);
        g_allPassed = g_allPassed && ok;
    }

    std::wstring from = dir;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
    return g_allPassed ? 0 : 1;
}
