// A whole Internet message (headers, a blank line, the body) as the items
// Notes keeps for it: what the DXL exporter writes as one <mime> element
// becomes, on import, the items a router delivery would have stored.
#pragma once
#include "platform/notes/NsfFile.h"

#include <string>
#include <vector>

namespace mimestream {

// Each header field but the Content-* ones becomes a header item (To as
// SendTo, Cc as CopyTo, Bcc as BlindCopyTo, Date as PostedDate, Message-ID
// as $MessageID, any other under its own name with '-' as '_'); the body
// becomes MIME part items, the first holding the Content-* fields as its
// headers, the rest of a long body in further items. $NoteHasNativeMIME
// ends the list. A stream without a blank line is all headers.
std::vector<nsf::ItemData> ItemsOfMimeStream(const std::string& stream);

} // namespace mimestream
