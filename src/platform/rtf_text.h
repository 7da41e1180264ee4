#pragma once
// The readable text of a document in rich text format (RTF): its characters,
// paragraph ends as line feeds and tabs, with control words, groups that are
// not text (font, colour and style tables, pictures, document information,
// "\*" destinations) and formatting left out. Characters given as "\'hh"
// (Windows-1252) or "\uN" come back as UTF-8. A document that does not begin
// with "{\rtf" is returned as it is, so plain-text notes show unchanged.

#include <string>
#include <string_view>

namespace tw {

std::string rtfToText(std::string_view document);

} // namespace tw
