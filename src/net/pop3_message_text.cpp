#include "net/pop3_message_text.h"

namespace tw {

namespace {

// Appends one line of a data block, unstuffed, with CR LF.
void appendUnstuffed(std::string &out, std::string_view line)
{
    if (!line.empty() && line.front() == '.')
        line.remove_prefix(1);
    out.append(line);
    out.append("\r\n");
}

} // namespace

std::string messageFromDataBlock(std::string_view block)
{
    std::string message;
    message.reserve(block.size());
    size_t at = 0;
    while (at < block.size()) {
        size_t end = block.find_first_of("\r\n", at);
        const std::string_view line = block.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (end == std::string_view::npos)
            end = block.size();
        else if (block[end] == '\r' && end + 1 < block.size() && block[end + 1] == '\n')
            end += 2;
        else
            end += 1;
        if (line == "." && end == block.size())
            break; // the terminating line
        appendUnstuffed(message, line);
        at = end;
    }
    return message;
}

std::string headerBlockFromLines(const std::vector<std::string> &lines)
{
    std::string block;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (line.empty() || (line == "." && i + 1 == lines.size()))
            break;
        appendUnstuffed(block, line);
    }
    block.append("\r\n");
    return block;
}

} // namespace tw
