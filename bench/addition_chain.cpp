// A plain binary64 addition chain of n(n-1)/2 additions, the n-th outer step
// adding the first n-1 terms again, as a calculation of n rows would if it
// summed each row's integral from the start: the yardstick for
// `tsccurve --peak` over as many rows, run as a whole process
// (script/startup-bench). Usage: addition_chain N (default 20001).
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 20001;
    std::vector<double> terms(rows > 0 ? static_cast<std::size_t>(rows) : 0);
    for (std::size_t i = 0; i < terms.size(); ++i) terms[i] = 1.0 / static_cast<double>(i + 1);
    // One addition after another: binary64 addition is not associative, so
    // the compiler may neither reorder nor vectorise the chain.
    double sum = 0;
    for (std::size_t row = 0; row < terms.size(); ++row) {
        for (std::size_t j = 0; j < row; ++j) sum += terms[j];
    }
    std::printf("%.17g\n", sum);
}
