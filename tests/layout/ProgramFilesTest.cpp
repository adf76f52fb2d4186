// What the two program files carry for the shell and the system: an icon as their first icon (the registered file
// type's "Ostrel.exe,0" and the Explorer show it) and an application manifest asking for the common controls of
// version 6, system DPI awareness and naming the supported Windows versions.
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string ManifestOf(const fs::path& program) {
    HMODULE module =
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return {};
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        if (HGLOBAL data = LoadResource(module, found))
            text.assign(static_cast<const char*>(LockResource(data)), SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

TEST(ProgramFiles, BothProgramsCarryAnIconAndAManifest) {
    for (const fs::path& program :
         {testenv::BinaryDir() / L"app" / L"Ostrel.exe", testenv::BinaryDir() / L"installer" / L"Ostrel_Setup.exe"}) {
        SCOPED_TRACE(program.string());
        ASSERT_TRUE(fs::exists(program));
        HICON large = nullptr;
        EXPECT_EQ(ExtractIconExW(program.c_str(), 0, &large, nullptr, 1), 1u) << "no icon at index 0";
        if (large)
            DestroyIcon(large);
        const std::string manifest = ManifestOf(program);
        ASSERT_FALSE(manifest.empty()) << "no manifest";
        for (const char* part :
             {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "processorArchitecture=\"amd64\"",
              ">true</dpiAware>", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
            EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

} // namespace
