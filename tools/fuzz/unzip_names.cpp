// The unzip library's name judgement: a name it lets through, put below a base folder and resolved the way Windows
// resolves a path, never leaves that folder and never names a device.
#include "core/TextEncoding.h"
#include "core/UnzipNames.h"
#include "FuzzCheck.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The stored name as the library gets it: the archive's bytes in one of the encodings names come in, "/" turned
// into "\".
std::wstring StoredName(unsigned char how, const unsigned char* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::wstring name;
    switch (how % 3) {
    case 0:
        name = WideFromWindows1252(bytes);
        break;
    case 1:
        name = WideFromUtf8(bytes);
        break;
    default:
        for (std::size_t i = 0; i + 1 < size; i += 2) {
            name.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
        }
    }
    std::replace(name.begin(), name.end(), L'/', L'\\');
    return name;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    return text;
}

// Windows opens a device for these names whatever follows a dot; the superscript digits count as digits.
bool OpensADevice(const std::wstring& resolved) {
    std::wstring base = resolved.substr(0, resolved.find(L'.'));
    base.erase(base.find_last_not_of(L' ') + 1);
    base = Upper(base);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (base == device) {
            return true;
        }
    }
    const bool digit = base.size() == 4 && ((base[3] >= L'0' && base[3] <= L'9') || base[3] == L'\u00b9' ||
                                            base[3] == L'\u00b2' || base[3] == L'\u00b3');
    return digit && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0);
}

// How deep below the base folder the name lands when Windows resolves base + name; -1 when it leaves the folder or
// lands on a device, a drive or a stream.
int ResolvedDepth(const std::wstring& name) {
    if (name.empty() || IsSeparator(name.front()) || name.find(L':') != std::wstring::npos) {
        return -1;
    }
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t stop = start;
        while (stop < name.size() && !IsSeparator(name[stop])) {
            ++stop;
        }
        const std::wstring raw = name.substr(start, stop - start);
        const std::size_t kept = raw.find_last_not_of(L". ");
        if (kept == std::wstring::npos) {
            // Nothing but dots and blanks: "" and "." stay, anything with two dots may climb.
            if (std::count(raw.begin(), raw.end(), L'.') >= 2) {
                return -1;
            }
        } else {
            const std::wstring part = raw.substr(0, kept + 1);
            if (OpensADevice(part)) {
                return -1;
            }
            parts.push_back(part);
        }
        start = stop + 1;
    }
    return static_cast<int>(parts.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::wstring name = StoredName(data[0], data + 1, size - 1);
    if (NameIsSafe(name)) {
        FUZZ_CHECK(ResolvedDepth(name) >= 1);
        // Without folder names only the file part is written: it must pass on its own.
        FUZZ_CHECK(NameIsSafe(FilePart(name)));
        FUZZ_CHECK(ResolvedDepth(FilePart(name)) == 1);
    }
    // A name without wildcards matches itself, and a star matches everything.
    if (name.find_first_of(L"*?") == std::wstring::npos && name.find(L'\0') == std::wstring::npos) {
        FUZZ_CHECK(MatchWild(name.c_str(), name.c_str()));
    }
    if (name.find(L'\0') == std::wstring::npos) {
        FUZZ_CHECK(MatchWild(L"*", name.c_str()));
        const std::wstring pattern = name.substr(0, name.size() / 2);
        const std::wstring text = name.substr(name.size() / 2);
        MatchWild(pattern.c_str(), text.c_str());
    }
    return 0;
}
