// Progress of a long benchmark run, on the terminal only: one line on
// standard error, rewritten in place, cleared when the work is done. Logs
// and pipes get nothing.
#pragma once

#include <cstdio>
#include <unistd.h>

class bench_progress {
public:
    bench_progress(const char *what, int total)
        : what_(what), total_(total), shown_(total > 0 && isatty(STDERR_FILENO))
    {
        show();
    }
    ~bench_progress() { done(); }
    bench_progress(const bench_progress &) = delete;
    bench_progress &operator=(const bench_progress &) = delete;

    void step()
    {
        ++done_;
        show();
    }
    // Clears the line, so that the results print where it stood.
    void done()
    {
        if (shown_)
            std::fprintf(stderr, "\r%*s\r", width_, "");
        shown_ = false;
    }

private:
    void show()
    {
        if (!shown_)
            return;
        width_ = std::fprintf(stderr, "\r  %s: %d of %d", what_, done_, total_) - 1;
        std::fflush(stderr);
    }

    const char *what_;
    int total_, done_ = 0, width_ = 0;
    bool shown_;
};
