#include "notesdata/commands/CommandDispatch.h"

#include "notesdata/commands/RequestXml.h"

#include <objbase.h>

namespace brw {
namespace {

constexpr int kNoCommand = 1;

// COM for the length of one command; on a thread that already has it this
// only nests.
class ComForOneCommand {
public:
    ComForOneCommand() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComForOneCommand()
    {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    // Whether the thread's apartment was there before and stays after.
    bool Nested() const { return result_ == S_FALSE; }
    ComForOneCommand(const ComForOneCommand&) = delete;
    ComForOneCommand& operator=(const ComForOneCommand&) = delete;

private:
    HRESULT result_;
};

// A locale comparison that must report equal, case included, as the names
// are compared.
bool SameName(const std::wstring& name, const wchar_t* command)
{
    return CompareStringW(LOCALE_USER_DEFAULT, 0, name.c_str(), static_cast<int>(name.size()), command, -1) ==
           CSTR_EQUAL;
}

int RunParsed(const RequestXml& request, const CommandEntry* commands, size_t count, ReplyWriter* writer)
{
    for (size_t i = 0; i < count; ++i) {
        if (SameName(request.CommandName(), commands[i].name)) {
            std::unique_ptr<CmdBase> command = commands[i].make(request.Element());
            if (!command) {
                return kNoCommand;
            }
            command->ReadAttributes();
            return command->Execute(writer);
        }
    }
    return kNoCommand;
}

} // namespace

int DispatchRequest(const CommandEntry* commands, size_t count, ReplyWriter* writer, const wchar_t* request,
                    DomClass* domClass)
{
    if (writer == nullptr || request == nullptr) {
        return kNoCommand;
    }
    ComForOneCommand com;
    // The DOM objects go before COM does.
    RequestXml parsed;
    if (!parsed.Load(request, com.Nested() ? domClass : nullptr)) {
        return kNoCommand;
    }
    return RunParsed(parsed, commands, count, writer);
}

} // namespace brw
