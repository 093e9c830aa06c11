#pragma once
// What the benchmark asks of the system it runs on: bench_system_posix.cpp,
// bench_system_windows.cpp.
#include <string>
#include <vector>

namespace bench {

// Processor time of every thread of the process, in seconds.
double CpuSeconds();
// The machine's load averages, where the system keeps them.
std::string LoadAverage();
bool HasDisplay();
// Sets an environment variable unless it is set already.
void SetDefault(const char* name, const char* value);

// The argument that makes the benchmark one of its own load processes.
constexpr const char* kSpin = "--spin";
[[noreturn]] void Spin();

// Competing work: processes that only spin, started before SDL so that they
// share nothing with the game but the processors; they go with the benchmark.
class Load {
public:
    explicit Load(int processes);
    ~Load() { Stop(); }
    Load(const Load&) = delete;
    Load& operator=(const Load&) = delete;
    void Stop();

private:
    std::vector<long long> ids_;
    void* group_ = nullptr;
};

} // namespace bench
