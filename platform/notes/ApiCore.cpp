// Process and thread set-up, environment, translation, status texts, memory
// handles and time conversion.
#include "platform/notes/Lmbcs.h"
#include "platform/notes/Runtime.h"
#include "platform/notes/StatusText.h"
#include "platform/notes/TimeDate.h"

#include <algorithm>
#include <cstring>

namespace {

thread_local int t_threadInitCount = 0;

struct NlsInfo {
    int unused;
};
NlsInfo g_lmbcsInfo{};

size_t InputLength(const char* in, WORD inLength, bool wide)
{
    if (inLength != 0xFFFF) {
        return inLength;
    }
    if (wide) {
        return wcslen(reinterpret_cast<const wchar_t*>(in)) * sizeof(wchar_t);
    }
    return strlen(in);
}

// Copies as much as fits, never splitting what the caller must get whole, and
// ends with a NUL when room is left (the NUL is not counted).
WORD CopyOut(const void* data, size_t length, char* out, WORD outLength, size_t terminatorSize)
{
    const size_t n = std::min<size_t>(length, outLength);
    std::memcpy(out, data, n);
    if (outLength - n >= terminatorSize) {
        std::memset(out + n, 0, terminatorSize);
    }
    return static_cast<WORD>(n);
}

} // namespace

extern "C" {

STATUS LNPUBLIC NotesInitExtended(int argc, char** argv)
{
    const STATUS status = runtime::Initialise(argc, argv);
    if (status == NOERROR_STATUS) {
        ++t_threadInitCount;
    }
    return status;
}

void LNPUBLIC NotesTerm(void)
{
    if (t_threadInitCount > 0) {
        --t_threadInitCount;
    }
    runtime::Terminate();
}

STATUS LNPUBLIC NotesInitThread(void)
{
    if (!runtime::IsInitialised()) {
        return ERR_NOTES_NOT_INITIALIZED;
    }
    ++t_threadInitCount;
    return NOERROR_STATUS;
}

void LNPUBLIC NotesTermThread(void)
{
    if (t_threadInitCount > 0) {
        --t_threadInitCount;
    }
}

BOOL LNPUBLIC OSGetEnvironmentString(const char* VariableName, char* retValueBuffer, WORD BufferLength)
{
    if (VariableName == nullptr || retValueBuffer == nullptr || BufferLength == 0) {
        return FALSE;
    }
    retValueBuffer[0] = 0;
    const std::string value = runtime::Setting(VariableName);
    if (value.empty()) {
        return FALSE;
    }
    lmbcs::CopyWholeCharacters(value, retValueBuffer, BufferLength);
    return TRUE;
}

WORD LNPUBLIC OSTranslate(WORD TranslateMode, const char* In, WORD InLength, char* Out, WORD OutLength)
{
    if (In == nullptr || Out == nullptr || OutLength == 0) {
        return 0;
    }
    switch (TranslateMode) {
    case OS_TRANSLATE_LMBCS_TO_UNICODE: {
        const size_t n = InputLength(In, InLength, false);
        const std::wstring wide = lmbcs::ToWide(std::string_view(In, n));
        const size_t units = std::min<size_t>(wide.size(), OutLength / sizeof(wchar_t));
        return CopyOut(wide.data(), units * sizeof(wchar_t), Out, OutLength, sizeof(wchar_t));
    }
    case OS_TRANSLATE_UNICODE_TO_LMBCS: {
        const size_t n = InputLength(In, InLength, true) / sizeof(wchar_t);
        const std::string text = lmbcs::FromWide(std::wstring_view(reinterpret_cast<const wchar_t*>(In), n));
        const std::string fitting = text.substr(0, lmbcs::WholeCharactersLength(text, OutLength));
        return CopyOut(fitting.data(), fitting.size(), Out, OutLength, 1);
    }
    case OS_TRANSLATE_LMBCS_TO_UTF8:
    case OS_TRANSLATE_LMBCS_TO_NATIVE: {
        const size_t n = InputLength(In, InLength, false);
        const std::wstring wide = lmbcs::ToWide(std::string_view(In, n));
        const UINT cp = TranslateMode == OS_TRANSLATE_LMBCS_TO_UTF8 ? CP_UTF8 : CP_ACP;
        const int size =
            WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
        std::string narrow(static_cast<size_t>(std::max(size, 0)), '\0');
        WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(), size, nullptr, nullptr);
        return CopyOut(narrow.data(), narrow.size(), Out, OutLength, 1);
    }
    case OS_TRANSLATE_UTF8_TO_LMBCS:
    case OS_TRANSLATE_NATIVE_TO_LMBCS: {
        const size_t n = InputLength(In, InLength, false);
        const UINT cp = TranslateMode == OS_TRANSLATE_UTF8_TO_LMBCS ? CP_UTF8 : CP_ACP;
        const int size = MultiByteToWideChar(cp, 0, In, static_cast<int>(n), nullptr, 0);
        std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
        MultiByteToWideChar(cp, 0, In, static_cast<int>(n), wide.data(), size);
        const std::string converted = lmbcs::FromWide(wide);
        const std::string fitting = converted.substr(0, lmbcs::WholeCharactersLength(converted, OutLength));
        return CopyOut(fitting.data(), fitting.size(), Out, OutLength, 1);
    }
    default:
        Out[0] = 0;
        return 0;
    }
}

WORD LNPUBLIC OSLoadString(HMODULE, STATUS StringCode, char* retBuffer, WORD BufferLength)
{
    if (retBuffer == nullptr || BufferLength == 0) {
        return 0;
    }
    const char* text = statustext::Find(ERR(StringCode));
    const size_t n = std::min<size_t>(strlen(text), BufferLength - 1u);
    std::memcpy(retBuffer, text, n);
    retBuffer[n] = 0;
    return static_cast<WORD>(n);
}

void* LNPUBLIC OSLockObject(DHANDLE Handle)
{
    auto* memory = runtime::FindAs<runtime::MemoryObject>(Handle, runtime::Kind::Memory);
    return memory != nullptr ? memory->address : nullptr;
}

BOOL LNPUBLIC OSUnlockObject(DHANDLE Handle)
{
    return runtime::Find(Handle, runtime::Kind::Memory) != nullptr;
}

STATUS LNPUBLIC OSMemFree(DHANDLE Handle)
{
    return runtime::Remove(Handle, runtime::Kind::Memory) ? NOERROR_STATUS : STATUS(ERR_INVALID_HANDLE);
}

void LNPUBLIC ODSReadMemory(void** ppSrc, WORD type, void* pDest, WORD iterations)
{
    static const size_t sizes[] = {0,
                                   sizeof(BSIG),
                                   sizeof(WSIG),
                                   sizeof(LSIG),
                                   sizeof(TIMEDATE),
                                   sizeof(LIST),
                                   sizeof(RANGE),
                                   sizeof(OBJECT_DESCRIPTOR),
                                   sizeof(FILEOBJECT),
                                   sizeof(CDTEXT),
                                   sizeof(CDPARAGRAPH),
                                   sizeof(CDPABREFERENCE),
                                   sizeof(CDHOTSPOTBEGIN),
                                   sizeof(CDHOTSPOTEND),
                                   sizeof(ORIGINATORID),
                                   sizeof(UNIVERSALNOTEID)};
    if (ppSrc == nullptr || *ppSrc == nullptr || pDest == nullptr || type >= sizeof(sizes) / sizeof(sizes[0])) {
        return;
    }
    const size_t total = sizes[type] * iterations;
    std::memcpy(pDest, *ppSrc, total);
    *ppSrc = static_cast<BYTE*>(*ppSrc) + total;
}

NLS_PINFO LNPUBLIC OSGetLMBCSCLS(void)
{
    return reinterpret_cast<NLS_PINFO>(&g_lmbcsInfo);
}

NLS_STATUS LNPUBLIC NLS_goto_prev(BYTE** ppString, const BYTE* pStrStart, NLS_PINFO)
{
    if (ppString == nullptr || *ppString == nullptr || pStrStart == nullptr) {
        return NLS_BADPARM;
    }
    if (*ppString <= pStrStart) {
        return NLS_STARTOFSTRING;
    }
    const size_t position = static_cast<size_t>(*ppString - pStrStart);
    *ppString = const_cast<BYTE*>(pStrStart) + lmbcs::PreviousBoundary(pStrStart, position);
    return NLS_SUCCESS;
}

void LNPUBLIC TimeConstant(WORD TimeConstantType, TIMEDATE* td)
{
    if (td == nullptr) {
        return;
    }
    switch (TimeConstantType) {
    case TIMEDATE_MAXIMUM:
        *td = timedate::Maximum();
        break;
    case TIMEDATE_WILDCARD:
        *td = timedate::Wildcard();
        break;
    default:
        *td = timedate::Minimum();
        break;
    }
}

void LNPUBLIC OSGetIntlSettings(INTLFORMAT* retIntlFormat, WORD BufferSize)
{
    if (retIntlFormat == nullptr) {
        return;
    }
    std::memcpy(retIntlFormat, &timedate::DefaultIntl(), std::min<size_t>(BufferSize, sizeof(INTLFORMAT)));
}

STATUS LNPUBLIC ConvertTIMEDATEToText(const void* IntlFormat, const TFMT* TextFormat, const TIMEDATE* InputTime,
                                      char* retTextBuffer, WORD TextBufferLength, WORD* retTextLength)
{
    if (InputTime == nullptr || retTextBuffer == nullptr || TextBufferLength == 0) {
        return ERR_BAD_PARAMETER;
    }
    const TFMT format = TextFormat != nullptr ? *TextFormat : timedate::DefaultFormat();
    const std::string text = timedate::ToText(timedate::IntlOrDefault(IntlFormat), format, *InputTime);
    if (text.empty() && !timedate::IsWildcard(*InputTime)) {
        retTextBuffer[0] = 0;
        return ERR_TDI_CONV;
    }
    const size_t n = std::min<size_t>(text.size(), TextBufferLength - 1u);
    std::memcpy(retTextBuffer, text.data(), n);
    retTextBuffer[n] = 0;
    if (retTextLength != nullptr) {
        *retTextLength = static_cast<WORD>(n);
    }
    return NOERROR_STATUS;
}

STATUS LNPUBLIC ConvertTextToTIMEDATE(const void* IntlFormat, const TFMT*, char** Text, WORD MaxTextLength,
                                      TIMEDATE* retTIMEDATE)
{
    if (Text == nullptr || *Text == nullptr || retTIMEDATE == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    TIMEDATE parsed{};
    const size_t used = timedate::FromText(timedate::IntlOrDefault(IntlFormat), *Text, MaxTextLength, &parsed);
    if (used == 0) {
        return ERR_TDI_CONV;
    }
    *retTIMEDATE = parsed;
    *Text += used;
    return NOERROR_STATUS;
}

} // extern "C"
