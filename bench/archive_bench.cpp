// Export + add of a 4 KiB entry, as the patcher does them, in a 1 MiB and a 512 MiB archive of
// 2000 entries (and, for information, a 1 MiB archive of 256 entries).
//
// Without --size the program is the driver: it runs itself once per archive size and entry
// form, each in a child process (so each memory figure is the peak of a process that only
// handled that archive), and prints the times, their ratio and the peak resident memory.
// With --size=small|large|few [--compressed] [--across-page] it is one such child. Other
// arguments go to Google Benchmark (in the driver: to every child). The driver's
// --across-page also measures, for information, a large-archive entry whose directory
// record crosses a page boundary (replaced by rewriting the whole archive).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_archive.h"
#include "bench/process_memory.h"
#include "lib/viv/viv_operations.h"

namespace {

using quenor::bench::ArchiveShape;

constexpr double kMaxRatio = 2.0;
constexpr double kMaxMemoryGrowthMiB = 2.0;

struct SizeCase {
    std::string key;
    std::string label;
    ArchiveShape shape;
};

const std::vector<SizeCase>& sizeCases() {
    static const std::vector<SizeCase> cases = {
        // The goal compares these two: the same directory, the archive 512 times larger.
        {"small", "1 MiB, 2000 entries", {1ull << 20, 2000}},
        {"large", "512 MiB, 2000 entries", {512ull << 20, 2000}},
        // For information: what a smaller directory costs (opening parses every record).
        {"few", "1 MiB, 256 entries", {1ull << 20, 256}},
    };
    return cases;
}

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Keeps the median (or, without repetitions, the single) wall and CPU time per iteration.
class TimeCapture : public benchmark::ConsoleReporter {
  public:
    TimeCapture() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                wall_ = run.GetAdjustedRealTime() / unit;
                cpu_ = run.GetAdjustedCPUTime() / unit;
                haveMedian_ = true;
            } else if (run.run_type == Run::RT_Iteration && !haveMedian_) {
                wall_ = run.real_accumulated_time / static_cast<double>(run.iterations);
                cpu_ = run.cpu_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double wallSeconds() const { return wall_; }
    double cpuSeconds() const { return cpu_; }

  private:
    double wall_ = 0;
    double cpu_ = 0;
    bool haveMedian_ = false;
};

int runChild(const SizeCase& size, const ArchiveShape& shape, int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quenor-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror(("Creating a folder like " + pattern).c_str());
        return 1;
    }
    const std::filesystem::path folder = pattern;
    const auto archive = quenor::bench::writeBenchArchive(folder, shape);
    const std::filesystem::path exported = folder / archive.targetName;
    quenor::viv::exportEntry(archive.path, archive.targetName, exported,
                             quenor::files::systemFileIo());
    const std::string original = readAll(exported);

    const std::string name = "ExportAdd4KiB/" + size.key +
                             (shape.compressedTarget ? "/compressed" : "/uncompressed") +
                             (shape.targetAcrossPage ? "/record-across-page" : "");
    benchmark::RegisterBenchmark(
        name.c_str(),
        [&](benchmark::State& state) {
            for (auto _ : state) {
                quenor::viv::exportEntry(archive.path, archive.targetName, exported,
                                         quenor::files::systemFileIo());
                quenor::viv::addFile(archive.path, exported, quenor::files::systemFileIo(),
                                     archive.targetName);
            }
        })
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    const bool peakReset = quenor::bench::resetPeakResident();
    TimeCapture reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto loopPeak = quenor::bench::peakResidentKiB();

    // The loop must have done real work: the entry still reads back whole.
    quenor::viv::exportEntry(archive.path, archive.targetName, folder / "check.ini",
                             quenor::files::systemFileIo());
    const bool intact = readAll(folder / "check.ini") == original;
    const auto finalSize = std::filesystem::file_size(archive.path);
    std::filesystem::remove_all(folder);

    std::cout << "RESULT wall=" << reporter.wallSeconds() << " cpu=" << reporter.cpuSeconds()
              << " loop_peak_kib=" << (peakReset && loopPeak ? *loopPeak : 0)
              << " process_peak_kib=" << quenor::bench::peakResidentKiB().value_or(0)
              << " archive_bytes=" << archive.fileSize
              << " growth_bytes=" << static_cast<long long>(finalSize - archive.fileSize)
              << " intact=" << intact << "\n";
    return intact ? 0 : 1;
}

using Fields = std::map<std::string, double>;

// Runs this program as a child with `args`, passing its output through and returning the
// fields of its RESULT line (empty when it failed).
Fields runChildProcess(std::vector<std::string> args) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        std::_Exit(127);
    }
    ::close(pipeFds[1]);
    std::string text;
    char chunk[4096];
    for (ssize_t got; (got = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;) text.append(chunk, got);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    Fields fields;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("RESULT ", 0) != 0) {
            std::cout << line << "\n";
            continue;
        }
        std::istringstream words(line.substr(7));
        for (std::string word; words >> word;) {
            auto eq = word.find('=');
            if (eq != std::string::npos)
                fields[word.substr(0, eq)] = std::stod(word.substr(eq + 1));
        }
    }
    std::cout.flush();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return fields;
}

double mib(double kib) {
    return kib / 1024.0;
}

std::string formatLine(const char* format, auto... values) {
    char line[256];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

int runDriver(int argc, char** argv) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    std::vector<std::string> extra;
    bool acrossPage = false;
    bool repetitionsGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--across-page") {
            acrossPage = true;
            continue;
        }
        repetitionsGiven |= arg.rfind("--benchmark_repetitions", 0) == 0;
        extra.push_back(arg);
    }
    if (!repetitionsGiven) extra.push_back("--benchmark_repetitions=5");

    bool goalMet = true;
    std::ostringstream summary;
    for (bool compressed : {false, true}) {
        const char* form = compressed ? "compressed entry" : "uncompressed entry";
        std::vector<Fields> results;
        for (const SizeCase& size : sizeCases()) {
            std::vector<std::string> args = {self, "--size=" + size.key};
            if (compressed) args.push_back("--compressed");
            args.insert(args.end(), extra.begin(), extra.end());
            results.push_back(runChildProcess(args));
            if (results.back().empty()) {
                std::cerr << "The " << size.label << " case (" << form << ") failed.\n";
                return 1;
            }
        }
        Fields& small = results[0];
        Fields& large = results[1];
        const double ratio = large["wall"] / small["wall"];
        const double growth = mib(large["loop_peak_kib"] - small["loop_peak_kib"]);
        const bool timeOk = ratio <= kMaxRatio;
        const bool memoryOk = growth <= kMaxMemoryGrowthMiB;
        goalMet = goalMet && timeOk && memoryOk;
        summary << formatLine("%-19s wall %8.3f ms | %8.3f ms   ratio %.2f (goal <= %.1f: %s)\n",
                              form, small["wall"] * 1e3, large["wall"] * 1e3, ratio, kMaxRatio,
                              timeOk ? "met" : "NOT MET");
        summary << formatLine("%-19s CPU  %8.3f ms | %8.3f ms   ratio %.2f\n", "",
                              small["cpu"] * 1e3, large["cpu"] * 1e3, large["cpu"] / small["cpu"]);
        summary << formatLine(
            "%-19s peak RSS while measuring %5.1f MiB | %5.1f MiB   difference %+.1f MiB "
            "(goal <= %.1f: %s)\n",
            "", mib(small["loop_peak_kib"]), mib(large["loop_peak_kib"]), growth,
            kMaxMemoryGrowthMiB, memoryOk ? "met" : "NOT MET");
        summary << formatLine("%-19s peak RSS of the process  %5.1f MiB | %5.1f MiB\n", "",
                              mib(small["process_peak_kib"]), mib(large["process_peak_kib"]));
        Fields& few = results[2];
        summary << formatLine(
            "%-19s (%s: wall %.3f ms, CPU %.3f ms, peak RSS while measuring %.1f MiB)\n", "",
            sizeCases()[2].label.c_str(), few["wall"] * 1e3, few["cpu"] * 1e3,
            mib(few["loop_peak_kib"]));
    }
    if (acrossPage) {
        std::vector<std::string> args = {self, "--size=large", "--across-page"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back("--benchmark_repetitions=1");
        Fields result = runChildProcess(args);
        if (result.empty()) {
            std::cerr << "The record-across-page case failed.\n";
            return 1;
        }
        summary << formatLine(
            "record across page  wall %8.3f ms (large archive, whole-archive rewrite; for "
            "information)\n%-19s peak RSS while measuring %5.1f MiB\n",
            result["wall"] * 1e3, "", mib(result["loop_peak_kib"]));
    }
    std::cout << "\nExport + add of a 4 KiB entry, median per export+add; archives "
              << sizeCases()[0].label << " | " << sizeCases()[1].label << ":\n"
              << summary.str() << (goalMet ? "All goals met.\n" : "A goal was NOT met.\n");
    return goalMet ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string size;
    ArchiveShape shape;
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--size=", 0) == 0) {
            size = arg.substr(7);
        } else if (arg == "--compressed") {
            shape.compressedTarget = true;
        } else if (arg == "--across-page" && !size.empty()) {
            shape.targetAcrossPage = true;
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (size.empty()) return runDriver(argc, argv);
    for (const SizeCase& candidate : sizeCases()) {
        if (candidate.key != size) continue;
        shape.totalBytes = candidate.shape.totalBytes;
        shape.entries = candidate.shape.entries;
        int restCount = static_cast<int>(rest.size());
        return runChild(candidate, shape, restCount, rest.data());
    }
    std::cerr << "unknown --size " << size << " (small, large or few)\n";
    return 2;
}
