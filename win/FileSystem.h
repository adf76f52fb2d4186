#pragma once
// What the file system holds at a path, asked by attributes: none of these opens a file or touches its content.
#include <string>

// An existing file, not a folder.
bool FileExists(const std::wstring& path);
// An existing folder. A bare drive ("C:") stands for its root, not for the drive's current folder.
bool DirectoryExists(const std::wstring& path);
// An existing file or folder.
bool PathExists(const std::wstring& path);
