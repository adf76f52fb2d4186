/*
 * pdftk.exe for beside the program: a winelib console program that runs the host's /usr/bin/pdftk. Arguments that
 * are Windows paths (a drive letter, or a backslash in them) become host paths; the operation words ("background",
 * "output", ...) pass as they stand. Output and exit code come back to the caller.
 */
#include "../common/winebridge.h"

#include <stdlib.h>

static int is_windows_path(const WCHAR* a) {
    if (((a[0] >= 'A' && a[0] <= 'Z') || (a[0] >= 'a' && a[0] <= 'z')) && a[1] == ':') {
        return 1;
    }
    for (; *a; a++) {
        if (*a == '\\') {
            return 1;
        }
    }
    return 0;
}

int wmain(int argc, WCHAR** argv) {
    char** out = wb_malloc(((size_t)argc + 1) * sizeof(char*));
    out[0] = (char*)"pdftk";
    for (int i = 1; i < argc; i++) {
        char* host = is_windows_path(argv[i]) ? wb_unix_path(argv[i]) : NULL;
        out[i] = host ? host : wb_to_utf8(argv[i]);
    }
    out[argc] = NULL;
    wb_follow_current_folder();
    int code = wb_run_host("/usr/bin/pdftk", out);
    for (int i = 1; i < argc; i++) {
        free(out[i]);
    }
    free(out);
    return code;
}
