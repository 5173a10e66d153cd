// SPDX-License-Identifier: MIT
// bexlorin-reportw.exe, the Start-menu entry "Bexlorin report" on Windows: starts
// bexlorin-report.exe from its own folder with --choose-folder and without a console window
// (the reader itself stays a console program for the command line), and waits for it.
#include <string>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return 2;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L'\\') + 1);
    path += L"bexlorin-report.exe";

    std::wstring command = L"\"" + path + L"\" --choose-folder";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
        const std::wstring message =
            L"Bexlorin report cannot be started: " + path + L" is missing or cannot be run.";
        MessageBoxW(nullptr, message.c_str(), L"Bexlorin report", MB_OK | MB_ICONERROR);
        return 2;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 2;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    return int(status);
}
