#include "net/stringtable.h"

#include <map>

namespace tw {

static const std::map<int, const char *> &table()
{
    static const std::map<int, const char *> texts = {
        {57000, "Operation timed out"},
        {57001, "Operation has been canceled"},
        {57002, "Server property is required"},
        {57003, "Invalid Winsock version"},
        {57004, "Error resolving remote host"},
        {57005, "Service name is required"},
        {57007, "Invalid URL"},
        {57008, "You have to connect to the server first"},
        {57010, "Function %s not found"},
        {57011, "Winsock is not loaded"},
        {57012, "Winsock not found"},
        {57014, "Server returned invalid reply"},
        {57015, "IDs in the query and response are different"},
        {57016, "This is not a response"},
        {57017, "Domain server was unable to interpret a query"},
        {57018, "Domain server failure"},
        {57019, "Domain name does not exist"},
        {57020, "Not implemented"},
        {57021, "Domain server refused to return the information"},
        {57030, "Server reply line is too long"},
        {57031, "Connection closed by the server before the data was complete"},
        {57032, "Server reply is larger than allowed"},
        {57100, "The address of sender is required"},
        {57101, "At least one Recipient, CC or BCC must be entered"},
        {57103, "UserName property is required"},
        {57104, "Password property is required"},
        {57108, "Missing required field: Content-Type"},
        {57109, "Cannot find closing boundary"},
        {57110, "Cannot find boundary"},
        {57111, "Error decoding the attachment"},
    };
    return texts;
}

std::string loadStr(int id)
{
    const auto it = table().find(id);
    return it == table().end() ? std::string() : std::string(it->second);
}

std::string errorText(int code)
{
    std::string text = loadStr(code);
    return text.empty() ? "Error #" + std::to_string(code) : text;
}

} // namespace tw
