// The bytes a second start hands over, as any sender may write them: nothing is read past them, and whatever they
// decode to encodes to bytes that decode to the same; any path of units encodes and decodes back to itself.
#include "core/ForwardedFile.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // A copy of exactly the bytes, so the address sanitizer sees any read past their end.
    const ForwardedBytes bytes(data, data + size);

    if (const auto path = DecodeForwardedFile(bytes.data(), bytes.size())) {
        FUZZ_CHECK(!path->empty() && path->find(L'\0') == std::wstring::npos);
        const ForwardedBytes again = EncodeForwardedFile(*path);
        FUZZ_CHECK(again.size() <= size + 2);
        FUZZ_CHECK(DecodeForwardedFile(again.data(), again.size()) == path);
    }

    // Any units that make a path: none of them zero.
    std::wstring path;
    for (std::size_t at = 0; at + 1 < size; at += 2) {
        const auto unit = static_cast<wchar_t>(data[at] | (data[at + 1] << 8));
        if (unit != L'\0') {
            path.push_back(unit);
        }
    }
    if (!path.empty()) {
        const ForwardedBytes encoded = EncodeForwardedFile(path);
        FUZZ_CHECK(DecodeForwardedFile(encoded.data(), encoded.size()) == path);
    }
    return 0;
}
