#pragma once
// Shared pieces of the fuzz targets. Each target defines
// LLVMFuzzerTestOneInput; the same source is linked with libFuzzer's main for
// fuzzing (make fuzz) and with replay_main.cpp for the everyday test run,
// which feeds it every saved seed and reproducer once.

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace tw::fuzz {

// The application object the Qt parts need (event loop, sockets); made once.
inline void ensureQtApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// A file holding the input, in a folder that lives as long as the process
// (in memory where the system offers it, so that fuzzing is not disk-bound).
inline std::string inputAsFile(const uint8_t *data, size_t size, const char *name)
{
    static QTemporaryDir folder(QStringLiteral("/dev/shm/tidewell-fuzz-XXXXXX"));
    static QTemporaryDir fallback;
    const QString base = folder.isValid() ? folder.path() : fallback.path();
    const std::string path = base.toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char *>(data),
                                                                  std::streamsize(size));
    return path;
}

inline std::string inputAsText(const uint8_t *data, size_t size)
{
    return std::string(reinterpret_cast<const char *>(data), size);
}

} // namespace tw::fuzz
