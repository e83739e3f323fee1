#include "Transcript.h"

#include <fcntl.h>

#include <cstdio>

namespace {

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace

bool Transcript::Open(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    file_.Reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file_.IsOpen()) {
        return false;
    }
    WriteAll(file_.Get(), "r7sim transcript 1\n");
    return true;
}

void Transcript::Record(std::string_view kind, std::string_view bytes) {
    if (!file_.IsOpen()) {
        return;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    char header[96];
    std::snprintf(header, sizeof header, "%.6f %.*s %zu\n", elapsed.count(),
                  static_cast<int>(kind.size()), kind.data(), bytes.size());
    std::string record = header;
    record.append(bytes);
    record += '\n';
    WriteAll(file_.Get(), record);
}
