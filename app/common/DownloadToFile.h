#pragma once
// Fetching one file from an address (http, https, ftp or file) to a local path; both programs use it.
#include <string>

// Downloads address to localPath and returns true only when the whole file arrived: a refused connection, a
// missing file and an HTTP error status (a server's error page is no download) all give false. The file is
// fetched under a temporary name beside localPath and put in place only on success, so a failed download never
// replaces or leaves behind a file at localPath. Blocks until the transfer ends; never throws.
bool DownloadToFile(const std::wstring& address, const std::wstring& localPath);
