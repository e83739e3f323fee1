#include "model/SignalCsvWriter.h"

#include <unistd.h>

#include <array>
#include <fstream>

namespace {

constexpr std::size_t kCopyChunkBytes = 65536;

// Values with a comma ("Registered, home network") are quoted.
std::string CsvField(const std::string& value) {
    return value.find(',') == std::string::npos ? value : '"' + value + '"';
}

std::string OptionalNumber(const std::optional<int>& value) {
    return value ? std::to_string(*value) : std::string();
}

bool WriteText(std::FILE* file, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
}

}  // namespace

std::string SignalCsvHeader() {
    return "time,csq,dbm,registration\n";
}

std::string SignalCsvRow(const SignalSample& sample) {
    const std::string state = sample.lost ? "No answer" : sample.RegistrationText();
    return IsoUtcTime(sample.unixMs) + ',' + OptionalNumber(sample.csq) + ',' +
           OptionalNumber(sample.Dbm()) + ',' + CsvField(state) + '\n';
}

SignalCsvWriter::SignalCsvWriter() : file_(std::tmpfile()) {
    if (file_ && !WriteText(file_.get(), SignalCsvHeader()))
        file_.reset();
}

bool SignalCsvWriter::Write(const SignalSample& sample) {
    return file_ && WriteText(file_.get(), SignalCsvRow(sample));
}

bool SignalCsvWriter::SaveTo(const std::string& path) const {
    if (!file_)
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::array<char, kCopyChunkBytes> chunk{};
    const int fd = fileno(file_.get());
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, chunk.data(), chunk.size(), offset);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        out.write(chunk.data(), got);
        offset += got;
    }
    out.close();
    return out.good();
}
