#include "win/FileSystem.h"

#include <windows.h>

namespace {

DWORD AttributesOf(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

} // namespace

bool FileExists(const std::wstring& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::wstring& path) {
    const bool bareDrive = path.size() == 2 && path[1] == L':';
    const DWORD attributes = AttributesOf(bareDrive ? path + L'\\' : path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathExists(const std::wstring& path) {
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}
