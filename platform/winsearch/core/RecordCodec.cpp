#include "platform/winsearch/core/RecordCodec.h"

#include <cstring>

namespace brw::winsearch {

namespace {
// A record holds a few dozen properties; more is damage.
constexpr std::uint32_t kMaxProperties = 4096;
constexpr std::uint32_t kMaxListItems = 65536;
// The bits of the record's flags byte; a record written before the second
// existed has it clear.
constexpr std::uint8_t kDirectoryFlag = 1;
constexpr std::uint8_t kGatherTimeFlag = 2;
} // namespace

void ByteWriter::U32(std::uint32_t value)
{
    char bytes[4];
    std::memcpy(bytes, &value, 4);
    bytes_.append(bytes, 4);
}

void ByteWriter::U64(std::uint64_t value)
{
    char bytes[8];
    std::memcpy(bytes, &value, 8);
    bytes_.append(bytes, 8);
}

void ByteWriter::Text(const std::wstring& text)
{
    U32(static_cast<std::uint32_t>(text.size()));
    bytes_.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

bool ByteReader::U8(std::uint8_t* value) noexcept
{
    if (size_ - position_ < 1) {
        return false;
    }
    *value = static_cast<std::uint8_t>(data_[position_++]);
    return true;
}

bool ByteReader::U32(std::uint32_t* value) noexcept
{
    if (size_ - position_ < 4) {
        return false;
    }
    std::memcpy(value, data_ + position_, 4);
    position_ += 4;
    return true;
}

bool ByteReader::U64(std::uint64_t* value) noexcept
{
    if (size_ - position_ < 8) {
        return false;
    }
    std::memcpy(value, data_ + position_, 8);
    position_ += 8;
    return true;
}

bool ByteReader::Text(std::wstring* text)
{
    std::uint32_t length = 0;
    if (!U32(&length) || length > kMaxCodedText || (size_ - position_) / sizeof(wchar_t) < length) {
        return false;
    }
    text->assign(length, L'\0');
    std::memcpy(text->data(), data_ + position_, length * sizeof(wchar_t));
    position_ += length * sizeof(wchar_t);
    return true;
}

void EncodeRecord(const ItemRecord& record, ByteWriter* writer)
{
    writer->Text(record.url);
    writer->U8(static_cast<std::uint8_t>((record.isDirectory ? kDirectoryFlag : 0) |
                                         (record.timeIsGatherTime ? kGatherTimeFlag : 0)));
    writer->U64(record.lastModified);
    writer->U64(record.size);
    writer->U32(static_cast<std::uint32_t>(record.properties.size()));
    for (const PropertyValue& value : record.properties) {
        std::uint32_t words[4];
        std::memcpy(words, &value.key.fmtid, sizeof(words));
        for (std::uint32_t word : words) {
            writer->U32(word);
        }
        writer->U32(value.key.pid);
        writer->U8(static_cast<std::uint8_t>(value.type));
        switch (value.type) {
        case ValueType::Text:
            writer->Text(value.text);
            break;
        case ValueType::TextList:
            writer->U32(static_cast<std::uint32_t>(value.texts.size()));
            for (const std::wstring& text : value.texts) {
                writer->Text(text);
            }
            break;
        default:
            writer->U64(static_cast<std::uint64_t>(value.number));
            break;
        }
    }
    writer->Text(record.text);
}

static bool DecodeValue(ByteReader* reader, PropertyValue* value)
{
    std::uint32_t words[4];
    for (std::uint32_t& word : words) {
        if (!reader->U32(&word)) {
            return false;
        }
    }
    std::memcpy(&value->key.fmtid, words, sizeof(words));
    std::uint32_t pid = 0;
    std::uint8_t type = 0;
    if (!reader->U32(&pid) || !reader->U8(&type)) {
        return false;
    }
    value->key.pid = pid;
    value->type = static_cast<ValueType>(type);
    switch (value->type) {
    case ValueType::Text:
        return reader->Text(&value->text);
    case ValueType::TextList: {
        std::uint32_t count = 0;
        if (!reader->U32(&count) || count > kMaxListItems) {
            return false;
        }
        value->texts.resize(count);
        for (std::wstring& text : value->texts) {
            if (!reader->Text(&text)) {
                return false;
            }
        }
        return true;
    }
    case ValueType::Integer:
    case ValueType::Boolean:
    case ValueType::FileTime: {
        std::uint64_t number = 0;
        if (!reader->U64(&number)) {
            return false;
        }
        value->number = static_cast<std::int64_t>(number);
        return true;
    }
    }
    return false;
}

bool DecodeRecord(ByteReader* reader, ItemRecord* record)
{
    std::uint8_t directory = 0;
    std::uint32_t count = 0;
    if (!reader->Text(&record->url) || !reader->U8(&directory) || !reader->U64(&record->lastModified) ||
        !reader->U64(&record->size) || !reader->U32(&count) || count > kMaxProperties) {
        return false;
    }
    record->isDirectory = (directory & kDirectoryFlag) != 0;
    record->timeIsGatherTime = (directory & kGatherTimeFlag) != 0;
    record->properties.resize(count);
    for (PropertyValue& value : record->properties) {
        if (!DecodeValue(reader, &value)) {
            return false;
        }
    }
    return reader->Text(&record->text);
}

std::uint32_t Checksum(const char* data, size_t size) noexcept
{
    std::uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 16777619u;
    }
    return hash;
}

} // namespace brw::winsearch
