#define _GNU_SOURCE /* pipe2 */
#include "winebridge.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

void wb_message(const char* text) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD done = 0;
    if (err && err != INVALID_HANDLE_VALUE) {
        WriteFile(err, text, (DWORD)strlen(text), &done, NULL);
    }
}

void* wb_malloc(size_t n) {
    void* p = malloc(n ? n : 1);
    if (!p) {
        wb_message("bridge: out of memory\n");
        ExitProcess(255);
    }
    return p;
}

char* wb_to_utf8(const WCHAR* s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, NULL, 0, NULL, NULL);
    char* r = wb_malloc(n > 0 ? (size_t)n : 1);
    if (n <= 0 || !WideCharToMultiByte(CP_UTF8, 0, s, -1, r, n, NULL, NULL)) {
        r[0] = 0;
    }
    return r;
}

char* wb_unix_path(const WCHAR* windows_path) {
    WCHAR full[MAX_PATH * 4];
    DWORD n = GetFullPathNameW(windows_path, MAX_PATH * 4, full, NULL);
    if (n == 0 || n >= MAX_PATH * 4) {
        return NULL;
    }
    char* mapped = wine_get_unix_file_name(full);
    if (!mapped) {
        return NULL;
    }
    char* r = wb_malloc(strlen(mapped) + 1);
    strcpy(r, mapped);
    HeapFree(GetProcessHeap(), 0, mapped);
    return r;
}

void wb_follow_current_folder(void) {
    WCHAR current[MAX_PATH * 4];
    DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, current);
    if (n == 0 || n >= MAX_PATH * 4) {
        return;
    }
    char* host = wine_get_unix_file_name(current);
    if (host) {
        if (chdir(host) != 0) {
            wb_message("bridge: cannot enter the current folder\n");
        }
        HeapFree(GetProcessHeap(), 0, host);
    }
}

static void write_all(HANDLE target, const char* data, size_t size) {
    while (size > 0 && target && target != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        if (!WriteFile(target, data, (DWORD)size, &done, NULL) || done == 0) {
            return; /* the reader is gone: keep draining, drop the text */
        }
        data += done;
        size -= done;
    }
}

/* Wine gives a process in a new console /dev/null as its Unix standard output whatever the caller passed, so the
   child writes into Unix pipes and every chunk goes on to the matching Win32 handle. */
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

int wb_run_host(const char* program, char** argv) {
    int out_pipe[2], err_pipe[2];
    if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) {
        wb_message("bridge: cannot create pipes\n");
        return 255;
    }
    /* The host program must not outlive this process: when the caller ends it (a job that closes, a program that
       is shut down), the host program is killed with it. Only a forked child can ask for that before its exec, so
       between fork and exec it makes async-signal-safe calls alone. */
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) {
            _exit(255);
        }
        /* Wine blocks and redirects signals for its own threads; the host program starts with the defaults. */
        sigset_t none;
        sigemptyset(&none);
        for (int sig = 1; sig < NSIG; sig++) {
            if (sig != SIGKILL && sig != SIGSTOP) {
                signal(sig, SIG_DFL);
            }
        }
        sigprocmask(SIG_SETMASK, &none, NULL);
        if (dup2(out_pipe[1], 1) < 0 || dup2(err_pipe[1], 2) < 0) {
            _exit(255);
        }
        execve(program, argv, environ);
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    if (pid < 0) {
        close(out_pipe[0]);
        close(err_pipe[0]);
        wb_message("bridge: cannot start the host program\n");
        return 255;
    }
    relay_output(out_pipe[0], err_pipe[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            wb_message("bridge: lost the host program\n");
            return 255;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 255;
}
