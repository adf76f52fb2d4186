#include "components/MaskSearch.h"
#include "win/SystemText.h"

#include <windows.h>

#include <algorithm>

void BuildMaskList(const std::wstring& MaskText, TMaskList& List) {
    List.clear();
    if (MaskText.empty()) {
        List.emplace_back(L"*");
        return;
    }
    std::wstring::size_type start = 0;
    while (start < MaskText.size()) {
        auto end = MaskText.find(L';', start);
        if (end == std::wstring::npos) {
            end = MaskText.size();
        }
        List.push_back(LowerCase(MaskText.substr(start, end - start)));
        start = end + 1;
    }
    std::sort(List.begin(), List.end());
    List.erase(std::unique(List.begin(), List.end()), List.end());
}

bool MatchesMask(const std::wstring& Name, const std::wstring& Mask) {
    if (Mask == L"*") {
        return true;
    }
    if (Mask.empty()) {
        return false;
    }
    // Classic wildcard walk: on a mismatch after a '*', the star takes one more character and the rest of the
    // mask is tried again from there, so a later occurrence of a literal is found when an earlier one fails.
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::wstring::npos, starName = 0;
    while (n < Name.size()) {
        if (m < Mask.size() && (Mask[m] == L'?' || (Mask[m] != L'*' && Mask[m] == Name[n]))) {
            ++n;
            ++m;
        } else if (m < Mask.size() && Mask[m] == L'*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::wstring::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < Mask.size() && Mask[m] == L'*') {
        ++m;
    }
    return m == Mask.size();
}

bool MatchesMaskList(const std::wstring& Name, const TMaskList* List) {
    if (List == nullptr || List->empty()) {
        return true;
    }
    const std::wstring name = LowerCase(Name);
    const bool hasExtension = name.find(L'.') != std::wstring::npos;
    const std::wstring withStop = name + L".";
    for (const auto& mask : *List) {
        if (MatchesMask(name, mask) || (!hasExtension && MatchesMask(withStop, mask))) {
            return true;
        }
    }
    return false;
}
