// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target once over every file it is given (or every file in the folders it is given), so the
// committed corpus is a regression test under any compiler and any sanitizer, without libFuzzer.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

int replayFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << path << '\n';
        return 1;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // An empty file still gets a valid pointer, as libFuzzer gives one.
    static const std::uint8_t nothing = 0;
    const auto *data = bytes.empty() ? &nothing : reinterpret_cast<const std::uint8_t *>(bytes.data());
    LLVMFuzzerTestOneInput(data, bytes.size());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    int failures = 0;
    int replayed = 0;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto &arg : args) {
        const std::filesystem::path path(arg);
        if (std::filesystem::is_directory(path)) {
            for (const auto &entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    failures += replayFile(entry.path());
                    ++replayed;
                }
            }
        } else {
            failures += replayFile(path);
            ++replayed;
        }
    }
    std::cout << "replayed " << replayed << " inputs\n";
    // A run that found nothing to replay proves nothing: treat a missing corpus as a failure.
    return failures == 0 && replayed > 0 ? 0 : 1;
}
