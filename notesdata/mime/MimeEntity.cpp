#include "notesdata/mime/MimeEntity.h"

#include "notesdata/mime/Charsets.h"
#include "notesdata/mime/HeaderText.h"
#include "notesdata/mime/TransferEncoding.h"

#include <cctype>

namespace brw::mime {
namespace {

// Longest boundary the MIME rules allow.
constexpr size_t kLongestBoundary = 70;

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

std::string_view Trimmed(std::string_view text)
{
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        return std::string_view();
    }
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

// One line of text: its content without the line break, and where the
// next line starts.
struct Line {
    std::string_view text;
    size_t next;
};

Line LineAt(std::string_view text, size_t at)
{
    const size_t end = text.find('\n', at);
    const size_t stop = end == std::string_view::npos ? text.size() : end;
    std::string_view line = text.substr(at, stop - at);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return Line{line, end == std::string_view::npos ? text.size() : end + 1};
}

struct Headers {
    std::string contentType;
    std::string transferEncoding;
    std::string disposition;
};

// A header field's value with its folding undone.
void KeepField(Headers& headers, std::string_view field)
{
    const size_t colon = field.find(':');
    if (colon == std::string_view::npos) {
        return;
    }
    const std::string name = Lower(Trimmed(field.substr(0, colon)));
    std::string value;
    for (char c : field.substr(colon + 1)) {
        if (c != '\r' && c != '\n') {
            value += c;
        }
    }
    if (name == "content-type") {
        headers.contentType = std::move(value);
    } else if (name == "content-transfer-encoding") {
        headers.transferEncoding = std::string(Trimmed(value));
    } else if (name == "content-disposition") {
        headers.disposition = std::move(value);
    }
}

// Reads the header block; returns where the body starts. A field longer
// than the limit is left out whole.
size_t ReadHeaders(std::string_view entity, const Limits& limits, Headers& headers)
{
    size_t at = 0;
    while (at < entity.size()) {
        const Line first = LineAt(entity, at);
        if (first.text.empty()) {
            return first.next;
        }
        size_t end = first.next;
        while (end < entity.size() && (entity[end] == ' ' || entity[end] == '\t')) {
            end = LineAt(entity, end).next;
        }
        if (end - at <= limits.maxHeaderFieldBytes) {
            KeepField(headers, entity.substr(at, end - at));
        }
        at = end;
    }
    return entity.size(); // headers only
}

int HexValue(char c)
{
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= '0' && lower <= '9' ? lower - '0' : lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// A parameter value in the extended form, charset''percent-escaped bytes;
// found stays false when the value is not in that form.
std::wstring ExtendedValue(const std::string& value, bool* found)
{
    const size_t quote = value.find("''");
    if (quote == std::string::npos) {
        return std::wstring();
    }
    *found = true;
    std::string bytes;
    for (size_t at = quote + 2; at < value.size(); ++at) {
        const int high = value[at] == '%' && at + 2 < value.size() ? HexValue(value[at + 1]) : -1;
        const int low = high >= 0 ? HexValue(value[at + 2]) : -1;
        if (low < 0) {
            bytes += value[at];
            continue;
        }
        bytes += static_cast<char>(high << 4 | low);
        at += 2;
    }
    return DecodeCharset(bytes, value.substr(0, value.find('\'')));
}

struct Parameter {
    std::string key; // lower case
    std::string value;
    size_t next; // where the next parameter's ';' is, npos at the end
};

// The parameter after the ';' at header[at]; false when no '=' follows.
bool ParameterAt(std::string_view header, size_t at, Parameter* parameter)
{
    const size_t equals = header.find('=', at + 1);
    if (equals == std::string_view::npos) {
        return false;
    }
    parameter->key = Lower(Trimmed(header.substr(at + 1, equals - at - 1)));
    size_t start = equals + 1;
    while (start < header.size() && (header[start] == ' ' || header[start] == '\t')) {
        ++start;
    }
    parameter->value.clear();
    if (start < header.size() && header[start] == '"') {
        size_t end = start + 1;
        for (; end < header.size() && header[end] != '"'; ++end) {
            end += header[end] == '\\' && end + 1 < header.size() ? 1 : 0;
            parameter->value += header[end];
        }
        parameter->next = header.find(';', end);
        return true;
    }
    parameter->next = header.find(';', start);
    const size_t length = parameter->next == std::string_view::npos ? std::string_view::npos : parameter->next - start;
    parameter->value = std::string(Trimmed(header.substr(start, length)));
    return true;
}

// The value of a parameter of a structured header (name in lower case):
// quoted or not, or in the extended form (name*=charset''escaped).
std::wstring ParameterOf(std::string_view header, std::string_view name, bool* found)
{
    *found = false;
    const std::string extendedKey = std::string(name) + "*";
    Parameter parameter;
    for (size_t at = header.find(';'); at != std::string_view::npos && at < header.size(); at = parameter.next) {
        if (!ParameterAt(header, at, &parameter)) {
            return std::wstring();
        }
        if (parameter.key == name) {
            *found = true;
            return DecodeHeaderText(parameter.value);
        }
        if (parameter.key == extendedKey) {
            std::wstring value = ExtendedValue(parameter.value, found);
            if (*found) {
                return value;
            }
        }
    }
    return std::wstring();
}

std::string NarrowParameter(std::string_view header, std::string_view name)
{
    bool found = false;
    const std::wstring wide = ParameterOf(header, name, &found);
    std::string narrow;
    for (wchar_t c : wide) {
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return narrow;
}

std::string FirstToken(std::string_view header)
{
    return Lower(Trimmed(header.substr(0, header.find(';'))));
}

// The start of the next line at or after from (itself a line's start)
// that begins with the delimiter; the body's size when none does. Only
// such lines matter to a multipart body, and searching for the delimiter
// passes over a part's content without looking at each of its lines.
size_t NextDelimiterLine(std::string_view body, const std::string& delimiter, size_t from)
{
    for (size_t at = body.find(delimiter, from); at != std::string_view::npos; at = body.find(delimiter, at + 1)) {
        if (at == 0 || body[at - 1] == '\n') {
            return at;
        }
    }
    return body.size();
}

class Parser {
public:
    explicit Parser(const Limits& limits) : limits_(limits) {}

    void Entity(std::string_view entity, size_t depth, size_t group);
    Message Take() { return std::move(message_); }

private:
    bool Room(size_t depth);
    void Multipart(std::string_view body, const std::string& boundary, size_t depth, size_t group);

    const Limits& limits_;
    Message message_;
    size_t alternatives_ = 0;
};

bool Parser::Room(size_t depth)
{
    if (depth > limits_.maxDepth || message_.parts.size() >= limits_.maxParts) {
        message_.outcome = ParseOutcome::Truncated;
        return false;
    }
    return true;
}

void Parser::Entity(std::string_view entity, size_t depth, size_t group)
{
    if (!Room(depth)) {
        return;
    }
    Headers headers;
    const size_t bodyStart = ReadHeaders(entity, limits_, headers);
    const std::string_view body = entity.substr(bodyStart);
    std::string type = FirstToken(headers.contentType);
    if (type.find('/') == std::string::npos) {
        type = "text/plain"; // what a part without a usable type is taken for
    }
    if (type.compare(0, 10, "multipart/") == 0) {
        const std::string boundary = NarrowParameter(headers.contentType, "boundary");
        if (!boundary.empty() && boundary.size() <= kLongestBoundary) {
            Multipart(body, boundary, depth, type == "multipart/alternative" ? ++alternatives_ : group);
            return;
        }
        type = "text/plain"; // a multipart without a boundary is read as text
    }
    if (type == "message/rfc822" && FirstToken(headers.disposition) != "attachment") {
        Entity(body, depth + 1, group);
        return;
    }
    Part part;
    part.type = std::move(type);
    part.charset = NarrowParameter(headers.contentType, "charset");
    part.encoding = headers.transferEncoding;
    part.disposition = FirstToken(headers.disposition);
    bool found = false;
    part.fileName = ParameterOf(headers.disposition, "filename", &found);
    if (!found) {
        part.fileName = ParameterOf(headers.contentType, "name", &found);
    }
    part.alternativeGroup = group;
    part.body = body;
    message_.parts.push_back(std::move(part));
}

// The parts between delimiter lines; text before the first is the preamble
// and after the closing one the epilogue, both skipped. A missing closing
// delimiter ends the last part at the end of the body.
void Parser::Multipart(std::string_view body, const std::string& boundary, size_t depth, size_t group)
{
    const std::string delimiter = "--" + boundary;
    size_t partStart = std::string_view::npos;
    for (size_t at = NextDelimiterLine(body, delimiter, 0); at < body.size();) {
        const Line line = LineAt(body, at);
        const bool isDelimiter = line.text.compare(0, delimiter.size(), delimiter) == 0;
        std::string_view rest = isDelimiter ? line.text.substr(delimiter.size()) : std::string_view();
        const bool closing = isDelimiter && rest.compare(0, 2, "--") == 0;
        if (isDelimiter && Trimmed(closing ? rest.substr(2) : rest).empty()) {
            if (partStart != std::string_view::npos) {
                // The line break before the delimiter belongs to it.
                size_t end = at;
                end -= end > partStart && body[end - 1] == '\n' ? 1 : 0;
                end -= end > partStart && body[end - 1] == '\r' ? 1 : 0;
                Entity(body.substr(partStart, end - partStart), depth + 1, group);
            }
            if (closing) {
                return;
            }
            partStart = line.next;
        }
        at = NextDelimiterLine(body, delimiter, line.next);
    }
    if (partStart != std::string_view::npos && partStart < body.size()) {
        Entity(body.substr(partStart), depth + 1, group);
    }
}

} // namespace

Message ParseEntity(std::string_view entity, const Limits& limits)
{
    if (entity.size() > limits.maxEntityBytes) {
        Message rejected;
        rejected.outcome = ParseOutcome::Rejected;
        return rejected;
    }
    Parser parser(limits);
    parser.Entity(entity, 0, 0);
    return parser.Take();
}

bool IsAttachment(const Part& part)
{
    if (part.disposition == "attachment") {
        return true;
    }
    return !part.fileName.empty() && part.type.compare(0, 5, "text/") != 0;
}

} // namespace brw::mime
