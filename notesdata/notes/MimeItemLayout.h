#pragma once
// How Notes stores Internet mail in a note: header fields as items of
// TYPE_RFC822_TEXT, the MIME entity as items of TYPE_MIME_PART. Both
// values start with a packed descriptor (the C API's mimeods.h) after their
// type word; these are its fields, offsets and flag bits.
#include <windows.h>

namespace brw {

// RFC822ITEMDESC: wVersion, dwFlags, then the lengths of the Notes-native
// value, the header name as received, the delimiter and the header body,
// which follow the descriptor in that order.
inline constexpr DWORD kRfc822DescriptorBytes = 14;
inline constexpr DWORD kRfc822FlagsOffset = 2;
inline constexpr DWORD kRfc822NativeLengthOffset = 6;
inline constexpr DWORD kRfc822FormatMask = 0x00000007; // RFC822_ITEM_FORMAT_MASK
inline constexpr DWORD kRfc822FormatAddress = 0;       // RFC822_ITEM_FORMAT_ADDR
inline constexpr DWORD kRfc822FormatDate = 1;          // RFC822_ITEM_FORMAT_DATE
inline constexpr DWORD kRfc822FormatText = 2;          // RFC822_ITEM_FORMAT_TEXT
inline constexpr DWORD kRfc822TextList = 0x00000010;   // RFC822_ITEM_TEXT_LIST

// MIME_PART: wVersion, dwFlags, cPartType, cSpare, wByteCount,
// wBoundaryLen, wHeadersLen, wSpare, dwSpare; then wByteCount bytes: the
// boundary, the headers and the part's data.
inline constexpr DWORD kMimePartDescriptorBytes = 20;
inline constexpr DWORD kMimePartFlagsOffset = 2;
inline constexpr DWORD kMimePartByteCountOffset = 8;
inline constexpr DWORD kMimePartBoundaryLengthOffset = 10;
inline constexpr DWORD kMimePartHeadersLengthOffset = 12;
// MIME_PART_BODY_IN_DBOBJECT: the data is the name of an attached object,
// not the part's content.
inline constexpr DWORD kMimePartBodyInObject = 0x00000004;

} // namespace brw
