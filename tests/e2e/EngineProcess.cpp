#include "EngineProcess.h"

#include "system/ProcessStart.h"
#include "system/WinHandle.h"

#include <thread>

std::string EngineProcess::testFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string EngineProcess::enginePath() {
    return testFolder() + "kestrel.exe";
}

std::string EngineProcess::tempFolder() {
    char path[MAX_PATH];
    DWORD length = GetTempPathA(sizeof path, path);
    return std::string(path, length);
}

ProcessResult EngineProcess::run(const std::string& commandLine, const std::string& input,
                                 unsigned long timeoutMs) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, inRead = nullptr, inWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) ||
        !CreatePipe(&inRead, &inWrite, &inherit, 0)) {
        result.output = "no pipes: error " + std::to_string(GetLastError());
        return result;
    }
    WinHandle outReader(outRead), outWriter(outWrite), inReader(inRead), inWriter(inWrite);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);

    ProcessStart::Options options;
    options.inheritHandles = true;
    options.input = inRead;
    options.output = outWrite;
    WinHandle process = ProcessStart::start(commandLine, options);
    if (!process.valid()) {
        result.output = "not started: error " + std::to_string(GetLastError()) + ": " + commandLine;
        return result;
    }
    outWriter.reset();
    inReader.reset();

    std::thread feeder([&] {
        DWORD written = 0;
        if (!input.empty())
            WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
        inWriter.reset();
    });
    std::thread reader([&] {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(outRead, buffer, sizeof buffer, &got, nullptr) && got > 0)
            result.output.append(buffer, got);
    });
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 99); // its exit code 99 tells the test
        WaitForSingleObject(process.get(), 5000);
    }
    GetExitCodeProcess(process.get(), &result.exitCode);
    feeder.join();
    reader.join();
    return result;
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
