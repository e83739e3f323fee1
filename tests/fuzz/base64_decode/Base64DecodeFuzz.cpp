// The Base64 decoder of the file fetch. Input: text as the gateway's "data" element may hold
// it. Decoding never yields more than three bytes for every four alphabet characters, and the
// same input read as file bytes comes back whole from the simulated gateway's encoding.

#include <algorithm>
#include <string>

#include "Encoding.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "transfer/Base64.h"

namespace {

bool InAlphabet(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = FuzzText(data, size);
    const auto digits =
        static_cast<std::size_t>(std::count_if(text.begin(), text.end(), InAlphabet));
    FuzzCheck(DecodeBase64(text).size() <= digits * 3 / 4,
              "at most three bytes for every four characters of the alphabet");
    FuzzCheck(DecodeBase64(EncodeBase64Lines(text)) == text,
              "decoding what the gateway encodes gives the file's bytes");
    return 0;
}
