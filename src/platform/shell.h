#pragma once
// Shell services: open a document or an address with the desktop's handler,
// start a program with an argument list (never through a shell command line).
// Tests install a recording double; the desktop implementation
// (QDesktopServices) lives in platform/ui and is registered at start-up.

#include <QStringList>

#include <string>
#include <vector>

namespace tw {

class Shell {
public:
    virtual ~Shell() = default;
    // Each returns false when the desktop reports failure.
    virtual bool openDocument(const std::string &path) = 0;   // a local file
    virtual bool openUrl(const std::string &url) = 0;         // http:, mailto:, ...
    virtual bool startProgram(const std::string &program, const std::vector<std::string> &arguments) = 0;

    static Shell &current();
    static void install(Shell *replacement); // a test's double; nullptr removes it; not owned
    static void setDesktop(Shell *desktop);  // the desktop's shell; nullptr removes it; not owned
};

// Arguments as the process starter takes them (local 8-bit encoding).
QStringList toArgumentList(const std::vector<std::string> &arguments);

// Without a desktop session: documents and addresses are handed to
// xdg-open, programs are started directly; both with argument lists.
class ProcessShell : public Shell {
public:
    bool openDocument(const std::string &path) override;
    bool openUrl(const std::string &url) override;
    bool startProgram(const std::string &program, const std::vector<std::string> &arguments) override;
};

// Test double: records "open: path", "url: ...", "start: program arg..." and
// answers with Succeed.
class RecordingShell : public Shell {
public:
    RecordingShell() { install(this); }
    ~RecordingShell() override { install(nullptr); }
    std::vector<std::string> calls;
    bool succeed = true;
    bool openDocument(const std::string &path) override;
    bool openUrl(const std::string &url) override;
    bool startProgram(const std::string &program, const std::vector<std::string> &arguments) override;
};

} // namespace tw
