// The Windows properties the filters report, each named once. Keys that the
// toolchain's propkey.h declares are taken from it; the others are written
// here from the Windows SDK's propkey.h, with their format ids first.
#pragma once

#include <windows.h>
#include <wtypes.h>
#include <propkey.h>

namespace brw {

// A property key: format id (fmtid) and property id (pid).
using PropertyKeyEntry = PROPERTYKEY;

constexpr GUID kStorageFormat = {0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}};
constexpr GUID kItemFormat = {0x28636AA6, 0x953D, 0x11D2, {0xB5, 0xD6, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0xD0}};
constexpr GUID kSummaryFormat = {0xF29F85E0, 0x4FF9, 0x1068, {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9}};
constexpr GUID kKindFormat = {0x1E3EE840, 0xBC2B, 0x476C, {0x82, 0x37, 0x2A, 0xCD, 0x1A, 0x83, 0x9B, 0x22}};
constexpr GUID kFolderNarrowFormat = {0xDABD30ED, 0x0043, 0x4789, {0xA7, 0xF8, 0xD0, 0x13, 0xA4, 0x73, 0x66, 0x22}};
constexpr GUID kMessageFormat = {0xE3E0584C, 0xB788, 0x4A5A, {0xBB, 0x20, 0x7F, 0x5A, 0x44, 0xC9, 0xAC, 0xDD}};
constexpr GUID kHasAttachmentsFormat = {0x9C1FCF74, 0x2D97, 0x41BA, {0xB4, 0xAE, 0xCB, 0x2E, 0x36, 0x61, 0xA6, 0xE4}};
constexpr GUID kIsAttachmentFormat = {0xF23F425C, 0x71A1, 0x4FA8, {0x92, 0x2F, 0x67, 0x8E, 0xA4, 0xA6, 0x04, 0x08}};
constexpr GUID kStartDateFormat = {0x48FD6EC8, 0x8A12, 0x4CDF, {0xA0, 0x3E, 0x4E, 0xC5, 0xA5, 0x11, 0xED, 0xDE}};
// System.Search.UrlToIndexWithModificationTime: asks the indexer to crawl a URL.
constexpr GUID kSearchFormat = {0x0B63E343, 0x9CCC, 0x11D0, {0xBC, 0xDB, 0x00, 0x80, 0x5F, 0xCC, 0xCE, 0x04}};

// What the item is and where it lives.
constexpr PropertyKeyEntry kItemNameDisplayKey = {kStorageFormat, 10};
constexpr PropertyKeyEntry kItemTypeKey = {kItemFormat, 11};
inline const PropertyKeyEntry& kAuthorKey = PKEY_Author;
constexpr PropertyKeyEntry kKindKey = {kKindFormat, 3};
constexpr PropertyKeyEntry kSizeKey = {kStorageFormat, 12};
constexpr PropertyKeyEntry kItemFolderPathDisplayNarrowKey = {kFolderNarrowFormat, 100};
inline const PropertyKeyEntry& kDateModifiedKey = PKEY_DateModified;
constexpr PropertyKeyEntry kIsAttachmentKey = {kIsAttachmentFormat, 100};
inline const PropertyKeyEntry& kFileNameKey = PKEY_FileName;
constexpr PropertyKeyEntry kItemPathDisplayKey = {kMessageFormat, 7};
constexpr PropertyKeyEntry kParsingNameKey = {kItemFormat, 24};
constexpr PropertyKeyEntry kPerceivedTypeKey = {kItemFormat, 9};
constexpr PropertyKeyEntry kSubjectKey = {kSummaryFormat, 3};

// Mail and calendar entries.
inline const PropertyKeyEntry& kFromNameKey = PKEY_Message_FromName;
constexpr PropertyKeyEntry kHasAttachmentsKey = {kHasAttachmentsFormat, 8};
inline const PropertyKeyEntry& kToNameKey = PKEY_Message_ToName;
inline const PropertyKeyEntry& kToAddressKey = PKEY_Message_ToAddress;
inline const PropertyKeyEntry& kCcNameKey = PKEY_Message_CcName;
inline const PropertyKeyEntry& kCcAddressKey = PKEY_Message_CcAddress;
inline const PropertyKeyEntry& kDateReceivedKey = PKEY_Message_DateReceived;
inline const PropertyKeyEntry& kDateSentKey = PKEY_Message_DateSent;
inline const PropertyKeyEntry& kLocationKey = PKEY_Calendar_Location;
constexpr PropertyKeyEntry kStartDateKey = {kStartDateFormat, 100};
inline const PropertyKeyEntry& kEndDateKey = PKEY_EndDate;

constexpr PropertyKeyEntry kUrlToIndexWithModificationTime = {kSearchFormat, 12};

} // namespace brw
