#pragma once
// The host's processes as a test under Wine sees them through the Z: drive: a Windows program that runs a host
// program (the Ghostscript stand-in does) leaves a process that no Windows call can list, but /proc can.
#include <string>
#include <vector>

namespace testenv {

// Ids of the host processes whose command line holds the text.
std::vector<int> HostProcessesWith(const std::string& text);

} // namespace testenv
