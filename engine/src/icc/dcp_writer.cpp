#include "engine/dcp_writer.h"

#include "engine/dng_tags.h"
#include "engine/profile_output.h"
#include "platform/camera_profile_folder.h"
#include "platform/work_buffer.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One directory entry with its value bytes, little-endian.
struct dcp_entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    std::vector<uint8_t> data;
};

void append_le32(std::vector<uint8_t> &v, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v.push_back(uint8_t(x >> (8 * i)));
}

dcp_entry ascii_entry(uint16_t tag, const std::string &text)
{
    dcp_entry e {tag, dng::TiffAscii, uint32_t(text.size()), {}};
    e.data.assign(text.begin(), text.end());
    // Zero bytes up to the next multiple of 4; none when already there.
    while (e.data.size() % 4)
        e.data.push_back(0);
    return e;
}

// value x 10000 truncated toward zero over 10000; false when out of range.
bool append_srational(std::vector<uint8_t> &v, float value)
{
    const double scaled = std::trunc(double(value) * 10000.0);
    if (!std::isfinite(scaled) || scaled > 2147483647.0 || scaled < -2147483648.0)
        return false;
    append_le32(v, uint32_t(int32_t(scaled)));
    append_le32(v, 10000);
    return true;
}

bool matrix_entry(uint16_t tag, const float m[9], dcp_entry *e)
{
    *e = {tag, dng::TiffSRational, 9, {}};
    for (int i = 0; i < 9; ++i)
        if (!append_srational(e->data, m[i]))
            return false;
    return true;
}

bool short_entry(uint16_t tag, int32_t value, dcp_entry *e)
{
    if (value < 0 || value > 65535)
        return false;
    *e = {tag, dng::TiffShort, 1, {uint8_t(value), uint8_t(value >> 8)}};
    return true;
}

std::string base_name(const std::string &path)
{
    const std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name without a final ".xxx"; the whole name when that leaves nothing.
std::string without_extension(const std::string &name)
{
    if (name.size() > 4 && name[name.size() - 4] == '.')
        return name.substr(0, name.size() - 4);
    return name;
}

bool locate(const char *output_path, std::string *path, std::string *name)
{
    if (!output_path || !output_path[0])
        return false;
    std::string given(output_path);
    for (char &c : given)
        if (c == '\\')
            c = '/';
    const std::string base = base_name(given);
    if (base.empty())
        return false;
    *name = without_extension(base);
    if (given.find("dcp") != std::string::npos) {
        *path = given;
        return true;
    }
    const std::string folder = platform::camera_profile_folder();
    if (folder.empty() || !platform::ensure_folder(folder))
        return false;
    *path = folder + *name + ".dcp";
    return true;
}

}  // namespace

engine_result make_tone_curve(const dcp_model *model, float pairs[2 * DCP_TONE_CURVE_POINTS])
{
    if (!model || !pairs)
        return ENGINE_ERR_WRONG_KIND;
    constexpr int n = DCP_TONE_CURVE_POINTS;
    for (int j = 0; j < n; ++j) {
        float y = model->tone_curve[j];
        if (!std::isfinite(y))
            return ENGINE_ERR_WRONG_KIND;
        y = y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y);
        if (j == 0)
            y = 0.0f;
        if (j == n - 1)
            y = 1.0f;
        pairs[2 * j] = float(j) / float(n - 1);
        pairs[2 * j + 1] = y;
    }
    return ENGINE_OK;
}

bool dcp_output_location(const char *output_path, char *path_out, unsigned path_capacity,
                         char *name_out, unsigned name_capacity)
{
    std::string path;
    std::string name;
    if (!locate(output_path, &path, &name) || !path_out || !name_out ||
        path.size() >= path_capacity || name.size() >= name_capacity)
        return false;
    std::memcpy(path_out, path.c_str(), path.size() + 1);
    std::memcpy(name_out, name.c_str(), name.size() + 1);
    return true;
}

engine_result write_dcp_profile(engine_context *, const char *output_path,
                                const char *camera_model, uint32_t, const char *,
                                const dcp_model *main, const dcp_model *second,
                                const dcp_options *options)
{
    if (!main || !options || !camera_model || !camera_model[0])
        return ENGINE_ERR_WRONG_KIND;
    const bool dual = options->dual_illuminant && second;

    float curve[2 * DCP_TONE_CURVE_POINTS];
    engine_result r;
    if (dual && (r = make_tone_curve(second, curve)) != ENGINE_OK)
        return r;
    if ((r = make_tone_curve(main, curve)) != ENGINE_OK)
        return r;

    std::string path;
    std::string name;
    if (!locate(output_path, &path, &name))
        return ENGINE_ERR_DCP_CREATE;

    // The directory, in ascending tag order.
    std::vector<dcp_entry> entries;
    dcp_entry e;
    entries.push_back(ascii_entry(dng::UniqueCameraModel, camera_model));
    if (!matrix_entry(dng::ColorMatrix1, main->colour_matrix, &e))
        return ENGINE_ERR_WRONG_KIND;
    entries.push_back(e);
    if (dual) {
        if (!matrix_entry(dng::ColorMatrix2, second->colour_matrix, &e))
            return ENGINE_ERR_WRONG_KIND;
        entries.push_back(e);
    }
    if (!short_entry(dng::CalibrationIlluminant1, options->calibration_illuminant1, &e))
        return ENGINE_ERR_WRONG_KIND;
    entries.push_back(e);
    if (dual) {
        if (!short_entry(dng::CalibrationIlluminant2, options->calibration_illuminant2, &e))
            return ENGINE_ERR_WRONG_KIND;
        entries.push_back(e);
    }
    entries.push_back(ascii_entry(dng::ProfileName, name));
    if (options->matrix_and_tables) {
        e = {dng::ProfileToneCurve, dng::TiffFloat, 2 * DCP_TONE_CURVE_POINTS, {}};
        for (float v : curve) {
            uint32_t bits;
            std::memcpy(&bits, &v, 4);
            append_le32(e.data, bits);
        }
        entries.push_back(e);
    }
    if (options->baseline_exposure_offset > 0.0f) {
        e = {dng::BaselineExposureOffset, dng::TiffSRational, 1, {}};
        if (!append_srational(e.data, options->baseline_exposure_offset))
            return ENGINE_ERR_WRONG_KIND;
        entries.push_back(e);
    }
    if (options->mode0) {
        e = {dng::DefaultBlackRender, dng::TiffLong, 1, {}};
        append_le32(e.data, 1);
        entries.push_back(e);
    }

    // Header, entries, the zero next-directory word, the out-of-line values in
    // entry order, and a closing zero word.
    const size_t directory = 8;
    size_t data_at = directory + 2 + 12 * entries.size() + 4;
    size_t total = data_at;
    for (const dcp_entry &d : entries)
        if (d.data.size() > 4)
            total += d.data.size();
    total += 4;

    platform::work_buffer block;
    if (!block.allocate(total))
        return ENGINE_ERR_NO_MEMORY;
    block.put_bytes(0, "IIRC", 4);
    block.put_le32(4, uint32_t(directory));
    block.put_le16(directory, uint16_t(entries.size()));
    size_t at = directory + 2;
    for (const dcp_entry &d : entries) {
        block.put_le16(at, d.tag);
        block.put_le16(at + 2, d.type);
        block.put_le32(at + 4, d.count);
        if (d.data.size() <= 4) {
            block.put_bytes(at + 8, d.data.data(), d.data.size());
        } else {
            block.put_le32(at + 8, uint32_t(data_at));
            block.put_bytes(data_at, d.data.data(), d.data.size());
            data_at += d.data.size();
        }
        at += 12;
    }
    if (block.overflowed())
        return ENGINE_ERR_NO_MEMORY;

    profile_output out;
    if (open_profile_output_at(&out, path) != ENGINE_OK)
        return ENGINE_ERR_DCP_CREATE;
    if (std::fwrite(block.data(), 1, total, out.file) != total) {
        discard_profile_output(&out);
        return ENGINE_ERR_DCP_WRITE;
    }
    if (commit_profile_output(&out) != ENGINE_OK)
        return ENGINE_ERR_DCP_WRITE;
    return ENGINE_OK;
}
