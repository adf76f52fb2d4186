#include "core/DocInfo.h"

#include <cctype>

namespace docinfo {

const std::string_view ProducerLiteral = "/Producer (Ostrel V2.4 - http://www.ostrel.de)";

namespace {

constexpr std::string_view kTitle = "%%Title:";
constexpr std::string_view kFor = "%%For:";
constexpr std::string_view kCreator = "%%Creator:";
constexpr std::string_view kEndComments = "%%EndComments";
constexpr std::string_view kEndProlog = "%%EndProlog";
constexpr std::string_view kSubject = "[/Subject";
constexpr std::string_view kKeywords = "/Keywords";
constexpr std::string_view kProducer = "/Producer";
constexpr std::string_view kDocInfo = "/DOCINFO";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The string literal that follows `from` after optional blanks: the positions of its "(" and matching ")".
// False when no literal starts there or it does not end on this line.
bool FindStringLiteral(std::string_view s, std::size_t from, std::size_t& open, std::size_t& close) {
    std::size_t i = from;
    while (i < s.size() && IsBlank(s[i])) {
        ++i;
    }
    if (i >= s.size() || s[i] != '(') {
        return false;
    }
    open = i;
    int depth = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\\') {
            ++i;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            close = i;
            return true;
        }
    }
    return false;
}

// The value a DSC comment line gives: the text after the prefix, one separating blank skipped.
std::string DscLineValue(std::string_view line, std::size_t at, std::string_view prefix) {
    std::string_view value = line.substr(at + prefix.size());
    if (!value.empty() && IsBlank(value.front())) {
        value.remove_prefix(1);
    }
    return std::string(value);
}

// A value this program does not write is one token: a hex string up to its ">", a literal that runs on to the end
// of the line, anything else up to the next white space or delimiter of the language, so what follows it on the line
// (further keys,
// "/DOCINFO pdfmark") is neither read as the value nor lost when the value is replaced.
std::size_t ValueTokenStart(std::string_view line, std::size_t from) {
    while (from < line.size() && IsBlank(line[from])) {
        ++from;
    }
    return from;
}

std::size_t ValueTokenEnd(std::string_view line, std::size_t start) {
    if (start < line.size() && line[start] == '(') {
        return line.size(); // a literal that does not end on this line holds the rest of it
    }
    std::size_t end = start;
    if (start < line.size() && line[start] == '<') {
        end = start + 1;
        while (end < line.size() && std::isxdigit(static_cast<unsigned char>(line[end]))) {
            ++end;
        }
        return end < line.size() && line[end] == '>' ? end + 1 : end;
    }
    constexpr std::string_view kEndsAToken(" \t\f\0()<>[]{}/%", 14);
    while (end < line.size() && kEndsAToken.find(line[end]) == std::string_view::npos) {
        ++end;
    }
    return end;
}

// The value a pdfmark entry gives: the unescaped string literal after the key, or, for a form this program does
// not write, the token after the key.
std::string PdfmarkLineValue(std::string_view line, std::size_t at, std::string_view key) {
    std::size_t open = 0, close = 0;
    std::size_t from = at + key.size();
    if (FindStringLiteral(line, from, open, close)) {
        return UnescapePsString(line.substr(open + 1, close - open - 1));
    }
    const std::size_t start = ValueTokenStart(line, from);
    return std::string(line.substr(start, ValueTokenEnd(line, start) - start));
}

std::string DocInfoBlock(std::string_view subject, std::string_view keywords, bool withProducer) {
    std::string block;
    block += "\r[/Subject (" + EscapePsString(subject) + ")";
    block += "\r/Keywords (" + EscapePsString(keywords) + ")";
    if (withProducer) {
        block += "\r";
        block += ProducerLiteral;
    }
    block += "\r/DOCINFO pdfmark\r%%EOF";
    return block;
}

// "[/Subject" opens the block this program writes; in a one-line block of another program the subject may
// stand behind other keys.
std::size_t FindSubjectKey(std::string_view line, std::string_view& key) {
    key = kSubject;
    std::size_t at = FindPdfmarkKey(line, key);
    if (at == std::string_view::npos && FindPdfmarkKey(line, kDocInfo) != std::string_view::npos) {
        key = kSubject.substr(1);
        at = FindPdfmarkKey(line, key);
    }
    return at;
}

std::size_t FindValueKey(std::string_view line, std::string_view& key) {
    return key == kSubject ? FindSubjectKey(line, key) : FindPdfmarkKey(line, key);
}

bool AnyLine(const PsLines& lines, std::string_view key) {
    for (const auto& line : lines) {
        if (FindPdfmarkKey(line.Text, key) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

// Every line holding the DSC prefix gets the value, unless it already reads as that value (its bytes then stay).
// Returns whether any line holds the prefix.
bool ReplaceDscValues(PsLines& lines, std::string_view prefix, std::string_view value) {
    const std::string clean = DscValue(value);
    bool found = false;
    for (auto& line : lines) {
        std::size_t at = line.Text.find(prefix);
        if (at == std::string::npos) {
            continue;
        }
        found = true;
        if (DscLineValue(line.Text, at, prefix) != clean) {
            line.Text = line.Text.substr(0, at) + std::string(prefix) + " " + clean;
        }
    }
    return found;
}

// Every line holding the pdfmark key gets the value: only the string literal is replaced when there is one,
// so anything else on the line (further keys, "/DOCINFO pdfmark") stays.
void ReplacePdfmarkValues(PsLines& lines, std::string_view wanted, std::string_view value) {
    const std::string escaped = EscapePsString(value);
    for (auto& line : lines) {
        std::string_view key = wanted;
        std::size_t at = FindValueKey(line.Text, key);
        if (at == std::string_view::npos || PdfmarkLineValue(line.Text, at, key) == value) {
            continue;
        }
        std::size_t open = 0, close = 0;
        if (FindStringLiteral(line.Text, at + key.size(), open, close)) {
            line.Text.replace(open + 1, close - open - 1, escaped);
        } else {
            const std::size_t start = ValueTokenStart(line.Text, at + key.size());
            const std::size_t end = ValueTokenEnd(line.Text, start);
            line.Text.replace(at + key.size(), end - (at + key.size()), " (" + escaped + ")");
        }
    }
}

} // namespace

bool IsPostScriptText(std::string_view bytes) {
    constexpr std::string_view kJobEscape = "\x1B%-12345X";
    constexpr std::string_view kJobLine = "@PJL";
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::string_view rest = bytes.substr(at);
        if (rest.front() == '\x04' || rest.front() == '\r' || rest.front() == '\n') {
            ++at;
        } else if (rest.starts_with(kJobEscape)) {
            at += kJobEscape.size();
        } else if (rest.starts_with(kJobLine)) {
            const std::size_t end = rest.find_first_of("\r\n");
            if (end == std::string_view::npos) {
                return false;
            }
            at += end;
        } else {
            break;
        }
    }
    return bytes.substr(at).starts_with("%!");
}

PsLines SplitLines(std::string_view bytes) {
    PsLines lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        std::size_t endLength = (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        lines.push_back({std::string(bytes.substr(start, i - start)), std::string(bytes.substr(i, endLength))});
        i += endLength - 1;
        start = i + 1;
    }
    if (start < bytes.size()) {
        lines.push_back({std::string(bytes.substr(start)), ""});
    }
    return lines;
}

std::string JoinLines(const PsLines& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line.Text;
        bytes += line.End;
    }
    return bytes;
}

std::string EscapePsString(std::string_view text) {
    static constexpr char kOctal[] = "01234567";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '\\' || c == '(' || c == ')') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            out += '\\';
            out += kOctal[(c >> 6) & 7];
            out += kOctal[(c >> 3) & 7];
            out += kOctal[c & 7];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string UnescapePsString(std::string_view body) {
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c != '\\' || i + 1 == body.size()) {
            out += c;
            continue;
        }
        char e = body[++i];
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case '\r':
            // A backslash before a line end continues the string without the line end.
            if (i + 1 < body.size() && body[i + 1] == '\n') {
                ++i;
            }
            break;
        case '\n':
            break;
        default:
            if (e >= '0' && e <= '7') {
                int value = e - '0';
                for (int digits = 1; digits < 3 && i + 1 < body.size() && body[i + 1] >= '0' && body[i + 1] <= '7';
                     ++digits) {
                    value = value * 8 + (body[++i] - '0');
                }
                out += static_cast<char>(value & 0xFF);
            } else {
                out += e; // "\\", "\(", "\)" and unknown escapes stand for the character itself
            }
        }
    }
    return out;
}

std::string DscValue(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

std::size_t FindPdfmarkKey(std::string_view line, std::string_view key) {
    int depth = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (depth > 0) {
            if (c == '\\') {
                ++i;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')') {
                --depth;
            }
        } else if (c == '%') {
            return std::string_view::npos;
        } else if (c == '(') {
            depth = 1;
        } else if (line.compare(i, key.size(), key) == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

bool HasDocInfo(const PsLines& lines) {
    return AnyLine(lines, kDocInfo);
}

bool AddDocInfoPdfmark(PsLines& lines) {
    if (HasDocInfo(lines)) {
        return false;
    }
    bool changed = false;
    for (auto& line : lines) {
        if (line.Text.find(kEndProlog) != std::string::npos) {
            line.Text += DocInfoBlock("", "", true);
            changed = true;
        }
    }
    return changed;
}

bool AddProducerLine(PsLines& lines) {
    if (AnyLine(lines, kProducer)) {
        return false;
    }
    bool changed = false;
    for (auto& line : lines) {
        if (FindPdfmarkKey(line.Text, kKeywords) != std::string_view::npos) {
            line.Text += "\r";
            line.Text += ProducerLiteral;
            changed = true;
        }
    }
    return changed;
}

void ReadFields(const PsLines& lines, DocumentFields& fields) {
    struct Dsc {
        std::string_view prefix;
        std::string DocumentFields::*field;
    };
    for (const Dsc& d : {Dsc{kTitle, &DocumentFields::Title}, Dsc{kFor, &DocumentFields::Author},
                         Dsc{kCreator, &DocumentFields::Creator}}) {
        for (const auto& line : lines) {
            std::size_t at = line.Text.find(d.prefix);
            if (at != std::string::npos) {
                fields.*d.field = DscLineValue(line.Text, at, d.prefix);
            }
        }
    }
    for (const Dsc& d : {Dsc{kSubject, &DocumentFields::Subject}, Dsc{kKeywords, &DocumentFields::Keywords}}) {
        for (const auto& line : lines) {
            std::string_view key = d.prefix;
            std::size_t at = FindValueKey(line.Text, key);
            if (at != std::string_view::npos) {
                fields.*d.field = PdfmarkLineValue(line.Text, at, key);
            }
        }
    }
}

bool WriteFields(PsLines& lines, const DocumentFields& fields) {
    const PsLines before = lines;
    ReplaceDscValues(lines, kTitle, fields.Title);
    if (!ReplaceDscValues(lines, kFor, fields.Author)) {
        const std::string authorLine = std::string(kFor) + " " + DscValue(fields.Author) + "\r";
        for (auto& line : lines) {
            std::size_t at = line.Text.find(kEndComments);
            if (at != std::string::npos) {
                line.Text.insert(at, authorLine);
            }
        }
    }
    ReplaceDscValues(lines, kCreator, fields.Creator);
    // Decided on the lines as they are now: the conversion pass may have patched the file meanwhile.
    // The scanner reads these keys wherever they stand as code, so every such line gets the value, not only those
    // of a block; otherwise a stray key behind the new block would be read back instead of what was written.
    const bool hadBlock = HasDocInfo(lines);
    ReplacePdfmarkValues(lines, kSubject, fields.Subject);
    ReplacePdfmarkValues(lines, kKeywords, fields.Keywords);
    if (!hadBlock) {
        for (auto& line : lines) {
            if (line.Text.find(kEndProlog) != std::string::npos) {
                line.Text += DocInfoBlock(fields.Subject, fields.Keywords, false);
            }
        }
    }
    return lines != before;
}

} // namespace docinfo
