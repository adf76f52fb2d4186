#pragma once
// File mask lists: "*.ps;*.prn" as a list of single masks, and file names tested against them with '*' (any run
// of characters, also none) and '?' (exactly one character). Case is ignored for every letter the system's
// lower-casing knows.
#include <string>
#include <vector>

// Single masks, each in lower case.
using TMaskList = std::vector<std::wstring>;

// Fills List from MaskText, split at ";". Pieces keep their blanks; an empty text gives the single mask "*".
void BuildMaskList(const std::wstring& MaskText, TMaskList& List);

// One name against one mask, compared exactly: the caller brings both into the same case.
bool MatchesMask(const std::wstring& Name, const std::wstring& Mask);

// True when List is absent or empty, or when any of its masks matches the name (case ignored). A name without a
// full stop also matches the masks that need one ("*.*", "*.").
bool MatchesMaskList(const std::wstring& Name, const TMaskList* List);
inline bool MatchesMaskList(const std::wstring& Name, const TMaskList& List) {
    return MatchesMaskList(Name, &List);
}
