#include "bench/BenchConfig.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bh::bench {

namespace {

void AddNames(const std::string& list, std::set<std::string>& names) {
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        if (comma > start) {
            names.insert(list.substr(start, comma - start));
        }
        start = comma + 1;
    }
}

}  // namespace

bool ParseConfig(int argc, char** argv, Config& config) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--quick") {
            config.quick = true;
        } else if (arg == "--runs" && hasValue) {
            config.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--only" && hasValue) {
            AddNames(argv[++i], config.only);
        } else if (arg == "--cli" && hasValue) {
            config.cli = argv[++i];
        } else if (arg == "--stat-loop" && hasValue) {
            config.statLoop = argv[++i];
        } else if (arg == "--save-bytes" && hasValue) {
            config.saveBytes = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: %s [--quick] [--runs N] [--only a,b] [--cli PATH] "
                         "[--stat-loop PATH] [--save-bytes PATH]\n",
                         argv[0]);
            return false;
        }
    }
    return true;
}

}  // namespace bh::bench
