#pragma once
// The program's message texts with identifiers 57000..57118.

#include <string>

namespace tw {

// The text with Id, or "" when the table has none.
std::string loadStr(int id);

// The text for an error Code: the table's text, or "Error #" + Code when the
// table has none (socket error numbers have no texts of their own).
std::string errorText(int code);

} // namespace tw
