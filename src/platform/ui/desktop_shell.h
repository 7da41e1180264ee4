#pragma once
// The desktop's shell: documents and addresses open with the user's chosen
// handler (QDesktopServices); programs start as the process shell starts them.

#include "platform/shell.h"

namespace tw {

class DesktopShell : public ProcessShell {
public:
    bool openDocument(const std::string &path) override;
    bool openUrl(const std::string &url) override;
};

} // namespace tw
