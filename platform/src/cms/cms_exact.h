// The exact road for 16-bit images through a device table: the chain that
// Little CMS links for the profiles, evaluated as its unoptimised 16-bit
// transform evaluates it (stage by stage, in float), but with the stages in
// front of the table and the per-channel stages behind it turned into
// tables of the 16-bit words they take, the table itself interpolated by
// Little CMS's own 16-bit interpolator, and the image cut into bands over
// threads.
#pragma once

#include "platform/cms.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform {
namespace cms {

// Whether a chain whose first profile is the given Little CMS profile takes
// the exact road for 16-bit input: a camera or scanner RGB profile whose
// device table has an XYZ connection space. Its 16-bit XYZ words lie so far
// apart in the shadows of a linear camera that any grid in front of them
// smooths them away.
bool wants_exact_road(void *first_profile, uint32_t intent, uint32_t in_format);

// A context whose transforms can hand their linked pipeline to
// ExactChain::capture. Null on failure; deleted with cmsDeleteContext.
void *create_capturing_context();

class ExactChain
{
public:
    // The chain of the profiles (opened in a context from
    // create_capturing_context) for an intent; null when it holds a stage
    // that this road does not evaluate, which then stays with Little CMS.
    static std::unique_ptr<ExactChain> capture(void *context, void *const *profiles,
                                               std::size_t count, uint32_t intent);
    ~ExactChain();

    ExactChain(const ExactChain &) = delete;
    ExactChain &operator=(const ExactChain &) = delete;

    // Whether rows of these layouts can be converted: 16-bit RGB in; 8- or
    // 16-bit RGB, 16-bit XYZ or 16-bit Lab out, as many channels as the
    // chain gives.
    bool converts(const Layout &in, const Layout &out) const;
    // Converts the rows (strides in bytes, never 0), in bands over threads.
    void convert(const void *in, const Layout &in_layout, std::size_t width, std::size_t height,
                 std::size_t in_stride, void *out, const Layout &out_layout,
                 std::size_t out_stride) const;

private:
    struct Impl;
    explicit ExactChain(std::unique_ptr<Impl> impl);
    void convert_rows(const uint8_t *in, const Layout &il, std::size_t width, std::size_t rows,
                      std::size_t in_stride, uint8_t *out, const Layout &ol,
                      std::size_t out_stride) const;
    std::unique_ptr<Impl> impl_;
};

}  // namespace cms
}  // namespace platform
