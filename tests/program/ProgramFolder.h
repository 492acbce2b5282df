// A scratch folder holding a fresh copy of quillmarsh.exe, so each run starts without a settings
// file of its own and writes it where no other test looks. Removed with its contents.
#pragma once

#include <string>

class CProgramFolder {
  public:
    CProgramFolder();
    ~CProgramFolder();
    CProgramFolder(const CProgramFolder&) = delete;
    CProgramFolder& operator=(const CProgramFolder&) = delete;

    // False when the folder or the copy could not be made.
    bool Ready() const { return ready; }
    // The folder's full long path, ending in a backslash.
    const std::string& Directory() const { return directory; }
    std::string Exe() const { return directory + "quillmarsh.exe"; }
    std::string SettingsFile() const { return directory + "Quillmarsh.ini"; }

  private:
    std::string directory;
    bool ready = false;
};

// The whole file as bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The folder of the running executable, ending in a backslash.
std::string ExeDirectory();
