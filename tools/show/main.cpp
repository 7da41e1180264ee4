// tidewell-show: shows offline what "View body of one message" shows. Loads
// one message as the POP3 client saves it (msg_N.eml; "-" for standard
// input), decodes it as the program does and prints the body in UTF-8, all
// of it (an HTML body read as plain text; with --source, as written; with
// --headers, first the header block and an empty line), then the line
// "Attachments: N" and one line per attachment: file name, content type,
// encoding and decoded size in bytes, separated by tabs.

#include "net/errors.h"
#include "net/message_text.h"
#include "net/msmsg.h"
#include "net/pop3_limits.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

using namespace tw;

namespace {

constexpr int kBadUsage = 2;
constexpr const char *kUsage = "usage: tidewell-show [--headers] [--source] FILE\n"
                               "  FILE       a message as the program saves it (\"-\" for standard input)\n"
                               "  --headers  print the header block before the body\n"
                               "  --source   print an HTML body as written, not read as text\n";

struct Options {
    bool headers = false;
    bool source = false;
    std::string file;
};

bool parseOptions(const std::vector<std::string> &arguments, Options &options, std::string &error)
{
    for (const std::string &argument : arguments) {
        if (argument == "--headers") {
            options.headers = true;
        } else if (argument == "--source") {
            options.source = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return false;
        } else if (!options.file.empty()) {
            error = "only one FILE can be shown";
            return false;
        } else {
            options.file = argument;
        }
    }
    if (options.file.empty())
        error = "no FILE given";
    return error.empty();
}

void print(const std::string &text) { std::fwrite(text.data(), 1, text.size(), stdout); }

} // namespace

// Standard input, read as it comes (a pipe is what "-" is for), up to the
// size of one message file.
static std::string standardInput()
{
    std::string bytes;
    char buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) {
        bytes.append(buffer, got);
        if (bytes.size() > size_t(pop3::kMaxMessageFileBytes))
            throw ETidewellError("Standard input holds more than one message can be.");
    }
    return bytes;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv); // the file-type table of the attachments lives in Qt

    Options options;
    std::string error;
    if (!parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "tidewell-show: %s\n%s", error.c_str(), kUsage);
        return kBadUsage;
    }
    TmsMessage message;
    try {
        if (options.file == "-")
            message.LoadFromStream(standardInput());
        else
            message.LoadFromFile(options.file);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tidewell-show: %s\n", e.what());
        return kBadUsage;
    }

    std::string out;
    if (options.headers) {
        for (const std::string_view line : message.Headers.Lines())
            out.append(line).append("\n");
        out += "\n";
    }
    const TShownMessage shown = shownMessage(message, options.file, TShowLimits::none());
    const std::string &body = options.source && shown.html ? shown.source : shown.text;
    if (!body.empty())
        out += body + "\n";
    out += "Attachments: " + std::to_string(message.Attachments.Count()) + "\n";
    for (int i = 0; i < message.Attachments.Count(); ++i) {
        const TmsAttItem &item = message.Attachments.Items(i);
        out += item.FileName() + "\t" + item.ContentType() + "\t" + attEncodingName(item.Encoding) + "\t" +
               std::to_string(item.Contents.size()) + "\n";
    }
    print(out);
    return 0;
}
