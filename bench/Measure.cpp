#include "bench/Measure.h"

#include <algorithm>

namespace bh::bench {

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void PrintBench(const BenchLine& line) {
    const double ratio = line.baseline > 0 ? line.measured / line.baseline : 0;
    std::printf("BENCH %s measured=%.4g%s baseline=%.4g%s ratio=%.3f target=%.3g\n",
                line.name.c_str(), line.measured, line.unit.c_str(), line.baseline,
                line.unit.c_str(), ratio, line.target);
    std::fflush(stdout);
}

std::vector<double> Interleaved(int runs, const std::vector<std::function<double()>>& steps) {
    std::vector<std::vector<double>> samples(steps.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t step = 0; step < steps.size(); ++step) {
            samples[step].push_back(steps[step]());
        }
    }
    std::vector<double> medians;
    for (const auto& values : samples) {
        medians.push_back(Median(values));
    }
    return medians;
}

}  // namespace bh::bench
