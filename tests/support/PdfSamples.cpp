#include "support/PdfSamples.h"

#include <cstdio>
#include <iterator>
#include <regex>

namespace testenv {

namespace {

std::size_t Matches(const std::string& text, const std::regex& pattern) {
    return static_cast<std::size_t>(
        std::distance(std::sregex_iterator(text.begin(), text.end(), pattern), std::sregex_iterator()));
}

} // namespace

std::string MakePdf(const std::vector<std::string>& pageTexts, std::size_t padding) {
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", "",
                                        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    std::string kids;
    for (const auto& text : pageTexts) {
        std::string content = "BT /F1 24 Tf 72 700 Td (" + text + ") Tj ET";
        // Drawing operations that change nothing on the page, to give the file a size.
        for (std::size_t i = 0; i < padding / 8; ++i) {
            content += "\nq Q q Q";
        }
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> "
                          ">> /Contents " +
                          std::to_string(objects.size()) + " 0 R >>");
        kids += std::to_string(objects.size()) + " 0 R ";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pageTexts.size()) + " >>";
    std::string pdf = "%PDF-1.4\n";
    std::string xref = "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t i = 0; i < objects.size(); ++i) {
        char entry[32];
        snprintf(entry, sizeof entry, "%010zu 00000 n \n", pdf.size());
        xref += entry;
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    std::size_t start = pdf.size();
    pdf += xref + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(start) + "\n%%EOF\n";
    return pdf;
}

int CountPages(const std::string& pdf) {
    return static_cast<int>(Matches(pdf, std::regex(R"(/Type\s*/Page[^s])")));
}

int CountDrawnForms(const std::string& pdf) {
    return static_cast<int>(Matches(pdf, std::regex(R"(/XObject)")));
}

} // namespace testenv
