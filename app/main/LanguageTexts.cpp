#include "app/main/LanguageTexts.h"
#include "win/FileSystem.h"

#include <windows.h>

#include <vector>

namespace {

constexpr wchar_t kDeutschFile[] = L"Deutsch.plf";
constexpr wchar_t kEnglishFile[] = L"English.plf";

// Section, key, and whether the text goes straight into a main-window control.
constexpr LanguageKey kKeys[] = {
    {L"Hauptform", L"TBS", false},
    {L"Hauptform", L"TBH", false},
    {L"Hauptform", L"TBHINT", false},
    {L"Hauptform", L"TBHINT2", false},
    {L"Hauptform", L"PRGENDE", false},
    {L"Hauptform", L"VIEWERH", false},
    {L"Hauptform", L"VIEWERM", false},
    {L"Hauptform", L"VIEWER2", false},
    {L"Hauptform", L"OK", false},
    {L"Hauptform", L"ABBRECHEN", false},
    {L"Hauptform", L"ENDECAP", false},
    {L"Hauptform", L"PEC", false},
    {L"Hauptform", L"PEH", true},
    {L"Hauptform", L"PFA", false},
    {L"Hauptform", L"PFG", false},
    {L"Hauptform", L"PM", false},
    {L"Hauptform", L"EC", true},
    {L"Hauptform", L"AC", true},
    {L"Hauptform", L"ZC", true},
    {L"Hauptform", L"IED1H", true},
    {L"Hauptform", L"IED2H", true},
    {L"Hauptform", L"IEC1H", true},
    {L"Hauptform", L"IEC2H", true},
    {L"Hauptform", L"B1H", true},
    {L"Hauptform", L"B1C", true},
    {L"Hauptform", L"MBH", true},
    {L"Hauptform", L"G1H", true},
    {L"Hauptform", L"Z1H", true},
    {L"Hauptform", L"DI1FC", false},
    {L"Hauptform", L"DI1L", false},
    {L"Hauptform", L"DI1L1C", false},
    {L"Hauptform", L"DI2L1C", false},
    {L"Hauptform", L"DI1L2C", false},
    {L"Hauptform", L"DI2L2C", false},
    {L"Hauptform", L"DI2L3C", false},
    {L"Hauptform", L"DI1BT1", false},
    {L"Hauptform", L"MERGENAME1", false},
    {L"Hauptform", L"MERGENAME2", false},
    {L"Hauptform", L"MERGENAME3", false},
    {L"Hauptform", L"KEINEDATEI", false},
    {L"Hauptform", L"VFEHLER1", false},
    {L"Hauptform", L"VFEHLER2", false},
    {L"Hauptform", L"AFEHLER1", false},
    {L"Hauptform", L"AFEHLER2", false},
    {L"Hauptform", L"AFEHLER3", false},
    {L"Hauptform", L"MESSAGE1", false},
    {L"Hauptform", L"MESSAGE2", false},
    {L"Hauptform", L"MESSAGE3", false},
    {L"Hauptform", L"MESSAGE4", false},
    {L"Hauptform", L"MESSAGE5", false},
    {L"Hauptform", L"MESSAGE51", false},
    {L"Hauptform", L"MESSAGE6", false},
    {L"Hauptform", L"MESSAGE7", false},
    {L"Hauptform", L"MESSAGE8", false},
    {L"Hauptform", L"MESSAGE10", false},
    {L"Hauptform", L"MESSAGE11", false},
    {L"Hauptform", L"MESSAGE12", false},
    {L"Hauptform", L"MESSAGE13", false},
    {L"Hauptform", L"MESSAGE14", false},
    {L"Hauptform", L"MESSAGE15", false},
    {L"Hauptform", L"MESSAGE16", false},
    {L"Hauptform", L"MESSAGE17", false},
    {L"Hauptform", L"MESSAGE18", false},
    {L"Hauptform", L"MESSAGE19", false},
    {L"Hauptform", L"MESSAGE20", false},
    {L"Hauptform", L"MESSAGE21", false},
    {L"Hauptform", L"MESSAGE22", false},
    {L"Hauptform", L"MESSAGE23", false},
    {L"Hauptform", L"MESSAGE24", false},
    {L"Hauptform", L"MESSAGE25", false},
    {L"Hauptform", L"DRU1", false},
    {L"Hauptform", L"PAP1", false},
    {L"Hauptform", L"SYS1", false},
    {L"Hauptform", L"KOMM1", false},
    {L"Hauptform", L"NETZ1", false},
    {L"Hauptform", L"KOMM1H", false},
    {L"Hauptform", L"PDFI", false},
    {L"Hauptform", L"SPB1", false},
    {L"Hauptform", L"VERZ1", false},
    {L"Hauptform", L"VERZ2", false},
    {L"Hauptform", L"VERZ3", false},
    {L"Hauptform", L"VERZ4", false},
    {L"Hauptform", L"STB1_1", false},
    {L"Hauptform", L"STB2_1", false},
    {L"Hauptform", L"NETON", false},
    {L"Hauptform", L"NETOFF", false},
    {L"Hauptform", L"PROB", false},
    {L"Hauptform", L"F8LOESCH", false},
    {L"Hauptform", L"PRUEFH", false},
    {L"Hauptform", L"WASSERH", false},
    {L"HauptForm", L"EIG1", false},
    {L"HauptForm", L"ARB1", false},
    {L"Einstellungenform", L"EINCAP", false},
    {L"Einstellungenform", L"EIN1", false},
    {L"Einstellungenform", L"EIN2", false},
    {L"Einstellungenform", L"EIN3", false},
    {L"Einstellungenform", L"EIN4", false},
    {L"Einstellungenform", L"EIN5", false},
    {L"Einstellungenform", L"EIN6", false},
    {L"Einstellungenform", L"EIN7", false},
    {L"Einstellungenform", L"EIN8", false},
    {L"Einstellungenform", L"EIN9", false},
    {L"Einstellungenform", L"EIN10", false},
    {L"Einstellungenform", L"EIN11", false},
    {L"Einstellungenform", L"EIN12", false},
    {L"Einstellungenform", L"EIN13", false},
    {L"Einstellungenform", L"EIN14", false},
    {L"Einstellungenform", L"EIN15", false},
    {L"Einstellungenform", L"EIN16", false},
    {L"Einstellungenform", L"EIN17", false},
    {L"Einstellungenform", L"EIN19", false},
    {L"Einstellungenform", L"EI1", false},
    {L"Einstellungenform", L"EI2", false},
    {L"Einstellungenform", L"EI3", false},
    {L"Einstellungenform", L"EI4", false},
    {L"Einstellungenform", L"EI5", false},
    {L"Einstellungenform", L"EI6", false},
    {L"Einstellungenform", L"EI61", false},
    {L"Einstellungenform", L"EI7", false},
    {L"Einstellungenform", L"AUSW1", false},
    {L"Einstellungenform", L"AUSG1", false},
    {L"Einstellungenform", L"LAB3", false},
    {L"Einstellungenform", L"SE3H", false},
    {L"Einstellungenform", L"SLB1", false},
    {L"Einstellungenform", L"VERKN1", false},
    {L"Einstellungenform", L"VERKN2", false},
    {L"Einstellungenform", L"VERKN3", false},
    {L"Einstellungenform", L"VERKN1H", false},
    {L"Einstellungenform", L"E_ICAP", false},
    {L"Einstellungenform", L"E_I1", false},
    {L"Einstellungenform", L"E_I2", false},
    {L"Einstellungenform", L"E_I3", false},
    {L"Einstellungenform", L"E_I4", false},
    {L"Einstellungenform", L"E_I5", false},
    {L"Einstellungenform", L"E_I6", false},
    {L"Einstellungenform", L"E_I7", false},
    {L"Einstellungenform", L"E_I8", false},
    {L"Einstellungenform", L"E_I9", false},
    {L"Einstellungenform", L"E_I10", false},
    {L"Einstellungenform", L"E_I11", false},
    {L"Einstellungenform", L"E_I12", false},
    {L"Einstellungenform", L"StSp1", false},
    {L"Einstellungenform", L"StSp2", false},
    {L"Einstellungenform", L"NOPROFILE", false},
    {L"Einstellungenform", L"WASSERZ", false},
    {L"Einstellungenform", L"WASSERANZ", false},
    {L"Einstellungenform", L"PDFTK1", false},
    {L"Einstellungenform", L"PDFTK2", false},
    {L"Einstellungenform", L"PDFTK3", false},
    {L"Verschluesselungsform", L"ENC1", false},
    {L"Verschluesselungsform", L"ENC2", false},
    {L"Verschluesselungsform", L"ENC3", false},
    {L"Verschluesselungsform", L"ENC4", false},
    {L"Verschluesselungsform", L"ENC5", false},
    {L"Verschluesselungsform", L"ENC6", false},
    {L"Verschluesselungsform", L"ENC7", false},
    {L"Verschluesselungsform", L"ENC8", false},
    {L"Verschluesselungsform", L"ENC11", false},
    {L"Verschluesselungsform", L"ENC12", false},
    {L"Verschluesselungsform", L"ENC13", false},
    {L"Verschluesselungsform", L"ENC14", false},
    {L"Verschluesselungsform", L"ENC15", false},
    {L"Verschluesselungsform", L"ENC17", false},
    {L"Verschluesselungsform", L"ENC18", false},
    {L"Infoform", L"FRAGEN", false},
    {L"Infoform", L"HAFTUNG", false},
    {L"Infoform", L"INFOCAP", false},
    {L"Infoform", L"MAILH", false},
    {L"Infoform", L"INTERNETH", false},
    {L"Anleitungsform", L"ANLEITCAP", false},
    {L"Anleitungsform", L"AT1", false},
    {L"Anleitungsform", L"AT2", false},
    {L"Anleitungsform", L"AT3", false},
    {L"Anleitungsform", L"AT4", false},
    {L"Anleitungsform", L"AT5", false},
    {L"Anleitungsform", L"AT6", false},
    {L"Auswahlform", L"AUSWAHL1", false},
    {L"Auswahlform", L"AUSWAHL2", false},
    {L"Auswahlform", L"AUSWAHL3", false},
    {L"Auswahlform", L"AUSWAHL4", false},
    {L"Auswahlform", L"AUSWAHL1H", false},
    {L"Auswahlform", L"AUSWAHL2H", false},
    {L"Auswahlform", L"AUSWAHL3H", false},
    {L"Auswahlform", L"AUSWAHL4H", false},
    {L"Updateform", L"UPD1", false},
    {L"Updateform", L"UPD2", false},
    {L"Updateform", L"UPD3", false},
    {L"Updateform", L"UPD4", false},
    {L"Updateform", L"UPD5", false},
    {L"Updateform", L"UPD6", false},
    {L"Updateform", L"UPD7", false},
    {L"Updateform", L"UPD8", false},
    {L"Men\u00fc", L"MDC", true},
    {L"Men\u00fc", L"MDC1", true},
    {L"Men\u00fc", L"MDC2", true},
    {L"Men\u00fc", L"MDC4", true},
    {L"Men\u00fc", L"MDC5", true},
    {L"Men\u00fc", L"MDC6", true},
    {L"Men\u00fc", L"MDC7", true},
    {L"Men\u00fc", L"MDC8", true},
    {L"Men\u00fc", L"MDCH", true},
    {L"Men\u00fc", L"MDC1H", true},
    {L"Men\u00fc", L"MDC2H", true},
    {L"Men\u00fc", L"MDC4H", true},
    {L"Men\u00fc", L"MDC5H", true},
    {L"Men\u00fc", L"MDC6H", true},
    {L"Men\u00fc", L"MDC7H", true},
    {L"Men\u00fc", L"MDC8H", true},
    {L"Men\u00fc", L"MSC", true},
    {L"Men\u00fc", L"MSCH", true},
    {L"Men\u00fc", L"MSC1H", true},
    {L"Men\u00fc", L"MSC2H", true},
    {L"Men\u00fc", L"MAC", true},
    {L"Men\u00fc", L"MAC1", true},
    {L"Men\u00fc", L"MAC2", true},
    {L"Men\u00fc", L"MAC3", true},
    {L"Men\u00fc", L"MAC4", true},
    {L"Men\u00fc", L"MAC3_1", true},
    {L"Men\u00fc", L"MAC3_2", true},
    {L"Men\u00fc", L"MAC3_3", true},
    {L"Men\u00fc", L"MACH", true},
    {L"Men\u00fc", L"MAC1H", true},
    {L"Men\u00fc", L"MAC2H", true},
    {L"Men\u00fc", L"MAC3H", true},
    {L"Men\u00fc", L"MAC4H", true},
    {L"Men\u00fc", L"MAC3_1H", true},
    {L"Men\u00fc", L"MAC3_2H", true},
    {L"Men\u00fc", L"MAC3_3H", true},
    {L"Men\u00fc", L"MAC5", true},
    {L"Men\u00fc", L"MAC6", true},
    {L"Men\u00fc", L"MAC7", true},
    {L"Men\u00fc", L"MAC7H", true},
    {L"Men\u00fc", L"MAC8", true},
    {L"Men\u00fc", L"MAN", true},
    {L"Men\u00fc", L"MOC", true},
    {L"Men\u00fc", L"MOC1", true},
    {L"Men\u00fc", L"MOC2", true},
    {L"Men\u00fc", L"MOC3", true},
    {L"Men\u00fc", L"MOC4", true},
    {L"Men\u00fc", L"MOCH", true},
    {L"Men\u00fc", L"MOC1H", true},
    {L"Men\u00fc", L"MOC2H", true},
    {L"Men\u00fc", L"MOC3H", true},
    {L"Men\u00fc", L"MHC", false},
    {L"Men\u00fc", L"MHC1", true},
    {L"Men\u00fc", L"MHC2", true},
    {L"Men\u00fc", L"MHC3", false},
    {L"Men\u00fc", L"MHC3H", true},
    {L"Men\u00fc", L"MHC4", false},
    {L"Men\u00fc", L"MHC5", false},
    {L"Men\u00fc", L"MHCH", true},
    {L"Men\u00fc", L"MHC1H", true},
    {L"Men\u00fc", L"MHC2H", true},
    {L"Men\u00fc", L"Pro1", false},
    {L"Men\u00fc", L"Pro2", false},
    {L"Men\u00fc", L"Pro3", false},
    {L"Men\u00fc", L"NeuOrd", false},
    {L"Men\u00fc", L"NeuOrd1", false},
    {L"Men\u00fc", L"NeuOrd2", false},
    {L"Men\u00fc", L"ZAV1", false},
    {L"Men\u00fc", L"ZAV1H", false},
    {L"Men\u00fc", L"STA1", false},
    {L"Men\u00fc", L"STA2", false},
    {L"Men\u00fc", L"VS1", false},
    {L"Men\u00fc", L"VS1H", false},
    {L"Men\u00fc", L"ABF1", false},
    {L"Men\u00fc", L"EDH", false},
    {L"Men\u00fc", L"TRH", false},
};

constexpr LanguageDirectText kDirect[] = {
    {L"PDF_Erstellung", L"", L"PEC", L"PEH"},
    {L"EinLabel", L"", L"EC", nullptr},
    {L"AusLabel", L"", L"AC", nullptr},
    {L"ZaehlerL", L"", L"ZC", L"Z1H"},
    {L"DriveComboBox1", L"", nullptr, L"IED1H"},
    {L"DriveComboBox2", L"", nullptr, L"IED2H"},
    {L"PathComboBox1", L"", nullptr, L"IEC1H"},
    {L"PathComboBox2", L"", nullptr, L"IEC2H"},
    {L"F12Bt", L"", L"B1C", L"B1H"},
    {L"MergeBitBtn", L"", nullptr, L"MBH"},
    {L"Merge1", L"", nullptr, L"MBH"},
    {L"Gauge1", L"", nullptr, L"G1H"},
    {L"Viewer", L"", nullptr, L"VIEWERH"},
    {L"Ansehen1", L"", L"VIEWERM", L"VIEWERH"},
    {L"Verzspeichern", L"", L"VERZ1", L"VERZ1"},
    {L"Posspeichern", L"", L"VERZ3", L"VERZ3"},
    {L"Browser1", L"", nullptr, L"STB1_1"},
    {L"Browser2", L"", nullptr, L"STB2_1"},
    {L"SBNetOn", L"", nullptr, L"NETON"},
    {L"SBNetOff", L"", nullptr, L"NETOFF"},
    {L"Eigenschaften1", L"", L"PROB", L"PROB"},
    {L"F8Bt", L"", L"F8LOESCH", L"MDC7H"},
    {L"Pruefung", L"", nullptr, L"PRUEFH"},
    {L"WasserzeichenSB", L"", nullptr, L"WASSERH"},
    {L"AnzeigenBt", L"F11 ", L"EI61", L"EI6"},
    {L"PDFanzeigen1", L"", L"EI6", L"EI6"},
    {L"Zhlervorne1", L"", L"ZAV1", L"ZAV1H"},
    {L"VSpeichern1", L"", L"VS1", L"VS1H"},
    {L"AbfragePSPRN", L"", L"ABF1", L"ABF1"},
    {L"Editor1", L"", nullptr, L"EDH"},
    {L"Tray1", L"", nullptr, L"TRH"},
    {L"Datei1", L"", L"MDC", L"MDCH"},
    {L"Umbenennen1", L"", L"MDC1", L"MDC1H"},
    {L"F2Bt", L"F2 ", L"MDC1", L"MDC1H"},
    {L"Bearbeiten1", L"", L"MDC8", L"MDC8H"},
    {L"F4Bt", L"F4 ", L"MDC8", L"MDC8H"},
    {L"TitelVerfassereingeben1", L"", L"MDC2", L"MDC2H"},
    {L"F3Bt", L"F3 ", L"MDC2", L"MDC2H"},
    {L"Ende1", L"", L"MDC4", L"MDC4H"},
    {L"Allesmarkieren1", L"", L"MDC5", L"MDC5H"},
    {L"Auswahlumkehren1", L"", L"MDC6", L"MDC6H"},
    {L"Entfernen1", L"", L"MDC7", L"MDC7H"},
    {L"NeuerOrdner", L"", L"NeuOrd", L"NeuOrd"},
    {L"F7Bt", L"F7 ", L"NeuOrd", L"NeuOrd"},
    {L"Sprache1", L"", L"MSC", L"MSCH"},
    {L"Deutsch", L"", nullptr, L"MSC1H"},
    {L"English", L"", nullptr, L"MSC2H"},
    {L"Ansicht1", L"", L"MAC", L"MACH"},
    {L"SortExtL", L"", L"MAC1", L"MAC1H"},
    {L"SortExtR", L"", L"MAC2", L"MAC2H"},
    {L"SysHid", L"", L"MAC4", L"MAC4H"},
    {L"Datumsformat1", L"", L"MAC3", L"MAC3H"},
    {L"DateTimeSek1", L"", L"MAC3_1", L"MAC3_1H"},
    {L"DateTime1", L"", L"MAC3_2", L"MAC3_2H"},
    {L"Date1", L"", L"MAC3_3", L"MAC3_3H"},
    {L"Schriftfarbendern1", L"", L"MAC5", L"MAC5"},
    {L"Hintergrundfarbendern1", L"", L"MAC6", L"MAC6"},
    {L"Attr1", L"", L"MAC7", L"MAC7H"},
    {L"Gitternetzlinien", L"", L"MAC8", L"MAC8"},
    {L"Optionen1", L"", L"MOC", L"MOCH"},
    {L"Anderes", L"", L"MAN", nullptr},
    {L"Einstellungen1", L"", L"MOC1", L"MOC1H"},
    {L"Logdatei", L"", L"MOC2", L"MOC2H"},
    {L"Logdateiansehen1", L"", L"MOC3", L"MOC3H"},
    {L"Hilfe1", L"", L"MHC", L"MHCH"},
    {L"Anleitung", L"", L"MHC1", L"MHC1H"},
    {L"Info", L"", L"MHC2", L"MHC2H"},
    {L"AbfrageaufneueVersion1", L"", L"MHC3", L"MHC3H"},
    {L"Ostrel1", L"", L"MHC4", L"MHC4"},
    {L"Ostrel2", L"", L"MHC5", L"MHC5"},
    {L"Verknuepfen", L"", L"VERKN1", L"VERKN1H"},
    {L"OpenDialog1", L"", L"VERKN3", nullptr},
    {L"EigeneDateien", L"", L"EIG1", L"EIG1"},
    {L"Arbeitsplatz", L"", L"ARB1", L"ARB1"},
    {L"Drucker", L"", L"DRU1", L"DRU1"},
    {L"Papierkorb", L"", L"PAP1", L"PAP1"},
    {L"Systemsteuerung", L"", L"SYS1", L"SYS1"},
    {L"Kommandozeile", L"", L"KOMM1", L"KOMM1"},
    {L"Netzwerkumgebung", L"", L"NETZ1", L"NETZ1"},
    {L"Memo1", L"", nullptr, L"KOMM1H"},
    {L"Ostrelinibearbeiten", L"", L"PDFI", L"PDFI"},
    {L"Sprachdateienbearbeiten", L"", L"SPB1", L"SPB1"},
    {L"Wiederherstellen2", L"", L"MOC4", nullptr},
    {L"Einstellungenndern2", L"", L"MOC1", nullptr},
    {L"Info2", L"", L"MHC2", nullptr},
    {L"Beenden2", L"", L"MDC4", nullptr},
};

// One profile read with a buffer that grows until the whole value fits (the instruction texts are long).
std::wstring ReadProfileString(const wchar_t* section, const wchar_t* key, const std::wstring& fallback,
                               const std::wstring& file) {
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD got = GetPrivateProfileStringW(section, key, fallback.c_str(), buffer.data(), size, file.c_str());
        if (got < size - 1 || buffer.size() >= 1u << 20) {
            return std::wstring(buffer.data(), got);
        }
        buffer.resize(buffer.size() * 4);
    }
}

} // namespace

std::span<const LanguageKey> LanguageKeys() {
    return kKeys;
}

std::span<const LanguageDirectText> LanguageDirectTexts() {
    return kDirect;
}

LanguageSelection ChooseLanguage(std::wstring_view languageChoice, const std::filesystem::path& programFolder) {
    LanguageSelection result;
    const auto deutschFile = programFolder / kDeutschFile;
    const auto englishFile = programFolder / kEnglishFile;
    result.DeutschVisible = FileExists(deutschFile);
    result.EnglishVisible = FileExists(englishFile);

    // Exact comparison on purpose: "english" or "ENGLISH" keep the design state (German).
    if (languageChoice == L"English") {
        result.DeutschChecked = false;
        result.EnglishChecked = true;
    }

    if (result.DeutschChecked) {
        if (result.DeutschVisible) {
            result.File = deutschFile;
        } else if (result.EnglishVisible) {
            result.File = englishFile;
            result.DeutschChecked = false;
            result.EnglishChecked = true;
        }
    } else if (result.EnglishVisible) {
        result.File = englishFile;
    } else if (result.DeutschVisible) {
        result.File = deutschFile;
        result.DeutschChecked = true;
        result.EnglishChecked = false;
    }
    result.NoLanguageFile = result.File.empty();
    return result;
}

void LanguageTexts::Load(const std::filesystem::path& languageFile) {
    if (languageFile.empty()) {
        return;
    }
    // The profile functions look a bare name up in the Windows folder; always hand them a full path.
    const std::wstring file = std::filesystem::absolute(languageFile).wstring();
    for (const LanguageKey& entry : kKeys) {
        std::wstring& text = texts_[entry.Key];
        // A missing hint of the language menu shows its caption rather than nothing.
        const std::wstring fallback = std::wstring_view(entry.Key) == L"MSCH" ? Get(L"MSC") : text;
        text = ReadProfileString(entry.Section, entry.Key, fallback, file);
    }
}

const std::wstring& LanguageTexts::Get(std::wstring_view key) const {
    static const std::wstring empty;
    const auto found = texts_.find(key);
    return found == texts_.end() ? empty : found->second;
}

std::wstring LanguageTexts::CaptionOf(const LanguageDirectText& entry) const {
    if (entry.CaptionKey == nullptr) {
        return {};
    }
    return entry.CaptionPrefix + Get(entry.CaptionKey);
}

std::wstring LanguageTexts::HintOf(const LanguageDirectText& entry) const {
    return entry.HintKey == nullptr ? std::wstring() : Get(entry.HintKey);
}

LanguageTexts& Texts() {
    static LanguageTexts texts;
    return texts;
}
