// The connector's side for the handler benchmark: answers on the
// connector's pipe until asked to quit.
//   brw_handler_bench_server <body file path>
// get_document gets a typical memo naming the body file; "<echo/>" gets a
// reply of the same size with no content; get_modified_document_list for
// db="ids-N.nsf" gets N note ids.
#include "common/PipeProtocol.h"
#include "handler/tests/TestPipeServer.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::wstring Text(const wchar_t* name, const std::wstring& value)
{
    return std::wstring(L"<textfield><name>") + name + L"</name><value>" + value + L"</value></textfield>";
}

std::wstring MemoReply(const std::wstring& bodyPath)
{
    std::wstring reply = L"<document><datefield><name>$ModifiedTime</name><value>06/05/1995 11:00:00</value>"
                         L"</datefield>" +
                         Text(L"Form", L"Memo") + Text(L"Subject", L"Quarterly budget review") +
                         Text(L"From", L"CN=Jane Doe/OU=Sales/O=Acme") +
                         L"<datefield><name>DeliveredDate</name><value>06/05/1995 11:00:00</value></datefield>"
                         L"<datefield><name>PostedDate</name><value>06/05/1995 10:58:00</value></datefield>"
                         L"<textlistfield><name>SendTo</name><value>CN=Ann Lee/OU=X/O=Acme</value>"
                         L"<value>CN=Bob Ray/OU=X/O=Acme</value></textlistfield>"
                         L"<textlistfield><name>InetSendTo</name><value>ann@acme.example</value>"
                         L"<value>bob@acme.example</value></textlistfield>"
                         L"<textlistfield><name>CopyTo</name><value>CN=Cy Lo/O=Acme</value></textlistfield>" +
                         Text(L"$MessageType", L"1") + L"<rtf>" + bodyPath + L"</rtf><attachments>";
    for (int i = 1; i <= 3; ++i) {
        reply += L"<attachment><originalfilename>report" + std::to_wstring(i) +
                 L".doc</originalfilename><attachmentfilesize>20480</attachmentfilesize><attachmentmodifiedtime>"
                 L"<name>attachmentmodifiedtime</name><value>05/05/1995 09:30:00</value></attachmentmodifiedtime>"
                 L"</attachment>";
    }
    return reply + L"</attachments><notesize>31744</notesize></document>";
}

std::wstring IdList(unsigned count)
{
    std::wstring reply = L"<documents>";
    wchar_t id[16];
    for (unsigned i = 1; i <= count; ++i) {
        std::swprintf(id, 16, L"<d>%X</d>", i * 4 + 2);
        reply += id;
    }
    return reply + L"</documents>";
}

std::wstring RequestText(const std::vector<BYTE>& request)
{
    std::wstring text(request.size() / 2, L'\0');
    if (!text.empty()) {
        std::memcpy(&text[0], request.data(), text.size() * 2);
    }
    return text.substr(0, text.find(L'\0'));
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: brw_handler_bench_server <body file path>\n");
        return 2;
    }
    const std::wstring memo = MemoReply(argv[1]);
    const std::wstring echo(memo.size(), L' ');
    HANDLE quit = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    brwtest::TestPipeServer server(brw::kConnectorPipeName, [&](const std::vector<BYTE>& request) {
        const std::wstring text = RequestText(request);
        std::wstring reply = brw::kFailureMarker;
        const size_t ids = text.find(L"db=\"ids-");
        if (text.find(L"<quit/>") != std::wstring::npos) {
            SetEvent(quit);
            reply = L"<bye/>";
        } else if (text.find(L"<echo/>") != std::wstring::npos) {
            reply = echo;
        } else if (text.find(L"<get_document ") != std::wstring::npos) {
            reply = memo;
        } else if (ids != std::wstring::npos) {
            reply = IdList(static_cast<unsigned>(std::wcstoul(text.c_str() + ids + 8, nullptr, 10)));
        }
        return std::optional<std::vector<BYTE>>(brwtest::Utf16Bytes(reply));
    });
    if (!server.Listening()) {
        std::fprintf(stderr, "the pipe could not be created\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    WaitForSingleObject(quit, INFINITE);
    CloseHandle(quit);
    return 0;
}
