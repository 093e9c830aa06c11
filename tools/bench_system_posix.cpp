#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tools/bench_system.h"

namespace bench {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);  // every thread of the process
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string LoadAverage() {
    char buf[64] = {};
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (!std::fgets(buf, sizeof buf, f)) buf[0] = 0;
        std::fclose(f);
    }
    std::string s(buf);
    const size_t cut = s.find(' ', s.find(' ', s.find(' ') + 1) + 1);
    return s.substr(0, cut);
}

bool HasDisplay() { return std::getenv("DISPLAY") != nullptr; }

void SetDefault(const char* name, const char* value) { setenv(name, value, 0); }

void Spin() {
    volatile unsigned long spin = 0;
    for (;;) spin = spin + 1;
}

Load::Load(int processes) {
    for (int i = 0; i < processes; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            Spin();
        }
        if (pid > 0) ids_.push_back(pid);
    }
}

void Load::Stop() {
    for (const long long pid : ids_) kill(static_cast<pid_t>(pid), SIGKILL);
    for (const long long pid : ids_) waitpid(static_cast<pid_t>(pid), nullptr, 0);
    ids_.clear();
}

} // namespace bench
