#pragma once
// A safe plain-text reading of an HTML document, for showing HTML mail:
// tags are dropped (paragraphs, line breaks, table rows and list items
// become line breaks), script and style contents left out, character
// references decoded, white space folded as a browser folds it (kept in
// <pre> and after the closing </html>, where mailing lists add their
// footers), and every link written out as text after its label: "label
// <http://...>". Images show as "[image: alt text]". Nothing is fetched,
// nothing is run: the result is only text. Input and output are UTF-8; the
// work is linear in the input, whatever it holds.

#include <string>
#include <string_view>

namespace tw {

std::string htmlToText(std::string_view html);

} // namespace tw
