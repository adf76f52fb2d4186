/*
 * A PDF reader for tests: appends its command line (UTF-8, CR LF) to the file named by OSTREL_READER_LOG and ends.
 * The log is opened for appending with sharing, so two readers started at once both get their line in.
 */
#include <windows.h>

#include <string.h>

int main(void) {
    WCHAR path[MAX_PATH * 4];
    DWORD n = GetEnvironmentVariableW(L"OSTREL_READER_LOG", path, MAX_PATH * 4);
    if (n == 0 || n >= MAX_PATH * 4) {
        return 2;
    }
    const WCHAR* line = GetCommandLineW();
    int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, NULL, 0, NULL, NULL);
    if (size <= 0) {
        return 3;
    }
    char* record = HeapAlloc(GetProcessHeap(), 0, (SIZE_T)size + 2);
    if (!record) {
        return 3;
    }
    WideCharToMultiByte(CP_UTF8, 0, line, -1, record, size, NULL, NULL);
    memcpy(record + size - 1, "\r\n", 3);
    HANDLE log = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE) {
        return 4;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(log, record, (DWORD)strlen(record), &written, NULL);
    CloseHandle(log);
    return ok ? 0 : 4;
}
