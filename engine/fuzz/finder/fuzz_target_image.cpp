// Target texts for the synthetic target image come from files and profiles
// of any origin: the row reader must take any bytes.
#include "finder/target_text.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::array<double, 3>> rows;
    const bool ok = finder::read_rgb_rows(reinterpret_cast<const char *>(data), size, rows);
    if (ok == rows.empty())
        std::abort();
    for (const auto &rgb : rows)
        for (double v : rgb)
            if (!std::isfinite(v))
                std::abort();
    return 0;
}
