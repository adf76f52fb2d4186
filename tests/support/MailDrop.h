#pragma once
// Readers for the messages the MAPI32.DLL stand-in drops as .eml files.
#include <string>
#include <string_view>

namespace testenv {

std::string Base64Decode(std::string_view text);
// The value of a header line of the message; "<missing>" when it has none.
std::string MailHeader(const std::string& eml, const std::string& name);
// The file name and the decoded bytes of the message's attachment; "<missing>" when it has none.
std::string MailAttachmentName(const std::string& eml);
std::string MailAttachmentBytes(const std::string& eml);

} // namespace testenv
