// The document-information rewrite over any file and any field values: it changes only the lines that carry the
// keys it rewrites (line ends never), and patching before conversion a second time changes nothing.
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
        FUZZ_CHECK(lines[i].Text == before[i].Text || HoldsAKey(before[i].Text));
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

    (void)Written(file, fields);
    return 0;
}
