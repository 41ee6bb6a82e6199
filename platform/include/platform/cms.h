// Colour management: ICC profiles opened from files or memory, their header
// and tags, and transforms between profiles over colour words and bitmap
// rows. The profile bytes are checked and read here; transforms are made by
// Little CMS 2.
//
// Colour words (Word4): four 16-bit words per colour.
//   rgb  R, G, B      0..65535 = 0..1
//   cmyk C, M, Y, K   0..65535 = 0..1
//   xyz  X, Y, Z      32768 = 1.0 (Y of the PCS white)
//   lab  L            0..65535 = 0..100
//        a, b         word / 32768 * 128 - 128 (32768 = 0, 0 = -128)
//   gray G            0..65535 = 0..1
// Bitmap formats (row layouts), with their channel order in memory:
//   rgb8 B,G,R bytes; rgb16 B,G,R words; xyz8 / xyz16 X,Y,Z (16: as xyz
//   words; 8: the word's high byte); lab8 L 0..255 = 0..100, a, b + 128;
//   lab16 L, a, b as lab words; cmyk8 K,Y,M,C bytes; ch5..ch8 n bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
namespace cms {

enum class Access { read = 1, read_write = 2 };

enum class Status {
    ok = 0,
    empty,             // no bytes
    too_small,         // shorter than a header and a tag count
    bad_signature,     // no 'acsp' at byte 36
    bad_size,          // header size beyond the data or below 132
    bad_tag_table,     // tag count too large for the profile
    bad_tag_bounds,    // a tag's data lies outside the profile
    too_large,         // file or data above max_profile_bytes
    io_error,          // file cannot be read or written
    no_tag,            // tag absent
    buffer_too_small,  // caller's buffer smaller than the element
    read_only,         // write on a profile opened for reading
    not_open,
    bad_argument,
};

const char *status_text(Status s);

constexpr std::size_t max_profile_bytes = 256u * 1024u * 1024u;

struct DateTime {
    uint16_t year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0;
};

struct Header {
    uint32_t size = 0;
    uint32_t cmm = 0;
    uint32_t version = 0;  // as stored, e.g. 0x02100000 for 2.1.0
    uint32_t device_class = 0;
    uint32_t colour_space = 0;
    uint32_t connection_space = 0;
    DateTime created;
    uint32_t platform = 0;
    uint32_t flags = 0;
    uint32_t manufacturer = 0;
    uint32_t model = 0;
    uint64_t attributes = 0;
    uint32_t rendering_intent = 0;
    double illuminant[3] = {0, 0, 0};
    uint32_t creator = 0;
    uint8_t profile_id[16] = {};
};

// Parses the header of a profile image (no other check).
bool parse_header(const uint8_t *bytes, std::size_t size, Header *out);

// An open profile: a checked memory image with its tag directory. A file
// profile remembers its path; writes go back to the file (through a
// temporary file and a rename) or stay in the memory image.
class Profile
{
public:
    static std::unique_ptr<Profile> open_memory(const uint8_t *bytes, std::size_t size,
                                                Access access, Status *status = nullptr);
    static std::unique_ptr<Profile> open_file(const std::string &path, Access access,
                                              Status *status = nullptr);
    ~Profile();

    Profile(const Profile &) = delete;
    Profile &operator=(const Profile &) = delete;

    bool is_file() const { return !path_.empty(); }
    const std::string &path() const { return path_; }
    Access access() const { return access_; }
    const Header &header() const { return header_; }
    // The current memory image.
    const std::vector<uint8_t> &bytes() const { return bytes_; }

    std::vector<uint32_t> tags() const;
    bool has_tag(uint32_t tag) const;
    // Element size; false when absent.
    bool element_size(uint32_t tag, uint32_t *size) const;
    // Copies the element when *size (capacity on entry) is at least its size;
    // *size becomes the element's size in any case.
    Status read_element(uint32_t tag, void *buffer, uint32_t *size) const;
    // Sets an element's size (created zero-filled when absent; bytes kept up
    // to the new size).
    Status set_element_size(uint32_t tag, uint32_t size);
    // Writes bytes into an existing element at an offset; the element grows
    // when the write reaches past its end.
    Status set_element(uint32_t tag, uint32_t offset, uint32_t size, const void *bytes);

private:
    struct Tag {
        uint32_t sig;
        std::vector<uint8_t> data;  // empty while shared
        int shared_with;            // index of an earlier tag with the same span, or -1
    };
    Profile() = default;
    static Status check(const uint8_t *bytes, std::size_t size, std::vector<Tag> *tags,
                        Header *header);
    Tag *find(uint32_t tag);
    const Tag *find(uint32_t tag) const;
    const std::vector<uint8_t> &data_of(const Tag &t) const;
    void unshare(std::size_t index);
    // Lays the tags out again and writes the file of a file profile.
    Status commit();

    std::string path_;
    Access access_ = Access::read;
    Header header_;
    std::vector<uint8_t> bytes_;
    std::vector<Tag> tags_;
};

enum class ColourType { gray = 1, rgb = 2, xyz = 3, lab = 5, cmyk = 7 };

enum class BitmapFormat {
    none = 0,
    rgb8 = 2,
    cmyk8 = 32,
    rgb16 = 10,
    xyz8 = 513,
    xyz16 = 1281,
    lab8 = 515,
    lab16 = 1283,
    ch5 = 517,
    ch6 = 518,
    ch7 = 519,
    ch8 = 520,
};

struct Word4 {
    uint16_t w[4];
};

// Bytes per pixel of a format (0 for none).
int bitmap_pixel_bytes(BitmapFormat f);
// Colour channels of a format (0 for none).
int bitmap_channels(BitmapFormat f);

// How a row of pixels lies in memory: the format's encoding, the order of
// the colour channels (reversed: the last channel first) and extra channels
// (left untouched) after the colour channels of each pixel. The default
// layout of a format is its own channel order with no extra channel.
struct Layout {
    BitmapFormat format = BitmapFormat::none;
    bool reversed = false;
    int extra = 0;
};
Layout default_layout(BitmapFormat f);
// Whether a layout can be handed to Little CMS as it is (no codec needed:
// not lab16 or xyz8).
bool is_direct(BitmapFormat f);

// 16-bit Lab words: L * 65535 / 100, (a / 128 + 1) * 32768, each rounded
// half away from zero and clamped to 0..65535, and back.
void encode_lab16(const double lab[3], uint16_t out[3]);
void decode_lab16(const uint16_t in[3], double lab[3]);

// The Little CMS transform (a cmsHTRANSFORM, null on failure) that Transform
// makes from open Little CMS profiles (cmsHPROFILE) of one context, for
// Little CMS formats and an intent. Integer data are precalculated on a grid;
// a camera or scanner RGB source keeps its input curves in front of a finer
// grid, even in lightness, or, for 16-bit input through a table with an XYZ
// connection space, is evaluated with no grid at all. Exposed so that tests
// and benchmarks can compare against exactly this transform.
void *make_lcms_transform(void *context, void *const *profiles, std::size_t count,
                          uint32_t in_format, uint32_t out_format, uint32_t intent);

// A transform from the first profile through the others to the last, for an
// ICC rendering intent (0 perceptual, 1 relative, 2 saturation, 3 absolute).
// The profiles are read when it is made; later changes do not reach it. One
// Little CMS transform is made and cached per pair of formats.
class Transform
{
public:
    static std::unique_ptr<Transform> create(const std::vector<const Profile *> &profiles,
                                             int intent);
    ~Transform();

    Transform(const Transform &) = delete;
    Transform &operator=(const Transform &) = delete;

    bool translate_colours(const Word4 *in, std::size_t count, ColourType in_type, Word4 *out,
                           ColourType out_type);
    // Width pixels of one row; false for an unsupported pair of formats.
    bool translate_row(const void *in, BitmapFormat in_format, void *out,
                       BitmapFormat out_format, std::size_t width);
    // Rows with strides in bytes (0: dense).
    bool translate_bitmap(const void *in, const Layout &in_layout, std::size_t width,
                          std::size_t height, std::size_t in_stride, void *out,
                          const Layout &out_layout, std::size_t out_stride);

private:
    struct Impl;
    explicit Transform(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Built-in profiles, as ICC bytes made by Little CMS: XYZ identity, Lab
// (D50, version 4) and sRGB. Empty on failure.
std::vector<uint8_t> make_xyz_profile();
std::vector<uint8_t> make_lab_profile();
std::vector<uint8_t> make_srgb_profile();

}  // namespace cms
}  // namespace platform
