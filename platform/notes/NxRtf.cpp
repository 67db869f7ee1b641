// nxrtf.dll: ExportRTF turns a file of rich-text records (as NSFItemCDToFile
// writes it) into an RTF file: paragraphs, text with bold, italic and
// underline, tables as tab-separated rows, attachments by name.
#include "platform/notes/CdRecords.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/NsfFile.h"

#include <notesapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kHeader[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20\n";
constexpr size_t kMaxInput = 64u << 20;

void AppendEscaped(std::string& rtf, const std::wstring& text)
{
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'{' || c == L'}') {
            rtf += '\\';
            rtf += static_cast<char>(c);
        } else if (c == L'\0' || c == L'\n') {
            rtf += "\\line ";
        } else if (c == L'\t') {
            rtf += "\\tab ";
        } else if (c >= 0x20 && c < 0x80) {
            rtf += static_cast<char>(c);
        } else if (c >= 0x20) {
            char escape[16];
            std::snprintf(escape, sizeof(escape), "\\u%d?", static_cast<int>(static_cast<short>(c)));
            rtf += escape;
        }
    }
}

std::string Convert(const BYTE* data, size_t size)
{
    std::string rtf = kHeader;
    bool anyParagraph = false;
    bool inCell = false;
    cd::Walk(data, size, [&](const cd::Record& r) {
        switch (r.signature) {
        case SIG_CD_PARAGRAPH:
            if (anyParagraph && !inCell) {
                rtf += "\\par\n";
            }
            anyParagraph = true;
            inCell = false;
            break;
        case SIG_CD_TEXT: {
            if (r.length < sizeof(CDTEXT)) {
                break;
            }
            FONTIDFIELDS font;
            std::memcpy(&font, r.start + sizeof(WSIG), sizeof(font));
            std::string open = "{";
            if (font.Attrib & ISBOLD) {
                open += "\\b";
            }
            if (font.Attrib & ISITALIC) {
                open += "\\i";
            }
            if (font.Attrib & ISUNDERLINE) {
                open += "\\ul";
            }
            rtf += open + " ";
            AppendEscaped(rtf, lmbcs::ToWide(std::string(reinterpret_cast<const char*>(r.start + sizeof(CDTEXT)),
                                                         r.length - sizeof(CDTEXT))));
            rtf += "}";
            break;
        }
        case SIG_CD_TABLECELL:
            if (r.length >= 4 && r.start[3] > 0) {
                rtf += "\\tab ";
            } else if (anyParagraph) {
                rtf += "\\par\n";
            }
            anyParagraph = true;
            inCell = true;
            break;
        case SIG_CD_HOTSPOTBEGIN:
        case SIG_CD_V4HOTSPOTBEGIN:
        case SIG_CD_V5HOTSPOTBEGIN:
        case SIG_CD_V6HOTSPOTBEGIN_CONTINUATION: {
            std::string stored;
            std::string shown;
            if (cd::AttachmentNames(r, &stored, &shown)) {
                rtf += "{\\i [";
                AppendEscaped(rtf, lmbcs::ToWide(shown.empty() ? stored : shown));
                rtf += "]}";
            }
            break;
        }
        default:
            break;
        }
        return true;
    });
    rtf += "\\par\n}\n";
    return rtf;
}

} // namespace

extern "C" STATUS WINAPI ExportRTF(char* TempName, WORD, DWORD*, char*, char* FileName)
{
    if (TempName == nullptr || FileName == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    std::vector<BYTE> records;
    if (!nsf::ReadWholeFile(lmbcs::ToWide(TempName), records) || records.size() > kMaxInput) {
        return ERR_NOEXIST;
    }
    const std::string rtf = Convert(records.data(), records.size());
    return nsf::WriteFileAtomically(lmbcs::ToWide(FileName), std::vector<BYTE>(rtf.begin(), rtf.end()))
               ? NOERROR_STATUS
               : STATUS(ERR_FILE_WRITE);
}
