#pragma once
// Sending one converted file as a mail through Simple MAPI, and what the post-processing derives for it: the
// recipient in server mode, the attachment's name, the subject and body texts.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

class MapiLibrary;

// The arguments of SendMail, in the order the post-processing supplies them.
struct MailMessage {
    std::wstring Subject;
    std::wstring Body;
    std::wstring SenderName;
    std::wstring SenderAddress;
    std::wstring RecipientName;
    std::wstring RecipientAddress;
    std::wstring AttachmentPath; // full path of the file to attach
    std::wstring AttachmentName; // name under which the recipient sees it
    bool ShowDialog = false;     // the mail client's compose window (MAPI_LOGON_UI | MAPI_NEW_SESSION | MAPI_DIALOG)
};

inline constexpr ULONG kMailDialogFlags = 0x0B;

// Shows the text of MESSAGE1 when the send was cancelled (or no mail client is there). The main window wires its
// message-box funnel in; without one a plain error box owned by `owner` is shown.
using MailErrorBox = std::function<void(const std::wstring& text)>;

// Sends the message through `library` (the program's "MAPI32.DLL" by default) with session 0 and `owner` as UI
// parameter. Returns the MAPISendMail result, which the caller keeps as the last mail result; on 1 the error box
// gets `cancelText` (MESSAGE1). Texts travel as ANSI code page strings, as Simple MAPI takes them.
ULONG SendMail(const MailMessage& message, HWND owner, const std::wstring& cancelText, const MailErrorBox& errorBox,
               MapiLibrary* library = nullptr);

// What the post-processing derives. `base` is the output file's name without extension; `marker` the one-character
// end marker (MailUserNameEnd), `count` the number of characters after it (MailUserNameDigits), `domain` the
// MailDomain text.

// Server mode recipient: every occurrence of the marker is cut out with the `count` characters behind it, then the
// domain is appended. An empty marker cuts nothing.
std::wstring ServerRecipientName(std::wstring_view base, std::wstring_view marker, int count, std::wstring_view domain);
// Server mode attachment base: the `count` characters behind the first occurrence of the marker ("X" when
// empty); empty when the marker does not occur.
std::wstring ServerAttachmentBase(std::wstring_view base, std::wstring_view marker, int count);

struct MailTexts {
    std::wstring Subject;
    std::wstring Body;
};
// German texts when the language choice is "Deutsch", English otherwise.
MailTexts MailTextsFor(std::wstring_view languageChoice);
