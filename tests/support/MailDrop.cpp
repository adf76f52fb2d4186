#include "support/MailDrop.h"

#include <regex>

namespace testenv {

std::string Base64Decode(std::string_view text) {
    static const std::string_view digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        std::size_t d = digits.find(c);
        if (d == std::string_view::npos) {
            continue; // line ends and padding
        }
        value = (value << 6) | static_cast<unsigned>(d);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}

std::string MailHeader(const std::string& eml, const std::string& name) {
    std::smatch m;
    std::regex line("(^|\r\n)" + name + ": ([^\r\n]*)");
    return std::regex_search(eml, m, line) ? m[2].str() : "<missing>";
}

std::string MailAttachmentName(const std::string& eml) {
    std::smatch m;
    return std::regex_search(eml, m, std::regex("filename=\"([^\"]*)\"")) ? m[1].str() : "<missing>";
}

std::string MailAttachmentBytes(const std::string& eml) {
    static const std::string_view bodyStart = "Content-Transfer-Encoding: base64\r\n\r\n";
    std::size_t start = eml.find(bodyStart);
    std::size_t end = eml.rfind("--=_ostrel_mapi_boundary--");
    if (start == std::string::npos || end == std::string::npos) {
        return "<missing>";
    }
    start += bodyStart.size();
    return Base64Decode(std::string_view(eml).substr(start, end - start));
}

} // namespace testenv
