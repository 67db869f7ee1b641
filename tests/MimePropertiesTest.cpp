// One received mail stored twice, once as a classic memo and once as
// Internet mail (header items and MIME parts), run through the data
// service behind the connector's pipe server and the handler's property
// mapping: the properties the index gets must be the same.
#include "common/Handles.h"
#include "common/WideString.h"
#include "handler/filters/NoteProperties.h"
#include "handler/pipe/PipeClient.h"
#include "handler/pipe/Requests.h"
#include "notesdata/tests/MimeItemsDxl.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/ScratchFolder.h"

#include <windows.h>
#include <propidl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

namespace {

using brwtest::Quoted;
using namespace brwtest::mimedxl;

constexpr DWORD kWaitMs = 60000;
constexpr wchar_t kClassicId[] = L"8F6";
constexpr wchar_t kMimeId[] = L"8FA";
// The size is what the note's values take in the database: the same mail
// takes more bytes as MIME, so that one property is not compared.
constexpr ULONG kSizeProperty = 4;
// The note id the request names, given the same to both.
constexpr wchar_t kSameId[] = L"8F6";

constexpr char kRevised[] = "<revised><datetime>20140808T140000,00-04</datetime></revised>";
constexpr char kCsv[] = "Quartal;Summe\r\nQ2;1200\r\n";

std::string ClassicMemo()
{
    return std::string("<document form='Memo'><noteinfo noteid='8f6'>") + kRevised +
           "</noteinfo>"
           "<item name='Subject'><text>Quartalszahlen \xC3\xBC"
           "berpr\xC3\xBC"
           "ft</text></item>"
           "<item name='From'><text>Ren\xC3\xA9 Roux &lt;rene@example.fr&gt;</text></item>"
           "<item name='SendTo'><textlist><text>Berg, Anna &lt;anna@example.com&gt;</text>"
           "<text>J\xC3\xB6rg &lt;joerg@example.de&gt;</text></textlist></item>"
           "<item name='CopyTo'><textlist><text>&lt;sam@example.com&gt;</text></textlist></item>"
           "<item name='PostedDate'><datetime>20140808T131833,00-04</datetime></item>"
           "<item name='DeliveredDate'><datetime>20140808T131933,00-04</datetime></item>"
           "<item name='Body'><richtext><par>Die Zahlen sind gepr\xC3\xBC"
           "ft.</par>"
           "<par><attachmentref name='zahlen.csv' displayname='zahlen.csv'/></par></richtext></item>"
           "<item name='$FILE'><object><file name='zahlen.csv'><filedata>" +
           Base64Of(kCsv) + "</filedata></file></object></item></document>";
}

std::string MimeMemo()
{
    return std::string("<document form='Memo'><noteinfo noteid='8fa'>") + kRevised + "</noteinfo>" +
           Header("SendTo", kAddress | kTextList, "To",
                  "\"Berg, Anna\" <anna@example.com>, =?iso-8859-1?Q?J=F6rg?= <joerg@example.de>") +
           Header("CopyTo", kAddress | kTextList, "Cc", "<sam@example.com>") +
           Header("Subject", kText, "Subject", "=?UTF-8?B?UXVhcnRhbHN6YWhsZW4gw7xiZXJwcsO8ZnQ=?=") +
           Header("From", kAddress, "From", "=?utf-8?Q?Ren=C3=A9_Roux?= <rene@example.fr>") +
           Header("PostedDate", kDate, "Date", "Fri, 8 Aug 2014 13:18:33 -0400", Time(0x005F1504, 0x04257D2E)) +
           Part(kHasHeaders, "", "Content-Type: multipart/mixed; boundary=\"m\"\r\n\r\n", "") +
           Part(kHasBoundary | kHasHeaders, "\r\n--m\r\n",
                "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n",
                "Die Zahlen sind gepr=C3=BCft.") +
           Part(kHasBoundary | kHasHeaders, "\r\n--m\r\n",
                "Content-Type: text/csv; name=\"zahlen.csv\"\r\nContent-Disposition: attachment\r\n"
                "Content-Transfer-Encoding: base64\r\n\r\n",
                Base64Of(kCsv) + "\r\n--m--\r\n") +
           "<item name='DeliveredDate'><datetime>20140808T131933,00-04</datetime></item>"
           "<item name='$NoteHasNativeMIME'><text>1</text></item></document>";
}

bool WriteText(const std::wstring& path, const std::string& text)
{
    brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

void RunTool(const std::wstring& arguments)
{
    brwtest::ProcessSpec launch;
    launch.commandLine = Quoted(brwtest::BinaryIn32BitTree(L"platform\\notes\\notesdb.exe")) + L" " + arguments;
    brwtest::RunningProcess process(launch);
    const brwtest::ProcessResult result = process.Wait(kWaitMs);
    ASSERT_EQ(0u, result.exitCode) << brw::WideToUtf8(arguments) << "\n" << result.output;
}

bool NeverStart()
{
    return false;
}

// A property value as text, its type first, so that two values compare
// and a difference reads plainly.
std::wstring Described(const PROPVARIANT& value)
{
    std::wstring text = brw::FormatText(L"vt=%u ", value.vt);
    switch (value.vt) {
    case VT_EMPTY:
        return text;
    case VT_BSTR:
        return text + (value.bstrVal != nullptr ? value.bstrVal : L"(null)");
    case VT_LPWSTR:
        return text + (value.pwszVal != nullptr ? value.pwszVal : L"(null)");
    case VT_BOOL:
        return text + (value.boolVal != VARIANT_FALSE ? L"true" : L"false");
    case VT_UI4:
        return text + std::to_wstring(value.ulVal);
    case VT_I4:
        return text + std::to_wstring(value.lVal);
    case VT_UI8:
        return text + std::to_wstring(value.uhVal.QuadPart);
    case VT_I8:
        return text + std::to_wstring(value.hVal.QuadPart);
    case VT_FILETIME:
        return text + std::to_wstring((ULONGLONG(value.filetime.dwHighDateTime) << 32) | value.filetime.dwLowDateTime);
    case VT_VECTOR | VT_LPWSTR:
        for (ULONG at = 0; at < value.calpwstr.cElems; ++at) {
            text += std::wstring(value.calpwstr.pElems[at]) + L"|";
        }
        return text;
    default:
        return text + L"(not described)";
    }
}

class MimeProperties : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<unsigned> counter{0};
        pipeName_ = brw::FormatText(L"\\\\.\\pipe\\BrwMimeProperties.%lu.%u", GetCurrentProcessId(), ++counter);
        const std::wstring ini = root_.Sub(L"notes.ini");
        RunTool(L"create " + Quoted(root_.Sub(L"data")) + L" --ini " + Quoted(ini));
        CreateDirectoryW(root_.Sub(L"temp").c_str(), nullptr);
        const std::wstring dxl = root_.Sub(L"mail.dxl");
        ASSERT_TRUE(WriteText(dxl, "<?xml version='1.0' encoding='UTF-8'?><database>" + ClassicMemo() + MimeMemo() +
                                       "</database>"));
        RunTool(L"import " + Quoted(dxl) + L" " + Quoted(root_.Sub(L"data\\mail.nsf")));
        host_ = std::make_unique<brwtest::RunningProcess>(
            brwtest::ProcessSpec{Quoted(brwtest::BinaryIn32BitTree(L"tests\\brw_pipe_server_host.exe")) + L" " +
                                 Quoted(ini) + L" " + Quoted(pipeName_)});
        ASSERT_TRUE(host_->WaitForOutput("ready", kWaitMs));
    }

    std::wstring Reply(const wchar_t* noteId)
    {
        const brw::PipeEndpoint endpoint{pipeName_.c_str(), &NeverStart, kWaitMs};
        brw::PipeReply reply;
        const std::wstring request =
            brw::DocumentRequestText(L"mail.nsf", noteId, brw::DocumentRequest{}, root_.Sub(L"temp"));
        EXPECT_EQ(S_OK, brw::ExchangeOverPipe(endpoint, &reply, request.c_str())) << brw::WideToUtf8(noteId);
        return reply.Text();
    }

    brwtest::ScratchFolder root_{L"brwmime"};
    std::wstring pipeName_;
    std::unique_ptr<brwtest::RunningProcess> host_; // ended with the test
};

TEST_F(MimeProperties, AMimeMemoGivesThePropertiesOfTheSameMemoInClassicForm)
{
    const std::wstring classic = Reply(kClassicId);
    const std::wstring mime = Reply(kMimeId);
    for (ULONG index = 0; index < brw::kNotePropertyCount; ++index) {
        if (index == kSizeProperty) {
            continue;
        }
        PROPVARIANT fromClassic;
        PROPVARIANT fromMime;
        PropVariantInit(&fromClassic);
        PropVariantInit(&fromMime);
        ASSERT_EQ(S_OK, brw::ComputeNoteProperty(index, classic, kSameId, &fromClassic));
        ASSERT_EQ(S_OK, brw::ComputeNoteProperty(index, mime, kSameId, &fromMime));
        EXPECT_EQ(Described(fromClassic), Described(fromMime))
            << "property " << index << "\nclassic: " << brw::WideToUtf8(classic) << "\nmime: " << brw::WideToUtf8(mime);
        // The fields the mail is found by must have come through at all.
        if (index == 2 || index == 7 || index == 8 || index == 16 || index == 17 || index == 21 || index == 22) {
            EXPECT_NE(VT_EMPTY, fromMime.vt) << "property " << index;
        }
        PropVariantClear(&fromClassic);
        PropVariantClear(&fromMime);
    }
}

} // namespace
