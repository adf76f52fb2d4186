#include "core/DocInfo.h"

#include <algorithm>
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

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Walks `text` from `from` as the language reads it: `depth` counts the open parentheses of a string literal (0 is
// code); a string holds balanced parentheses and backslash escapes and runs on over line ends; a comment in code
// runs to the end of its line (an inserted block ends its inner lines with CR inside one text). Returns where `key`
// first starts in code, or npos with `depth` left as it stands at the end of the text.
std::size_t ScanForKey(std::string_view text, std::size_t from, std::size_t& depth, std::string_view key) {
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (depth > 0) {
            if (c == '\\') {
                ++i;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')') {
                --depth;
            }
        } else if (c == '%') {
            while (i + 1 < text.size() && !IsLineEnd(text[i + 1])) {
                ++i;
            }
        } else if (c == '(') {
            depth = 1;
        } else if (!key.empty() && text.compare(i, key.size(), key) == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::size_t DepthAfter(std::string_view text, std::size_t depth) {
    ScanForKey(text, 0, depth, {});
    return depth;
}

// For every line, how many string parentheses are open where it starts (0: it starts as code).
std::vector<std::size_t> StartDepths(const PsLines& lines) {
    std::vector<std::size_t> depths;
    depths.reserve(lines.size());
    std::size_t depth = 0;
    for (const auto& line : lines) {
        depths.push_back(depth);
        depth = DepthAfter(line.Text, depth);
    }
    return depths;
}

std::size_t FindCodeKey(std::string_view text, std::size_t depth, std::string_view key) {
    return ScanForKey(text, 0, depth, key);
}

// A DSC comment is a line of its own: its key opens a line that starts as code, after blanks at most. Elsewhere
// the same letters are text of a string or of another comment and must neither be read nor rewritten.
std::size_t FindDscKey(std::string_view text, std::size_t depth, std::string_view key) {
    if (depth > 0) {
        return std::string_view::npos;
    }
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    return text.substr(at).starts_with(key) ? at : std::string_view::npos;
}

// The value a DSC comment line gives: the text after the prefix, one separating blank skipped.
std::string DscLineValue(std::string_view line, std::size_t at, std::string_view prefix) {
    std::string_view value = line.substr(at + prefix.size());
    if (!value.empty() && IsBlank(value.front())) {
        value.remove_prefix(1);
    }
    return std::string(value);
}

// A value this program does not write is one token: a hex string up to its ">", anything else up to the next white
// space or delimiter of the language, so what follows it on the line (further keys, "/DOCINFO pdfmark") is neither
// read as the value nor lost when the value is replaced.
std::size_t ValueTokenStart(std::string_view line, std::size_t from) {
    while (from < line.size() && IsBlank(line[from])) {
        ++from;
    }
    return from;
}

std::size_t ValueTokenEnd(std::string_view line, std::size_t start) {
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

// A place in the lines: a line and an offset in its text.
struct Place {
    std::size_t line = 0;
    std::size_t at = 0;
};

// Where the value after a pdfmark key stands. A string literal may run over several lines. One never closed is
// taken to the end of its own line only: the language would swallow the rest of the file into it, but a rewrite
// must not empty a broken job's remaining lines.
struct ValueSpan {
    bool literal = false;
    bool closed = true;
    Place open;  // the "(" of a literal, or the start of a token
    Place close; // the ")" of a literal, the end of its line when it is never closed, or the end of a token
};

ValueSpan FindValue(const PsLines& lines, std::size_t line, std::size_t afterKey) {
    const std::string& text = lines[line].Text;
    ValueSpan span;
    const std::size_t start = ValueTokenStart(text, afterKey);
    span.open = {line, start};
    if (start >= text.size() || text[start] != '(') {
        span.close = {line, ValueTokenEnd(text, start)};
        return span;
    }
    span.literal = true;
    std::size_t depth = 0;
    for (std::size_t l = line; l < lines.size(); ++l) {
        const std::string& t = lines[l].Text;
        for (std::size_t i = l == line ? start : 0; i < t.size(); ++i) {
            if (t[i] == '\\') {
                ++i;
            } else if (t[i] == '(') {
                ++depth;
            } else if (t[i] == ')' && --depth == 0) {
                span.close = {l, i};
                return span;
            }
        }
    }
    span.closed = false;
    span.close = {line, text.size()};
    return span;
}

// The bytes between the parentheses of a literal, line ends included.
std::string LiteralBody(const PsLines& lines, const ValueSpan& span) {
    std::string body;
    for (std::size_t l = span.open.line; l < lines.size() && l <= span.close.line; ++l) {
        const std::string& t = lines[l].Text;
        const std::size_t from = l == span.open.line ? span.open.at + 1 : 0;
        if (l == span.close.line) {
            body.append(t, from, span.close.at - from);
        } else {
            body.append(t, from, std::string::npos);
            body += lines[l].End;
        }
    }
    return body;
}

// The value a pdfmark entry gives: the unescaped string literal after the key, or, for a form this program does
// not write, the token after the key.
std::string PdfmarkValue(const PsLines& lines, std::size_t line, std::size_t afterKey) {
    const ValueSpan span = FindValue(lines, line, afterKey);
    if (span.literal) {
        return UnescapePsString(LiteralBody(lines, span));
    }
    return lines[line].Text.substr(span.open.at, span.close.at - span.open.at);
}

// Puts a one-line literal with the escaped value in place of the value after the key. A literal that ran over
// further lines takes them with it: what followed its ")" moves up behind the new literal (so it keeps its place
// in the language's reading: code after a string, never the start of a line) and the lines it covered are left
// empty with their line ends, so the file keeps its lines.
void ReplaceValue(PsLines& lines, std::size_t line, std::size_t afterKey, std::string_view escaped) {
    const ValueSpan span = FindValue(lines, line, afterKey);
    std::string& text = lines[line].Text;
    std::string replaced = text.substr(0, span.literal ? span.open.at : afterKey);
    if (!span.literal) {
        replaced += ' ';
    }
    replaced += '(';
    replaced.append(escaped);
    replaced += ')';
    if (!span.literal) {
        replaced.append(text, span.close.at, std::string::npos);
    } else if (span.closed) {
        replaced.append(lines[span.close.line].Text, span.close.at + 1, std::string::npos);
    }
    text = std::move(replaced);
    for (std::size_t l = line + 1; span.literal && l < lines.size() && l <= span.close.line; ++l) {
        lines[l].Text.clear();
    }
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
std::size_t FindSubjectKey(std::string_view line, std::size_t depth, std::string_view& key) {
    key = kSubject;
    std::size_t at = FindCodeKey(line, depth, key);
    if (at == std::string_view::npos && FindCodeKey(line, depth, kDocInfo) != std::string_view::npos) {
        key = kSubject.substr(1);
        at = FindCodeKey(line, depth, key);
    }
    return at;
}

std::size_t FindValueKey(std::string_view line, std::size_t depth, std::string_view& key) {
    return key == kSubject ? FindSubjectKey(line, depth, key) : FindCodeKey(line, depth, key);
}

bool AnyLine(const PsLines& lines, std::string_view key) {
    std::size_t depth = 0;
    for (const auto& line : lines) {
        if (FindCodeKey(line.Text, depth, key) != std::string_view::npos) {
            return true;
        }
        depth = DepthAfter(line.Text, depth);
    }
    return false;
}

// Every DSC comment line of the prefix gets the value, unless it already reads as that value (its bytes then
// stay). Returns whether there is any such line. A comment line never changes how the lines after it read.
bool ReplaceDscValues(PsLines& lines, std::string_view prefix, std::string_view value) {
    const std::string clean = DscValue(value);
    const std::vector<std::size_t> depths = StartDepths(lines);
    bool found = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string& text = lines[i].Text;
        const std::size_t at = FindDscKey(text, depths[i], prefix);
        if (at == std::string::npos) {
            continue;
        }
        found = true;
        // A line this program inserted holds further lines behind an inner CR: the value ends there.
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        if (DscLineValue(std::string_view(text).substr(0, end), at, prefix) != clean) {
            text = text.substr(0, at) + std::string(prefix) + " " + clean + text.substr(end);
        }
    }
    return found;
}

// Appends the text to every DSC comment line of the prefix.
bool AppendToDscLines(PsLines& lines, std::string_view prefix, const std::string& appended) {
    const std::vector<std::size_t> depths = StartDepths(lines);
    bool changed = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (FindDscKey(lines[i].Text, depths[i], prefix) != std::string::npos) {
            lines[i].Text += appended;
            changed = true;
        }
    }
    return changed;
}

// Every line where a pdfmark key stands as code gets the value. Only the value is replaced, so anything else on
// the line (further keys, "/DOCINFO pdfmark") stays. A line is done when both of its keys read as written: taking
// up a literal's tail may bring a key onto it.
void ReplacePdfmarkValues(PsLines& lines, std::string_view subject, std::string_view keywords) {
    struct Entry {
        std::string_view key;
        std::string_view value;
        std::string escaped;
    };
    const Entry entries[] = {{kSubject, subject, EscapePsString(subject)},
                             {kKeywords, keywords, EscapePsString(keywords)}};
    std::size_t depth = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (bool replaced = true; replaced;) {
            replaced = false;
            for (const Entry& entry : entries) {
                std::string_view key = entry.key;
                const std::size_t at = FindValueKey(lines[i].Text, depth, key);
                if (at != std::string_view::npos && PdfmarkValue(lines, i, at + key.size()) != entry.value) {
                    ReplaceValue(lines, i, at + key.size(), entry.escaped);
                    replaced = true;
                }
            }
        }
        depth = DepthAfter(lines[i].Text, depth);
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
    return FindCodeKey(line, 0, key);
}

bool HasDocInfo(const PsLines& lines) {
    return AnyLine(lines, kDocInfo);
}

bool AddDocInfoPdfmark(PsLines& lines) {
    if (HasDocInfo(lines)) {
        return false;
    }
    return AppendToDscLines(lines, kEndProlog, DocInfoBlock("", "", true));
}

bool AddProducerLine(PsLines& lines) {
    if (AnyLine(lines, kProducer)) {
        return false;
    }
    bool changed = false;
    std::size_t depth = 0;
    for (auto& line : lines) {
        const std::size_t startDepth = depth;
        depth = DepthAfter(line.Text, depth);
        // Behind a literal still open at the line's end the line would be string text, not a key.
        if (depth == 0 && FindCodeKey(line.Text, startDepth, kKeywords) != std::string_view::npos) {
            line.Text += "\r";
            line.Text += ProducerLiteral;
            changed = true;
        }
    }
    return changed;
}

void ReadFields(const PsLines& lines, DocumentFields& fields) {
    struct Key {
        std::string_view prefix;
        std::string DocumentFields::*field;
    };
    const std::vector<std::size_t> depths = StartDepths(lines);
    for (const Key& d : {Key{kTitle, &DocumentFields::Title}, Key{kFor, &DocumentFields::Author},
                         Key{kCreator, &DocumentFields::Creator}}) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::size_t at = FindDscKey(lines[i].Text, depths[i], d.prefix);
            if (at != std::string::npos) {
                fields.*d.field = DscLineValue(lines[i].Text, at, d.prefix);
            }
        }
    }
    for (const Key& d : {Key{kSubject, &DocumentFields::Subject}, Key{kKeywords, &DocumentFields::Keywords}}) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::string_view key = d.prefix;
            const std::size_t at = FindValueKey(lines[i].Text, depths[i], key);
            if (at != std::string_view::npos) {
                fields.*d.field = PdfmarkValue(lines, i, at + key.size());
            }
        }
    }
}

namespace {

bool WriteFieldsOnce(PsLines& lines, const DocumentFields& fields) {
    const PsLines before = lines;
    ReplaceDscValues(lines, kTitle, fields.Title);
    if (!ReplaceDscValues(lines, kFor, fields.Author)) {
        const std::string authorLine = std::string(kFor) + " " + DscValue(fields.Author) + "\r";
        const std::vector<std::size_t> depths = StartDepths(lines);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::size_t at = FindDscKey(lines[i].Text, depths[i], kEndComments);
            if (at != std::string::npos) {
                lines[i].Text.insert(at, authorLine);
            }
        }
    }
    ReplaceDscValues(lines, kCreator, fields.Creator);
    // Decided on the lines as they are now: the conversion pass may have patched the file meanwhile.
    // The scanner reads these keys wherever they stand as code, so every such line gets the value, not only those
    // of a block; otherwise a stray key behind the new block would be read back instead of what was written.
    const bool hadBlock = HasDocInfo(lines);
    ReplacePdfmarkValues(lines, fields.Subject, fields.Keywords);
    if (!hadBlock) {
        AppendToDscLines(lines, kEndProlog, DocInfoBlock(fields.Subject, fields.Keywords, false));
    }
    return lines != before;
}

} // namespace

bool WriteFields(PsLines& lines, const DocumentFields& fields) {
    const PsLines before = lines;
    // Closing a literal that was never closed turns the lines after it back into code, where further keys may
    // stand: they get the values too, until a round changes nothing. A round after the first changes something only
    // by closing one more such literal, so there are fewer rounds than lines.
    for (std::size_t round = 0; round <= before.size() && WriteFieldsOnce(lines, fields); ++round) {
    }
    return lines != before;
}

} // namespace docinfo
