#pragma once
// What a test program needs to know about where it runs: the source and build trees (as Windows paths, through
// Wine's Z: drive), fresh scratch folders, and small file helpers.
#include <filesystem>
#include <string>

namespace testenv {

// The repository root and the CMake build folder, from the environment CTest sets.
std::filesystem::path SourceDir();
std::filesystem::path BinaryDir();

// A new empty folder below the build folder's scratch area, removed when the object goes out of scope.
class TempDir {
public:
    explicit TempDir(const std::wstring& tag = L"t");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::wstring& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes);

// Sets an environment variable of this process (and the programs it starts); an empty value removes it.
void SetVariable(const wchar_t* name, const std::wstring& value);

} // namespace testenv
