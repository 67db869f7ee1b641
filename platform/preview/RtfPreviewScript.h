// What registering the stand-ins' RTF preview handler writes: its class and
// its binding to .rtf. Texts carry %MODULE%.
#pragma once
#include "common/RegistryScript.h"

namespace brw {

RegistryScript RtfPreviewScript();

} // namespace brw
