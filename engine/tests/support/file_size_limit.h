// A limit on the size of the files this process writes, for tests of what a
// writer does when the disk fills up.
#pragma once

#include <cstdint>

namespace test_support {

// While it lives, a write that would take a file beyond `bytes` fails with
// EFBIG instead of raising SIGXFSZ. The earlier limit and signal disposition
// come back when it goes.
class file_size_limit {
public:
    explicit file_size_limit(uint64_t bytes);
    ~file_size_limit();
    file_size_limit(const file_size_limit &) = delete;
    file_size_limit &operator=(const file_size_limit &) = delete;

    // False when the limit could not be set.
    bool active() const { return active_; }

private:
    bool active_ = false;
    uint64_t old_soft_ = 0;
    void (*old_handler_)(int) = nullptr;
};

}  // namespace test_support
