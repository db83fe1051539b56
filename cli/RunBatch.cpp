// --out-dir: many songs in one run. The songs are found first, outputs that two songs would
// share are refused for both, and the rest go to workers that each take the next song from one
// shared index, largest first, so that a long song runs beside the others instead of after them.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "cli/Files.h"
#include "cli/Run.h"
#include "cli/SongSearch.h"
#include "cli/StopRequests.h"
#include "cli/System.h"
#include "dll/common/FileNames.h"

namespace cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

enum class Outcome { Pending, Converted, Skipped, Failed, Stopped };

struct Task {
    FoundSong song;
    Outcome outcome = Outcome::Pending;
    std::string problem;
    bool outputPresent = false;  // a file, there before the run
};

// Letters folded: outputs that differ only in case are one file on some systems.
std::string OutputKey(const fs::path& output) {
    std::string key = Utf8Of(output.lexically_normal());
    std::transform(key.begin(), key.end(), key.begin(), filenames::FoldAscii);
    return key;
}

// Neither of two songs that would write the same output is converted: whichever came last
// would silently replace the other.
void RefuseSharedOutputs(std::vector<Task>& tasks) {
    std::map<std::string, std::vector<size_t>> byOutput;
    for (size_t index = 0; index < tasks.size(); ++index)
        byOutput[OutputKey(tasks[index].song.output)].push_back(index);
    for (const auto& entry : byOutput) {
        const std::vector<size_t>& sharers = entry.second;
        if (sharers.size() < 2) continue;
        for (const size_t index : sharers) {
            std::string others;
            for (const size_t other : sharers)
                if (other != index) others += (others.empty() ? "" : ", ") + tasks[other].song.path;
            tasks[index].outcome = Outcome::Failed;
            tasks[index].problem = "not converted: " + Utf8Of(tasks[index].song.output) +
                                   " would also be written from " + others;
        }
    }
}

// No song is written onto a file the run reads, however the two paths are spelt: a song kept
// under its output's name (a song named "x.mid" converted into its own folder) would be lost.
void RefuseInputsAsOutputs(std::vector<Task>& tasks) {
    std::set<FileIdentity> inputs;
    for (const Task& task : tasks)
        if (const std::optional<FileIdentity> identity = IdentityOf(task.song.path))
            inputs.insert(*identity);
    for (Task& task : tasks) {
        const std::optional<FileIdentity> output = IdentityOf(Utf8Of(task.song.output));
        if (task.outcome != Outcome::Pending || !output || !inputs.count(*output)) continue;
        task.outcome = Outcome::Failed;
        task.problem =
            "not converted: " + Utf8Of(task.song.output) + " is one of the songs of this run";
    }
}

// Only a file that was there before the run is an output present: a folder in the way, or
// one that the run itself makes (from a folder of songs of the same name), is a failure.
void NoteOutputsPresent(std::vector<Task>& tasks) {
    for (Task& task : tasks) {
        std::error_code error;
        const fs::file_status status = fs::status(task.song.output, error);
        task.outputPresent = fs::exists(status) && !fs::is_directory(status);
    }
}

void ConvertTask(const Arguments& arguments, const knife::Config* config, Task& task) {
    const Progress goOn = [](int) { return !StopRequested(); };
    const std::string output = Utf8Of(task.song.output);
    std::error_code error;
    if (!arguments.force && task.outputPresent) {
        task.outcome = Outcome::Skipped;
        return;
    }
    std::string where;  // a failure to write names the output, any other the song alone
    try {
        std::vector<uint8_t> bytes = ReadWholeFile(task.song.path);
        bytes = config
                    ? KnifeFile(arguments, *config, task.song.path, std::move(bytes), nullptr, goOn)
                    : ConvertSong(arguments, task.song.path, bytes, goOn);
        fs::create_directories(task.song.output.parent_path(), error);  // a failure shows below
        where = output + ": ";
        WriteFileWhole(output, bytes);
        task.outcome = Outcome::Converted;
    } catch (const rcp::Stopped&) {
        task.outcome = Outcome::Stopped;
    } catch (const knife::Error& failure) {
        const bool stopped = failure.failure == knife::Failure::Stopped;
        task.outcome = stopped ? Outcome::Stopped : Outcome::Failed;
        task.problem = failure.what();
    } catch (const std::bad_alloc&) {
        task.outcome = Outcome::Failed;
        task.problem = "out of memory";
    } catch (const std::exception& failure) {
        task.outcome = Outcome::Failed;
        task.problem = where + failure.what();
    }
}

std::string Duration(double seconds) {
    const long whole = long(seconds + 0.5);
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

// One line, rewritten in place; padded so that a shorter line covers a longer one.
void ShowProgress(size_t done, size_t total, double seconds) {
    const double rate = seconds > 0 ? double(done) / seconds : 0;
    const std::string left = rate > 0 ? Duration(double(total - done) / rate) : "?";
    std::fprintf(stderr, "\r%zu of %zu songs, %.1f songs/s, %s left    ", done, total, rate,
                 left.c_str());
    std::fflush(stderr);
}

// Runs the pending tasks on `jobs` workers; shows progress on a terminal.
void RunTasks(const Arguments& arguments, const knife::Config* config, std::vector<Task>& tasks) {
    std::vector<size_t> order;
    for (size_t index = 0; index < tasks.size(); ++index)
        if (tasks[index].outcome == Outcome::Pending) order.push_back(index);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return tasks[a].song.size > tasks[b].song.size; });
    if (order.empty()) return;
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t workers =
        std::min(order.size(), arguments.jobs > 0 ? size_t(arguments.jobs) : cores);

    std::atomic<size_t> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<size_t> done{0};
    size_t finished = 0;
    // Only a worker's end wakes the main thread: the progress line is redrawn on a timer.
    const auto work = [&] {
        for (size_t at = 0; !StopRequested() && (at = next++) < order.size(); ++done)
            ConvertTask(arguments, config, tasks[order[at]]);
        const std::lock_guard<std::mutex> lock(mutex);
        ++finished;
        changed.notify_one();
    };
    std::vector<std::thread> threads;
    for (size_t worker = 0; worker < workers; ++worker) threads.emplace_back(work);

    const bool terminal = IsTerminal(stderr);
    const Clock::time_point start = Clock::now();
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (finished < workers) {
            changed.wait_for(lock, std::chrono::milliseconds(250));
            if (terminal)
                ShowProgress(done, order.size(),
                             std::chrono::duration<double>(Clock::now() - start).count());
        }
    }
    for (std::thread& thread : threads) thread.join();
    if (terminal) std::fputc('\n', stderr);
}

}  // namespace

int RunBatch(const Arguments& arguments) {
    std::optional<knife::Config> config;
    if (!arguments.knifeConfig.empty()) {
        try {
            config = ReadKnifeConfig(arguments);
        } catch (const std::exception& error) {
            return Fail(arguments.knifeConfig, error.what());
        }
    }
    const fs::path outDir = PathOf(arguments.outDir);
    std::error_code error;
    if (fs::exists(outDir, error) && !fs::is_directory(outDir, error))
        return Fail(arguments.outDir, "not a folder");

    const SongSearch search = FindSongs(arguments.paths, config.has_value(), outDir);
    std::vector<Task> tasks;
    for (const FoundSong& song : search.songs) tasks.push_back({song, Outcome::Pending, ""});
    RefuseSharedOutputs(tasks);
    RefuseInputsAsOutputs(tasks);
    NoteOutputsPresent(tasks);
    CatchStopRequests();
    RunTasks(arguments, config ? &*config : nullptr, tasks);

    size_t converted = 0, skipped = 0, failed = search.problems.size(), stopped = 0;
    for (const auto& problem : search.problems) Fail(problem.first, problem.second);
    for (const Task& task : tasks) {
        switch (task.outcome) {
            case Outcome::Converted:
                ++converted;
                break;
            case Outcome::Skipped:
                ++skipped;
                break;
            case Outcome::Failed:
                ++failed;
                Fail(task.song.path, task.problem);
                break;
            case Outcome::Pending:
            case Outcome::Stopped:
                ++stopped;
                break;
        }
    }
    std::printf("%zu converted, %zu skipped (output present), %zu failed\n", converted, skipped,
                failed);
    if (StopRequested()) std::printf("stopped: %zu songs left unconverted\n", stopped);
    std::fflush(stdout);
    StopHandled();
    if (StopRequested()) return kExitStopped;
    return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace cli
