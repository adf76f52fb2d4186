#pragma once
// Small PDF files written by hand for tests, and counts read back from what a tool made of them.
#include <cstddef>
#include <string>
#include <vector>

namespace testenv {

// A PDF with one line of text per page; `padding` bytes of drawing that changes nothing make it larger.
std::string MakePdf(const std::vector<std::string>& pageTexts, std::size_t padding = 0);
// How many pages the PDF has, and how many of them draw a form (the stamped background).
int CountPages(const std::string& pdf);
int CountDrawnForms(const std::string& pdf);

} // namespace testenv
