// The update check's version comparison over any two texts from the server's file: numbers read back as they were
// written, and the comparison is consistent (nothing is news against itself, never both ways).
#include "core/TextEncoding.h"
#include "core/UpdateVersion.h"
#include "FuzzCheck.h"

#include <string>

namespace {

std::wstring Written(const std::array<unsigned long, 4>& parts) {
    return std::to_wstring(parts[0]) + L'.' + std::to_wstring(parts[1]) + L'.' + std::to_wstring(parts[2]) + L'.' +
           std::to_wstring(parts[3]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // Two values, as the profile functions hand them over from the file (its ANSI code page), split at a line end.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find('\n');
    const std::wstring newest = WideFromWindows1252(bytes.substr(0, split));
    const std::wstring own = split == std::string::npos ? std::wstring() : WideFromWindows1252(bytes.substr(split + 1));

    for (const std::wstring& text : {newest, own}) {
        if (const auto parts = ParseFileVersion(text)) {
            for (unsigned long part : *parts) {
                FUZZ_CHECK(part <= 99999);
            }
            FUZZ_CHECK(ParseFileVersion(Written(*parts)) == parts);
            FUZZ_CHECK(CompareVersions(Written(*parts), text) == UpdateStatus::UPD3);
        }
        FUZZ_CHECK(CompareVersions(text, text) == UpdateStatus::UPD3);
    }
    const UpdateStatus forward = CompareVersions(newest, own);
    const UpdateStatus backward = CompareVersions(own, newest);
    FUZZ_CHECK(forward == UpdateStatus::UPD3 || forward == UpdateStatus::UPD4);
    if (ParseFileVersion(newest) && ParseFileVersion(own)) {
        FUZZ_CHECK(!(forward == UpdateStatus::UPD4 && backward == UpdateStatus::UPD4));
        FUZZ_CHECK((ParseFileVersion(newest) == ParseFileVersion(own)) ==
                   (forward == UpdateStatus::UPD3 && backward == UpdateStatus::UPD3));
    }
    return 0;
}
