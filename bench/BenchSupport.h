// What the benchmarks share: a stopwatch, medians of repeated runs, number formatting and a
// line per figure. Every figure a benchmark reports is a ratio against a baseline measured in
// the same run, never an absolute time to meet.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
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

}  // namespace kestrover::bench
