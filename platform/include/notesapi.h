// The subset of the Lotus Notes C API that Brimlow Search uses: types,
// structure layouts, constants, status codes and the functions of nnotes.dll
// under their published names. The stand-in nnotes.dll and the product both
// include this header, so the two sides cannot disagree on a layout.
//
// Notes structures are byte-packed on Windows (the API is built with /Zp1),
// and every entry point and callback uses the stdcall convention.
#pragma once
#include <windows.h>

#ifdef BRW_NNOTES_BUILD
#define BRW_NOTES_IMPORT
#else
#define BRW_NOTES_IMPORT __declspec(dllimport)
#endif

#define LNPUBLIC WINAPI
#define LNCALLBACK WINAPI

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

typedef WORD STATUS;
typedef DWORD DHANDLE;
typedef DHANDLE DBHANDLE;
typedef DHANDLE NOTEHANDLE;
typedef DHANDLE FORMULAHANDLE;
typedef DHANDLE HCOMPUTE;
typedef DWORD NOTEID;
typedef WORD BLOCK;
typedef BOOL FLAG;
typedef WORD NLS_STATUS;

typedef struct {
    DHANDLE pool;
    BLOCK block;
} BLOCKID;

// Innards[0]: hundredths of a second since midnight GMT; Innards[1]: Julian
// day in bits 0-23, zone and daylight-saving flags in the top byte.
typedef struct {
    DWORD Innards[2];
} TIMEDATE;
typedef TIMEDATE DBID;

typedef struct {
    TIMEDATE Lower;
    TIMEDATE Upper;
} TIMEDATE_PAIR;

typedef struct {
    TIMEDATE File;
    TIMEDATE Note;
} UNIVERSALNOTEID;
typedef UNIVERSALNOTEID UNID;

typedef struct {
    TIMEDATE File;
    TIMEDATE Note;
    DWORD Sequence;
    TIMEDATE SequenceTime;
} ORIGINATORID;
typedef ORIGINATORID OID;

typedef struct {
    TIMEDATE File;
    TIMEDATE Note;
    NOTEID NoteID;
} GLOBALINSTANCEID;

typedef struct {
    DBID ID;
    WORD Flags;
    WORD CutoffInterval;
    TIMEDATE Cutoff;
} DBREPLICAINFO;

typedef struct {
    GLOBALINSTANCEID ID;
    ORIGINATORID OriginatorID;
    WORD NoteClass;
    BYTE SERetFlags;
    BYTE Privileges;
    WORD SummaryLength;
} SEARCH_MATCH;

// Summary buffer: the table, Items ITEM entries, then each item's name
// immediately followed by its value (type word first).
typedef struct {
    USHORT Length;
    USHORT Items;
} ITEM_TABLE;

typedef struct {
    USHORT NameLength;
    USHORT ValueLength;
} ITEM;

typedef struct {
    USHORT ListEntries;
} LIST;

typedef struct {
    USHORT ListEntries;
    USHORT RangeEntries;
} RANGE;

typedef double NUMBER;

typedef struct {
    BYTE Date;
    BYTE Time;
    BYTE Zone;
    BYTE Structure;
} TFMT;

#define ISTRMAX 5
#define YTSTRMAX 32
typedef struct {
    WORD Flags;
    BYTE CurrencyDigits;
    BYTE Length;
    int TimeZone;
    char AMString[ISTRMAX];
    char PMString[ISTRMAX];
    char CurrencyString[ISTRMAX];
    char ThousandString[ISTRMAX];
    char DecimalString[ISTRMAX];
    char DateString[ISTRMAX];
    char TimeString[ISTRMAX];
    char YesterdayString[YTSTRMAX];
    char TodayString[YTSTRMAX];
    char TomorrowString[YTSTRMAX];
} INTLFORMAT;

typedef struct {
    BYTE Signature;
    BYTE Length;
} BSIG;

typedef struct {
    WORD Signature;
    WORD Length;
} WSIG;

typedef struct {
    WORD Signature;
    DWORD Length;
} LSIG;

typedef struct {
    BYTE Face;
    BYTE Attrib;
    BYTE Color;
    BYTE PointSize;
} FONTIDFIELDS;
typedef DWORD FONTID;

typedef struct {
    WSIG Header;
    FONTID FontID;
} CDTEXT;

typedef struct {
    BSIG Header;
} CDPARAGRAPH;

typedef struct {
    BSIG Header;
    WORD PABID;
} CDPABREFERENCE;

typedef struct {
    WSIG Header;
    WORD Type;
    DWORD Flags;
    WORD DataLength;
} CDHOTSPOTBEGIN;

typedef struct {
    BSIG Header;
} CDHOTSPOTEND;

typedef struct {
    WORD ObjectType;
    DWORD RRV;
} OBJECT_DESCRIPTOR;

typedef struct {
    OBJECT_DESCRIPTOR Header;
    WORD FileNameLength;
    WORD HostType;
    WORD CompressionType;
    WORD FileAttributes;
    WORD Flags;
    DWORD FileSize;
    TIMEDATE FileCreated;
    TIMEDATE FileModified;
} FILEOBJECT;

// Internet mail. A header item (TYPE_RFC822_TEXT) starts with this
// descriptor; the Notes form of the value (LMBCS text, or a TIMEDATE for a
// date), the header name as received, its delimiter and the header body as
// received follow in that order, of the lengths given here.
typedef struct {
    WORD wVersion; // the descriptor's own size
    DWORD dwFlags; // RFC822_ITEM_FORMAT_xxx in the low three bits, then flags
    WORD wNotesNativeLen;
    WORD w822NameLen;
    WORD w822DelimLen;
    WORD w822BodyLen;
} RFC822ITEMDESC;

// A MIME part item (TYPE_MIME_PART) starts with this descriptor; then come
// wByteCount bytes: the boundary, the headers and the part's data. With
// MIME_PART_BODY_IN_DBOBJECT the data is the name of the note's file
// object that holds the part's content.
typedef struct {
    WORD wVersion;
    DWORD dwFlags;
    BYTE cPartType; // MIME_PART_PROLOG ... MIME_PART_MESSAGE
    BYTE cSpare;
    WORD wByteCount;
    WORD wBoundaryLen;
    WORD wHeadersLen;
    WORD wSpare;
    DWORD dwSpare;
} MIME_PART;

#pragma pack(pop)

typedef struct NLS_INFO_TAG* NLS_PINFO;

typedef STATUS(LNCALLBACK* NSFSEARCHPROC)(void* EnumRoutineParameter, SEARCH_MATCH* SearchMatch,
                                          ITEM_TABLE* SummaryBuffer);
typedef STATUS(LNCALLBACK* ActionRoutinePtr)(char* RecordPtr, WORD RecordType, DWORD RecordLength, void* vContext);

// ---- Status words -------------------------------------------------------
#define NOERROR_STATUS 0
#define ERR_MASK 0x3FFF
#define STS_REMOTE 0x4000
#define STS_DISPLAYED 0x8000
#define ERR(x) ((x)&ERR_MASK)
#define PKG_OS 0x0100
#define PKG_NSF 0x0200
#define PKG_NIF 0x0300
#define PKG_MISC 0x0400
#define PKG_FORMULA 0x0500
#define PKG_ODS 0x0600
#define PKG_BSAFE 0x1100

#define ERR_NOEXIST (PKG_OS + 3)
#define ERR_MEMORY (PKG_OS + 7)
#define ERR_NO_MORE_FILES (PKG_OS + 11)
#define ERR_INVALID_HANDLE (PKG_OS + 34)
#define ERR_BAD_PARAMETER (PKG_OS + 35)
#define ERR_BUFFER_TOO_SMALL (PKG_OS + 36)
#define ERR_FILE_WRITE (PKG_OS + 37)
#define ERR_NO_MORE_MATCHES (PKG_NSF + 16)
#define ERR_NOT_A_DATABASE (PKG_NSF + 2)
#define ERR_DATABASE_DAMAGED (PKG_NSF + 3)
#define ERR_ITEM_NOT_FOUND (PKG_NSF + 34)
#define ERR_NOTE_DELETED (PKG_NSF + 37)
#define ERR_INVALID_NOTE (PKG_NSF + 39)
#define ERR_NO_MODIFIED_NOTES (PKG_NSF + 60)
#define ERR_ITEM_DATATYPE (PKG_NSF + 63)
#define ERR_NOACCESS (PKG_NSF + 70)
#define ERR_NOTE_NOT_OBJECT (PKG_NSF + 71)
#define ERR_NOT_FOUND (PKG_MISC + 4)
#define ERR_TDI_CONV (PKG_MISC + 20)
#define ERR_NOT_IMPLEMENTED (PKG_MISC + 21)
#define ERR_NOTES_NOT_INITIALIZED (PKG_MISC + 22)
#define ERR_FORMULA_COMPILATION (PKG_FORMULA + 1)
#define ERR_PASSWORD_CANCELLED (PKG_BSAFE + 4)
#define ERR_WRONG_PASSWORD (PKG_BSAFE + 5)

// ---- Item types and flags ----------------------------------------------
#define TYPE_INVALID_OR_UNKNOWN 0x0000
#define TYPE_COMPOSITE 0x0001
#define TYPE_OBJECT 0x0003
#define TYPE_NOTEREF_LIST 0x0004
#define TYPE_USERDATA 0x000E
#define TYPE_MIME_PART 0x0019
#define TYPE_ERROR 0x0100
#define TYPE_NUMBER 0x0300
#define TYPE_NUMBER_RANGE 0x0301
#define TYPE_TIME 0x0400
#define TYPE_TIME_RANGE 0x0401
#define TYPE_TEXT 0x0500
#define TYPE_TEXT_LIST 0x0501
#define TYPE_RFC822_TEXT 0x0502
#define TYPE_FORMULA 0x0600
#define TYPE_USERID 0x0700

#define ITEM_SIGN 0x0001
#define ITEM_SEAL 0x0002
#define ITEM_SUMMARY 0x0004
#define ITEM_READWRITERS 0x0020
#define ITEM_NAMES 0x0040
#define ITEM_PLACEHOLDER 0x0100
#define ITEM_PROTECTED 0x0200
#define ITEM_READERS 0x0400
#define ITEM_UNCHANGED 0x1000

#define OBJECT_FILE 0
#define HOST_MSDOS 0x0000
#define HOST_OLE 0x0100
#define COMPRESS_NONE 0
#define FILEFLAG_SIGN 0x0001
#define FILEFLAG_INDOC 0x0002
#define FILEFLAG_MIME 0x0004
// How the part a file object came from was transfer-encoded in its message.
#define FILEFLAG_ENCODE_MASK 0x0038
#define ENCODE_NONE 0x0000
#define ENCODE_BASE64 0x0008
#define ENCODE_QP 0x0010
#define ENCODE_UUENCODE 0x0018
#define ENCODE_EXTENSION 0x0020

#define RFC822_ITEM_FORMAT_MASK 0x00000007
#define RFC822_ITEM_FORMAT_ADDR 0x00000000
#define RFC822_ITEM_FORMAT_DATE 0x00000001
#define RFC822_ITEM_FORMAT_TEXT 0x00000002
#define RFC822_ITEM_STORAGE_STRICT 0x00000008
#define RFC822_ITEM_TEXT_LIST 0x00000010

#define MIME_PART_VERSION 2
#define MIME_PART_HAS_BOUNDARY 0x00000001
#define MIME_PART_HAS_HEADERS 0x00000002
#define MIME_PART_BODY_IN_DBOBJECT 0x00000004
#define MIME_PART_SHARED_DBOBJECT 0x00000008
#define MIME_PART_SKIP_FOR_CONVERSION 0x00000010
#define MIME_PART_PROLOG 1
#define MIME_PART_BODY 2
#define MIME_PART_EPILOG 3
#define MIME_PART_RETRIEVE_INFO 4
#define MIME_PART_MESSAGE 5

// ---- Note classes, header fields, ids ------------------------------------
#define NOTE_CLASS_DOCUMENT 0x0001
#define NOTE_CLASS_DATA NOTE_CLASS_DOCUMENT
#define NOTE_CLASS_INFO 0x0002
#define NOTE_CLASS_FORM 0x0004
#define NOTE_CLASS_VIEW 0x0008
#define NOTE_CLASS_ICON 0x0010
#define NOTE_CLASS_DESIGN 0x0020
#define NOTE_CLASS_ACL 0x0040
#define NOTE_CLASS_HELP_INDEX 0x0080
#define NOTE_CLASS_HELP 0x0100
#define NOTE_CLASS_FILTER 0x0200
#define NOTE_CLASS_FIELD 0x0400
#define NOTE_CLASS_REPLFORMULA 0x0800
#define NOTE_CLASS_PRIVATE 0x1000
#define NOTE_CLASS_DEFAULT 0x8000
#define NOTE_CLASS_ALL 0x7FFF
#define NOTE_CLASS_ALLNONDATA 0x7FFE

#define _NOTE_DB 0
#define _NOTE_ID 1
#define _NOTE_OID 2
#define _NOTE_CLASS 3
#define _NOTE_MODIFIED 4
#define _NOTE_FLAGS 7
#define _NOTE_ACCESSED 8
#define _NOTE_ADDED_TO_FILE 13

#define RRV_DELETED 0x80000000UL
#define NOTEID_RESERVED RRV_DELETED

// ---- Time ----------------------------------------------------------------
#define TIMEDATE_MINIMUM 0
#define TIMEDATE_MAXIMUM 1
#define TIMEDATE_WILDCARD 2
#define ALLDAY 0xFFFFFFFFUL
#define ANYDAY 0xFFFFFFFFUL

#define TDFMT_FULL 0
#define TDFMT_CPARTIAL 1
#define TDFMT_PARTIAL 2
#define TDFMT_DPARTIAL 3
#define TDFMT_FULL4 4
#define TTFMT_FULL 0
#define TTFMT_PARTIAL 1
#define TTFMT_HOUR 2
#define TZFMT_NEVER 0
#define TZFMT_SOMETIMES 1
#define TZFMT_ALWAYS 2
#define TSFMT_DATE 0
#define TSFMT_TIME 1
#define TSFMT_DATETIME 2
#define TSFMT_CDATETIME 3

#define CURRENCY_SUFFIX 0x0001
#define CURRENCY_SPACE 0x0002
#define NUMBER_LEADING_ZERO 0x0004
#define CLOCK_24_HOUR 0x0008
#define DAYLIGHT_SAVINGS 0x0010
#define DATE_MDY 0x0020
#define DATE_DMY 0x0040
#define DATE_YMD 0x0080
#define DATE_4DIGIT_YEAR 0x0100
#define TIME_AMPM_PREFIX 0x0400

// ---- Translation, directories, searches -----------------------------------
#define OS_TRANSLATE_NATIVE_TO_LMBCS 0
#define OS_TRANSLATE_LMBCS_TO_NATIVE 1
#define OS_TRANSLATE_LMBCS_TO_UNICODE 20
#define OS_TRANSLATE_LMBCS_TO_UTF8 22
#define OS_TRANSLATE_UNICODE_TO_LMBCS 23
#define OS_TRANSLATE_UTF8_TO_LMBCS 24
#define MAXPATH 256
#define MAXENVVALUE 256
#define NSF_INFO_SIZE 128
#define INFOPARSE_TITLE 0
#define INFOPARSE_CATEGORIES 1
#define INFOPARSE_CLASS 2
#define INFOPARSE_DESIGN_CLASS 3

#define SEARCH_SUMMARY 0x0002
#define SEARCH_FILETYPE 0x0004
// With SEARCH_FILETYPE the class mask names what a directory search returns.
#define FILE_DBANY 0x0000
#define FILE_NOTEFILE 0x0004
#define FILE_DIRS 0x0006
#define FILE_TYPEMASK 0x00FF
#define FILE_RECURSE 0x2000
#define FILE_NOUPDIRS 0x4000

#define SIG_CD_PARAGRAPH 0x0081
#define SIG_CD_PABDEFINITION 0xFF82
#define SIG_CD_PABREFERENCE 0x0083
#define SIG_CD_TEXT 0xFF85
#define SIG_CD_HOTSPOTBEGIN 0xFFA9
#define SIG_CD_HOTSPOTEND 0x00AA
#define SIG_CD_V4HOTSPOTBEGIN 0xFFAD
#define SIG_CD_V5HOTSPOTBEGIN 0xFF7E
#define SIG_CD_V6HOTSPOTBEGIN_CONTINUATION 0xFF74
#define SIG_CD_IMAGESEGMENT 0x007C
#define SIG_CD_IMAGEHEADER 0x007D
#define SIG_CD_BITMAPHEADER 0x0095
#define SIG_CD_BITMAPSEGMENT 0x0096
#define SIG_CD_GRAPHIC 0x0099
#define SIG_CD_TABLEBEGIN 0x00A3
#define SIG_CD_TABLECELL 0x00A4
#define SIG_CD_TABLEEND 0x00A5
#define SIG_CD_BITMAP 0xFF88
#define HOTSPOTREC_TYPE_FILE 4
#define ISBOLD 0x01
#define ISITALIC 0x02
#define ISUNDERLINE 0x04

// Structure codes for ODSReadMemory (canonical and host forms are the same
// on Intel, so each code just names a layout of this header).
#define _BSIG 1
#define _WSIG 2
#define _LSIG 3
#define _TIMEDATE 4
#define _LIST 5
#define _RANGE 6
#define _OBJECT_DESCRIPTOR 7
#define _FILEOBJECT 8
#define _CDTEXT 9
#define _CDPARAGRAPH 10
#define _CDPABREFERENCE 11
#define _CDHOTSPOTBEGIN 12
#define _CDHOTSPOTEND 13
#define _ORIGINATORID 14
#define _UNIVERSALNOTEID 15

#define NLS_SUCCESS 0
#define NLS_STARTOFSTRING 0x0102
#define NLS_BADPARM 0x0103

#define COMP_PRESERVE_LINES 0x00000001
#define NIF_STAT_OK 0

// ---- Entry points (ordinals in nnotes.def) --------------------------------
BRW_NOTES_IMPORT STATUS LNPUBLIC NotesInitExtended(int argc, char** argv);
BRW_NOTES_IMPORT void LNPUBLIC NotesTerm(void);
BRW_NOTES_IMPORT STATUS LNPUBLIC NotesInitThread(void);
BRW_NOTES_IMPORT void LNPUBLIC NotesTermThread(void);
BRW_NOTES_IMPORT BOOL LNPUBLIC OSGetEnvironmentString(const char* VariableName, char* retValueBuffer,
                                                      WORD BufferLength);
BRW_NOTES_IMPORT WORD LNPUBLIC OSTranslate(WORD TranslateMode, const char* In, WORD InLength, char* Out,
                                           WORD OutLength);
BRW_NOTES_IMPORT WORD LNPUBLIC OSLoadString(HMODULE hModule, STATUS StringCode, char* retBuffer, WORD BufferLength);
BRW_NOTES_IMPORT void* LNPUBLIC OSLockObject(DHANDLE Handle);
BRW_NOTES_IMPORT BOOL LNPUBLIC OSUnlockObject(DHANDLE Handle);
BRW_NOTES_IMPORT STATUS LNPUBLIC OSMemFree(DHANDLE Handle);
BRW_NOTES_IMPORT void LNPUBLIC ODSReadMemory(void** ppSrc, WORD type, void* pDest, WORD iterations);
BRW_NOTES_IMPORT NLS_PINFO LNPUBLIC OSGetLMBCSCLS(void);
// Moves *ppString back to the first byte of the character that holds the
// byte just before it. A piece [start, p) ends on a boundary exactly when
// stepping back from p + 1 lands on p.
BRW_NOTES_IMPORT NLS_STATUS LNPUBLIC NLS_goto_prev(BYTE** ppString, const BYTE* pStrStart, NLS_PINFO pInfo);

BRW_NOTES_IMPORT void LNPUBLIC TimeConstant(WORD TimeConstantType, TIMEDATE* td);
BRW_NOTES_IMPORT void LNPUBLIC OSGetIntlSettings(INTLFORMAT* retIntlFormat, WORD BufferSize);
BRW_NOTES_IMPORT STATUS LNPUBLIC ConvertTIMEDATEToText(const void* IntlFormat, const TFMT* TextFormat,
                                                       const TIMEDATE* InputTime, char* retTextBuffer,
                                                       WORD TextBufferLength, WORD* retTextLength);
BRW_NOTES_IMPORT STATUS LNPUBLIC ConvertTextToTIMEDATE(const void* IntlFormat, const TFMT* TextFormat, char** Text,
                                                       WORD MaxTextLength, TIMEDATE* retTIMEDATE);

BRW_NOTES_IMPORT STATUS LNPUBLIC NSFDbOpen(const char* PathName, DBHANDLE* rethDB);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFDbOpenExtended(const char* PathName, WORD Options, DHANDLE hNames,
                                                   TIMEDATE* ModifiedTime, DBHANDLE* rethDB, TIMEDATE* retDataModified,
                                                   TIMEDATE* retNonDataModified);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFDbClose(DBHANDLE hDB);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFDbLocateByReplicaID(DBHANDLE hDB, DBID* ReplicaID, char* retPathName,
                                                        WORD PathMaxLen);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFDbReplicaInfoGet(DBHANDLE hDB, DBREPLICAINFO* retReplicationInfo);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFDbInfoGet(DBHANDLE hDB, char* retBuffer);
BRW_NOTES_IMPORT void LNPUBLIC NSFDbInfoParse(char* Info, WORD What, char* Buffer, WORD Length);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFDbPathGet(DBHANDLE hDB, char* retCanonicalPathName, char* retExpandedPathName);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFSearch(DBHANDLE hDB, FORMULAHANDLE hFormula, char* ViewTitle, WORD SearchFlags,
                                           WORD NoteClassMask, TIMEDATE* Since, NSFSEARCHPROC EnumRoutine,
                                           void* EnumRoutineParameter, TIMEDATE* retUntil);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFDbGetModifiedNoteTable(DBHANDLE hDB, WORD NoteClassMask, TIMEDATE Since,
                                                           TIMEDATE* retUntil, DHANDLE* rethTable);
BRW_NOTES_IMPORT BOOL LNPUBLIC IDScan(DHANDLE hTable, FLAG fFirst, DWORD* retID);
BRW_NOTES_IMPORT STATUS LNPUBLIC IDDestroyTable(DHANDLE hTable);

BRW_NOTES_IMPORT STATUS LNPUBLIC NSFNoteOpen(DBHANDLE hDB, NOTEID NoteID, WORD OpenFlags, NOTEHANDLE* rethNote);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFNoteOpenExt(DBHANDLE hDB, NOTEID NoteID, DWORD flags, NOTEHANDLE* rethNote);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFNoteCreate(DBHANDLE hDB, NOTEHANDLE* rethNote);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFNoteClose(NOTEHANDLE hNote);
BRW_NOTES_IMPORT BOOL LNPUBLIC NSFNoteIsSignedOrSealed(NOTEHANDLE hNote, BOOL* retfSigned, BOOL* retfSealed);
BRW_NOTES_IMPORT void LNPUBLIC NSFNoteGetInfo(NOTEHANDLE hNote, WORD Type, void* retValue);
BRW_NOTES_IMPORT void LNPUBLIC NSFNoteSetInfo(NOTEHANDLE hNote, WORD Type, void* Value);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFItemInfo(NOTEHANDLE hNote, const char* Name, WORD NameLength, BLOCKID* retbhItem,
                                             WORD* retDataType, BLOCKID* retbhValue, DWORD* retValueLength);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFItemInfoNext(NOTEHANDLE hNote, BLOCKID NextItem, const char* Name, WORD NameLength,
                                                 BLOCKID* retbhItem, WORD* retDataType, BLOCKID* retbhValue,
                                                 DWORD* retValueLength);
BRW_NOTES_IMPORT void LNPUBLIC NSFItemQuery(NOTEHANDLE hNote, BLOCKID bhItem, char* retItemName,
                                            WORD ItemNameBufferLength, WORD* retItemNameLength, WORD* retItemFlags,
                                            WORD* retDataType, BLOCKID* retbhValue, DWORD* retValueLength);
BRW_NOTES_IMPORT WORD LNPUBLIC NSFItemGetText(NOTEHANDLE hNote, const char* ItemName, char* retBuffer,
                                              WORD BufferLength);
BRW_NOTES_IMPORT WORD LNPUBLIC NSFItemConvertToText(NOTEHANDLE hNote, const char* ItemName, char* retBuffer,
                                                    WORD BufferLength, char SepChar);
BRW_NOTES_IMPORT STATUS LNPUBLIC ConvertItemToText(BLOCKID ItemValue, DWORD ItemValueLength, const char* LineDelimiter,
                                                   WORD CharsPerLine, DHANDLE* rethBuffer, DWORD* retBufferLength,
                                                   BOOL fStripTabs);
BRW_NOTES_IMPORT STATUS LNPUBLIC EnumCompositeBuffer(BLOCKID ItemValue, DWORD ItemValueLength,
                                                     ActionRoutinePtr ActionRoutine, void* vContext);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFNoteExtractFile(NOTEHANDLE hNote, BLOCKID bhItem, const char* FileName,
                                                    void* DecryptionKey);

BRW_NOTES_IMPORT STATUS LNPUBLIC CompoundTextCreate(NOTEHANDLE hNote, const char* pszItemName, DHANDLE* phCompound);
// hFormNote 0: the note renders with the form of its database named by its
// Form item, when that database holds one; otherwise item by item.
BRW_NOTES_IMPORT STATUS LNPUBLIC CompoundTextAddRenderedNote(DHANDLE hCompound, NOTEHANDLE hNote, NOTEHANDLE hFormNote,
                                                             DWORD dwFlags);
BRW_NOTES_IMPORT STATUS LNPUBLIC CompoundTextAddCDRecords(DHANDLE hCompound, void* pvRecord, DWORD dwRecordLength);
BRW_NOTES_IMPORT STATUS LNPUBLIC CompoundTextClose(DHANDLE hCompound, DHANDLE* phReturnBuffer,
                                                   DWORD* pdwReturnBufferSize, char* pchReturnFile,
                                                   WORD wReturnFileNameSize);
BRW_NOTES_IMPORT void LNPUBLIC CompoundTextDiscard(DHANDLE hCompound);
// Writes the records of a rich-text item, header and all, to a file.
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFItemCDToFile(NOTEHANDLE hNote, const char* ItemName, const char* FileName);

BRW_NOTES_IMPORT STATUS LNPUBLIC NIFFindDesignNote(DBHANDLE hFile, const char* Name, WORD Class, NOTEID* retNoteID);
BRW_NOTES_IMPORT STATUS LNPUBLIC NIFFindDesignNoteExt(DBHANDLE hFile, const char* Name, WORD Class,
                                                      const char* pszFlagsPattern, NOTEID* retNoteID, DWORD Options);
BRW_NOTES_IMPORT STATUS LNPUBLIC NIFFindPrivateDesignNote(DBHANDLE hFile, const char* Name, WORD Class,
                                                          NOTEID* retNoteID);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFProfileOpen(DBHANDLE hDB, const char* ProfileName, WORD ProfileNameLength,
                                                const char* UserName, WORD UserNameLength, BOOL CopyProfile,
                                                NOTEHANDLE* rethProfileNote);

BRW_NOTES_IMPORT STATUS LNPUBLIC NSFFormulaCompile(char* FormulaName, WORD FormulaNameLength, const char* FormulaText,
                                                   WORD FormulaTextLength, FORMULAHANDLE* rethFormula,
                                                   WORD* retFormulaLength, STATUS* retCompileError,
                                                   WORD* retCompileErrorLine, WORD* retCompileErrorColumn,
                                                   WORD* retCompileErrorOffset, WORD* retCompileErrorLength);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFComputeStart(WORD Flags, void* lpCompiledFormula, HCOMPUTE* rethCompute);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFComputeEvaluate(HCOMPUTE hCompute, NOTEHANDLE hNote, DHANDLE* rethResult,
                                                    WORD* retResultLength, BOOL* retNoteMatchesFormula,
                                                    BOOL* retNoteShouldBeDeleted, BOOL* retNoteModified);
BRW_NOTES_IMPORT STATUS LNPUBLIC NSFComputeStop(HCOMPUTE hCompute);

#ifdef __cplusplus
}
#endif
