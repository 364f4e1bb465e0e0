// The part of Google Benchmark's interface that the feed-loop benchmarks
// use, for the Windows build, which has no such library. As the library
// does, each benchmark runs with more and more iterations until a run takes
// half a second of the thread's processor time, and rates are per second of
// that time; one line a benchmark in the library's own console form (wall
// time, processor time, iterations, "bytes_per_second=..."), so one script
// reads both. Arguments: an optional --benchmark_filter=TEXT (names
// containing TEXT).
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace benchmark {

template <class T>
inline void DoNotOptimize(const T& value) {
  asm volatile("" : : "r,m"(value) : "memory");
}

class State {
 public:
  using Clock = std::chrono::steady_clock;
  struct __attribute__((unused)) Value {};
  class Iterator {
   public:
    Iterator(State* state, std::int64_t left) : state_(state), left_(left) {}
    Value operator*() const { return {}; }
    Iterator& operator++() {
      --left_;
      return *this;
    }
    bool operator!=(const Iterator&) {
      if (left_ > 0) return true;
      state_->PauseTiming();
      return false;
    }

   private:
    State* state_;
    std::int64_t left_;
  };

  explicit State(std::int64_t iterations) : iterations_(iterations) {}
  Iterator begin() {
    ResumeTiming();
    return {this, iterations_};
  }
  Iterator end() { return {this, 0}; }

  std::int64_t iterations() const { return iterations_; }
  void SetBytesProcessed(std::int64_t n) { bytes_ = n; }
  void SetItemsProcessed(std::int64_t n) { items_ = n; }
  void PauseTiming() {
    if (!running_) return;
    elapsed_ += Clock::now() - started_;
    cpu_elapsed_ += thread_cpu_seconds() - cpu_started_;
    running_ = false;
  }
  void ResumeTiming() {
    if (running_) return;
    started_ = Clock::now();
    cpu_started_ = thread_cpu_seconds();
    running_ = true;
  }

  double seconds() const { return std::chrono::duration<double>(elapsed_).count(); }
  double cpu_seconds() const { return cpu_elapsed_; }
  std::int64_t bytes() const { return bytes_; }
  std::int64_t items() const { return items_; }

 private:
  std::int64_t iterations_;
  std::int64_t bytes_ = 0;
  std::int64_t items_ = 0;
  bool running_ = false;
  Clock::time_point started_{};
  Clock::duration elapsed_{};
  double cpu_started_ = 0;
  double cpu_elapsed_ = 0;

  static double thread_cpu_seconds() {
    FILETIME created, ended, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;  // 100 ns ticks
  }
};

namespace internal {

struct Entry {
  const char* name;
  void (*run)(State&);
};

inline std::vector<Entry>& registry() {
  static std::vector<Entry> entries;
  return entries;
}

inline int add(const char* name, void (*run)(State&)) {
  registry().push_back({name, run});
  return 0;
}

inline void report(const char* name, const State& s) {
  const double n = static_cast<double>(s.iterations());
  const double secs = s.cpu_seconds() > 0 ? s.cpu_seconds() : 1e-9;
  std::printf("%-32s %14.0f ns %14.0f ns %10lld", name, s.seconds() * 1e9 / n, secs * 1e9 / n,
              static_cast<long long>(s.iterations()));
  if (s.bytes() > 0) std::printf(" bytes_per_second=%.4gMi/s", static_cast<double>(s.bytes()) / secs / 1048576.0);
  if (s.items() > 0) std::printf(" items_per_second=%.4gM/s", static_cast<double>(s.items()) / secs / 1e6);
  std::printf("\n");
  std::fflush(stdout);
}

// Grows the count as the library does, until one run takes half a second of
// processor time (or ten seconds of waiting).
inline void measure(const Entry& e) {
  constexpr double kMinSeconds = 0.5;
  constexpr double kMaxWallSeconds = 10;
  std::int64_t n = 1;
  for (;;) {
    State s(n);
    e.run(s);
    if (s.cpu_seconds() >= kMinSeconds || s.seconds() >= kMaxWallSeconds || n >= 1000000000) {
      report(e.name, s);
      return;
    }
    const double factor = s.cpu_seconds() > 0 ? 1.4 * kMinSeconds / s.cpu_seconds() : 10.0;
    const auto next = static_cast<std::int64_t>(static_cast<double>(n) * (factor < 10.0 ? factor : 10.0));
    n = next > n ? next : n + 1;
  }
}

inline int run_all(int argc, char** argv) {
  const char* kFilter = "--benchmark_filter=";
  std::string filter;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kFilter, std::strlen(kFilter)) == 0) {
      filter = argv[i] + std::strlen(kFilter);
    } else {
      std::fprintf(stderr, "usage: %s [--benchmark_filter=TEXT]\n", argv[0]);
      return 2;
    }
  }
  std::printf("%-32s %17s %17s %10s\n", "Benchmark", "Time", "CPU", "Iterations");
  for (const Entry& e : registry()) {
    if (filter.empty() || std::strstr(e.name, filter.c_str()) != nullptr) measure(e);
  }
  return 0;
}

}  // namespace internal
}  // namespace benchmark

#define BENCHMARK(fn) [[maybe_unused]] static const int mini_benchmark_##fn = ::benchmark::internal::add(#fn, fn)
#define BENCHMARK_MAIN() \
  int main(int argc, char** argv) { return ::benchmark::internal::run_all(argc, argv); }
