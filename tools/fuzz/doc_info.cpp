// The document-information rewrite over any file and any field values: it changes only the lines that carry the
// keys it rewrites (line ends never), rewriting with the same values a second time changes nothing, what it wrote
// reads back, and patching before conversion a second time changes nothing.
#include "core/DocInfo.h"
#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <string>
#include <string_view>

using namespace docinfo;

namespace {

// Every text the rewrite looks for; a line carrying none of them is outside what it rewrites.
constexpr std::array<std::string_view, 9> kKeys = {
    "%%Title:", "%%For:",    "%%Creator:", "%%EndComments", "%%EndProlog",
    "Subject",  "/Keywords", "/Producer",  "/DOCINFO"};

bool HoldsAKey(std::string_view text) {
    for (std::string_view key : kKeys) {
        if (text.find(key) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

std::string Written(std::string_view bytes, const DocumentFields& fields) {
    PsLines lines = SplitLines(bytes);
    const PsLines before = lines;
    WriteFields(lines, fields);
    FUZZ_CHECK(lines.size() == before.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(lines[i].End == before[i].End);
        // A string value that ran over further lines is replaced as a whole: the lines it covered are left empty.
        FUZZ_CHECK(lines[i].Text == before[i].Text || HoldsAKey(before[i].Text) || lines[i].Text.empty());
    }
    return JoinLines(lines);
}

std::string Patched(std::string_view bytes) {
    PsLines lines = SplitLines(bytes);
    AddDocInfoPdfmark(lines);
    lines = SplitLines(JoinLines(lines));
    AddProducerLine(lines);
    return JoinLines(lines);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    DocumentFields fields;
    for (std::string* text : {&fields.Title, &fields.Author, &fields.Subject, &fields.Keywords, &fields.Creator}) {
        *text = in.ConsumeRandomLengthString(64);
    }
    const std::string file = in.ConsumeRemainingBytesAsString();

    FUZZ_CHECK(JoinLines(SplitLines(file)) == file);
    (void)IsPostScriptText(file);

    const std::string patched = Patched(file);
    FUZZ_CHECK(Patched(patched) == patched);

    // Rewriting what was written with the same values changes nothing, and every field the rewrite found a place
    // for reads back as written. Two different starting values tell a field read from the file from one left alone.
    const std::string once = Written(file, fields);
    FUZZ_CHECK(Written(once, fields) == once);
    const DocumentFields expected{DscValue(fields.Title), DscValue(fields.Author), fields.Subject, fields.Keywords,
                                  DscValue(fields.Creator)};
    const DocumentFields unsetA{"\n", "\n", "a", "a", "\n"};
    const DocumentFields unsetB{"\r", "\r", "b", "b", "\r"};
    DocumentFields backA = unsetA;
    DocumentFields backB = unsetB;
    ReadFields(SplitLines(once), backA);
    ReadFields(SplitLines(once), backB);
    for (std::string DocumentFields::*field :
         {&DocumentFields::Title, &DocumentFields::Author, &DocumentFields::Subject, &DocumentFields::Keywords,
          &DocumentFields::Creator}) {
        const bool untouched = backA.*field == unsetA.*field && backB.*field == unsetB.*field;
        FUZZ_CHECK(untouched || (backA.*field == expected.*field && backB.*field == expected.*field));
    }
    return 0;
}
