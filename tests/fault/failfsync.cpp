// SPDX-License-Identifier: MIT
// Preloaded into a test's process (LD_PRELOAD), makes fsync and fdatasync fail with EIO, as a
// disk that cannot keep the bytes would, for files whose path begins with the value of
// BEXLORIN_FAIL_FSYNC. The variable is read at each call, so the process can set and clear
// it as it goes; without it every call goes through.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {

bool mustFail(int fd)
{
    const char *prefix = std::getenv("BEXLORIN_FAIL_FSYNC");
    if (prefix == nullptr || *prefix == '\0')
        return false;
    char link[64];
    char path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t size = readlink(link, path, sizeof path - 1);
    if (size < 0)
        return false;
    path[size] = '\0';
    return std::strncmp(path, prefix, std::strlen(prefix)) == 0;
}

int callNext(const char *name, int fd)
{
    auto *next = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, name));
    if (next == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    return next(fd);
}

} // namespace

extern "C" int fsync(int fd)
{
    if (mustFail(fd)) {
        errno = EIO;
        return -1;
    }
    return callNext("fsync", fd);
}

extern "C" int fdatasync(int fd)
{
    if (mustFail(fd)) {
        errno = EIO;
        return -1;
    }
    return callNext("fdatasync", fd);
}
