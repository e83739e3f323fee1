#include "model/SignalCsvWriter.h"

#include <cerrno>

#include "transfer/WholeFileWrite.h"

namespace {

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

int SignalCsvWriter::SaveTo(const std::string& path) const {
    if (!file_)
        return EIO;
    return WriteWholeFileFrom(path, fileno(file_.get()));
}
