// Item records as bytes: the catalogue file's records and the replies of the
// filtering worker use the same form. Decoding checks every length against
// what is left, so damaged or hostile bytes give false, never a bad read.
#pragma once

#include "platform/winsearch/core/ItemRecord.h"

#include <cstdint>
#include <string>

namespace brw::winsearch {

// Texts longer than this are refused when decoding (the encoder's callers
// cap item text well below it).
constexpr std::uint32_t kMaxCodedText = 32 * 1024 * 1024;

class ByteWriter {
public:
    void U8(std::uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
    void U32(std::uint32_t value);
    void U64(std::uint64_t value);
    void Text(const std::wstring& text);
    std::string& Bytes() noexcept { return bytes_; }

private:
    std::string bytes_;
};

class ByteReader {
public:
    ByteReader(const char* data, size_t size) noexcept : data_(data), size_(size) {}
    bool U8(std::uint8_t* value) noexcept;
    bool U32(std::uint32_t* value) noexcept;
    bool U64(std::uint64_t* value) noexcept;
    bool Text(std::wstring* text);
    bool AtEnd() const noexcept { return position_ == size_; }

private:
    const char* data_;
    size_t size_;
    size_t position_ = 0;
};

void EncodeRecord(const ItemRecord& record, ByteWriter* writer);
bool DecodeRecord(ByteReader* reader, ItemRecord* record);

// FNV-1a over bytes, the catalogue file's record check.
std::uint32_t Checksum(const char* data, size_t size) noexcept;

} // namespace brw::winsearch
