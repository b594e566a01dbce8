// replay_main.cpp: a fuzzer's checks over its seed corpus without libFuzzer, so that the ordinary
// test run (ctest, and the sanitizer build's) holds every seed to the fuzzer's model.
// Usage: replay_<fuzzer> DIR...; each file is one input, and a failed check aborts the program.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv) {
    int inputs = 0;
    for (int i = 1; i < argc; i++) {
        for (const auto &entry : std::filesystem::directory_iterator(argv[i])) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            inputs++;
        }
    }
    std::printf("%d seed inputs checked\n", inputs);
    return inputs > 0 ? 0 : 1;
}
