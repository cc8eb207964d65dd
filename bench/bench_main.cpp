// Runs every benchmark figure and prints them as one table. Not a test: the
// figures depend on the machine; scripts/bench runs it natively and under Wine.
//
// usage: ravelin_bench [--idle-seconds N] [--item-bytes N] [--paced-bytes N] [--verbose]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "figures.h"
#include "support/simulated_phone.h"

namespace bench {

double NowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

std::string Format(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

namespace {

#if defined(_WIN32)
constexpr char kPlatform[] = "Wine (32-bit Windows build)";
#else
constexpr char kPlatform[] = "native (Linux)";
#endif

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--verbose") {
            options.verbose = true;
        } else if (option == "--idle-seconds" && hasValue) {
            options.idleSeconds = std::max(1, std::atoi(argv[++i]));
        } else if (option == "--item-bytes" && hasValue) {
            options.itemBytes = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (option == "--paced-bytes" && hasValue) {
            options.pacedBytes = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            return false;
        }
    }
    return true;
}

void Print(const std::vector<Figure>& figures) {
    std::printf("\n%s\n\n", kPlatform);
    std::printf("| figure | measured | floor or limit | ratio | target | met |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Figure& figure : figures) {
        std::printf("| %s | %s | %s | %s (%s) | %s | %s |\n", figure.name.c_str(), figure.measured.c_str(),
                    figure.reference.c_str(), Format(figure.ratio, figure.ratio < 0.01 ? 5 : 3).c_str(),
                    figure.ratioMeaning.c_str(), figure.target.c_str(), figure.met ? "yes" : "**no**");
    }
    std::fflush(stdout);
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
    bench::Options options;
    if (!bench::ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--idle-seconds N] [--item-bytes N] [--paced-bytes N] [--verbose]\n", argv[0]);
        return 2;
    }
    try {
        std::unique_ptr<ravelin::test::SimulatedPhone> phone = ravelin::test::SimulatedPhone::Start(0, "");
        std::vector<bench::Figure> figures;
        const bench::RawTrips trips = bench::MeasureRawTrips(*phone);
        for (auto&& part : {bench::ExchangeFigures(*phone, trips), bench::TransferFigures(*phone, trips, options),
                            bench::DetectorFigures(*phone, trips, options)}) {
            figures.insert(figures.end(), part.begin(), part.end());
        }
        bench::Print(figures);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
