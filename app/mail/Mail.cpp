#include "app/mail/Mail.h"

#include "app/mail/MyMapi.h"

#include "win/AnsiText.h"

using win::ToAnsi;

ULONG SendMail(const MailMessage& message, HWND owner, const std::wstring& cancelText, const MailErrorBox& errorBox,
               MapiLibrary* library) {
    // The strings live until MAPISendMail returns; empty texts are empty strings, never null.
    std::string subject = win::ToAnsi(message.Subject), body = win::ToAnsi(message.Body);
    std::string senderName = win::ToAnsi(message.SenderName), senderAddress = win::ToAnsi(message.SenderAddress);
    std::string recipientName = win::ToAnsi(message.RecipientName),
                recipientAddress = win::ToAnsi(message.RecipientAddress);
    std::string attachmentPath = win::ToAnsi(message.AttachmentPath),
                attachmentName = win::ToAnsi(message.AttachmentName);

    MapiRecipDesc originator{};
    originator.ulRecipClass = MAPI_ORIG;
    originator.lpszName = senderName.data();
    originator.lpszAddress = senderAddress.data();
    MapiRecipDesc recipient{};
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = recipientName.data();
    recipient.lpszAddress = recipientAddress.data();
    MapiFileDesc attachment{};
    attachment.nPosition = static_cast<ULONG>(-1); // not placed in the body text
    attachment.lpszPathName = attachmentPath.data();
    attachment.lpszFileName = attachmentName.data();
    MapiMessage mail{};
    mail.lpszSubject = subject.data();
    mail.lpszNoteText = body.data();
    mail.lpOriginator = &originator;
    mail.nRecipCount = 1;
    mail.lpRecips = &recipient;
    mail.nFileCount = 1;
    mail.lpFiles = &attachment;

    const FLAGS flags = message.ShowDialog ? kMailDialogFlags : 0;
    MapiLibrary& mapi = library ? *library : TheMapiLibrary();
    ULONG result = mapi.SendMail(0, reinterpret_cast<ULONG_PTR>(owner), &mail, flags, 0);
    if (result == MAPI_USER_ABORT) {
        if (errorBox) {
            errorBox(cancelText);
        } else {
            MessageBoxW(owner, cancelText.c_str(), nullptr, MB_OK | MB_ICONERROR);
        }
    }
    return result;
}

std::wstring ServerRecipientName(std::wstring_view base, std::wstring_view marker, int count,
                                 std::wstring_view domain) {
    std::wstring name(base);
    if (!marker.empty()) {
        for (std::size_t round = 0; round < base.size(); ++round) {
            std::size_t at = name.find(marker);
            if (at == std::wstring::npos) {
                break;
            }
            name.erase(at, static_cast<std::size_t>(count < 0 ? 0 : count) + 1);
        }
    }
    return name + std::wstring(domain);
}

std::wstring ServerAttachmentBase(std::wstring_view base, std::wstring_view marker, int count) {
    const wchar_t mark = marker.empty() ? L'X' : marker.front();
    std::size_t at = base.find(mark);
    if (at == std::wstring_view::npos) {
        return {};
    }
    return std::wstring(base.substr(at + 1, static_cast<std::size_t>(count < 0 ? 0 : count)));
}

MailTexts MailTextsFor(std::wstring_view languageChoice) {
    if (languageChoice == L"Deutsch") {
        return {L"Ihre Datei ist fertig!", L"Siehe Anlage."};
    }
    return {L"Your file is finished!", L"see the attached file."};
}
