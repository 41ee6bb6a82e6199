// Shared helpers of the ICC and DCP writer tests: real readers (Little CMS,
// iccdump, exiftool), an independent profile ID, temporary folders and
// fixture tables.
#pragma once

#include "engine/icc_writer.h"
#include "engine/profile_tables.h"

#include <lcms2.h>

#include <cstdint>
#include <string>
#include <vector>

namespace icc_test {

// A Little CMS context that records every complaint of the library; a test
// fails on any unless it expects one.
class lcms_reader {
public:
    lcms_reader();
    ~lcms_reader();
    lcms_reader(const lcms_reader &) = delete;
    lcms_reader &operator=(const lcms_reader &) = delete;

    cmsContext context() const { return ctx_; }
    // Opens a profile from bytes; null when Little CMS refuses it.
    cmsHPROFILE open(const std::vector<uint8_t> &bytes);
    const std::vector<std::string> &complaints() const { return complaints_; }
    std::string complaints_text() const;

private:
    static void handler(cmsContext ctx, cmsUInt32Number code, const char *text);
    cmsContext ctx_;
    std::vector<std::string> complaints_;
};

// Owns an open profile.
struct profile_handle {
    cmsHPROFILE h = nullptr;
    explicit profile_handle(cmsHPROFILE p) : h(p) {}
    ~profile_handle()
    {
        if (h)
            cmsCloseProfile(h);
    }
    profile_handle(const profile_handle &) = delete;
    profile_handle &operator=(const profile_handle &) = delete;
};

// The ICC profile ID: MD5 of the profile with the flags, the rendering
// intent and the ID field zeroed.
std::vector<uint8_t> profile_id_of(std::vector<uint8_t> bytes);

uint32_t be32(const std::vector<uint8_t> &b, size_t at);
uint16_t be16(const std::vector<uint8_t> &b, size_t at);
uint32_t le32(const std::vector<uint8_t> &b, size_t at);
uint16_t le16(const std::vector<uint8_t> &b, size_t at);

struct tag_entry {
    uint32_t sig;
    uint32_t offset;
    uint32_t size;
};
// The tag table as written: the count, and every entry it counts.
std::vector<tag_entry> tag_table(const std::vector<uint8_t> &profile);
const tag_entry *find_tag(const std::vector<tag_entry> &table, uint32_t sig);

// A fresh, empty folder under the system's temporary folder; removed with
// everything in it when the object goes.
class temp_folder {
public:
    temp_folder();
    ~temp_folder();
    const std::string &path() const { return path_; }  // with a final '/'
    std::vector<std::string> names() const;             // the entries, sorted

private:
    std::string path_;
};

// Sets an environment variable for the life of the object.
class scoped_env {
public:
    scoped_env(const char *name, const std::string &value);
    ~scoped_env();

private:
    std::string name_;
    bool had_;
    std::string old_;
};

std::vector<uint8_t> read_file(const std::string &path);
bool write_file(const std::string &path, const std::string &text);

// Runs a command line; its exit status and everything it printed.
struct run_result {
    int status;
    std::string output;
};
run_result run(const std::string &command);
bool have_program(const char *name);

// Quotes a path for the shell.
std::string quoted(const std::string &path);

// The Lab value (D50) a CLUT node of the RGB fixture holds: a smooth,
// distinct colour for every device value in 0..1.
void fixture_lab(const double rgb[3], double lab[3]);
// The same for the fixture's XYZ PCS.
void fixture_xyz(const double rgb[3], double xyz[3]);

// Writes the fixture colours into every CLUT node of an RGB table, encoded for
// the table's PCS: a lut16 with Lab as the version 2 Lab encoding, an 'mAB '
// with Lab as the version 4 encoding, XYZ as 1.15 fixed.
void fill_fixture_clut(uint16_t *clut, int grid, uint32_t pcs, bool version2_lab);

// Tables for an RGB input profile with the writer bound to them: A2B0 an
// 'mft2' (Lab PCS) or, with use_mab, an 'mAB ' (the given PCS) holding the
// fixture colours. description and the colorants as given.
struct rgb_fixture {
    profile_tables tables {};
    icc_writer writer {};
    rgb_fixture(bool use_mab, uint32_t pcs, int grid = 9);
    ~rgb_fixture() { profile_tables_free(&tables); }
    rgb_fixture(const rgb_fixture &) = delete;
    rgb_fixture &operator=(const rgb_fixture &) = delete;
    engine_result init_result = 0;
};

// Writes the profile of the fixture into a buffer; the result and the bytes.
engine_result assemble_to_bytes(icc_writer *writer, const char *copyright, bool matrix_only,
                                bool private_matrix, bool version4,
                                std::vector<uint8_t> *bytes);

}  // namespace icc_test
