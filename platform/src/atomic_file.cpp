#include "platform/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<unsigned> temp_counter {0};

}  // namespace

atomic_file::~atomic_file() { discard(); }

bool atomic_file::open(const std::string &path)
{
    discard();
    if (path.empty() || path.back() == '/')
        return false;
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    // A hidden name beside the target, short enough for any file system.
    std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (base.size() > 200)
        base.resize(200);

    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return false;

    for (int attempt = 0; attempt < 64; ++attempt) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%ld-%u-%lx.tmp", long(::getpid()),
                      temp_counter.fetch_add(1), long(std::time(nullptr)) & 0xfffffL);
        const std::string temp = folder + "." + base + suffix;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        if (exists)
            (void)::fchmod(fd, existing.st_mode & 07777);
        std::FILE *f = ::fdopen(fd, "wb");
        if (!f) {
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        file_ = f;
        path_ = path;
        temp_ = temp;
        return true;
    }
    return false;
}

bool atomic_file::commit()
{
    if (!file_)
        return false;
    bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    ok = ::fsync(::fileno(file_)) == 0 && ok;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok)
        ok = std::rename(temp_.c_str(), path_.c_str()) == 0;
    if (!ok)
        ::unlink(temp_.c_str());
    temp_.clear();
    return ok;
}

void atomic_file::discard()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

bool write_file_atomically(const std::string &path, const uint8_t *bytes, std::size_t size)
{
    if (size && !bytes)
        return false;
    atomic_file out;
    if (!out.open(path))
        return false;
    if (size && std::fwrite(bytes, 1, size, out.stream()) != size)
        return false;
    return out.commit();
}

}  // namespace platform
