#include "notesdata/CmdGetDocument.h"

namespace brw {

std::unique_ptr<CmdBase> MakeGetDocument(IXMLDOMElement*)
{
    return nullptr;
}

}  // namespace brw
