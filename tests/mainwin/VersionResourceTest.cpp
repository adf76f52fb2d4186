// The version resource of the built Ostrel.exe: the numbers the update check compares and the texts that the
// file's properties show.
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

class VersionBlock {
public:
    explicit VersionBlock(const std::wstring& file) {
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
        if (size == 0) {
            return;
        }
        data_.resize(size);
        if (!GetFileVersionInfoW(file.c_str(), 0, size, data_.data())) {
            data_.clear();
        }
    }
    bool Present() const { return !data_.empty(); }

    std::wstring FixedFileVersion() const { return Fixed(true); }
    std::wstring FixedProductVersion() const { return Fixed(false); }

    // A text of the string table in the block's first translation.
    std::wstring Text(const std::wstring& name) const {
        struct Translation {
            WORD Language;
            WORD CodePage;
        };
        Translation* translation = nullptr;
        UINT size = 0;
        if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                            &size) ||
            size < sizeof(Translation)) {
            return L"<no translation>";
        }
        wchar_t path[80]{};
        swprintf(path, std::size(path), L"\\StringFileInfo\\%04x%04x\\%ls", translation->Language,
                 translation->CodePage, name.c_str());
        wchar_t* value = nullptr;
        if (!VerQueryValueW(data_.data(), path, reinterpret_cast<void**>(&value), &size) || !value) {
            return L"<missing>";
        }
        return value;
    }

private:
    std::wstring Fixed(bool file) const {
        VS_FIXEDFILEINFO* info = nullptr;
        UINT size = 0;
        if (!VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&info), &size) || !info) {
            return L"<no fixed info>";
        }
        const DWORD ms = file ? info->dwFileVersionMS : info->dwProductVersionMS;
        const DWORD ls = file ? info->dwFileVersionLS : info->dwProductVersionLS;
        return std::to_wstring(HIWORD(ms)) + L"." + std::to_wstring(LOWORD(ms)) + L"." + std::to_wstring(HIWORD(ls)) +
               L"." + std::to_wstring(LOWORD(ls));
    }

    std::vector<unsigned char> data_;
};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(VersionResource, OstrelExeCarriesVersion240) {
    const VersionBlock block((testenv::BinaryDir() / L"app" / L"Ostrel.exe").wstring());
    ASSERT_TRUE(block.Present()) << "Ostrel.exe has no version resource";
    const struct {
        const char* what;
        std::wstring actual;
    } cases[] = {
        {"fixed file version", block.FixedFileVersion()},
        {"fixed product version", block.FixedProductVersion()},
        {"FileVersion text", block.Text(L"FileVersion")},
        {"ProductVersion text", block.Text(L"ProductVersion")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Narrow(c.actual), "2.4.0.0") << c.what;
    }
    EXPECT_EQ(Narrow(block.Text(L"OriginalFilename")), "Ostrel.exe");
}

} // namespace
