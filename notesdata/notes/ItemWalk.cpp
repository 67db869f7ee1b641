#include "notesdata/notes/ItemWalk.h"

#include "notesdata/files/Attachment.h"
#include "notesdata/notes/NoteItems.h"
#include "notesdata/notes/NotesText.h"
#include "notesdata/notes/NotesTime.h"
#include "notesdata/notes/Rfc822Item.h"
#include "notesdata/notes/RichTextField.h"
#include "notesdata/notes/TextListValue.h"

#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace brw {
namespace {

// A sequence time whose text is this short is no real date and time.
constexpr size_t kShortestModifiedTime = 14;
// Shorter values hold nothing after their type word worth reporting.
constexpr DWORD kShortestValue = 3;
// Sizes are reported as signed 32-bit numbers.
constexpr DWORD kLargestNoteSize = 0x7FFFFFFF;

bool IsWalkedType(WORD type)
{
    switch (type) {
    case TYPE_COMPOSITE:
    case TYPE_OBJECT:
    case TYPE_NOTEREF_LIST:
    case TYPE_NUMBER:
    case TYPE_NUMBER_RANGE:
    case TYPE_TIME:
    case TYPE_TIME_RANGE:
    case TYPE_TEXT:
    case TYPE_TEXT_LIST:
    case TYPE_RFC822_TEXT:
        return true;
    default:
        return false;
    }
}

// Takes over the walk's reference to a made object.
template <typename T>
struct Released {
    void operator()(T* object) const { object->Release(); }
};
template <typename T>
using MadeObject = std::unique_ptr<T, Released<T>>;

class ItemDispatch {
public:
    ItemDispatch(NoteDocument& document, NoteItemProcessor& processor) : document_(document), processor_(processor) {}

    bool ModifiedTime();
    bool Item(const NoteItem& item);
    DWORD NoteSize() const { return noteSize_; }

private:
    bool Dispatch(const NoteItem& item, const std::string& name, const char* value);
    bool Time(const std::string& name, const char* data, DWORD length);
    bool TimeRange(const std::string& name, const char* data, DWORD length);
    bool TextList(const std::string& name, const char* data, DWORD length);
    bool Rfc822(const std::string& name, const char* data, DWORD length);
    bool Rfc822List(const std::string& name, const std::vector<std::wstring>& entries);
    bool Object(const NoteItem& item, const std::string& name, const char* value);
    bool RichText(const NoteItem& item, const std::string& name);
    bool HandOnTime(const char* name, const TIMEDATE& time);

    NoteDocument& document_;
    NoteItemProcessor& processor_;
    DWORD noteSize_ = 0;
};

bool ItemDispatch::HandOnTime(const char* name, const TIMEDATE& time)
{
    const std::optional<std::wstring> text = ReplyTimeText(time);
    return !text || processor_.OnTime(name, text->c_str(), static_cast<int>(text->size()));
}

bool ItemDispatch::ModifiedTime()
{
    ORIGINATORID originator{};
    NSFNoteGetInfo(document_.Handle(), _NOTE_OID, &originator);
    const std::optional<std::wstring> text = ReplyTimeText(originator.SequenceTime);
    if (!text || text->size() < kShortestModifiedTime) {
        return true;
    }
    return processor_.OnTime(kModifiedTimeName, text->c_str(), static_cast<int>(text->size()));
}

bool ItemDispatch::Item(const NoteItem& item)
{
    noteSize_ = item.length > kLargestNoteSize - noteSize_ ? kLargestNoteSize : noteSize_ + item.length;
    if (!IsWalkedType(item.type) || item.length < kShortestValue) {
        return true;
    }
    const std::string name = ReadItemName(document_.Handle(), item.item);
    const LockedValue value(item.value);
    return value.Data() == nullptr || Dispatch(item, name, value.Data());
}

bool ItemDispatch::Dispatch(const NoteItem& item, const std::string& name, const char* value)
{
    const char* data = value + sizeof(WORD);
    const DWORD length = item.length - sizeof(WORD);
    switch (item.type) {
    case TYPE_COMPOSITE:
        return RichText(item, name);
    case TYPE_OBJECT:
        return Object(item, name, value);
    case TYPE_TIME:
        return Time(name, data, length);
    case TYPE_TIME_RANGE:
        return TimeRange(name, data, length);
    case TYPE_TEXT:
        // Longer texts are cut to what the processor can count; they are
        // far past any length it writes.
        return processor_.OnText(name.c_str(), data, static_cast<WORD>(length < 0xFFFF ? length : 0xFFFF));
    case TYPE_TEXT_LIST:
        return TextList(name, data, length);
    case TYPE_RFC822_TEXT:
        return Rfc822(name, data, length);
    default:
        return true; // counted in the size only
    }
}

bool ItemDispatch::Time(const std::string& name, const char* data, DWORD length)
{
    if (length < sizeof(TIMEDATE)) {
        return true;
    }
    TIMEDATE time{};
    std::memcpy(&time, data, sizeof(time));
    return HandOnTime(name.c_str(), time);
}

bool ItemDispatch::TimeRange(const std::string& name, const char* data, DWORD length)
{
    if (length < sizeof(RANGE) + sizeof(TIMEDATE)) {
        return true;
    }
    RANGE range{};
    std::memcpy(&range, data, sizeof(range));
    if (range.ListEntries == 0 && range.RangeEntries == 0) {
        return true;
    }
    // A range without single times starts with its first pair's lower end.
    TIMEDATE first{};
    std::memcpy(&first, data + sizeof(RANGE), sizeof(first));
    return HandOnTime(name.c_str(), first);
}

bool ItemDispatch::TextList(const std::string& name, const char* data, DWORD length)
{
    std::vector<std::string_view> entries;
    if (!ReadTextList(data, length, &entries)) {
        return true;
    }
    if (!processor_.BeginTextList(name.c_str(), static_cast<WORD>(entries.size()))) {
        return false;
    }
    for (const std::string_view& entry : entries) {
        if (!processor_.OnTextListEntry(entry.data(), static_cast<WORD>(entry.size()))) {
            return false;
        }
    }
    return processor_.EndTextList();
}

// An Internet mail header is handed on as the same field of a classic memo
// would be, so that no reader of the fields needs to know the difference.
bool ItemDispatch::Rfc822(const std::string& name, const char* data, DWORD length)
{
    const Rfc822Value value = ReadRfc822Value(data, length);
    switch (value.kind) {
    case Rfc822Value::Kind::Time:
        return HandOnTime(name.c_str(), value.time);
    case Rfc822Value::Kind::Text: {
        const std::string text = WideToLmbcs(value.texts.front());
        return processor_.OnText(name.c_str(), text.data(),
                                 static_cast<WORD>(text.size() < 0xFFFF ? text.size() : 0xFFFF));
    }
    case Rfc822Value::Kind::TextList:
        return Rfc822List(name, value.texts);
    default:
        return true;
    }
}

bool ItemDispatch::Rfc822List(const std::string& name, const std::vector<std::wstring>& entries)
{
    // A list of more entries than a Notes list holds keeps the first ones.
    const WORD count = static_cast<WORD>(entries.size() < 0xFFFF ? entries.size() : 0xFFFF);
    if (!processor_.BeginTextList(name.c_str(), count)) {
        return false;
    }
    for (WORD at = 0; at < count; ++at) {
        const std::string entry = WideToLmbcs(entries[at]);
        if (!processor_.OnTextListEntry(entry.data(),
                                        static_cast<WORD>(entry.size() < 0xFFFF ? entry.size() : 0xFFFF))) {
            return false;
        }
    }
    return processor_.EndTextList();
}

bool ItemDispatch::Object(const NoteItem& item, const std::string& name, const char* value)
{
    OBJECT_DESCRIPTOR descriptor{};
    if (item.length < sizeof(WORD) + sizeof(descriptor)) {
        return true;
    }
    std::memcpy(&descriptor, value + sizeof(WORD), sizeof(descriptor));
    if (descriptor.ObjectType != OBJECT_FILE) {
        return true;
    }
    MadeObject<Attachment> attachment(Attachment::FromFileItem(document_, item, static_cast<WORD>(name.size()), value));
    return !attachment || processor_.OnAttachment(name.c_str(), attachment.get());
}

bool ItemDispatch::RichText(const NoteItem& item, const std::string& name)
{
    MadeObject<RichTextField> field(new (std::nothrow) RichTextField(document_.Handle(), item));
    return !field || processor_.OnRichText(name.c_str(), field.get());
}

} // namespace

bool WalkNoteItems(NoteDocument& document, NoteItemProcessor& processor, DWORD* noteSize)
{
    ItemDispatch dispatch(document, processor);
    bool complete = dispatch.ModifiedTime() &&
                    ForEachNoteItem(document.Handle(), [&](const NoteItem& item) { return dispatch.Item(item); });
    if (noteSize != nullptr) {
        *noteSize = dispatch.NoteSize();
    }
    return complete;
}

} // namespace brw
