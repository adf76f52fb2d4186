// The window-free parts of the directory list view: the directory search, the texts by language, names,
// extensions and attribute letters, the entry filter and the order of the items.
#include "components/DirView.h"
#include "win/Handles.h"

#include <array>

namespace {

constexpr DWORD kSearchFilteredAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 8 /* volume label */ | FILE_ATTRIBUTE_DIRECTORY;

wchar_t AsciiUpper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}
wchar_t AsciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::wstring AsciiUpper(std::wstring s) {
    for (wchar_t& c : s)
        c = AsciiUpper(c);
    return s;
}

std::wstring Extension(const std::wstring& Name) {
    auto dot = Name.find_last_of(L".\\:");
    if (dot == std::wstring::npos || Name[dot] != L'.')
        return {};
    return Name.substr(dot + 1);
}

void FillSearchRec(const WIN32_FIND_DATAW& data, TSearchRec& rec) {
    rec.Name = data.cFileName;
    rec.Size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    rec.Attr = data.dwFileAttributes;
    rec.LastWrite = data.ftLastWriteTime;
    FILETIME local{};
    WORD date = 0, time = 0;
    rec.HasDosTime =
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToDosDateTime(&local, &date, &time);
    rec.Time = rec.HasDosTime ? (static_cast<DWORD>(date) << 16) | time : 0;
}

int CompareText(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str());
}

std::int64_t FileTimeValue(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

const TDirViewTexts kGerman = {
    {L"Name", L"Gr\u00F6\u00DFe", L"Typ", L"Ge\u00E4ndert am", L"Attr"},
    L"Fehler \u00D6ffnen der Datei: ",
    L"Datei oder Verzeichnis kann nicht umbenannt werden: ",
    L"Datei oder Verzeichnis ist bereits vorhanden: ",
    L"Dateiname enth\u00E4lt ung\u00FCltige Zeichen:",
    L"Datei %s",
    L"%u Dateien",
    L"%u Verzeichnisse",
};
const TDirViewTexts kFrench = {
    {L"Nom", L"Taille", L"Type", L"Date", L"Attributs"},
    L"Ne peux ouvrir le fichier: ",
    L"Ne peux renommer le fichier: ",
    L"File allready exists: ",
    L"Le nom de fichier contient des caract\u00E8res invalides:",
    L"Fichier %s",
    L"%u Files",
    L"%u Directories",
};
const TDirViewTexts kEnglish = {
    {L"Name", L"Size", L"Type", L"Changed", L"Attr"},
    L"Can't open file: ",
    L"Can't rename file or directory: ",
    L"File allready exists: ",
    L"Filename contains invalid characters:",
    L"File %s",
    L"%u Files",
    L"%u Directories",
};

} // namespace

// --- search ------------------------------------------------------------------------------------------------------

TFileSearch::TFileSearch(const std::wstring& Pattern, DWORD Attr) : attr_(Attr) {
    handle_.reset(FindFirstFileW(Pattern.c_str(), &data_));
    pending_ = static_cast<bool>(handle_);
}

bool TFileSearch::Next(TSearchRec& Rec) {
    if (!handle_)
        return false;
    const DWORD excluded = ~attr_ & kSearchFilteredAttributes;
    for (;;) {
        if (!pending_ && !FindNextFileW(handle_.get(), &data_))
            return false;
        pending_ = false;
        if ((data_.dwFileAttributes & excluded) == 0) {
            FillSearchRec(data_, Rec);
            return true;
        }
    }
}

bool FindFirstEntry(const std::wstring& Pattern, DWORD Attr, TSearchRec& Rec) {
    TFileSearch search(Pattern, Attr);
    return search.Next(Rec);
}

std::int64_t GetFileSize64(const std::wstring& FileName) {
    WIN32_FIND_DATAW data{};
    if (!win::UniqueFind(FindFirstFileW(FileName.c_str(), &data)))
        return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// --- texts -------------------------------------------------------------------------------------------------------

const TDirViewTexts& DirViewTextsFor(LANGID Language) {
    switch (PRIMARYLANGID(Language)) {
    case LANG_GERMAN:
        return kGerman;
    case LANG_FRENCH:
        return kFrench;
    default:
        return kEnglish;
    }
}

const TDirViewTexts& DirViewTexts() {
    static const TDirViewTexts& texts = DirViewTextsFor(GetUserDefaultLangID());
    return texts;
}

std::wstring UnknownTypeText(const TDirViewTexts& Texts, const std::wstring& Ext) {
    std::wstring text = Texts.UnknownType;
    auto at = text.find(L"%s");
    if (at != std::wstring::npos)
        text.replace(at, 2, Ext);
    return text;
}

// --- names -------------------------------------------------------------------------------------------------------

std::wstring ShortFileExt(const std::wstring& Name) {
    return AsciiUpper(Extension(Name).substr(0, 3));
}

std::wstring FullFileExt(const std::wstring& Name) {
    return AsciiUpper(Extension(Name));
}

std::wstring FormatDisplayName(TFileNameDisplay Display, const std::wstring& Name) {
    std::wstring shown = Name;
    switch (Display) {
    case fndStored:
        break;
    case fndCap:
        for (wchar_t& c : shown)
            c = AsciiUpper(c);
        break;
    case fndNoCap:
        for (wchar_t& c : shown)
            c = AsciiLower(c);
        break;
    case fndNice:
        // Only short names without blanks look like old 8.3 names in capitals; long names were written by a
        // person and keep their case.
        if (shown.size() <= 12 && shown.find(L' ') == std::wstring::npos && !shown.empty()) {
            for (wchar_t& c : shown)
                c = AsciiLower(c);
            shown[0] = AsciiUpper(shown[0]);
        }
        break;
    }
    return shown;
}

std::wstring GetAttrString(DWORD Attr, const std::wstring& AttrSpace) {
    if (Attr == 0)
        return {};
    static constexpr std::array<std::pair<DWORD, const wchar_t*>, 4> kLetters = {{{FILE_ATTRIBUTE_READONLY, L"R"},
                                                                                  {FILE_ATTRIBUTE_HIDDEN, L"H"},
                                                                                  {FILE_ATTRIBUTE_SYSTEM, L"S"},
                                                                                  {FILE_ATTRIBUTE_ARCHIVE, L"A"}}};
    std::wstring text;
    for (const auto& [bit, letter] : kLetters) {
        if (Attr & bit)
            text += letter;
        else
            text += AttrSpace;
    }
    if (AttrSpace.empty()) {
        if (Attr & FILE_ATTRIBUTE_COMPRESSED)
            text += L"C";
    } else {
        text += (Attr & FILE_ATTRIBUTE_COMPRESSED) ? std::wstring(L"c") : AttrSpace;
    }
    return text;
}

bool IsSpecialExt(const std::wstring& FileExt) {
    static constexpr const wchar_t* kSpecial[] = {L"EXE", L"LNK", L"ICO", L"ANI", L"CUR", L"PIF", L"JOB", L"CPL"};
    for (const wchar_t* ext : kSpecial)
        if (FileExt == ext)
            return true;
    return false;
}

// --- order -------------------------------------------------------------------------------------------------------

int CompareFileRecs(const TFileRec* A, const TFileRec* B, TDirSortKey Key, bool Ascending, bool DirsOnTop) {
    if (A == B)
        return 0;
    if (!A)
        return -1;
    if (!B)
        return 1;
    if (A->IsParentDir)
        return -1;
    if (B->IsParentDir)
        return 1;
    if (A->IsDirectory != B->IsDirectory) {
        int order = A->IsDirectory ? -1 : 1;
        return (DirsOnTop || Ascending) ? order : -order;
    }
    int order = 0;
    switch (Key) {
    case TDirSortKey::Name:
        order = CompareText(A->DisplayName, B->DisplayName);
        break;
    case TDirSortKey::Size:
        order = A->Size < B->Size ? -1 : A->Size > B->Size ? 1 : CompareText(A->DisplayName, B->DisplayName);
        break;
    case TDirSortKey::Type:
        order = CompareText(A->TypeName + L" " + A->FileExt + L" " + A->DisplayName,
                            B->TypeName + L" " + B->FileExt + L" " + B->DisplayName);
        break;
    case TDirSortKey::Extension:
        order = CompareText(A->FileExt + L" " + A->DisplayName, B->FileExt + L" " + B->DisplayName);
        break;
    case TDirSortKey::Date: {
        std::int64_t a = FileTimeValue(A->FileTime), b = FileTimeValue(B->FileTime);
        if (a == b)
            return CompareText(A->DisplayName, B->DisplayName);
        order = a < b ? -1 : 1;
        break;
    }
    case TDirSortKey::Attributes:
        order = A->Attr < B->Attr ? -1 : A->Attr > B->Attr ? 1 : CompareText(A->DisplayName, B->DisplayName);
        break;
    }
    return Ascending ? order : -order;
}

bool TEntryFilter::Passes(const TSearchRec& Rec) const {
    if ((Rec.Attr & Required) != Required || (Rec.Attr & Excluded) != 0)
        return false;
    if (AnyTime)
        return true;
    return Rec.HasDosTime && Rec.Time >= From && Rec.Time <= To;
}
