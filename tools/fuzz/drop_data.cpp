// The drop formats over any block: nothing is read past it, and whatever a block decodes to encodes to a block
// that decodes to the same (decode(encode(x)) == x over every x a sender can express).
#include "core/DropData.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // A copy of exactly the block, so the address sanitizer sees any read past its end.
    const DropBlock block(data, data + size);
    const unsigned char* bytes = block.data();

    if (const auto hdrop = DecodeHDrop(bytes, size)) {
        if (hdrop->Wide) {
            const DropBlock again = EncodeHDrop(hdrop->WideNames);
            const auto back = DecodeHDrop(again.data(), again.size());
            FUZZ_CHECK(back && back->Wide && back->WideNames == hdrop->WideNames);
        } else {
            for (const std::string& name : hdrop->NarrowNames) {
                FUZZ_CHECK(!name.empty() && name.find('\0') == std::string::npos);
            }
        }
    }
    if (const auto names = DecodeWideNameList(bytes, size)) {
        DropBlock again;
        AppendWideNameList(again, *names);
        FUZZ_CHECK(again.size() <= size);
        FUZZ_CHECK(DecodeWideNameList(again.data(), again.size()) == names);
    }
    if (const auto names = DecodeNarrowNameList(bytes, size)) {
        std::size_t total = 1;
        for (const std::string& name : *names) {
            total += name.size() + 1;
        }
        FUZZ_CHECK(total <= size);
    }
    if (const auto lists = DecodeIdListArray(bytes, size)) {
        const DropBlock again = EncodeIdListArray(*lists);
        FUZZ_CHECK(DecodeIdListArray(again.data(), again.size()) == lists);
    }
    return 0;
}
