// Helpers of the INI tests: the document as plain values, and real files in a scratch directory.
#pragma once

#include "ini/IniFile.h"
#ifndef _WIN32
#include "platform/host/HostTesting.h"
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace initest {

struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
    bool operator==(const Section& other) const { return name == other.name && keys == other.keys; }
};

inline std::ostream& operator<<(std::ostream& out, const Section& section) {
    out << "[" << section.name << "]";
    for (const auto& key : section.keys) {
        out << " {" << key.first << "=" << key.second << "}";
    }
    return out;
}

// Keys without a value are listed with the text "(none)".
inline std::vector<Section> Contents(const CIniFile& document) {
    std::vector<Section> sections;
    for (IniSection* section = document.firstSection; section; section = section->next) {
        sections.push_back({section->name, {}});
        for (IniKey* key = section->firstKey; key; key = key->next) {
            sections.back().keys.emplace_back(key->name, key->value ? key->value : "(none)");
        }
    }
    return sections;
}

inline std::vector<Section> ParseText(const std::string& text) {
    CIniFile document;
    document.ReadText(text.data(), text.size());
    return Contents(document);
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh directory under the system's temporary directory, removed with everything in it.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0;; attempt++) {
            root = base / ("qm-ini-" + std::to_string(attempt));
            if (std::filesystem::create_directory(root)) {
                break;
            }
        }
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::filesystem::path Path(const std::string& name) const { return root / name; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path root;
};

#ifndef _WIN32
// The simulated system's ANSI code page for one object's life; 1252 again after it.
class AnsiCodePage {
  public:
    explicit AnsiCodePage(UINT codePage) { hostsim::SetAnsiCodePage(codePage); }
    AnsiCodePage(const AnsiCodePage&) = delete;
    AnsiCodePage& operator=(const AnsiCodePage&) = delete;
    ~AnsiCodePage() { hostsim::SetAnsiCodePage(1252); }
};
#endif

} // namespace initest
