#include <windows.h>

#include <cstdlib>
#include <string>

#include "tools/bench_system.h"

namespace bench {

double CpuSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

std::string LoadAverage() { return "-"; }  // Windows keeps none

bool HasDisplay() { return true; }

void SetDefault(const char* name, const char* value) {
    if (!std::getenv(name)) _putenv_s(name, value);
}

void Spin() {
    volatile unsigned long spin = 0;
    for (;;) spin = spin + 1;
}

Load::Load(int processes) {
    if (processes <= 0) return;
    // In a job that ends them when its last handle, ours, is closed: also
    // when the benchmark itself is killed.
    group_ = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (group_) SetInformationJobObject(group_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    wchar_t self[MAX_PATH];
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH)) return;
    std::wstring command = L"\"" + std::wstring(self) + L"\" --spin";
    for (int i = 0; i < processes; ++i) {
        STARTUPINFOW start{};
        start.cb = sizeof start;
        PROCESS_INFORMATION made{};
        std::wstring line = command;
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &start,
                            &made))
            continue;
        if (group_) AssignProcessToJobObject(group_, made.hProcess);
        ResumeThread(made.hThread);
        CloseHandle(made.hThread);
        ids_.push_back(reinterpret_cast<long long>(made.hProcess));
    }
}

void Load::Stop() {
    for (const long long id : ids_) {
        const HANDLE process = reinterpret_cast<HANDLE>(id);
        TerminateProcess(process, 1);
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
    ids_.clear();
    if (group_) CloseHandle(group_);
    group_ = nullptr;
}

} // namespace bench
