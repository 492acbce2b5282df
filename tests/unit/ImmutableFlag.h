// The host's stand-in for what Windows refuses: a folder marked immutable takes no new file, though
// the files in it can still be written; a file marked immutable can neither be opened for writing
// nor deleted, as a file another program holds. Setting the mark takes root and a file system
// that keeps it; the mark is taken off again when the object goes.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

namespace initest {

class ImmutableFlag {
  public:
    explicit ImmutableFlag(const std::string& path)
        : descriptor(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
        set = descriptor >= 0 && Change(true);
    }
    ImmutableFlag(const ImmutableFlag&) = delete;
    ImmutableFlag& operator=(const ImmutableFlag&) = delete;
    ~ImmutableFlag() {
        Clear();
        if (descriptor >= 0) {
            close(descriptor);
        }
    }

    bool IsSet() const { return set; }
    void Clear() {
        if (set) {
            Change(false);
            set = false;
        }
    }

  private:
    int descriptor;
    bool set = false;

    bool Change(bool on) {
        int flags = 0;
        if (ioctl(descriptor, FS_IOC_GETFLAGS, &flags) != 0) {
            return false;
        }
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        return ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    }
};

} // namespace initest
