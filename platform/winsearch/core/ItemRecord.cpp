#include "platform/winsearch/core/ItemRecord.h"

namespace brw::winsearch {

namespace {
constexpr GUID kStorageSet = {0xb725f130, 0x47ef, 0x101a, {0xa5, 0xf1, 0x02, 0x60, 0x8c, 0x9e, 0xeb, 0xac}};
constexpr GUID kSummarySet = {0xf29f85e0, 0x4ff9, 0x1068, {0xab, 0x91, 0x08, 0x00, 0x2b, 0x27, 0xb3, 0xd9}};
constexpr GUID kGatherSet = {0x0b63e343, 0x9ccc, 0x11d0, {0xbc, 0xdb, 0x00, 0x80, 0x5f, 0xcc, 0xce, 0x04}};
} // namespace

const PROPERTYKEY kKeyItemNameDisplay = {kStorageSet, 10};
const PROPERTYKEY kKeyItemName = {{0x6b8da074, 0x3b5c, 0x43bc, {0x88, 0x6f, 0x0a, 0x2c, 0xdc, 0xe0, 0x0b, 0x6f}}, 100};
const PROPERTYKEY kKeyTitle = {kSummarySet, 2};
const PROPERTYKEY kKeyAuthor = {kSummarySet, 4};
const PROPERTYKEY kKeyKind = {{0x1e3ee840, 0xbc2b, 0x476c, {0x82, 0x37, 0x2a, 0xcd, 0x1a, 0x83, 0x9b, 0x22}}, 3};
const PROPERTYKEY kKeyItemType = {{0x28636aa6, 0x953d, 0x11d2, {0xb5, 0xd6, 0x00, 0xc0, 0x4f, 0xd9, 0x18, 0xd0}}, 11};
const PROPERTYKEY kKeyDateModified = {kStorageSet, 14};
const PROPERTYKEY kKeySize = {kStorageSet, 12};
const PROPERTYKEY kKeyUrlToIndex = {kGatherSet, 2};
const PROPERTYKEY kKeyUrlToIndexWithModificationTime = {kGatherSet, 12};
const PROPERTYKEY kKeyContents = {kStorageSet, 19};

const PropertyValue* ItemRecord::Find(const PROPERTYKEY& key) const noexcept
{
    for (const PropertyValue& value : properties) {
        if (value.key.pid == key.pid && IsEqualGUID(value.key.fmtid, key.fmtid)) {
            return &value;
        }
    }
    return nullptr;
}

std::wstring ItemRecord::TextOf(const PROPERTYKEY& key) const
{
    const PropertyValue* value = Find(key);
    if (!value) {
        return std::wstring();
    }
    if (value->type == ValueType::Text) {
        return value->text;
    }
    if (value->type == ValueType::TextList && !value->texts.empty()) {
        return value->texts.front();
    }
    return std::wstring();
}

std::uint64_t FileTimeToCount(const FILETIME& time) noexcept
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace brw::winsearch
