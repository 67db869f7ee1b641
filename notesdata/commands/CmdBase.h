#pragma once
// A command of the data service: made for one request element, it reads its
// attributes and then runs, writing its reply.
#include "common/ComHolders.h"
#include "notesdata/commands/ExecuteCommand.h"

#include <msxml2.h>

#include <memory>

namespace brw {

class CmdBase {
public:
    explicit CmdBase(IXMLDOMElement* element) : element_(element) {}
    virtual ~CmdBase() = default;
    CmdBase(const CmdBase&) = delete;
    CmdBase& operator=(const CmdBase&) = delete;

    // What the command needs to run is present; it runs either way.
    virtual bool ReadAttributes() = 0;
    // 0 on success.
    virtual int Execute(ReplyWriter* writer) = 0;

protected:
    IXMLDOMElement* Element() const { return element_.get(); }

private:
    ComPtr<IXMLDOMElement> element_;
};

using CommandMaker = std::unique_ptr<CmdBase> (*)(IXMLDOMElement* element);

struct CommandEntry {
    const wchar_t* name;
    CommandMaker make;
};

} // namespace brw
