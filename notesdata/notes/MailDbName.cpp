#include "notesdata/notes/MailDbName.h"

#include "common/WideString.h"
#include "notesdata/notes/NotesHandles.h"
#include "notesdata/notes/NotesText.h"
#include "notesdata/notes/TextListValue.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace brw {
namespace {

constexpr char kMailDbNameFormula[] = "@MailDbName";

using ComputeHandle = UniqueResource<NotesHandleTraits<NSFComputeStop>>;

bool CompileFormula(NotesMemory* formula)
{
    WORD formulaLength = 0;
    STATUS compileError = NOERROR_STATUS;
    WORD line = 0, column = 0, offset = 0, length = 0;
    return NSFFormulaCompile(nullptr, 0, kMailDbNameFormula, sizeof(kMailDbNameFormula) - 1, formula->put(),
                             &formulaLength, &compileError, &line, &column, &offset, &length) == NOERROR_STATUS &&
           *formula;
}

// The formula's value (type word first) and its length; false when it does
// not evaluate.
bool EvaluateWithoutNote(const NotesMemory& formula, NotesMemory* result, WORD* resultLength)
{
    LockedMemory compiled(formula.get());
    ComputeHandle compute;
    if (compiled.get() == nullptr ||
        NSFComputeStart(0, const_cast<char*>(compiled.get()), compute.put()) != NOERROR_STATUS) {
        return false;
    }
    BOOL matches = FALSE, deleted = FALSE, modified = FALSE;
    return NSFComputeEvaluate(compute.get(), 0, result->put(), resultLength, &matches, &deleted, &modified) ==
               NOERROR_STATUS &&
           *result;
}

// Hands a text-list value to the processor; anything else is left alone.
void ProcessTextList(const char* value, WORD length, NoteItemProcessor& processor)
{
    WORD type = 0;
    if (value == nullptr || length < sizeof(type)) {
        return;
    }
    std::memcpy(&type, value, sizeof(type));
    std::vector<std::string_view> entries;
    if (type != TYPE_TEXT_LIST || !ReadTextList(value + sizeof(type), length - sizeof(type), &entries)) {
        return;
    }
    if (!processor.BeginTextList(nullptr, static_cast<WORD>(entries.size()))) {
        return;
    }
    for (std::string_view entry : entries) {
        if (!processor.OnTextListEntry(entry.data(), static_cast<WORD>(entry.size()))) {
            break;
        }
    }
    processor.EndTextList();
}

} // namespace

bool MailDbNameResults::OnTextListEntry(const char* value, WORD length)
{
    const int index = entries_++;
    if (value == nullptr || length == 0) {
        return true;
    }
    if (index == 0) {
        server_.assign(value, length);
    } else if (index == 1) {
        mailFile_.assign(value, length);
    }
    return true;
}

bool ReadServerMailInfo(wchar_t* server, int serverLength, wchar_t* mailFile, int mailFileLength)
{
    NotesMemory formula;
    NotesMemory result;
    WORD resultLength = 0;
    if (!CompileFormula(&formula) || !EvaluateWithoutNote(formula, &result, &resultLength)) {
        return false;
    }
    MailDbNameResults names;
    {
        LockedMemory value(result.get());
        ProcessTextList(value.get(), resultLength, names);
    }
    CopyBounded(server, serverLength, LmbcsToWide(names.Server()).c_str());
    CopyBounded(mailFile, mailFileLength, LmbcsToWide(names.MailFile()).c_str());
    return true;
}

} // namespace brw
