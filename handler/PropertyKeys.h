// The Windows properties the filters report, each named once: the format
// ids, then the keys (format id and property id) the chunk tables list.
#pragma once
#include <windows.h>

namespace brw {

struct PropertyKeyEntry {
    GUID formatId;
    PROPID id;
};

constexpr GUID kStorageFormat = {0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}};
constexpr GUID kItemFormat = {0x28636AA6, 0x953D, 0x11D2, {0xB5, 0xD6, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0xD0}};
constexpr GUID kSummaryFormat = {0xF29F85E0, 0x4FF9, 0x1068, {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9}};
constexpr GUID kKindFormat = {0x1E3EE840, 0xBC2B, 0x476C, {0x82, 0x37, 0x2A, 0xCD, 0x1A, 0x83, 0x9B, 0x22}};
constexpr GUID kFolderNarrowFormat = {0xDABD30ED, 0x0043, 0x4789, {0xA7, 0xF8, 0xD0, 0x13, 0xA4, 0x73, 0x66, 0x22}};
constexpr GUID kMessageFormat = {0xE3E0584C, 0xB788, 0x4A5A, {0xBB, 0x20, 0x7F, 0x5A, 0x44, 0xC9, 0xAC, 0xDD}};
constexpr GUID kHasAttachmentsFormat = {0x9C1FCF74, 0x2D97, 0x41BA, {0xB4, 0xAE, 0xCB, 0x2E, 0x36, 0x61, 0xA6, 0xE4}};
constexpr GUID kIsAttachmentFormat = {0xF23F425C, 0x71A1, 0x4FA8, {0x92, 0x2F, 0x67, 0x8E, 0xA4, 0xA6, 0x04, 0x08}};
constexpr GUID kFileNameFormat = {0x41CF5AE0, 0xF75A, 0x4806, {0xBD, 0x87, 0x59, 0xC7, 0xD9, 0x24, 0x8E, 0xB9}};
constexpr GUID kLocationFormat = {0xF6272D18, 0xCECC, 0x40B1, {0xB2, 0x6A, 0x39, 0x11, 0x71, 0x7A, 0xA7, 0xBD}};
constexpr GUID kStartDateFormat = {0x48FD6EC8, 0x8A12, 0x4CDF, {0xA0, 0x3E, 0x4E, 0xC5, 0xA5, 0x11, 0xED, 0xDE}};
constexpr GUID kEndDateFormat = {0xC75FAA05, 0x96FD, 0x49E7, {0x9C, 0xB4, 0x9F, 0x60, 0x10, 0x82, 0xD5, 0x53}};
// System.Search.UrlToIndexWithModificationTime: asks the indexer to crawl a URL.
constexpr GUID kSearchFormat = {0x0B63E343, 0x9CCC, 0x11D0, {0xBC, 0xDB, 0x00, 0x80, 0x5F, 0xCC, 0xCE, 0x04}};

// What the item is and where it lives.
constexpr PropertyKeyEntry kItemNameDisplayKey = {kStorageFormat, 10};
constexpr PropertyKeyEntry kItemTypeKey = {kItemFormat, 11};
constexpr PropertyKeyEntry kAuthorKey = {kSummaryFormat, 4};
constexpr PropertyKeyEntry kKindKey = {kKindFormat, 3};
constexpr PropertyKeyEntry kSizeKey = {kStorageFormat, 12};
constexpr PropertyKeyEntry kItemFolderPathDisplayNarrowKey = {kFolderNarrowFormat, 100};
constexpr PropertyKeyEntry kDateModifiedKey = {kStorageFormat, 14};
constexpr PropertyKeyEntry kIsAttachmentKey = {kIsAttachmentFormat, 100};
constexpr PropertyKeyEntry kFileNameKey = {kFileNameFormat, 100};
constexpr PropertyKeyEntry kItemPathDisplayKey = {kMessageFormat, 7};
constexpr PropertyKeyEntry kParsingNameKey = {kItemFormat, 24};
constexpr PropertyKeyEntry kPerceivedTypeKey = {kItemFormat, 9};
constexpr PropertyKeyEntry kSubjectKey = {kSummaryFormat, 3};

// Mail and calendar entries.
constexpr PropertyKeyEntry kFromNameKey = {kMessageFormat, 14};
constexpr PropertyKeyEntry kHasAttachmentsKey = {kHasAttachmentsFormat, 8};
constexpr PropertyKeyEntry kToNameKey = {kMessageFormat, 17};
constexpr PropertyKeyEntry kToAddressKey = {kMessageFormat, 16};
constexpr PropertyKeyEntry kCcNameKey = {kMessageFormat, 5};
constexpr PropertyKeyEntry kCcAddressKey = {kMessageFormat, 4};
constexpr PropertyKeyEntry kDateReceivedKey = {kMessageFormat, 20};
constexpr PropertyKeyEntry kDateSentKey = {kMessageFormat, 19};
constexpr PropertyKeyEntry kLocationKey = {kLocationFormat, 100};
constexpr PropertyKeyEntry kStartDateKey = {kStartDateFormat, 100};
constexpr PropertyKeyEntry kEndDateKey = {kEndDateFormat, 100};

constexpr PropertyKeyEntry kUrlToIndexWithModificationTime = {kSearchFormat, 12};

} // namespace brw
