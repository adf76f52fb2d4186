/*
 * gswin32c.exe for this machine: a winelib console program that stands where the product expects the 8.54 console
 * program and runs the host's /usr/bin/gs instead.
 *
 * It is a real Windows process (the caller's CreateProcess waits for it and reads its exit code; a Linux program
 * started through CreateProcess directly would not be waited for). It runs gs as a plain POSIX child, waits for it,
 * exits with its code, and relays gs's standard output and error to its own Win32 standard handles, which are the
 * caller's pipe.
 *
 * What it changes on the way:
 *   - Windows paths become host paths: input files, -sOutputFile= values (page patterns and doubled "%%" kept) and
 *     the names inside @list files (a translated copy of the list is handed to gs);
 *   - the older command language: device pswrite runs as ps2write, and "-c .setpdfwrite -f" is dropped (the host
 *     gs no longer knows the operator and merges the same without it).
 * Everything else passes as it stands.
 *
 * Environment switches for tests:
 *   OSTREL_GS_LOG=<Windows path>  append the raw command line (UTF-8, CR LF) before running;
 *   OSTREL_GS_CHATTER=<n>         write n bytes of text to standard output first;
 *   OSTREL_GS_EXIT=<n>            exit with n instead of running gs.
 *
 * Built with host libc and -fshort-wchar (winegcc does that): WCHAR strings must never meet glibc's wide
 * functions, whose wchar_t is four bytes.
 */
#include "../common/winebridge.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char host_gs[] = "/usr/bin/gs";

/* ---- small helpers ------------------------------------------------------------------------------------------ */

/* Our own messages go where gs's error text goes: the caller's standard error handle. */
static void fail(const char* what) {
    wb_message("gswin32c bridge: ");
    wb_message(what);
    wb_message("\n");
    ExitProcess(255);
}

static size_t wlen(const WCHAR* s) {
    size_t n = 0;
    while (s[n]) {
        n++;
    }
    return n;
}

static int wequal(const WCHAR* a, const WCHAR* b) {
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

static int wstarts(const WCHAR* s, const WCHAR* prefix) {
    while (*prefix) {
        if (*s++ != *prefix++) {
            return 0;
        }
    }
    return 1;
}

/* A copy of s with every "%" doubled, so that gs reads it as a literal character of a file name. */
static char* double_percents(const char* s) {
    size_t extra = 0;
    for (const char* p = s; *p; p++) {
        extra += (*p == '%');
    }
    char* r = wb_malloc(strlen(s) + extra + 1);
    char* o = r;
    for (const char* p = s; *p; p++) {
        *o++ = *p;
        if (*p == '%') {
            *o++ = '%';
        }
    }
    *o = 0;
    return r;
}

/* An input argument: the host path when Wine knows it, else the text as given (gs then reports the error). */
static char* translate_input(const WCHAR* arg) {
    char* p = wb_unix_path(arg);
    return p ? p : wb_to_utf8(arg);
}

/*
 * The value of -sOutputFile=. Its file name may hold a page pattern ("%03d", "%d") or a doubled "%%", so only the
 * folder is mapped: with its "%%" read as "%" for the lookup, and every "%" of the host folder doubled again.
 */
static char* translate_output(const WCHAR* value) {
    size_t n = wlen(value);
    if (n == 0 || value[0] == '|' || wequal(value, L"-")) {
        return wb_to_utf8(value);
    }
    size_t cut = n;
    while (cut > 0 && value[cut - 1] != '\\' && value[cut - 1] != '/' && value[cut - 1] != ':') {
        cut--;
    }
    WCHAR* folder = wb_malloc((cut + 2) * sizeof(WCHAR));
    size_t f = 0;
    for (size_t i = 0; i < cut; i++) {
        folder[f++] = value[i];
        if (value[i] == '%' && i + 1 < cut && value[i + 1] == '%') {
            i++;
        }
    }
    if (f == 0) {
        folder[f++] = '.';
    }
    folder[f] = 0;
    char* host_folder = wb_unix_path(folder);
    free(folder);
    if (!host_folder) {
        return wb_to_utf8(value);
    }
    char* escaped = double_percents(host_folder);
    free(host_folder);
    char* name = wb_to_utf8(value + cut);
    size_t el = strlen(escaped);
    int need_slash = el == 0 || escaped[el - 1] != '/';
    char* r = wb_malloc(el + strlen(name) + 2);
    sprintf(r, "%s%s%s", escaped, need_slash ? "/" : "", name);
    free(escaped);
    free(name);
    return r;
}

/* ---- @list files ------------------------------------------------------------------------------------------- */

static char* temp_files[64];
static int temp_count;

static void remove_temp_files(void) {
    for (int i = 0; i < temp_count; i++) {
        unlink(temp_files[i]);
        free(temp_files[i]);
    }
    temp_count = 0;
}

static char* read_whole_file(const char* host_path, size_t* size) {
    FILE* in = fopen(host_path, "rb");
    if (!in) {
        return NULL;
    }
    size_t cap = 4096, n = 0;
    char* data = wb_malloc(cap);
    size_t got;
    while ((got = fread(data + n, 1, cap - n, in)) > 0) {
        n += got;
        if (n == cap) {
            cap *= 2;
            char* grown = realloc(data, cap);
            if (!grown) {
                fail("out of memory");
            }
            data = grown;
        }
    }
    fclose(in);
    *size = n;
    return data;
}

/* Writes one list line (Windows-1252 bytes, the path in double quotes or bare) translated into out. */
static void translate_list_line(const char* line, size_t len, FILE* out) {
    while (len > 0 && (line[0] == ' ' || line[0] == '\t')) {
        line++;
        len--;
    }
    while (len > 0 && (line[len - 1] == ' ' || line[len - 1] == '\t' || line[len - 1] == '\r')) {
        len--;
    }
    if (len >= 2 && line[0] == '"' && line[len - 1] == '"') {
        line++;
        len -= 2;
    }
    if (len == 0) {
        return;
    }
    int wn = MultiByteToWideChar(1252, 0, line, (int)len, NULL, 0);
    WCHAR* wide = wb_malloc(((size_t)wn + 1) * sizeof(WCHAR));
    MultiByteToWideChar(1252, 0, line, (int)len, wide, wn);
    wide[wn] = 0;
    char* host = translate_input(wide);
    free(wide);
    /* Host paths made by Wine hold neither a double quote nor a backslash, so plain quoting is enough. */
    fprintf(out, "\"%s\"\n", host);
    free(host);
}

/* "@<Windows path>": a translated copy of the list in a temporary file, passed as "@<host path>". */
static char* translate_list_argument(const WCHAR* arg) {
    char* source = wb_unix_path(arg + 1);
    size_t size = 0;
    char* data = source ? read_whole_file(source, &size) : NULL;
    free(source);
    if (!data || temp_count == (int)(sizeof temp_files / sizeof temp_files[0])) {
        free(data);
        return wb_to_utf8(arg);
    }
    char pattern[] = "/tmp/gswin32c-list-XXXXXX";
    int fd = mkstemp(pattern);
    FILE* out = fd >= 0 ? fdopen(fd, "wb") : NULL;
    if (!out) {
        fail("cannot create a temporary list file");
    }
    temp_files[temp_count] = wb_malloc(strlen(pattern) + 1);
    strcpy(temp_files[temp_count++], pattern);
    size_t start = 0;
    for (size_t i = 0; i <= size; i++) {
        if (i == size || data[i] == '\n') {
            translate_list_line(data + start, i - start, out);
            start = i + 1;
        }
    }
    free(data);
    if (fclose(out) != 0) {
        fail("cannot write a temporary list file");
    }
    char* r = wb_malloc(strlen(pattern) + 2);
    sprintf(r, "@%s", pattern);
    return r;
}

/* ---- the test switches ------------------------------------------------------------------------------------- */

/* The value of an environment variable as a number, or -1 when it is not set or not a number. */
static long env_number(const WCHAR* name) {
    WCHAR value[32];
    DWORD n = GetEnvironmentVariableW(name, value, 32);
    if (n == 0 || n >= 32) {
        return -1;
    }
    long r = 0;
    for (DWORD i = 0; i < n; i++) {
        if (value[i] < '0' || value[i] > '9' || r > 100000000L) {
            return -1;
        }
        r = r * 10 + (value[i] - '0');
    }
    return r;
}

static void log_command_line(void) {
    WCHAR path[MAX_PATH * 4];
    DWORD n = GetEnvironmentVariableW(L"OSTREL_GS_LOG", path, MAX_PATH * 4);
    if (n == 0 || n >= MAX_PATH * 4) {
        return;
    }
    HANDLE log = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE) {
        fail("cannot open the command-line log named by OSTREL_GS_LOG");
    }
    char* line = wb_to_utf8(GetCommandLineW());
    size_t len = strlen(line);
    char* record = wb_malloc(len + 3);
    memcpy(record, line, len);
    memcpy(record + len, "\r\n", 3);
    DWORD written = 0;
    BOOL ok = WriteFile(log, record, (DWORD)(len + 2), &written, NULL);
    CloseHandle(log);
    free(record);
    free(line);
    if (!ok || written != len + 2) {
        fail("cannot write the command-line log");
    }
}

/* Text on the handle gs's output is relayed to, so a caller that does not drain its pipe would hang here. */
static void chatter(long bytes) {
    static const char line[] = "gswin32c bridge chatter: the caller must read its pipe to the end.\n";
    static char block[65536];
    for (size_t i = 0; i < sizeof block; i++) {
        block[i] = line[i % (sizeof line - 1)];
    }
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    while (bytes > 0) {
        DWORD chunk = bytes < (long)sizeof block ? (DWORD)bytes : (DWORD)sizeof block;
        DWORD done = 0;
        if (!out || out == INVALID_HANDLE_VALUE || !WriteFile(out, block, chunk, &done, NULL) || done == 0) {
            fail("standard output closed during chatter");
        }
        bytes -= (long)done;
    }
}

int wmain(int argc, WCHAR** argv) {
    log_command_line();
    long bytes = env_number(L"OSTREL_GS_CHATTER");
    if (bytes > 0) {
        chatter(bytes);
    }
    long forced = env_number(L"OSTREL_GS_EXIT");
    if (forced >= 0) {
        return (int)forced;
    }

    char** out = wb_malloc(((size_t)argc + 1) * sizeof(char*));
    int n = 0;
    out[n++] = (char*)"gs";
    int in_code = 0; /* after -c, arguments are PostScript until the next switch */
    for (int i = 1; i < argc; i++) {
        const WCHAR* a = argv[i];
        if (i + 2 < argc && wequal(a, L"-c") && wequal(argv[i + 1], L".setpdfwrite") && wequal(argv[i + 2], L"-f")) {
            i += 2;
            in_code = 0;
            continue;
        }
        if (a[0] == '-') {
            in_code = wequal(a, L"-c");
            if (wequal(a, L"-sDEVICE=pswrite")) {
                out[n++] = wb_to_utf8(L"-sDEVICE=ps2write");
            } else if (wstarts(a, L"-sOutputFile=")) {
                size_t prefix = wlen(L"-sOutputFile=");
                char* value = translate_output(a + prefix);
                char* arg = wb_malloc(prefix + strlen(value) + 1);
                sprintf(arg, "-sOutputFile=%s", value);
                free(value);
                out[n++] = arg;
            } else {
                out[n++] = wb_to_utf8(a);
            }
        } else if (in_code) {
            out[n++] = wb_to_utf8(a);
        } else if (a[0] == '@' && a[1]) {
            out[n++] = translate_list_argument(a);
        } else {
            out[n++] = translate_input(a);
        }
    }
    out[n] = NULL;

    wb_follow_current_folder();
    int code = wb_run_host(host_gs, out);
    remove_temp_files();
    for (int i = 1; i < n; i++) {
        free(out[i]);
    }
    free(out);
    return code;
}
