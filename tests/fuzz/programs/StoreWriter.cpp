// The writer the crash trials start and kill: stores round after round under one key of one
// crash store, and reports on standard output ('S' before the first write, 'D' after each
// completed one, 'F' after one the store refused) until it is killed.
#include "tests/fuzz/harnesses/CrashStores.hpp"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    auto store = argc == 4 ? fuzzing::crashStoreNamed(argv[1]) : std::nullopt;
    if (!store) {
        std::fprintf(stderr, "usage: kv-store-writer <store> <key> <filler length>\n");
        return 2;
    }
    std::string key = argv[2];
    auto filler = static_cast<std::size_t>(std::strtoul(argv[3], nullptr, 10));
    auto report = [](char what) {
        if (::write(STDOUT_FILENO, &what, 1) != 1) std::_Exit(1);
    };
    report('S');
    for (int round = 1;; ++round) report(fuzzing::writeCrashValue(*store, key, fuzzing::crashValue(round, filler)) ? 'D' : 'F');
}
