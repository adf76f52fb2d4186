/*
 * What the winelib bridges share: a Windows console process that runs a host program with translated paths,
 * relays its output to the caller's Win32 handles and exits with its code.
 */
#ifndef OSTREL_WINEBRIDGE_H
#define OSTREL_WINEBRIDGE_H

#include <windows.h>

/* Our own messages, on the caller's standard error handle. */
void wb_message(const char* text);
void* wb_malloc(size_t n);
char* wb_to_utf8(const WCHAR* s);
/* Host path of a Windows path (relative ones against the current folder), or NULL when Wine cannot map it. */
char* wb_unix_path(const WCHAR* windows_path);
/* The host side keeps its own working folder; relative names must resolve against the Windows one. */
void wb_follow_current_folder(void);
/* Runs program with argv (argv[0] included), relays its standard output and error, returns its exit code
   (255 when it cannot be started). The host program is killed when this process ends, however it ends. */
int wb_run_host(const char* program, char** argv);

#endif
