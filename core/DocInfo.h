#pragma once
// Document information of PostScript files: the DSC header comments (%%Title:, %%For:, %%Creator:) and the
// /DOCINFO pdfmark block that the PDF writer turns into the document information dictionary.
//
// Window-free and byte-based: a file is a list of lines that remember their own line ends, so a rewrite touches
// only the lines it means to change and every other byte of the file comes back as it was (binary sections,
// NUL bytes and mixed line ends included). Texts are bytes in the ANSI code page, as the file holds them.
#include <string>
#include <string_view>
#include <vector>

namespace docinfo {

// One line of the file: its text and the bytes that ended it ("\r\n", "\r", "\n", or "" for a last line without
// an end). A block inserted by the patch is held in one line, its inner lines separated by CR alone; the next
// load splits it again.
struct PsLine {
    std::string Text;
    std::string End;
    bool operator==(const PsLine&) const = default;
};

using PsLines = std::vector<PsLine>;

// Splits at CR, LF or CR LF (a CR followed by LF counts once). Joining the result gives the input back.
PsLines SplitLines(std::string_view bytes);
std::string JoinLines(const PsLines& lines);

// The five fields of the document description.
struct DocumentFields {
    std::string Title;    // %%Title:
    std::string Author;   // %%For:
    std::string Subject;  // [/Subject (...)
    std::string Keywords; // /Keywords (...)
    std::string Creator;  // %%Creator:
    bool operator==(const DocumentFields&) const = default;
};

// "/Producer (Ostrel V2.4 - <home page>)"
extern const std::string_view ProducerLiteral;

// PostScript string literal bodies: "\", "(", ")" and control characters are escaped so that any text stays one
// string; unescaping accepts every escape the language defines.
std::string EscapePsString(std::string_view text);
std::string UnescapePsString(std::string_view body);

// A DSC comment value stays on its line: CR and LF become blanks.
std::string DscValue(std::string_view text);

// Where a pdfmark key such as "/Keywords" stands in a line as code (not inside a string literal or after a
// comment "%"); npos when it does not. DSC comment lines therefore never count as pdfmark lines.
//
// Over a whole file the lines are read as the language reads them: a string literal (balanced parentheses,
// backslash escapes) runs on over line ends, so a line that starts inside one is string text. A DSC comment key
// counts only where it opens a line that starts as code (after blanks at most).
std::size_t FindPdfmarkKey(std::string_view line, std::string_view key);

// True when the bytes are PostScript text: "%!" at the start, after any Ctrl-D bytes and any print job header
// (the job language's escape "\x1B%-12345X" and "@PJL" lines) that spoolers put in front of the program.
bool IsPostScriptText(std::string_view bytes);

// True when any line carries "/DOCINFO" as code.
bool HasDocInfo(const PsLines& lines);

// Before conversion: a file without a /DOCINFO block gets one (empty subject and keywords, the Producer literal)
// after every "%%EndProlog" line. Returns whether anything changed.
bool AddDocInfoPdfmark(PsLines& lines);

// Before conversion, after AddDocInfoPdfmark on the reloaded file: when no line has "/Producer", the Producer
// literal goes behind every "/Keywords" line. Returns whether anything changed.
bool AddProducerLine(PsLines& lines);

// Reads the five fields; the last matching line of each kind wins. A subject or keywords literal may span lines. Fields
// without a line stay as given in `fields` (the dialog keeps its application text when the file names none).
void ReadFields(const PsLines& lines, DocumentFields& fields);

// Writes the five fields back: DSC comment values are replaced (an author line is added before
// "%%EndComments" when the file has none), the string values of the subject and keywords keys are replaced in place
// wherever they stand as code, and a file without a block gets one (without Producer) after every "%%EndProlog".
// A value literal that spans lines becomes one line; the lines it covered stay, empty. Rewriting the result with
// the same fields changes nothing, and reading it gives the fields written. Returns whether anything changed.
bool WriteFields(PsLines& lines, const DocumentFields& fields);

} // namespace docinfo
