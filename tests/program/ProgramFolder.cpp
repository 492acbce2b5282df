#include "program/ProgramFolder.h"

#include <windows.h>

#include <fstream>
#include <iterator>

namespace {

std::string LongPath(const std::string& path) {
    char full[MAX_PATH] = {};
    DWORD length = GetLongPathNameA(path.c_str(), full, sizeof full);
    return length > 0 && length < sizeof full ? std::string(full) : path;
}

// Every plain file inside, then the folder. The program makes no subfolders; a test may put an
// empty one where the settings file goes. True when the folder is gone.
bool RemoveFolderOnce(const std::string& directory) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string path = directory + found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileA(path.c_str());
            } else if (found.cFileName[0] != '.') {
                RemoveDirectoryA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(directory.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
           GetLastError() == ERROR_PATH_NOT_FOUND;
}

// A program that has just been killed can hold its image a little longer than its process
// handle takes to signal, and the copy of the exe cannot be deleted until it lets go.
void RemoveFolder(const std::string& directory) {
    const DWORD kBoundMs = 10000;
    DWORD started = GetTickCount();
    while (!RemoveFolderOnce(directory) && GetTickCount() - started < kBoundMs) {
        Sleep(20);
    }
}

} // namespace

std::string ExeDirectory() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return std::string();
    }
    std::string text(path, length);
    return text.substr(0, text.find_last_of('\\') + 1);
}

// Process ids come round again, and a folder left by an earlier run may still be there: the
// first free name is taken.
CProgramFolder::CProgramFolder() {
    char temp[MAX_PATH] = {};
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) {
        return;
    }
    const std::string base =
        std::string(temp) + "qm-program-" + std::to_string(GetCurrentProcessId()) + "-";
    std::string path;
    for (int serial = 1;; serial++) {
        path = base + std::to_string(serial);
        if (CreateDirectoryA(path.c_str(), nullptr)) {
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS || serial == 1000) {
            return;
        }
    }
    directory = LongPath(path) + "\\";
    std::string product = ExeDirectory() + "quillmarsh.exe";
    ready = CopyFileA(product.c_str(), Exe().c_str(), FALSE) != 0;
}

CProgramFolder::~CProgramFolder() {
    if (!directory.empty()) {
        RemoveFolder(directory);
    }
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
