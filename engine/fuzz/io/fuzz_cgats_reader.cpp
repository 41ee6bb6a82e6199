// Feeds arbitrary bytes to the engine's CGATS reader, then writes what it
// read back out, so that both sides see whatever a file may hold.
#include "engine/cgats.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    patch_set set;
    patch_set_init(&set);
    if (read_cgats_bytes(reinterpret_cast<const char *>(data), size, &set) == ENGINE_OK &&
        set.count > 0 && set.count < 64) {
        static const std::string path = "/tmp/fuzz_cgats_reader_" + std::to_string(getpid());
        write_cgats_file(&set, path.c_str(), 0x1fff, 1, "DESCRIPTOR \"fuzz\"");
        unlink(path.c_str());
        patch_set_build_gamut_table(&set);
    }
    patch_set_free(&set);
    return 0;
}
