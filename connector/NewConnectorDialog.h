#pragma once
// The "New Search Connector" dialog: the user picks a kind of IBM
// Connections search or types an OpenSearch query, names it and gives the
// server; OK writes the connector file (and its favourite).
#include <windows.h>

namespace brw {

// Modal; the messages it shows are owned by owner.
void ShowNewConnectorDialog(HINSTANCE instance, HWND owner);

} // namespace brw
