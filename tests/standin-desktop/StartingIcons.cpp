#include "StartingIcons.h"
#include "WideText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The field of text up to the next ';' (or the end), and where the following field starts.
std::string NextField(const char*& cursor, bool* complete) {
    const char* end = strchr(cursor, ';');
    *complete = end != nullptr;
    if (!end) {
        end = cursor + strlen(cursor);
    }
    std::string field(cursor, end);
    cursor = *complete ? end + 1 : end;
    return field;
}

bool ParseInt(const std::string& text, int32_t* value) {
    char* end = nullptr;
    long parsed = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) {
        return false;
    }
    *value = static_cast<int32_t>(parsed);
    return true;
}

bool ParseFileLine(std::string line, std::vector<standin::Icon>* icons) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.pop_back();
    }
    if (line.find_first_not_of(" \t") == std::string::npos) {
        return true;
    }
    size_t firstTab = line.find('\t');
    size_t secondTab = firstTab == std::string::npos ? firstTab : line.find('\t', firstTab + 1);
    if (secondTab == std::string::npos) {
        return false;
    }
    standin::Icon icon;
    icon.name = line.substr(secondTab + 1);
    if (!ParseInt(line.substr(0, firstTab), &icon.x) ||
        !ParseInt(line.substr(firstTab + 1, secondTab - firstTab - 1), &icon.y)) {
        return false;
    }
    icons->push_back(icon);
    return true;
}

// Owns the stream of one file read; the path is UTF-8.
class CInputFile {
  public:
    explicit CInputFile(const char* path) : file(_wfopen(Utf8ToWide(path).c_str(), L"rb")) {}
    ~CInputFile() {
        if (file) {
            fclose(file);
        }
    }
    CInputFile(const CInputFile&) = delete;
    CInputFile& operator=(const CInputFile&) = delete;
    FILE* Get() const { return file; }

  private:
    FILE* file;
};

// One whole line however long, without losing the part beyond a fixed buffer.
bool ReadLine(FILE* file, std::string* line) {
    line->clear();
    char chunk[1024];
    while (fgets(chunk, sizeof chunk, file)) {
        line->append(chunk);
        if (!line->empty() && line->back() == '\n') {
            return true;
        }
    }
    return !line->empty();
}

} // namespace

void ParseLayoutText(const char* text, std::vector<standin::Icon>* icons) {
    const char* cursor = text;
    while (*cursor) {
        bool nameDone = false;
        bool xDone = false;
        bool yDone = false;
        standin::Icon icon;
        icon.name = NextField(cursor, &nameDone);
        icon.x = atoi(NextField(cursor, &xDone).c_str());
        icon.y = atoi(NextField(cursor, &yDone).c_str());
        if (!nameDone || !xDone || !yDone) {
            return;
        }
        icons->push_back(icon);
    }
}

bool ReadIconFile(const char* path, std::vector<standin::Icon>* icons) {
    CInputFile file(path);
    if (!file.Get()) {
        return false;
    }
    std::string line;
    while (ReadLine(file.Get(), &line)) {
        if (!ParseFileLine(line, icons)) {
            return false;
        }
    }
    return !ferror(file.Get());
}

bool ReadStartingIcons(const std::vector<std::string>& arguments, std::vector<standin::Icon>* icons,
                       std::string* error) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const char* option = arguments[i].c_str();
        const char* value = i + 1 < arguments.size() ? arguments[i + 1].c_str() : nullptr;
        if (strcmp(option, "--layout") == 0 && value) {
            ParseLayoutText(value, icons);
        } else if (strcmp(option, "--file") == 0 && value) {
            if (!ReadIconFile(value, icons)) {
                *error = std::string("Cannot read icons from ") + value;
                return false;
            }
        } else {
            *error = std::string("Unknown argument: ") + option +
                     "\nUsage: standin-desktop [--layout name;x;y;...] [--file icons.txt]";
            return false;
        }
        ++i;
    }
    return true;
}
