// What the benchmarks share: a stopwatch, medians of repeated runs, number formatting and a
// line per figure. Every figure a benchmark reports is a ratio against a baseline measured in
// the same run, never an absolute time to meet.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace kestrover::bench {

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};

inline double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    std::size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

// 1234567 as "1 234 567".
inline std::string Grouped(unsigned long long number) {
    std::string digits = std::to_string(number);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
        out += digits[i];
    }
    return out;
}

inline std::string Megabytes(double bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / (1024.0 * 1024.0));
    return text;
}

// One measured step: its median time, the times of every run, and its rates.
inline void PrintTiming(const char* name, const std::vector<double>& samples, std::size_t keys,
                        std::size_t values, double fileBytes) {
    double median = Median(samples);
    std::printf("  %-24s %8.3f s   %10.0f keys/s %11.0f values/s", name, median,
                median > 0 ? keys / median : 0.0, median > 0 ? values / median : 0.0);
    if (fileBytes > 0) std::printf("  %7.1f MB/s", median > 0 ? fileBytes / median / 1048576.0 : 0);
    std::printf("   (runs:");
    for (double sample : samples) std::printf(" %.3f", sample);
    std::printf(")\n");
}

// "export / bare walk  2.31x  (target at most 3x): met". True when met.
inline bool PrintRatio(const char* name, double measured, double baseline, double target) {
    double ratio = baseline > 0 ? measured / baseline : 0;
    bool met = ratio <= target;
    std::printf("  %-34s %6.2fx  (target at most %gx): %s\n", name, ratio, target,
                met ? "met" : "MISSED");
    return met;
}

// The command line of a benchmark, read one option at a time.
class Arguments {
public:
    Arguments(int argc, char** argv) : argc_(argc), argv_(argv) {}

    // Moves to the next option; false after the last.
    bool Next() { return ++at_ < argc_; }
    bool Is(const char* option) const { return std::strcmp(argv_[at_], option) == 0; }
    // Takes the number that follows the option; false when there is none.
    bool Number(std::size_t& out) {
        if (at_ + 1 >= argc_) return false;
        out = std::strtoull(argv_[++at_], nullptr, 10);
        return true;
    }
    // Takes the text that follows the option; false when there is none.
    bool Text(std::string& out) {
        if (at_ + 1 >= argc_) return false;
        out = argv_[++at_];
        return true;
    }

private:
    int argc_;
    char** argv_;
    int at_ = 0;
};

// The options every benchmark on a synthetic registry takes: --keys N, --values N,
// --repeat N (above 0) and --check-targets. True when the current option was one of them and
// was complete.
template <typename Options>
bool TakeCommonOption(Arguments& arguments, Options& options) {
    if (arguments.Is("--keys")) return arguments.Number(options.shape.keys);
    if (arguments.Is("--values")) return arguments.Number(options.shape.values);
    if (arguments.Is("--repeat")) {
        std::size_t repeat = 0;
        if (!arguments.Number(repeat) || repeat == 0) return false;
        options.repeat = static_cast<int>(repeat);
        return true;
    }
    if (arguments.Is("--check-targets")) {
        options.checkTargets = true;
        return true;
    }
    return false;
}

}  // namespace kestrover::bench
