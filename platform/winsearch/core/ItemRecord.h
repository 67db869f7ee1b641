// One item of the catalogue: its URL, its properties by property key with
// their types, and its text.
#pragma once

#include <windows.h>
#include <wtypes.h>
#include <propkeydef.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brw::winsearch {

enum class ValueType : std::uint8_t {
    Text = 1,     // VT_LPWSTR, VT_BSTR
    TextList = 2, // VT_VECTOR | VT_LPWSTR, VT_VECTOR | VT_BSTR
    Integer = 3,  // the signed and unsigned integer types
    Boolean = 4,  // VT_BOOL
    FileTime = 5, // VT_FILETIME, kept as its 64-bit count
};

struct PropertyValue {
    PROPERTYKEY key{};
    ValueType type = ValueType::Text;
    std::wstring text;
    std::vector<std::wstring> texts;
    std::int64_t number = 0; // Integer, Boolean (0 or 1), FileTime
};

struct ItemRecord {
    std::wstring url;
    bool isDirectory = false;
    std::uint64_t lastModified = 0; // FILETIME as a count; 0 when unknown
    // The item gave no time of its own: lastModified is when its gathering
    // began, and the copy covers every change made before that.
    bool timeIsGatherTime = false;
    std::uint64_t size = 0;
    std::vector<PropertyValue> properties;
    std::wstring text;

    const PropertyValue* Find(const PROPERTYKEY& key) const noexcept;
    // The property as text: a Text value, or the first of a TextList.
    std::wstring TextOf(const PROPERTYKEY& key) const;
};

std::uint64_t FileTimeToCount(const FILETIME& time) noexcept;

// The keys the catalogue and the query command show and filter by.
extern const PROPERTYKEY kKeyItemNameDisplay; // System.ItemNameDisplay
extern const PROPERTYKEY kKeyItemName;        // System.ItemName
extern const PROPERTYKEY kKeyTitle;           // System.Title
extern const PROPERTYKEY kKeyAuthor;          // System.Author
extern const PROPERTYKEY kKeyKind;            // System.Kind
extern const PROPERTYKEY kKeyItemType;        // System.ItemType
extern const PROPERTYKEY kKeyDateModified;    // System.DateModified
extern const PROPERTYKEY kKeySize;            // System.Size
// The container enumeration properties (the gatherer's property set).
extern const PROPERTYKEY kKeyUrlToIndex;                     // System.Search.UrlToIndex
extern const PROPERTYKEY kKeyUrlToIndexWithModificationTime; // System.Search.UrlToIndexWithModificationTime
extern const PROPERTYKEY kKeyContents;                       // System.Search.Contents

} // namespace brw::winsearch
