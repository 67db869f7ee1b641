#include "notesdata/commands/CommandDispatch.h"

#include "common/ComApartment.h"
#include "notesdata/commands/RequestXml.h"

#include <objbase.h>

namespace brw {
namespace {

constexpr int kNoCommand = 1;

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
    // COM for the length of one command; on a thread that already has it
    // this only nests.
    const ComApartment com;
    // The DOM objects go before COM does. The kept class object only where
    // the apartment was there before (S_FALSE) and so outlives the command.
    RequestXml parsed;
    if (!parsed.Load(request, com.Result() == S_FALSE ? domClass : nullptr)) {
        return kNoCommand;
    }
    return RunParsed(parsed, commands, count, writer);
}

} // namespace brw
