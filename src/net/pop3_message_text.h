#pragma once
// A message as a POP3 server delivers it, taken out of the data block that
// carries it: what a user saves or forwards, and what another program reads
// as an .eml file.

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The message carried by Block (a reply to RETR as TagSocket::ReadData
// returns it): the terminating "." line removed, the "." that stuffs every
// line beginning with "." removed, and every line ended by CR LF (a bare LF
// or CR, as a careless server may send, becomes CR LF). A block without its
// terminating line loses nothing.
std::string messageFromDataBlock(std::string_view block);

// The header block of a message from its header lines as the listing keeps
// them (TmsHeaders, still dot-stuffed): every line up to the first empty
// one, unstuffed and ended by CR LF, then the empty line that ends a header
// block. A "." line left at the end by a message without a body is dropped.
std::string headerBlockFromLines(const std::vector<std::string> &lines);

} // namespace tw
