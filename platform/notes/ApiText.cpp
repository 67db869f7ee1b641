// Values as plain text, rich-text record walks, the compound-text builder,
// rich text to a record file, and formula evaluation (@MailDbName).
#include "platform/notes/CdRecords.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/NoteAccess.h"
#include "platform/notes/Runtime.h"
#include "platform/notes/TimeDate.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using runtime::Kind;
using runtime::NoteObject;

namespace {

constexpr char kFormulaMarker[4] = {'B', 'R', 'W', 'F'};
constexpr char kMailDbName[] = "@maildbname";

WORD TypeOf(const BYTE* value, DWORD length)
{
    WORD type = TYPE_INVALID_OR_UNKNOWN;
    if (length >= 2) {
        std::memcpy(&type, value, 2);
    }
    return type;
}

std::string NumberText(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.15g", value);
    return buffer;
}

// Every entry of a number, time or text value as text.
std::vector<std::string> Entries(const BYTE* value, DWORD length)
{
    std::vector<std::string> entries;
    const WORD type = TypeOf(value, length);
    const BYTE* data = value + 2;
    const DWORD size = length >= 2 ? length - 2 : 0;
    switch (type) {
    case TYPE_TEXT: {
        std::string text(reinterpret_cast<const char*>(data), size);
        entries.push_back(text);
        break;
    }
    case TYPE_TEXT_LIST: {
        const std::string joined = notes::TextOfValue(value, length, std::string(1, '\x1F'));
        size_t start = 0;
        while (start <= joined.size() && size >= 2) {
            size_t end = joined.find('\x1F', start);
            if (end == std::string::npos) {
                end = joined.size();
            }
            entries.push_back(joined.substr(start, end - start));
            start = end + 1;
        }
        break;
    }
    case TYPE_NUMBER:
        if (size >= sizeof(double)) {
            double number;
            std::memcpy(&number, data, sizeof(number));
            entries.push_back(NumberText(number));
        }
        break;
    case TYPE_NUMBER_RANGE:
    case TYPE_TIME_RANGE: {
        if (size < sizeof(RANGE)) {
            break;
        }
        RANGE range;
        std::memcpy(&range, data, sizeof(range));
        const size_t entrySize = type == TYPE_NUMBER_RANGE ? sizeof(double) : sizeof(TIMEDATE);
        for (USHORT i = 0; i < range.ListEntries && sizeof(RANGE) + (i + 1u) * entrySize <= size; ++i) {
            const BYTE* e = data + sizeof(RANGE) + i * entrySize;
            if (type == TYPE_NUMBER_RANGE) {
                double number;
                std::memcpy(&number, e, sizeof(number));
                entries.push_back(NumberText(number));
            } else {
                TIMEDATE t;
                std::memcpy(&t, e, sizeof(t));
                entries.push_back(timedate::ToText(timedate::DefaultIntl(), timedate::DefaultFormat(), t));
            }
        }
        break;
    }
    case TYPE_TIME:
        if (size >= sizeof(TIMEDATE)) {
            TIMEDATE t;
            std::memcpy(&t, data, sizeof(t));
            entries.push_back(timedate::ToText(timedate::DefaultIntl(), timedate::DefaultFormat(), t));
        }
        break;
    default:
        break;
    }
    return entries;
}

// Inserts the delimiter where a line would pass charsPerLine characters,
// at the last blank when there is one; NUL bytes (stored line breaks) and
// paragraph ends become delimiters too.
std::string Wrap(const std::string& text, const std::string& delimiter, WORD charsPerLine)
{
    std::string out;
    out.reserve(text.size() + text.size() / 40);
    size_t lineStart = 0; // position in out
    size_t lineChars = 0;
    size_t lastBlank = std::string::npos;
    const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t n = lmbcs::CharLength(p + pos, text.size() - pos);
        if (text[pos] == '\0' || text[pos] == '\n' || text[pos] == '\r') {
            out += delimiter;
            lineStart = out.size();
            lineChars = 0;
            lastBlank = std::string::npos;
            pos += n;
            continue;
        }
        if (charsPerLine > 0 && lineChars >= charsPerLine) {
            if (lastBlank != std::string::npos && lastBlank > lineStart) {
                out.replace(lastBlank, 1, delimiter);
                lineStart = lastBlank + delimiter.size();
                lineChars = out.size() - lineStart; // close enough for ASCII-heavy text
            } else {
                out += delimiter;
                lineStart = out.size();
                lineChars = 0;
            }
            lastBlank = std::string::npos;
        }
        if (text[pos] == ' ') {
            lastBlank = out.size();
        }
        out.append(text, pos, n);
        ++lineChars;
        pos += n;
    }
    return out;
}

std::string ValueAsText(const BYTE* value, DWORD length, const std::string& delimiter)
{
    const WORD type = TypeOf(value, length);
    if (type == TYPE_COMPOSITE) {
        return cd::PlainText(value + 2, length - 2, std::string(1, '\0'));
    }
    std::string joined;
    const std::vector<std::string> entries = Entries(value, length);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) {
            joined += delimiter;
        }
        joined += entries[i];
    }
    return joined;
}

// The record bytes of a value, without its type word.
const BYTE* RecordsOf(const BYTE* value, DWORD* length)
{
    if (*length >= 2 && TypeOf(value, *length) == TYPE_COMPOSITE) {
        *length -= 2;
        return value + 2;
    }
    return value;
}

std::vector<BYTE> CompositeValue(const std::vector<BYTE>& records)
{
    std::vector<BYTE> value(2 + records.size());
    value[0] = BYTE(TYPE_COMPOSITE & 0xFF);
    value[1] = BYTE(TYPE_COMPOSITE >> 8);
    std::copy(records.begin(), records.end(), value.begin() + 2);
    return value;
}

bool IsHidden(const runtime::ItemRef& item)
{
    return item.nameLength > 0 && item.name[0] == '$';
}

std::string ItemName(const runtime::ItemRef& item)
{
    return std::string(item.name, item.nameLength);
}

// A form names its fields in a "$Fields" text list; the note's items render
// in that order, labelled. Without a form every visible item renders.
std::vector<std::string> FieldOrder(NoteObject& note, NOTEHANDLE hForm)
{
    std::vector<std::string> fields;
    NoteObject* form = hForm != 0 ? notes::FindNote(hForm) : nullptr;
    NOTEHANDLE opened = 0;
    if (form == nullptr) {
        const runtime::ItemRef* formItem = note.FindItem("Form", 4);
        const std::string name =
            formItem != nullptr ? notes::TextOfValue(formItem->value, formItem->valueLength) : std::string();
        NOTEID id = 0;
        if (!name.empty() && NIFFindDesignNote(note.db, name.c_str(), NOTE_CLASS_FORM, &id) == NOERROR_STATUS &&
            notes::OpenNote(note.db, id, &opened) == NOERROR_STATUS) {
            form = notes::FindNote(opened);
        }
    }
    if (form != nullptr) {
        if (const runtime::ItemRef* list = form->FindItem("$Fields", 7)) {
            for (const std::string& field : Entries(list->value, list->valueLength)) {
                fields.push_back(field);
            }
        }
    }
    if (opened != 0) {
        NSFNoteClose(opened);
    }
    if (fields.empty()) {
        for (const runtime::ItemRef& item : note.items) {
            if (!IsHidden(item) && _strnicmp(item.name, "Form", item.nameLength) != 0) {
                fields.push_back(ItemName(item));
            }
        }
    }
    return fields;
}

void RenderItem(const runtime::ItemRef& item, std::vector<BYTE>& out)
{
    const WORD type = TypeOf(item.value, item.valueLength);
    if (type == TYPE_COMPOSITE) {
        DWORD length = item.valueLength;
        const BYTE* records = RecordsOf(item.value, &length);
        out.insert(out.end(), records, records + length);
        if (out.size() % 2 != 0) {
            out.push_back(0);
        }
        return;
    }
    const std::string text = ValueAsText(item.value, item.valueLength, "; ");
    if (text.empty() && type != TYPE_TEXT) {
        return;
    }
    cd::AppendParagraph(out);
    cd::AppendText(out, ItemName(item) + ": ", ISBOLD);
    cd::AppendText(out, text);
}

} // namespace

extern "C" {

STATUS LNPUBLIC ConvertItemToText(BLOCKID ItemValue, DWORD ItemValueLength, const char* LineDelimiter,
                                  WORD CharsPerLine, DHANDLE* rethBuffer, DWORD* retBufferLength, BOOL)
{
    if (rethBuffer != nullptr) {
        *rethBuffer = 0;
    }
    if (retBufferLength != nullptr) {
        *retBufferLength = 0;
    }
    const BYTE* value = notes::ResolveBlock(ItemValue, ItemValueLength);
    if (value == nullptr || rethBuffer == nullptr || retBufferLength == nullptr || ItemValueLength < 2) {
        return ERR_BAD_PARAMETER;
    }
    const std::string delimiter = LineDelimiter != nullptr ? LineDelimiter : "\r\n";
    const std::string text = Wrap(ValueAsText(value, ItemValueLength, delimiter), delimiter, CharsPerLine);
    *rethBuffer = runtime::AddMemoryCopy(text.data(), text.size());
    *retBufferLength = static_cast<DWORD>(text.size());
    return NOERROR_STATUS;
}

WORD LNPUBLIC NSFItemConvertToText(NOTEHANDLE hNote, const char* ItemName, char* retBuffer, WORD BufferLength,
                                   char SepChar)
{
    if (retBuffer == nullptr || BufferLength == 0) {
        return 0;
    }
    retBuffer[0] = 0;
    const runtime::ItemRef* item = notes::FindNamedItem(hNote, ItemName);
    if (item == nullptr) {
        return 0;
    }
    const std::string text = ValueAsText(item->value, item->valueLength, std::string(1, SepChar));
    return static_cast<WORD>(lmbcs::CopyWholeCharacters(text, retBuffer, BufferLength));
}

STATUS LNPUBLIC EnumCompositeBuffer(BLOCKID ItemValue, DWORD ItemValueLength, ActionRoutinePtr ActionRoutine,
                                    void* vContext)
{
    const BYTE* value = notes::ResolveBlock(ItemValue, ItemValueLength);
    if (value == nullptr || ActionRoutine == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    DWORD length = ItemValueLength;
    const BYTE* records = RecordsOf(value, &length);
    STATUS result = NOERROR_STATUS;
    const bool intact = cd::Walk(records, length, [&](const cd::Record& r) {
        result =
            ActionRoutine(const_cast<char*>(reinterpret_cast<const char*>(r.start)), r.signature, r.length, vContext);
        return result == NOERROR_STATUS;
    });
    if (!intact && result == NOERROR_STATUS) {
        return ERR_DATABASE_DAMAGED;
    }
    return result;
}

STATUS LNPUBLIC CompoundTextCreate(NOTEHANDLE hNote, const char* pszItemName, DHANDLE* phCompound)
{
    if (phCompound == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    *phCompound = 0;
    if (pszItemName == nullptr || notes::FindNote(hNote) == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    auto builder = std::make_unique<runtime::BuilderObject>();
    builder->note = hNote;
    builder->itemName = pszItemName;
    *phCompound = runtime::Add(std::move(builder));
    return NOERROR_STATUS;
}

STATUS LNPUBLIC CompoundTextAddRenderedNote(DHANDLE hCompound, NOTEHANDLE hNote, NOTEHANDLE hFormNote, DWORD)
{
    auto* builder = runtime::FindAs<runtime::BuilderObject>(hCompound, Kind::Builder);
    NoteObject* note = notes::FindNote(hNote);
    if (builder == nullptr || note == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    std::vector<BYTE> records;
    cd::AppendPabDefinition(records, 1);
    for (const std::string& field : FieldOrder(*note, hFormNote)) {
        for (size_t i = 0; i < note->items.size(); ++i) {
            if (ItemName(note->items[i]) == field || _stricmp(ItemName(note->items[i]).c_str(), field.c_str()) == 0) {
                RenderItem(note->items[i], records);
            }
        }
    }
    builder->records.insert(builder->records.end(), records.begin(), records.end());
    return NOERROR_STATUS;
}

STATUS LNPUBLIC CompoundTextAddCDRecords(DHANDLE hCompound, void* pvRecord, DWORD dwRecordLength)
{
    auto* builder = runtime::FindAs<runtime::BuilderObject>(hCompound, Kind::Builder);
    if (builder == nullptr || (pvRecord == nullptr && dwRecordLength != 0)) {
        return ERR_BAD_PARAMETER;
    }
    const BYTE* p = static_cast<const BYTE*>(pvRecord);
    if (!cd::Walk(p, dwRecordLength, [](const cd::Record&) { return true; })) {
        return ERR_BAD_PARAMETER;
    }
    if (builder->records.size() % 2 != 0) {
        builder->records.push_back(0);
    }
    builder->records.insert(builder->records.end(), p, p + dwRecordLength);
    return NOERROR_STATUS;
}

STATUS LNPUBLIC CompoundTextClose(DHANDLE hCompound, DHANDLE* phReturnBuffer, DWORD* pdwReturnBufferSize,
                                  char* pchReturnFile, WORD wReturnFileNameSize)
{
    auto* builder = runtime::FindAs<runtime::BuilderObject>(hCompound, Kind::Builder);
    if (builder == nullptr) {
        return ERR_INVALID_HANDLE;
    }
    if (pchReturnFile != nullptr && wReturnFileNameSize > 0) {
        pchReturnFile[0] = 0;
    }
    if (phReturnBuffer != nullptr) {
        const std::vector<BYTE> value = CompositeValue(builder->records);
        *phReturnBuffer = runtime::AddMemoryCopy(value.data(), value.size());
        if (pdwReturnBufferSize != nullptr) {
            *pdwReturnBufferSize = static_cast<DWORD>(value.size());
        }
    } else {
        NoteObject* note = notes::FindNote(builder->note);
        if (note == nullptr) {
            runtime::Remove(hCompound, Kind::Builder);
            return ERR_INVALID_HANDLE;
        }
        note->AddItem(builder->itemName, 0, CompositeValue(builder->records));
    }
    runtime::Remove(hCompound, Kind::Builder);
    return NOERROR_STATUS;
}

void LNPUBLIC CompoundTextDiscard(DHANDLE hCompound)
{
    runtime::Remove(hCompound, Kind::Builder);
}

STATUS LNPUBLIC NSFItemCDToFile(NOTEHANDLE hNote, const char* ItemName, const char* FileName)
{
    NoteObject* note = notes::FindNote(hNote);
    if (note == nullptr || ItemName == nullptr || FileName == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    std::vector<BYTE> records;
    bool found = false;
    for (const runtime::ItemRef& item : note->items) {
        if (_stricmp(::ItemName(item).c_str(), ItemName) == 0 &&
            TypeOf(item.value, item.valueLength) == TYPE_COMPOSITE) {
            DWORD length = item.valueLength;
            const BYTE* p = RecordsOf(item.value, &length);
            if (records.size() % 2 != 0) {
                records.push_back(0);
            }
            records.insert(records.end(), p, p + length);
            found = true;
        }
    }
    if (!found) {
        return ERR_ITEM_NOT_FOUND;
    }
    HANDLE file = CreateFileW(lmbcs::ToWide(FileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return ERR_FILE_WRITE;
    }
    DWORD written = 0;
    const bool ok =
        records.empty() || (WriteFile(file, records.data(), static_cast<DWORD>(records.size()), &written, nullptr) &&
                            written == records.size());
    CloseHandle(file);
    return ok ? NOERROR_STATUS : STATUS(ERR_FILE_WRITE);
}

STATUS LNPUBLIC NSFFormulaCompile(char*, WORD, const char* FormulaText, WORD FormulaTextLength,
                                  FORMULAHANDLE* rethFormula, WORD* retFormulaLength, STATUS* retCompileError,
                                  WORD* retCompileErrorLine, WORD* retCompileErrorColumn, WORD* retCompileErrorOffset,
                                  WORD* retCompileErrorLength)
{
    for (WORD* w : {retCompileErrorLine, retCompileErrorColumn, retCompileErrorOffset, retCompileErrorLength}) {
        if (w != nullptr) {
            *w = 0;
        }
    }
    if (retCompileError != nullptr) {
        *retCompileError = NOERROR_STATUS;
    }
    if (rethFormula == nullptr || FormulaText == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    *rethFormula = 0;
    std::string text(FormulaText, strnlen(FormulaText, FormulaTextLength));
    while (!text.empty() && (text.back() == ' ' || text.back() == ';')) {
        text.pop_back();
    }
    // Only the formulas the product evaluates are understood.
    if (_stricmp(text.c_str(), kMailDbName) != 0) {
        if (retCompileError != nullptr) {
            *retCompileError = ERR_FORMULA_COMPILATION;
        }
        return ERR_FORMULA_COMPILATION;
    }
    std::vector<BYTE> compiled(kFormulaMarker, kFormulaMarker + sizeof(kFormulaMarker));
    compiled.insert(compiled.end(), text.begin(), text.end());
    *rethFormula = runtime::AddMemoryCopy(compiled.data(), compiled.size());
    if (retFormulaLength != nullptr) {
        *retFormulaLength = static_cast<WORD>(compiled.size());
    }
    return NOERROR_STATUS;
}

STATUS LNPUBLIC NSFComputeStart(WORD, void* lpCompiledFormula, HCOMPUTE* rethCompute)
{
    if (rethCompute == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    *rethCompute = 0;
    if (lpCompiledFormula == nullptr || std::memcmp(lpCompiledFormula, kFormulaMarker, sizeof(kFormulaMarker)) != 0) {
        return ERR_BAD_PARAMETER;
    }
    auto formula = std::make_unique<runtime::FormulaObject>();
    formula->text = kMailDbName;
    *rethCompute = runtime::Add(std::move(formula));
    return NOERROR_STATUS;
}

STATUS LNPUBLIC NSFComputeEvaluate(HCOMPUTE hCompute, NOTEHANDLE, DHANDLE* rethResult, WORD* retResultLength,
                                   BOOL* retNoteMatchesFormula, BOOL* retNoteShouldBeDeleted, BOOL* retNoteModified)
{
    if (runtime::Find(hCompute, Kind::Formula) == nullptr || rethResult == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    std::string server = runtime::Setting("MailServer");
    std::string file = runtime::Setting("MailFile");
    if (!file.empty() && (file.size() < 4 || _stricmp(file.c_str() + file.size() - 4, ".nsf") != 0)) {
        file += ".nsf";
    }
    std::vector<BYTE> value(2 + sizeof(LIST) + 2 * sizeof(WORD));
    const WORD type = TYPE_TEXT_LIST;
    const WORD count = 2;
    const WORD lengths[2] = {static_cast<WORD>(server.size()), static_cast<WORD>(file.size())};
    std::memcpy(value.data(), &type, 2);
    std::memcpy(value.data() + 2, &count, 2);
    std::memcpy(value.data() + 4, lengths, sizeof(lengths));
    value.insert(value.end(), server.begin(), server.end());
    value.insert(value.end(), file.begin(), file.end());
    *rethResult = runtime::AddMemoryCopy(value.data(), value.size());
    if (retResultLength != nullptr) {
        *retResultLength = static_cast<WORD>(value.size());
    }
    for (BOOL* b : {retNoteShouldBeDeleted, retNoteModified}) {
        if (b != nullptr) {
            *b = FALSE;
        }
    }
    if (retNoteMatchesFormula != nullptr) {
        *retNoteMatchesFormula = TRUE;
    }
    return NOERROR_STATUS;
}

STATUS LNPUBLIC NSFComputeStop(HCOMPUTE hCompute)
{
    return runtime::Remove(hCompute, Kind::Formula) ? NOERROR_STATUS : STATUS(ERR_INVALID_HANDLE);
}

} // extern "C"
