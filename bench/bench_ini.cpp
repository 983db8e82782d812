// Reading a long profile list: `count=1000` names in a 5 MB kbProfile.ini, every name read as the
// profile panel reads them at start. The file is two seconds old before the first read, as a list
// written in an earlier run is; the first pass parses it, the others find it parsed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>

#include "profile/IniFile.h"
#include "support/TestSupport.h"

namespace {

struct BigList {
    testsupport::TempDir dir;
    std::string path = dir.file("kbProfile.ini");

    BigList() {
        std::string text = "[PROFILECOUNT]\ncount=1000\n[PROFILENAME]\n";
        for (int i = 0; i < 1000; ++i) text += std::to_string(i) + "=profile " + std::to_string(i) + "\n";
        text += "[FILLER]\n";
        for (int i = 0; text.size() < 5u * 1024 * 1024; ++i) text += "k" + std::to_string(i) + "=" + std::string(80, 'x') + "\n";
        testsupport::writeFile(path, text);
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    }
};

BigList& list() {
    static BigList* l = new BigList;
    return *l;
}

void BM_ReadThousandNamesOfAFiveMegabyteList(benchmark::State& state) {
    const std::string& path = list().path;
    for (auto _ : state) {
        const int count = readIniInt(path, "PROFILECOUNT", "count");
        size_t bytes = 0;
        for (int i = 0; i < count; ++i) bytes += readIniString(path, "PROFILENAME", std::to_string(i), "").size();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ReadThousandNamesOfAFiveMegabyteList)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
