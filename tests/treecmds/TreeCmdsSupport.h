#pragma once
// What the tree command tests share beyond the drive tree tests' own helpers: reading a folder's node, asking the
// disk, and short texts for failure messages.
#include "tree/TreeTestSupport.h"

#include <string>

namespace treecmds {

using treetest::ChildTexts;
using treetest::DriveFolder;
using treetest::PumpUntil;
using treetest::TreeForm;

// Selects the folder's node and reads its sub-folders; null when the tree has no node for it.
inline HTREEITEM ReadNode(TDriveView& tree, const std::wstring& path) {
    tree.SetDirectory(path);
    HTREEITEM node = tree.FindReadNode(path);
    if (node)
        tree.Expand(node, true);
    return node;
}

inline bool IsFolder(const std::wstring& path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool IsFile(const std::wstring& path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

} // namespace treecmds
