#include "finder/target_text.h"

#include "engine/cgats.h"

#include <cstring>
#include <new>
#include <string>

namespace finder {

bool read_rgb_rows(const char *text, size_t length, std::vector<std::array<double, 3>> &out)
{
    out.clear();
    if (!text)
        return false;
    // A profile's text may carry NUL bytes (its terminator); they count as blanks.
    std::string copy(text, length);
    for (char &c : copy)
        if (c == '\0')
            c = ' ';
    patch_set set;
    patch_set_init(&set);
    cgats_report report;
    const engine_result r = read_cgats_bytes_report(copy.data(), copy.size(), nullptr, &set,
                                                    &report);
    static const char *const names[3] = {"RGB_R", "RGB_G", "RGB_B"};
    bool ok = r == ENGINE_OK && set.count > 0 && set.channels >= 3 && report.device_gaps == 0;
    for (int k = 0; ok && k < 3; ++k)
        ok = std::strcmp(set.channel_names[k], names[k]) == 0;
    if (ok) {
        try {
            out.reserve(size_t(set.count));
            for (int32_t i = 0; i < set.count; ++i) {
                const float *d = set.patches[i].device;
                out.push_back({double(d[0]), double(d[1]), double(d[2])});
            }
        } catch (const std::bad_alloc &) {
            patch_set_free(&set);
            throw;
        }
    }
    patch_set_free(&set);
    return ok;
}

}  // namespace finder
