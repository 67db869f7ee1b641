// Runs XML commands through the installed command client, as the connector's
// pipe server does, and prints each reply (long ones cut):
//   brw_demo_commands <Notes program folder> <product folder> <request element>...
// A request element may use {first-id}: the first id of the last document list.
#include "common/PipeProtocol.h"
#include "common/WideString.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr size_t kShownCharacters = 700;

struct Client {
    int(WINAPI* initialize)(DWORD*);
    int(WINAPI* clear)(DWORD);
    int(WINAPI* execute)(DWORD, const wchar_t*);
    int(WINAPI* size)(DWORD);
    int(WINAPI* get)(DWORD, BYTE*, int, DWORD*);
    int(WINAPI* free)(DWORD);
};

template <typename Function>
bool Bind(HMODULE module, const char* name, Function* function)
{
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *function != nullptr;
}

bool BindClient(HMODULE module, Client* client)
{
    return Bind(module, "InitializeCommandContext", &client->initialize) &&
           Bind(module, "ClearCommandBuffer", &client->clear) && Bind(module, "ExecuteCommand", &client->execute) &&
           Bind(module, "GetReturnBufferSize", &client->size) && Bind(module, "GetReturnBuffer", &client->get) &&
           Bind(module, "FreeCommandContext", &client->free);
}

std::wstring Run(const Client& client, DWORD context, const std::wstring& element)
{
    const std::wstring request = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?>" + element;
    client.clear(context);
    if (client.execute(context, request.c_str()) != 0) {
        return brw::kFailureMarker;
    }
    std::vector<BYTE> bytes(static_cast<size_t>(client.size(context)));
    DWORD length = 0;
    if (client.get(context, bytes.data(), static_cast<int>(bytes.size()), &length) != 0) {
        return brw::kFailureMarker;
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), length / sizeof(wchar_t));
}

std::wstring FirstId(const std::wstring& reply)
{
    const size_t start = reply.find(L"<d>");
    const size_t end = reply.find(L"</d>", start);
    return start == std::wstring::npos || end == std::wstring::npos ? std::wstring()
                                                                    : reply.substr(start + 3, end - start - 3);
}

void Show(const std::wstring& element, std::wstring reply)
{
    // Summary texts hold line breaks; one reply is one line here.
    for (size_t at = reply.find(L'\n'); at != std::wstring::npos; at = reply.find(L'\n', at)) {
        reply.replace(at, 1, L"\\n");
    }
    std::printf("%s\n  -> %s%s (%zu characters)\n", brw::WideToUtf8(element).c_str(),
                brw::WideToUtf8(reply.substr(0, kShownCharacters)).c_str(),
                reply.size() > kShownCharacters ? "..." : "", reply.size());
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: brw_demo_commands <Notes folder> <product folder> <request element>...\n");
        return 2;
    }
    // As the connector does: Notes first, from its own folder; then the
    // client, which finds the data service beside itself.
    const std::wstring notes = std::wstring(argv[1]) + L"\\nnotes.dll";
    const std::wstring clientPath = std::wstring(argv[2]) + L"\\BRWClient.dll";
    Client client{};
    if (!LoadLibraryExW(notes.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
        std::fprintf(stderr, "cannot load %s\n", brw::WideToUtf8(notes).c_str());
        return 1;
    }
    HMODULE module = LoadLibraryExW(clientPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    DWORD context = 0;
    if (module == nullptr || !BindClient(module, &client) || client.initialize(&context) != 0) {
        std::fprintf(stderr, "cannot make a command context with %s\n", brw::WideToUtf8(clientPath).c_str());
        return 1;
    }
    std::wstring lastId;
    for (int i = 3; i < argc; ++i) {
        std::wstring element = argv[i];
        const size_t marker = element.find(L"{first-id}");
        if (marker != std::wstring::npos) {
            element.replace(marker, 10, lastId);
        }
        const std::wstring reply = Run(client, context, element);
        if (!FirstId(reply).empty()) {
            lastId = FirstId(reply);
        }
        Show(element, reply);
    }
    client.free(context);
    return 0;
}
