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
#define _GNU_SOURCE /* pipe2 */
#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

static const char host_gs[] = "/usr/bin/gs";

/* ---- small helpers ------------------------------------------------------------------------------------------ */

/* Our own messages go where gs's error text goes: the caller's standard error handle. */
static void write_message(const char* text) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD done = 0;
    if (err && err != INVALID_HANDLE_VALUE) {
        WriteFile(err, text, (DWORD)strlen(text), &done, NULL);
    }
}

static void fail(const char* what) {
    write_message("gswin32c bridge: ");
    write_message(what);
    write_message("\n");
    ExitProcess(255);
}

static void* xmalloc(size_t n) {
    void* p = malloc(n ? n : 1);
    if (!p) {
        fail("out of memory");
    }
    return p;
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

static char* to_utf8(const WCHAR* s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, NULL, 0, NULL, NULL);
    char* r = xmalloc(n > 0 ? (size_t)n : 1);
    if (n <= 0 || !WideCharToMultiByte(CP_UTF8, 0, s, -1, r, n, NULL, NULL)) {
        r[0] = 0;
    }
    return r;
}

/* A copy of s with every "%" doubled, so that gs reads it as a literal character of a file name. */
static char* double_percents(const char* s) {
    size_t extra = 0;
    for (const char* p = s; *p; p++) {
        extra += (*p == '%');
    }
    char* r = xmalloc(strlen(s) + extra + 1);
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

/* Host path of a Windows path (relative ones against the current folder), or NULL when Wine cannot map it. */
static char* unix_path(const WCHAR* windows_path) {
    WCHAR full[MAX_PATH * 4];
    DWORD n = GetFullPathNameW(windows_path, MAX_PATH * 4, full, NULL);
    if (n == 0 || n >= MAX_PATH * 4) {
        return NULL;
    }
    char* mapped = wine_get_unix_file_name(full);
    if (!mapped) {
        return NULL;
    }
    char* r = xmalloc(strlen(mapped) + 1);
    strcpy(r, mapped);
    HeapFree(GetProcessHeap(), 0, mapped);
    return r;
}

/* An input argument: the host path when Wine knows it, else the text as given (gs then reports the error). */
static char* translate_input(const WCHAR* arg) {
    char* p = unix_path(arg);
    return p ? p : to_utf8(arg);
}

/*
 * The value of -sOutputFile=. Its file name may hold a page pattern ("%03d", "%d") or a doubled "%%", so only the
 * folder is mapped: with its "%%" read as "%" for the lookup, and every "%" of the host folder doubled again.
 */
static char* translate_output(const WCHAR* value) {
    size_t n = wlen(value);
    if (n == 0 || value[0] == '|' || wequal(value, L"-")) {
        return to_utf8(value);
    }
    size_t cut = n;
    while (cut > 0 && value[cut - 1] != '\\' && value[cut - 1] != '/' && value[cut - 1] != ':') {
        cut--;
    }
    WCHAR* folder = xmalloc((cut + 2) * sizeof(WCHAR));
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
    char* host_folder = unix_path(folder);
    free(folder);
    if (!host_folder) {
        return to_utf8(value);
    }
    char* escaped = double_percents(host_folder);
    free(host_folder);
    char* name = to_utf8(value + cut);
    size_t el = strlen(escaped);
    int need_slash = el == 0 || escaped[el - 1] != '/';
    char* r = xmalloc(el + strlen(name) + 2);
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
    char* data = xmalloc(cap);
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
    WCHAR* wide = xmalloc(((size_t)wn + 1) * sizeof(WCHAR));
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
    char* source = unix_path(arg + 1);
    size_t size = 0;
    char* data = source ? read_whole_file(source, &size) : NULL;
    free(source);
    if (!data || temp_count == (int)(sizeof temp_files / sizeof temp_files[0])) {
        free(data);
        return to_utf8(arg);
    }
    char pattern[] = "/tmp/gswin32c-list-XXXXXX";
    int fd = mkstemp(pattern);
    FILE* out = fd >= 0 ? fdopen(fd, "wb") : NULL;
    if (!out) {
        fail("cannot create a temporary list file");
    }
    temp_files[temp_count] = xmalloc(strlen(pattern) + 1);
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
    char* r = xmalloc(strlen(pattern) + 2);
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
    char* line = to_utf8(GetCommandLineW());
    size_t len = strlen(line);
    char* record = xmalloc(len + 3);
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

/* ---- running gs -------------------------------------------------------------------------------------------- */

/*
 * Wine gives a process started in a new console /dev/null as its Unix standard output, whatever handles the caller
 * passed: the caller's pipe is reachable only through the Win32 handles. So gs writes into Unix pipes, and this
 * relays every chunk to the matching Win32 handle until gs closes them.
 */
static void write_all(HANDLE target, const char* data, size_t size) {
    while (size > 0 && target && target != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        if (!WriteFile(target, data, (DWORD)size, &done, NULL) || done == 0) {
            return; /* the reader is gone: keep draining gs, drop its text */
        }
        data += done;
        size -= done;
    }
}

static void relay_output(int out_fd, int err_fd) {
    struct pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    HANDLE targets[2] = {GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE)};
    int open_count = 2;
    char buffer[65536];
    while (open_count > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (int i = 0; i < 2; i++) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                continue;
            }
            ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                open_count--;
                continue;
            }
            write_all(targets[i], buffer, (size_t)got);
        }
    }
    for (int i = 0; i < 2; i++) {
        if (fds[i].fd >= 0) {
            close(fds[i].fd);
        }
    }
}

static int run_host_gs(char** argv) {
    int out_pipe[2], err_pipe[2];
    if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) {
        write_message("gswin32c bridge: cannot create pipes\n");
        return 255;
    }
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&files, err_pipe[1], 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    /* Wine blocks and redirects signals for its own threads; gs should start with the defaults. */
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid;
    int rc = posix_spawn(&pid, host_gs, &files, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&files);
    close(out_pipe[1]);
    close(err_pipe[1]);
    if (rc != 0) {
        close(out_pipe[0]);
        close(err_pipe[0]);
        write_message("gswin32c bridge: cannot start /usr/bin/gs\n");
        return 255;
    }
    relay_output(out_pipe[0], err_pipe[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            write_message("gswin32c bridge: lost /usr/bin/gs\n");
            return 255;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 255;
}

/* The Unix side keeps its own working folder; gs must resolve relative names against the Windows one. */
static void follow_current_folder(void) {
    WCHAR current[MAX_PATH * 4];
    DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, current);
    if (n == 0 || n >= MAX_PATH * 4) {
        return;
    }
    char* host = wine_get_unix_file_name(current);
    if (host) {
        if (chdir(host) != 0) {
            write_message("gswin32c bridge: cannot enter the current folder\n");
        }
        HeapFree(GetProcessHeap(), 0, host);
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

    char** out = xmalloc(((size_t)argc + 1) * sizeof(char*));
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
                out[n++] = to_utf8(L"-sDEVICE=ps2write");
            } else if (wstarts(a, L"-sOutputFile=")) {
                size_t prefix = wlen(L"-sOutputFile=");
                char* value = translate_output(a + prefix);
                char* arg = xmalloc(prefix + strlen(value) + 1);
                sprintf(arg, "-sOutputFile=%s", value);
                free(value);
                out[n++] = arg;
            } else {
                out[n++] = to_utf8(a);
            }
        } else if (in_code) {
            out[n++] = to_utf8(a);
        } else if (a[0] == '@' && a[1]) {
            out[n++] = translate_list_argument(a);
        } else {
            out[n++] = translate_input(a);
        }
    }
    out[n] = NULL;

    follow_current_folder();
    int code = run_host_gs(out);
    remove_temp_files();
    for (int i = 1; i < n; i++) {
        free(out[i]);
    }
    free(out);
    return code;
}
