#include "platform/notes/CdRecords.h"

#include <algorithm>
#include <cstring>

namespace cd {
namespace {

void AppendRaw(std::vector<BYTE>& out, const void* data, size_t size)
{
    const BYTE* p = static_cast<const BYTE*>(data);
    out.insert(out.end(), p, p + size);
}

// Records start on even offsets: an odd record is followed by a pad byte.
void Pad(std::vector<BYTE>& out)
{
    if (out.size() % 2 != 0) {
        out.push_back(0);
    }
}

void AppendWsig(std::vector<BYTE>& out, WORD signature, const void* body, size_t bodySize)
{
    Pad(out);
    WSIG header{signature, static_cast<WORD>(sizeof(WSIG) + bodySize)};
    AppendRaw(out, &header, sizeof(header));
    AppendRaw(out, body, bodySize);
    Pad(out);
}

void AppendBsig(std::vector<BYTE>& out, BYTE signature, const void* body, size_t bodySize)
{
    Pad(out);
    BSIG header{signature, static_cast<BYTE>(sizeof(BSIG) + bodySize)};
    AppendRaw(out, &header, sizeof(header));
    AppendRaw(out, body, bodySize);
    Pad(out);
}

// A word or long header of a record that starts at p, left bytes before the end.
template <typename Header>
bool ReadHeader(const BYTE* p, size_t left, Record& record)
{
    if (left < sizeof(Header)) {
        return false;
    }
    Header h;
    std::memcpy(&h, p, sizeof(h));
    record.signature = h.Signature;
    record.length = h.Length;
    record.headerSize = sizeof(Header);
    return true;
}

} // namespace

bool Walk(const BYTE* data, size_t size, const std::function<bool(const Record&)>& visit)
{
    size_t pos = 0;
    while (pos < size) {
        if (size - pos < 2) {
            return false;
        }
        const BYTE* p = data + pos;
        Record record{p, 0, 0, 0};
        if (p[1] == 0xFF) {
            if (!ReadHeader<WSIG>(p, size - pos, record)) {
                return false;
            }
        } else if (p[1] == 0x00) {
            if (!ReadHeader<LSIG>(p, size - pos, record)) {
                return false;
            }
        } else {
            record.signature = p[0];
            record.length = p[1];
            record.headerSize = sizeof(BSIG);
        }
        if (record.length < record.headerSize || record.length > size - pos) {
            return false;
        }
        if (!visit(record)) {
            return true;
        }
        pos += record.length + (record.length & 1u);
    }
    return true;
}

std::string PlainText(const BYTE* data, size_t size, const std::string& lineDelimiter)
{
    std::string text;
    bool anyParagraph = false;
    bool inCell = false; // a cell's first paragraph stays on the row's line
    Walk(data, size, [&](const Record& r) {
        switch (r.signature) {
        case SIG_CD_PARAGRAPH:
            if (anyParagraph && !inCell) {
                text += lineDelimiter;
            }
            anyParagraph = true;
            inCell = false;
            break;
        case SIG_CD_TEXT:
            if (r.length >= sizeof(CDTEXT)) {
                text.append(reinterpret_cast<const char*>(r.start + sizeof(CDTEXT)), r.length - sizeof(CDTEXT));
            }
            break;
        case SIG_CD_TABLECELL: {
            const BYTE column = r.length >= 4 ? r.start[3] : 0;
            if (column > 0) {
                text += '\t';
            } else if (anyParagraph) {
                text += lineDelimiter;
            }
            anyParagraph = true;
            inCell = true;
            break;
        }
        default:
            break;
        }
        return true;
    });
    return text;
}

bool AttachmentNames(const Record& record, std::string* stored, std::string* displayed)
{
    if (record.length < sizeof(CDHOTSPOTBEGIN)) {
        return false;
    }
    CDHOTSPOTBEGIN h;
    std::memcpy(&h, record.start, sizeof(h));
    const size_t dataSize = std::min<size_t>(h.DataLength, record.length - sizeof(CDHOTSPOTBEGIN));
    if (h.Type != HOTSPOTREC_TYPE_FILE || dataSize == 0) {
        return false;
    }
    const char* p = reinterpret_cast<const char*>(record.start + sizeof(CDHOTSPOTBEGIN));
    const size_t first = strnlen(p, dataSize);
    *stored = std::string(p, first);
    *displayed =
        first < dataSize ? std::string(p + first + 1, strnlen(p + first + 1, dataSize - first - 1)) : std::string();
    return true;
}

void AppendParagraph(std::vector<BYTE>& out)
{
    AppendBsig(out, SIG_CD_PARAGRAPH & 0xFF, nullptr, 0);
}

void AppendPabDefinition(std::vector<BYTE>& out, WORD id)
{
    // PABID, then justification, spacing, margins and tabs left at zero.
    BYTE body[86] = {};
    std::memcpy(body, &id, sizeof(id));
    AppendWsig(out, SIG_CD_PABDEFINITION, body, sizeof(body));
}

void AppendPabReference(std::vector<BYTE>& out, WORD id)
{
    AppendBsig(out, SIG_CD_PABREFERENCE, &id, sizeof(id));
}

void AppendText(std::vector<BYTE>& out, const std::string& lmbcsText, BYTE attributes, BYTE pointSize)
{
    // One CDTEXT holds at most what a word length allows.
    size_t pos = 0;
    do {
        const size_t piece = std::min<size_t>(lmbcsText.size() - pos, 60000);
        std::vector<BYTE> body(4 + piece);
        const FONTIDFIELDS font{1, attributes, 0, pointSize};
        std::memcpy(body.data(), &font, sizeof(font));
        std::memcpy(body.data() + 4, lmbcsText.data() + pos, piece);
        AppendWsig(out, SIG_CD_TEXT, body.data(), body.size());
        pos += piece;
    } while (pos < lmbcsText.size());
}

void AppendAttachmentHotspot(std::vector<BYTE>& out, const std::string& stored, const std::string& displayed)
{
    std::vector<BYTE> body(sizeof(CDHOTSPOTBEGIN) - sizeof(WSIG));
    const WORD type = HOTSPOTREC_TYPE_FILE;
    const DWORD flags = 0;
    const WORD dataLength = static_cast<WORD>(stored.size() + displayed.size() + 2);
    std::memcpy(body.data(), &type, 2);
    std::memcpy(body.data() + 2, &flags, 4);
    std::memcpy(body.data() + 6, &dataLength, 2);
    body.insert(body.end(), stored.begin(), stored.end());
    body.push_back(0);
    body.insert(body.end(), displayed.begin(), displayed.end());
    body.push_back(0);
    AppendWsig(out, SIG_CD_HOTSPOTBEGIN, body.data(), body.size());
    AppendBsig(out, SIG_CD_HOTSPOTEND, nullptr, 0);
}

void AppendTableBegin(std::vector<BYTE>& out)
{
    BYTE body[14] = {};
    AppendBsig(out, SIG_CD_TABLEBEGIN, body, sizeof(body));
}

void AppendTableCell(std::vector<BYTE>& out, BYTE row, BYTE column)
{
    BYTE body[2] = {row, column};
    AppendBsig(out, SIG_CD_TABLECELL, body, sizeof(body));
}

void AppendTableEnd(std::vector<BYTE>& out)
{
    BYTE body[2] = {};
    AppendBsig(out, SIG_CD_TABLEEND, body, sizeof(body));
}

} // namespace cd
