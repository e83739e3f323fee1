#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "DocumentScanner.h"

namespace {

constexpr std::size_t kRead = 4096;  // what one read of the port brings
constexpr int kRounds = 10;          // the fast cases take too little time to time once

// CPU seconds the scanner spends on `size` bytes that never finish the
// construct `opening` begins, fed one read at a time as the port delivers them.
double ScanSeconds(std::string_view opening, std::size_t size) {
    std::string input = "<rci_request version='1.1'>" + std::string(opening);
    input.resize(size, 'x');
    const std::clock_t start = std::clock();
    for (int round = 0; round < kRounds; ++round) {
        DocumentScanner scanner;
        for (std::size_t length = kRead; length - kRead < input.size(); length += kRead) {
            if (scanner.Scan(std::string_view(input).substr(0, length)) !=
                DocumentScanner::Result::NeedMore) {
                std::printf("unexpected end of document\n");
            }
        }
    }
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC / kRounds;
}

}  // namespace

int main() {
    constexpr std::size_t kMiB = 1024 * 1024;
    for (const char* opening : {"<set_setting ", "<set_setting attr='", "<!-- ", "<![CDATA["}) {
        const double small = ScanSeconds(opening, 4 * kMiB);
        const double large = ScanSeconds(opening, 16 * kMiB);
        std::printf("%-20s 4 MiB %.4f s  16 MiB %.4f s  ratio %.2f (linear: 4)\n", opening, small,
                    large, small > 0 ? large / small : 0.0);
    }
    return 0;
}
