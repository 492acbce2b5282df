#include "contract/TestSettings.h"

#include "platform/host/HostTesting.h"

#include <filesystem>

namespace testsettings {

namespace {

const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::filesystem::path Folder() {
    static std::filesystem::path folder = [] {
        std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0;; attempt++) {
            std::filesystem::path candidate = base / ("qm-store-" + std::to_string(attempt));
            if (std::filesystem::create_directory(candidate)) {
                return candidate;
            }
        }
    }();
    return folder;
}

struct FolderRemover {
    ~FolderRemover() {
        std::error_code ignored;
        std::filesystem::remove_all(Folder(), ignored);
    }
} remover;

} // namespace

std::string PrepareSettingsFile() {
    std::filesystem::path file = Folder() / "Quillmarsh.ini";
    std::error_code ignored;
    std::filesystem::remove_all(file, ignored);
    hostsim::SetModuleFileName((Folder() / "quillmarsh.exe").string());
    hostsim::ResetRegistry();
    hostsim::ResetFiles();
    hostsim::CreateRegistryKey(HKEY_LOCAL_MACHINE, kRun);
    hostsim::CreateRegistryKey(HKEY_CURRENT_USER, kRun);
    hostsim::ClearMessageBoxes();
    return file.string();
}

std::vector<std::string> TakeErrorBoxes() {
    std::vector<std::string> texts;
    for (const hostsim::MessageBoxRecord& box : hostsim::MessageBoxes()) {
        if (box.caption == "Error") {
            texts.push_back(box.text);
        }
    }
    hostsim::ClearMessageBoxes();
    return texts;
}

void SetRunValue(HKEY root, const std::string& data) {
    hostsim::SetRegistryValue(root, kRun, "Quillmarsh", REG_SZ,
                              std::vector<uint8_t>(data.c_str(), data.c_str() + data.size() + 1));
}

std::string RunValue(HKEY root) {
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!hostsim::GetRegistryValue(root, kRun, "Quillmarsh", &type, &data)) {
        return std::string();
    }
    return std::string(reinterpret_cast<const char*>(data.data()));
}

std::string OtherProgramFile() {
    std::string path = (Folder() / "other" / "quillmarsh.exe").string();
    hostsim::AddFile(path);
    return path;
}

} // namespace testsettings
