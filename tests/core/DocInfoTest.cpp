// The line model and the document-information rules, on lines in memory.
#include "core/DocInfo.h"

#include <gtest/gtest.h>

using namespace docinfo;

namespace {

const std::string kProducer(ProducerLiteral);

std::string Patched(const std::string& bytes) {
    PsLines lines = SplitLines(bytes);
    AddDocInfoPdfmark(lines);
    lines = SplitLines(JoinLines(lines));
    AddProducerLine(lines);
    return JoinLines(lines);
}

DocumentFields Read(const std::string& bytes, DocumentFields start = {}) {
    ReadFields(SplitLines(bytes), start);
    return start;
}

const std::string kPlain = "%!PS-Adobe-3.0\r\n%%Title: Old\r\n%%For: me\r\n%%Creator: tool\r\n%%EndComments\r\n"
                           "%%EndProlog\r\nshowpage\r\n";

} // namespace

TEST(DocInfoLines, SplitKeepsEveryByteAndLineEnd) {
    const std::string cases[] = {
        "", "a", "a\r\n", "a\rb\nc\r\nd", "\r\r\n\n", std::string("bin\0ary\r\n\xff\x80\n", 13), "x\n\r",
    };
    for (const auto& bytes : cases) {
        EXPECT_EQ(JoinLines(SplitLines(bytes)), bytes);
    }
    PsLines lines = SplitLines("a\rb\nc\r\nd");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], (PsLine{"a", "\r"}));
    EXPECT_EQ(lines[1], (PsLine{"b", "\n"}));
    EXPECT_EQ(lines[2], (PsLine{"c", "\r\n"}));
    EXPECT_EQ(lines[3], (PsLine{"d", ""}));
}

TEST(DocInfoStrings, EscapeRoundTrips) {
    const std::string texts[] = {"",
                                 "Smile :-(",
                                 "a\\b",
                                 "(x) y)",
                                 "\\(",
                                 "tab\tnl\ncr\r",
                                 "Gr\xfc\xdf\x65 \x80",
                                 std::string("nul\0end", 7),
                                 "trailing \\"};
    for (const auto& text : texts) {
        std::string escaped = EscapePsString(text);
        EXPECT_EQ(UnescapePsString(escaped), text) << escaped;
        EXPECT_EQ(escaped.find_first_of("\r\n"), std::string::npos) << "a string value stays on its line";
    }
    EXPECT_EQ(EscapePsString("a(b)\\c\n"), "a\\(b\\)\\\\c\\012");
}

TEST(DocInfoStrings, UnescapeUnderstandsThePostScriptForms) {
    struct Case {
        std::string body, text;
    } cases[] = {
        {"\\101\\60x", "A0x"}, {"\\n\\r\\t\\b\\f", "\n\r\t\b\f"}, {"a (b) c", "a (b) c"},
        {"\\q", "q"},          {"line\\\r\nnext", "linenext"},    {"\\0777", "?7"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnescapePsString(c.body), c.text) << c.body;
    }
    EXPECT_EQ(DscValue("two\r\nlines\n"), "two  lines ");
}

TEST(DocInfoStrings, PdfmarkKeysCountOnlyAsCode) {
    struct Case {
        std::string line;
        std::size_t at;
    } cases[] = {
        {"/Keywords (k)", 0},
        {"[/Title (a /Keywords b) /Keywords (k)", 24},
        {"%%Title: /Keywords", std::string::npos},
        {"(x) % /Keywords", std::string::npos},
        {"(esc \\) /Keywords) /Keywords", 19},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindPdfmarkKey(c.line, "/Keywords"), c.at) << c.line;
    }
}

TEST(DocInfoPatch, BlockFollowsEndPrologSeparatedByCr) {
    std::string out = Patched(kPlain);
    std::string block = "%%EndProlog\r[/Subject ()\r/Keywords ()\r" + kProducer + "\r/DOCINFO pdfmark\r%%EOF\r\n";
    EXPECT_NE(out.find("\r\n" + block + "showpage\r\n"), std::string::npos) << out;
    EXPECT_EQ(out.substr(0, out.find("%%EndProlog")), kPlain.substr(0, kPlain.find("%%EndProlog")));
    PsLines reloaded = SplitLines(out);
    EXPECT_EQ(reloaded.size(), SplitLines(kPlain).size() + 5) << "the block reads as separate lines";
}

TEST(DocInfoPatch, SecondPatchChangesNothing) {
    const std::string inputs[] = {kPlain, "%!\n%%EndProlog\nA\n%%EndProlog\nB", "no prolog end\n"};
    for (const auto& input : inputs) {
        std::string once = Patched(input);
        PsLines lines = SplitLines(once);
        EXPECT_FALSE(AddDocInfoPdfmark(lines));
        EXPECT_FALSE(AddProducerLine(lines));
        EXPECT_EQ(JoinLines(lines), once);
    }
}

TEST(DocInfoPatch, EveryEndPrologGetsABlockAndLineEndsStay) {
    std::string out = Patched("%!\n%%EndProlog\nA\n%%EndProlog\nB");
    std::string block = "\r[/Subject ()\r/Keywords ()\r" + kProducer + "\r/DOCINFO pdfmark\r%%EOF";
    EXPECT_EQ(out, "%!\n%%EndProlog" + block + "\nA\n%%EndProlog" + block + "\nB");
}

TEST(DocInfoPatch, ProducerRules) {
    struct Case {
        std::string input, expected;
    } cases[] = {
        // Own block without Producer: behind the keywords.
        {"[/Subject (s)\n/Keywords (k)\n/DOCINFO pdfmark\n",
         "[/Subject (s)\n/Keywords (k)\r" + kProducer + "\n/DOCINFO pdfmark\n"},
        // Has a Producer: kept.
        {"[/Keywords (k) /Producer (Other) /DOCINFO pdfmark\n", "[/Keywords (k) /Producer (Other) /DOCINFO pdfmark\n"},
        // DOCINFO without keywords: nothing to add, nothing changed.
        {"[/Title (t) /DOCINFO pdfmark\r\n%%EndProlog\r\n", "[/Title (t) /DOCINFO pdfmark\r\n%%EndProlog\r\n"},
        // A comment naming /Keywords is no pdfmark line.
        {"%%Title: /Keywords\n[/Keywords () /DOCINFO pdfmark\n",
         "%%Title: /Keywords\n[/Keywords () /DOCINFO pdfmark\r" + kProducer + "\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Patched(c.input), c.expected) << c.input;
    }
}

TEST(DocInfoRead, FieldsAreTheTextsAfterTheirPrefixes) {
    struct Case {
        std::string input;
        DocumentFields expected;
    } cases[] = {
        {"%%Title:Foo\n%%For: Ann\n%%Creator: App 1\n", {"Foo", "Ann", "", "", "App 1"}},
        {"  %%Title: Two blanks\n", {"Two blanks", "", "", "", ""}},
        {"%%Title: A\n%%Title: B\n", {"B", "", "", "", ""}},
        {"[/Subject (a \\(b\\) \\\\ c)\n/Keywords (x (y) z)\n/DOCINFO pdfmark\n",
         {"", "", "a (b) \\ c", "x (y) z", ""}},
        {"[/Title (T) /Subject (S) /Keywords (K) /DOCINFO pdfmark\n", {"", "", "S", "K", ""}},
        {"%%Title:\n[/Subject <FEFF>\n", {"", "", "<FEFF>", "", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.input), c.expected) << c.input;
    }
    DocumentFields kept{"", "", "", "", "Previous app"};
    EXPECT_EQ(Read("%%Title: x\n", kept).Creator, "Previous app");
}

TEST(DocInfoWrite, FieldsRoundTripThroughTheFile) {
    const DocumentFields values[] = {
        {"Report (draft) \\ v2", "O'Neil (ops)", "Smile :-(", "a\\b, (c)", "Writer 3.0"},
        {"", "", "", "", ""},
        {"Line\r\nbreak", "x", "multi\nline", "tab\there", "y"},
        {"\xc4rger \xfc", "\xdf", "\x80 euro", ")(", "\\"},
    };
    for (const auto& v : values) {
        for (const std::string& input : {kPlain, Patched(kPlain)}) {
            PsLines lines = SplitLines(input);
            WriteFields(lines, v);
            DocumentFields back = Read(JoinLines(lines));
            DocumentFields expected = v;
            expected.Title = DscValue(v.Title);
            expected.Author = DscValue(v.Author);
            expected.Creator = DscValue(v.Creator);
            EXPECT_EQ(back, expected) << JoinLines(lines);
            EXPECT_EQ(SplitLines(JoinLines(lines)).size(),
                      SplitLines(input).size() + (HasDocInfo(SplitLines(input)) ? 0u : 4u));
        }
    }
}

TEST(DocInfoWrite, KeysOutsideTheBlockDoNotHideTheWrittenValues) {
    PsLines lines = SplitLines("%!\n%%EndProlog\n[/Subject (a) /Keywords (b) /ANN pdfmark\n");
    WriteFields(lines, {"", "", "S", "K", ""});
    EXPECT_EQ(Read(JoinLines(lines)), (DocumentFields{"", "", "S", "K", ""})) << JoinLines(lines);
}

TEST(DocInfoWrite, OnlyThePdfmarkValuesAreReplaced) {
    PsLines lines = SplitLines("[/Title (T) /Subject (old) /Keywords (k1) /DOCINFO pdfmark\r\n");
    EXPECT_TRUE(WriteFields(lines, {"", "", "new (s)", "k2", ""}));
    EXPECT_EQ(JoinLines(lines), "[/Title (T) /Subject (new \\(s\\)) /Keywords (k2) /DOCINFO pdfmark\r\n");
}

TEST(DocInfoWrite, ExistingBlockIsReusedNotDoubled) {
    // The dialog was opened before the conversion pass patched the file: the block found now is the one written.
    PsLines lines = SplitLines(Patched(kPlain));
    WriteFields(lines, {"Old", "me", "S", "K", "tool"});
    std::string out = JoinLines(lines);
    EXPECT_EQ(out.find("/DOCINFO"), out.rfind("/DOCINFO"));
    EXPECT_NE(out.find("[/Subject (S)\r/Keywords (K)\r" + kProducer), std::string::npos) << out;
}

TEST(DocInfoWrite, AuthorLineIsAddedBeforeEndComments) {
    PsLines lines = SplitLines("%!\n%%EndComments tail\n%%EndProlog\n");
    WriteFields(lines, {"", "Ann", "", "", ""});
    EXPECT_EQ(JoinLines(lines), "%!\n%%For: Ann\r%%EndComments tail\n%%EndProlog\r[/Subject ()\r/Keywords ()\r"
                                "/DOCINFO pdfmark\r%%EOF\n");
    PsLines none = SplitLines("%!\nshowpage\n");
    EXPECT_FALSE(WriteFields(none, {"t", "a", "s", "k", "c"})) << "no places to write to";
}

TEST(DocInfoWrite, UnchangedFieldsLeaveTheBytesAlone) {
    const std::string input = Patched("%!\r\n  %%Title:Same\r\n%%For:  two\r\n%%Creator: c\r\n%%EndProlog\r\n");
    PsLines lines = SplitLines(input);
    DocumentFields fields;
    ReadFields(lines, fields);
    EXPECT_FALSE(WriteFields(lines, fields));
    EXPECT_EQ(JoinLines(lines), input);
    fields.Title = "New";
    EXPECT_TRUE(WriteFields(lines, fields));
    EXPECT_NE(JoinLines(lines).find("\r\n  %%Title: New\r\n%%For:  two\r\n"), std::string::npos);
}

TEST(DocInfoFormat, PostScriptTextIsRecognisedBehindJobHeaders) {
    struct Case {
        const char* what;
        std::string bytes;
        bool postScript;
    };
    const Case cases[] = {
        {"plain", "%!PS-Adobe-3.0\n%%EndProlog\n", true},
        {"bare magic", "%!\n", true},
        {"Ctrl-D first", "\x04\x04%!PS\n", true},
        {"job header", "\x1B%-12345X@PJL JOB NAME=\"a\"\r\n@PJL ENTER LANGUAGE=POSTSCRIPT\r\n%!PS-Adobe-3.0\r\n", true},
        {"job header without escape", "@PJL SET RESOLUTION=600\n%!PS\n", true},
        {"job header only", "\x1B%-12345X@PJL JOB\r\n", false},
        {"printer language of another kind",
         "\x1B"
         "E\x1B&l0O%%EndProlog\n",
         false},
        {"PDF", "%PDF-1.4\n%%EndProlog\n", false},
        {"text", "Hello %!\n%%EndProlog\n", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsPostScriptText(c.bytes), c.postScript) << c.what;
    }
}

TEST(DocInfoRead, CommentKeysCountOnlyAtTheStartOfACodeLine) {
    struct Case {
        const char* what;
        std::string input;
        DocumentFields expected;
    } cases[] = {
        {"key behind other text", "x %%Title: no\n%%For: yes\n", {"", "yes", "", "", ""}},
        {"key inside a one-line string", "[/Keywords (a %%Title: b)\n", {"", "", "", "a %%Title: b", ""}},
        {"key inside a code comment", "/a 1 def % %%Creator: no\n", {"", "", "", "", ""}},
        {"key line inside a string",
         "[/Subject (one\n%%For: two)\n/DOCINFO pdfmark\n",
         {"", "", "one\n%%For: two", "", ""}},
        {"nested parentheses keep the string open",
         "[/Keywords (a (b)\n%%Title: c)\n",
         {"", "", "", "a (b)\n%%Title: c", ""}},
        {"escaped parenthesis keeps the string open",
         "[/Subject (a \\)\n%%For: b)\n%%Title: t\n",
         {"t", "", "a )\n%%For: b", "", ""}},
        {"key of a string opened in code elsewhere", "/s (x\n/Keywords (k) %%Title: no\n) def\n", {"", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.input), c.expected) << c.what;
    }
}

// A value literal that is never closed would, as the language reads it, swallow the rest of the job; a rewrite
// replaces it to the end of its line and leaves every later line of the job as it was.
TEST(DocInfoWrite, ANeverClosedValueKeepsTheRestOfTheJob) {
    const std::string rest = "/a 1 def\n(text) show\nshowpage\n%%Trailer\n";
    PsLines lines = SplitLines("%!\n[/Keywords (never closed\n" + rest);
    EXPECT_TRUE(WriteFields(lines, DocumentFields{"", "", "", "k", ""}));
    const std::string written = JoinLines(lines);
    EXPECT_TRUE(written.ends_with(rest)) << written;
    EXPECT_NE(written.find("[/Keywords (k)\n"), std::string::npos) << written;
}

TEST(DocInfoWrite, RewriteReadsBackAndRepeatsWithoutChange) {
    const std::string inputs[] = {
        "%!\n[/Subject (one\n%%For: two) /Keywords (k\n) /DOCINFO pdfmark\n%%EndComments\n",
        "%!\nx %%Title: t\n%%EndComments\n%%EndProlog\n",
        "%!\n/Subject (s\nt) /DOCINFO pdfmark\n",
        "%!\n[/Keywords (never closed\n%%Title: inside\n%%EndProlog\n",
        "%!\n/Keywords (k\n%%For: f) (\n%%Title: t\n)\n",
        "%!\n%%Title: old\n[/Keywords (k)\n",
    };
    const DocumentFields fields{"Title", "Ann", "Sub (x", "Key\nwords %%Title: no", "App"};
    for (const auto& input : inputs) {
        PsLines lines = SplitLines(input);
        WriteFields(lines, fields);
        const std::string once = JoinLines(lines);
        PsLines again = SplitLines(once);
        EXPECT_FALSE(WriteFields(again, fields)) << once;
        EXPECT_EQ(JoinLines(again), once);
        for (const DocumentFields& start : {DocumentFields{"1", "1", "1", "1", "1"}, DocumentFields{}}) {
            const DocumentFields back = Read(once, start);
            EXPECT_TRUE(back.Title == fields.Title || back.Title == start.Title) << once;
            EXPECT_TRUE(back.Author == fields.Author || back.Author == start.Author) << once;
            EXPECT_TRUE(back.Subject == fields.Subject || back.Subject == start.Subject) << once;
            EXPECT_TRUE(back.Keywords == fields.Keywords || back.Keywords == start.Keywords) << once;
        }
    }
}
