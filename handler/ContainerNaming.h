// The three naming chunks the container filters open with.
#pragma once
#include "handler/FilterChunks.h"
#include "handler/PropertyKeys.h"

namespace brw {

constexpr ULONG kNamingPropertyCount = 3;
constexpr PropertyKeyEntry kNamingProperties[kNamingPropertyCount] = {
    {kStorageFormat, 10}, // ItemNameDisplay
    {kMessageFormat, 7},  // ItemPathDisplay
    {kItemFormat, 24},    // ParsingName
};

} // namespace brw
