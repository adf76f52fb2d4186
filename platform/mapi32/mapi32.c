/*
 * MAPI32.DLL for machines without a mail client: MAPISendMail writes each message as an .eml file into a drop
 * folder, so that users and tests can read what was sent.
 *
 *   OSTREL_MAIL_DROP=<folder>   where the messages go (default: the folder of this DLL); files mail-0001.eml, ...
 *   OSTREL_MAPI_RESULT=<n>      answer n instead of sending (default 0: send)
 *
 * An attachment that cannot be read answers MAPI_E_ATTACHMENT_NOT_FOUND, as a mail client does. Attachments are
 * copied into the message at once: the caller may delete the file as soon as the send succeeded.
 */
#include <windows.h>

#include <mapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HMODULE this_module;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        this_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

/* A growing byte buffer for the message. */
typedef struct {
    char* data;
    size_t size, capacity;
    int failed;
} Buffer;

static void put_bytes(Buffer* b, const char* data, size_t n) {
    if (b->failed) {
        return;
    }
    if (b->size + n > b->capacity) {
        size_t capacity = b->capacity ? b->capacity : 4096;
        while (capacity < b->size + n) {
            capacity *= 2;
        }
        char* grown = realloc(b->data, capacity);
        if (!grown) {
            b->failed = 1;
            return;
        }
        b->data = grown;
        b->capacity = capacity;
    }
    memcpy(b->data + b->size, data, n);
    b->size += n;
}

static void put(Buffer* b, const char* text) { put_bytes(b, text, strlen(text)); }

static const char* text_or_empty(const char* s) { return s ? s : ""; }

/* A header value stays on its line. */
static void put_header_text(Buffer* b, const char* s) {
    for (s = text_or_empty(s); *s; s++) {
        char c = (*s == '\r' || *s == '\n') ? ' ' : *s;
        put_bytes(b, &c, 1);
    }
}

static void put_address(Buffer* b, const char* field, const MapiRecipDesc* who) {
    put(b, field);
    put(b, ": ");
    if (who) {
        put_header_text(b, who->lpszName);
        put(b, " <");
        put_header_text(b, who->lpszAddress);
        put(b, ">");
    }
    put(b, "\r\n");
}

static void put_base64(Buffer* b, const unsigned char* data, size_t n) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    size_t column = 0;
    for (size_t i = 0; i < n; i += 3) {
        unsigned v = (unsigned)data[i] << 16;
        if (i + 1 < n) {
            v |= (unsigned)data[i + 1] << 8;
        }
        if (i + 2 < n) {
            v |= data[i + 2];
        }
        char out[4] = {digits[(v >> 18) & 63], digits[(v >> 12) & 63], i + 1 < n ? digits[(v >> 6) & 63] : '=',
                       i + 2 < n ? digits[v & 63] : '='};
        put_bytes(b, out, 4);
        column += 4;
        if (column == 76) {
            put(b, "\r\n");
            column = 0;
        }
    }
    if (column) {
        put(b, "\r\n");
    }
}

static int read_file(const char* path, unsigned char** data, size_t* size) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        return 0;
    }
    LARGE_INTEGER length;
    int ok = GetFileSizeEx(h, &length) && length.QuadPart < 0x40000000;
    *size = ok ? (size_t)length.QuadPart : 0;
    *data = ok ? malloc(*size ? *size : 1) : NULL;
    DWORD got = 0;
    ok = ok && *data && (*size == 0 || (ReadFile(h, *data, (DWORD)*size, &got, NULL) && got == *size));
    CloseHandle(h);
    if (!ok) {
        free(*data);
        *data = NULL;
    }
    return ok;
}

static ULONG forced_result(void) {
    char text[32];
    DWORD n = GetEnvironmentVariableA("OSTREL_MAPI_RESULT", text, sizeof text);
    if (n == 0 || n >= sizeof text) {
        return SUCCESS_SUCCESS;
    }
    return (ULONG)strtoul(text, NULL, 0);
}

static void drop_folder(char* folder, size_t size) {
    DWORD n = GetEnvironmentVariableA("OSTREL_MAIL_DROP", folder, (DWORD)size);
    if (n == 0 || n >= size) {
        n = GetModuleFileNameA(this_module, folder, (DWORD)size);
        char* slash = strrchr(folder, '\\');
        if (slash) {
            slash[0] = 0;
        }
    }
}

/* The next free mail-NNNN.eml; creating it with CREATE_NEW keeps two senders from sharing a name. */
static int write_message(const Buffer* b) {
    char folder[MAX_PATH * 2], path[MAX_PATH * 2 + 32];
    drop_folder(folder, sizeof folder);
    for (unsigned i = 1; i < 100000; i++) {
        snprintf(path, sizeof path, "%s\\mail-%04u.eml", folder, i);
        HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) {
                continue;
            }
            return 0;
        }
        DWORD done = 0;
        BOOL ok = WriteFile(h, b->data, (DWORD)b->size, &done, NULL) && done == b->size;
        CloseHandle(h);
        return ok;
    }
    return 0;
}

__declspec(dllexport) ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR ui_param, lpMapiMessage message,
                                                FLAGS flags, ULONG reserved) {
    (void)session;
    (void)reserved;
    ULONG forced = forced_result();
    if (forced != SUCCESS_SUCCESS) {
        return forced;
    }
    if (!message) {
        return MAPI_E_FAILURE;
    }
    static const char boundary[] = "=_ostrel_mapi_boundary";
    char line[128];
    Buffer b = {0};
    put_address(&b, "From", message->lpOriginator);
    for (ULONG i = 0; i < message->nRecipCount; i++) {
        const MapiRecipDesc* r = &message->lpRecips[i];
        put_address(&b, r->ulRecipClass == MAPI_CC ? "Cc" : r->ulRecipClass == MAPI_BCC ? "Bcc" : "To", r);
    }
    put(&b, "Subject: ");
    put_header_text(&b, message->lpszSubject);
    put(&b, "\r\n");
    snprintf(line, sizeof line, "X-MAPI-Flags: 0x%08lX\r\nX-MAPI-UIParam: %s\r\n", (unsigned long)flags,
             ui_param ? "window" : "none");
    put(&b, line);
    put(&b, "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"");
    put(&b, boundary);
    put(&b, "\"\r\n\r\n--");
    put(&b, boundary);
    put(&b, "\r\nContent-Type: text/plain; charset=windows-1252\r\nContent-Transfer-Encoding: 8bit\r\n\r\n");
    put(&b, text_or_empty(message->lpszNoteText));
    put(&b, "\r\n");
    for (ULONG i = 0; i < message->nFileCount; i++) {
        const MapiFileDesc* f = &message->lpFiles[i];
        unsigned char* data = NULL;
        size_t size = 0;
        if (!f->lpszPathName || !read_file(f->lpszPathName, &data, &size)) {
            free(b.data);
            return MAPI_E_ATTACHMENT_NOT_FOUND;
        }
        const char* name = f->lpszFileName && *f->lpszFileName ? f->lpszFileName : f->lpszPathName;
        put(&b, "--");
        put(&b, boundary);
        put(&b, "\r\nContent-Type: application/octet-stream; name=\"");
        put_header_text(&b, name);
        put(&b, "\"\r\nContent-Disposition: attachment; filename=\"");
        put_header_text(&b, name);
        snprintf(line, sizeof line, "\"\r\nX-MAPI-Position: %ld\r\nX-MAPI-Path: ", (long)f->nPosition);
        put(&b, line);
        put_header_text(&b, f->lpszPathName);
        put(&b, "\r\nContent-Transfer-Encoding: base64\r\n\r\n");
        put_base64(&b, data, size);
        free(data);
    }
    put(&b, "--");
    put(&b, boundary);
    put(&b, "--\r\n");
    ULONG result = (!b.failed && write_message(&b)) ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
    free(b.data);
    return result;
}
