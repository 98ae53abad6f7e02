// The run guard ends a faulting run with -1 after its fault handler, and leaves a normal run's
// result alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

struct ProbeResult {
    DWORD exitCode;
    std::string output;
};

// Runs fault_probe.exe (built beside this test) with arg and collects its exit code and output.
ProbeResult run_probe(const char* arg) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path);
    exe = exe.substr(0, exe.find_last_of("\\/") + 1) + "fault_probe.exe";
    std::string cmd = "\"" + exe + "\" " + arg;

    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &sa, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    ProbeResult result = {0xFFFFFFFF, ""};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << exe;
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return result;
    }
    CloseHandle(writeEnd);
    char buffer[256];
    DWORD got;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got)
        result.output.append(buffer, got);
    WaitForSingleObject(pi.hProcess, 30000);
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(readEnd);
    return result;
}

// When the crash debugger cannot be started, the system's fault report lets the program handle
// its own fault, which is the case the guard exists for. Wine starts its own debugger by
// default; this names one that does not exist for the lifetime of the object and restores
// the setting afterwards.
class NoCrashDebugger {
  public:
    NoCrashDebugger() {
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, KEY_PATH, 0, KEY_ALL_ACCESS, &key_);
        DWORD size = sizeof saved_;
        had_ = key_ && RegQueryValueExA(key_, "Debugger", nullptr, &type_,
                                        reinterpret_cast<BYTE*>(saved_), &size) == ERROR_SUCCESS;
        savedSize_ = size;
        static const char MISSING[] = "velta-no-such-debugger.exe %ld %ld";
        if (key_)
            RegSetValueExA(key_, "Debugger", 0, REG_SZ, reinterpret_cast<const BYTE*>(MISSING),
                           sizeof MISSING);
    }
    ~NoCrashDebugger() {
        if (had_)
            RegSetValueExA(key_, "Debugger", 0, type_, reinterpret_cast<BYTE*>(saved_), savedSize_);
        else if (key_)
            RegDeleteValueA(key_, "Debugger");
        if (key_)
            RegCloseKey(key_);
    }

  private:
    static constexpr const char* KEY_PATH =
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
    HKEY key_ = nullptr;
    bool had_ = false;
    DWORD type_ = 0, savedSize_ = 0;
    char saved_[1024] = {};
};

} // namespace

TEST(FaultGuard, FaultEndsTheRunWithMinusOneAfterTheHandler) {
    NoCrashDebugger quiet;
    const ProbeResult r = run_probe("fault");
    EXPECT_EQ(r.exitCode, DWORD(-1));
    EXPECT_NE(r.output.find("guard: fault handled"), std::string::npos) << r.output;
}

TEST(FaultGuard, NormalRunKeepsItsResult) {
    const ProbeResult r = run_probe("calm");
    EXPECT_EQ(r.exitCode, 7u);
    EXPECT_EQ(r.output.find("guard:"), std::string::npos);
}
