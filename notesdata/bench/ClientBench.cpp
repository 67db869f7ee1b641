// The data service's speed and footprint through the command client, as the
// connector's pipe server uses it:
//   scripts/wine-run.sh PREFIX <32-bit tree>/notesdata/notesdata_bench.exe [commands]
// Each line says PASS or FAIL against its target.
#include "common/WideString.h"
#include "connector/CommandContextHandle.h"
#include "notesdata/tests/MimeItemsDxl.h"
#include "notesdata/tests/NotesSandbox.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kPrologue[] = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?>";
constexpr double kDocumentsPerSecondTarget = 800;
// Internet mail is parsed and decoded on every request; it may cost this
// share of the classic memo's rate at most.
constexpr double kMimeRateShareTarget = 0.8;
constexpr size_t kMimeTextBytes = 10 * 1024;
constexpr size_t kMimeAttachmentBytes = 100 * 1024;
// A MIME part item counts its bytes in 16 bits.
constexpr size_t kPartItemBytes = 0xFFF0;
constexpr double kListSecondsTarget = 1.0;
constexpr size_t kLargeDatabase = 100000;
// Growth allowed over the whole run: allocator noise, not a leak.
constexpr double kMemoryGrowthLimitMb = 2.0;

double Seconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Under Wine PrivateUsage reads 0; the working set is what it reports
// (Windows would report committed private bytes here).
double MemoryMb()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    const SIZE_T bytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.WorkingSetSize;
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

DWORD HandleCount()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

void Report(const char* what, double value, const char* unit, bool pass)
{
    std::printf("%-48s %12.2f %-10s %s\n", what, value, unit, pass ? "PASS" : "FAIL");
}

class Client {
public:
    bool Made() const { return static_cast<bool>(context_); }
    // The reply's length in bytes; 0 on failure.
    size_t Run(const std::wstring& request)
    {
        ClearCommandBuffer(context_.get());
        if (ExecuteCommand(context_.get(), request.c_str()) != 0) {
            return 0;
        }
        buffer_.resize(static_cast<size_t>(GetReturnBufferSize(context_.get())));
        DWORD length = 0;
        return GetReturnBuffer(context_.get(), buffer_.data(), static_cast<int>(buffer_.size()), &length) == 0 ? length
                                                                                                               : 0;
    }
    std::wstring ReplyText() const
    {
        return std::wstring(reinterpret_cast<const wchar_t*>(buffer_.data()), buffer_.size() / sizeof(wchar_t));
    }

private:
    brw::CommandContextHandle context_ = brw::MakeCommandContext();
    std::vector<BYTE> buffer_;
};

// A typical memo: twelve items, a 4 KB rich-text body, one 100 KB
// attachment. Returns its note id as hex text.
std::wstring AddTypicalMemo(const brwtest::NotesSandbox& sandbox)
{
    const std::wstring attachment = sandbox.RootPath(L"plan.xls");
    sandbox.WriteFileBytes(attachment, std::string(100 * 1024, 'x'));
    std::wstring body;
    while (body.size() < 4096) {
        body += L"Quarterly figures attached; please review before Friday. ";
    }
    const std::wstring options =
        L"--form Memo --text Subject=\"Budget review\" --text From=\"CN=Ann Lee/O=Acme\" "
        L"--textlist SendTo=\"Bob|Carol|Dan\" --textlist CopyTo=\"Eve|Frank\" --text Principal=\"Ann Lee\" "
        L"--time PostedDate=20240305T093000 --time DeliveredDate=20240305T093100 --text Importance=2 "
        L"--number Size=120000 --richtext Body=\"" +
        body + L"\" --attach \"" + attachment + L"\"";
    const brwtest::NotesSandbox::ToolResult added =
        sandbox.Notesdb(L"add \"" + sandbox.DataPath(L"memo.nsf") + L"\" " + options);
    std::string id = added.output;
    while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) {
        id.pop_back();
    }
    return added.succeeded ? brw::Utf8ToWide(id) : std::wstring();
}

// A typical received Internet mail: its headers as header items, 10 KB of
// text as a plain and an HTML alternative (20 KB in all), one 100 KB file
// in base64, the parts spread over items as Notes spreads them. Returns
// its note id as hex text.
std::wstring AddTypicalMimeMemo(const brwtest::NotesSandbox& sandbox)
{
    using namespace brwtest::mimedxl;
    std::string text;
    while (text.size() < kMimeTextBytes) {
        text += "Quarterly figures attached; please review before Friday. ";
    }
    std::string file(kMimeAttachmentBytes, '\0');
    for (size_t at = 0; at < file.size(); ++at) {
        file[at] = static_cast<char>(at * 31 % 251);
    }
    std::string encoded;
    const std::string base64 = Base64Of(file);
    for (size_t at = 0; at < base64.size(); at += 76) {
        encoded += base64.substr(at, 76) + "\r\n";
    }
    std::string parts = Part(kHasHeaders, "", "Content-Type: multipart/mixed; boundary=\"m\"\r\n\r\n", "") +
                        Part(kHasBoundary | kHasHeaders, "\r\n--m\r\n",
                             "Content-Type: multipart/alternative; boundary=\"a\"\r\n\r\n", "") +
                        Part(kHasBoundary | kHasHeaders, "\r\n--a\r\n", "Content-Type: text/plain\r\n\r\n", text) +
                        Part(kHasBoundary | kHasHeaders, "\r\n--a\r\n", "Content-Type: text/html\r\n\r\n",
                             "<html><body><p>" + text + "</p></body></html>\r\n--a--\r\n") +
                        Part(kHasBoundary | kHasHeaders, "\r\n--m\r\n",
                             "Content-Type: application/vnd.ms-excel; name=\"plan.xls\"\r\n"
                             "Content-Disposition: attachment\r\nContent-Transfer-Encoding: base64\r\n\r\n",
                             encoded.substr(0, kPartItemBytes - 200));
    for (size_t at = kPartItemBytes - 200; at < encoded.size(); at += kPartItemBytes) {
        parts += Part(0, "", "", encoded.substr(at, kPartItemBytes));
    }
    parts += Part(0, "", "", "\r\n--m--\r\n");
    const std::string dxl =
        "<?xml version='1.0' encoding='UTF-8'?><database><document form='Memo'><noteinfo noteid='8fa'/>" +
        Header("SendTo", kAddress | kTextList, "To", "Bob <bob@acme.com>, Carol <carol@acme.com>, Dan <dan@acme.com>") +
        Header("CopyTo", kAddress | kTextList, "Cc", "Eve <eve@acme.com>, Frank <frank@acme.com>") +
        Header("Subject", kText, "Subject", "=?utf-8?Q?Budget_review?=") +
        Header("From", kAddress, "From", "Ann Lee <ann@acme.com>") +
        Header("PostedDate", kDate, "Date", "Tue, 5 Mar 2024 09:30:00 +0000", Time(3420000, 2460375)) + parts +
        "<item name='DeliveredDate'><datetime>20240305T093100,00+00</datetime></item>"
        "<item name='$NoteHasNativeMIME'><text>1</text></item></document></database>";
    const std::wstring dxlPath = sandbox.RootPath(L"mime.dxl");
    sandbox.WriteFileBytes(dxlPath, dxl);
    return sandbox.Notesdb(L"import \"" + dxlPath + L"\" \"" + sandbox.DataPath(L"mime.nsf") + L"\"").succeeded
               ? L"8FA"
               : std::wstring();
}

// The handler deletes the body file once it has read it, so each request
// writes a new one; the deletion is the handler's time, not the service's.
void DeleteBodyFile(const std::wstring& reply)
{
    const size_t start = reply.find(L"<rtf>");
    const size_t end = reply.find(L"</rtf>");
    if (start != std::wstring::npos && end != std::wstring::npos && end > start) {
        const std::wstring path = reply.substr(start + 5, end - start - 5);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
}

double DocumentRate(Client& client, const std::wstring& request, size_t commands, size_t* failures)
{
    double elapsed = 0;
    for (size_t i = 0; i < commands; ++i) {
        const double start = Seconds();
        *failures += client.Run(request) == 0 ? 1 : 0;
        elapsed += Seconds() - start;
        DeleteBodyFile(client.ReplyText());
    }
    return static_cast<double>(commands) / elapsed;
}

// The rate of the MIME memo against the classic one's. The two are asked
// for in alternating blocks, so that a change in the machine's load during
// the run weighs on both alike.
bool MeasureMimeDocuments(Client& client, const std::wstring& classicRequest, const std::wstring& mimeRequest,
                          size_t commands)
{
    constexpr size_t kBlock = 500;
    size_t failures = 0;
    client.Run(mimeRequest);
    const bool listed = client.ReplyText().find(L"<originalfilename>plan.xls</originalfilename>") != std::wstring::npos;
    double classicSeconds = 0;
    double mimeSeconds = 0;
    for (size_t done = 0; done < commands; done += kBlock) {
        const size_t block = std::min(kBlock, commands - done);
        classicSeconds += static_cast<double>(block) / DocumentRate(client, classicRequest, block, &failures);
        mimeSeconds += static_cast<double>(block) / DocumentRate(client, mimeRequest, block, &failures);
    }
    const double share = classicSeconds / mimeSeconds;
    Report("get_document of a typical MIME memo", static_cast<double>(commands) / mimeSeconds, "replies/s",
           failures == 0 && listed);
    Report("the classic memo alongside it", static_cast<double>(commands) / classicSeconds, "replies/s", failures == 0);
    Report("the MIME memo's share of the classic memo's rate", share * 100, "%", share >= kMimeRateShareTarget);
    return failures == 0 && listed && share >= kMimeRateShareTarget;
}

bool MeasureDocuments(Client& client, const std::wstring& request, size_t commands)
{
    const double memoryBefore = MemoryMb();
    const DWORD handlesBefore = HandleCount();
    size_t failures = 0;
    const double rate = DocumentRate(client, request, commands, &failures);
    const double growth = MemoryMb() - memoryBefore;
    const DWORD handlesAfter = HandleCount();
    Report("get_document of a typical memo", rate, "replies/s", rate >= kDocumentsPerSecondTarget && failures == 0);
    std::printf("memory %.2f MB before the run, %.2f MB after it\n", memoryBefore, memoryBefore + growth);
    Report("memory growth over the run", growth, "MB", growth <= kMemoryGrowthLimitMb);
    Report("handle growth over the run", static_cast<double>(handlesAfter) - handlesBefore, "handles",
           handlesAfter <= handlesBefore);
    return rate >= kDocumentsPerSecondTarget && failures == 0 && growth <= kMemoryGrowthLimitMb &&
           handlesAfter <= handlesBefore;
}

bool MeasureList(Client& client, const brwtest::NotesSandbox& sandbox)
{
    if (!sandbox
             .Notesdb(L"generate mail \"" + sandbox.DataPath(L"large.nsf") + L"\" --count " +
                      std::to_wstring(kLargeDatabase))
             .succeeded) {
        std::printf("could not generate the large database\n");
        return false;
    }
    const std::wstring request = std::wstring(kPrologue) + L"<get_modified_document_list db=\"large.nsf\"/>";
    client.Run(request); // the first open loads the file
    const double start = Seconds();
    const size_t bytes = client.Run(request);
    const double elapsed = Seconds() - start;
    Report("get_modified_document_list of 100,000 documents", elapsed, "s", elapsed <= kListSecondsTarget && bytes);
    return elapsed <= kListSecondsTarget && bytes != 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const size_t commands = argc > 1 ? wcstoul(argv[1], nullptr, 10) : 100000;
    brwtest::NotesSandbox sandbox;
    if (!sandbox.Start() || !sandbox.NewDatabase(L"memo.nsf").succeeded) {
        std::printf("could not make the Notes data directory\n");
        return 2;
    }
    const std::wstring id = AddTypicalMemo(sandbox);
    Client client;
    if (id.empty() || !client.Made()) {
        std::printf("could not add the memo or make a command context\n");
        return 2;
    }
    const std::wstring request = std::wstring(kPrologue) + L"<get_document db=\"memo.nsf\" tempdir=\"" +
                                 sandbox.TempDir() + L"\" id=\"" + id +
                                 L"\" attnum=\"0\" manage=\"false\" preview=\"false\"/>";
    if (client.Run(request) == 0) {
        std::printf("get_document fails\n");
        return 2;
    }
    // Warm up so that one-time allocations are not taken for growth.
    for (int i = 0; i < 1000; ++i) {
        client.Run(request);
    }
    const bool documents = MeasureDocuments(client, request, commands);
    const std::wstring mimeId = AddTypicalMimeMemo(sandbox);
    const std::wstring mimeRequest = std::wstring(kPrologue) + L"<get_document db=\"mime.nsf\" tempdir=\"" +
                                     sandbox.TempDir() + L"\" id=\"" + mimeId +
                                     L"\" attnum=\"0\" manage=\"false\" preview=\"false\"/>";
    const bool mime = !mimeId.empty() && MeasureMimeDocuments(client, request, mimeRequest, commands);
    const bool list = MeasureList(client, sandbox);
    return documents && mime && list ? 0 : 1;
}
