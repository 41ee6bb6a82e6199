#include "file_size_limit.h"

#include <csignal>
#include <sys/resource.h>

namespace test_support {

file_size_limit::file_size_limit(uint64_t bytes)
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    old_soft_ = limit.rlim_cur;
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = rlim_t(bytes);
    active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    if (!active_)
        std::signal(SIGXFSZ, old_handler_);
}

file_size_limit::~file_size_limit()
{
    if (!active_)
        return;
    rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(old_soft_);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, old_handler_);
}

}  // namespace test_support
