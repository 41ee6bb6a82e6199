#include "icc_test_support.h"

#include "platform/big_endian.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <ftw.h>
#include <sys/wait.h>
#include <unistd.h>

namespace icc_test {

lcms_reader::lcms_reader() : ctx_(cmsCreateContext(nullptr, this))
{
    cmsSetLogErrorHandlerTHR(ctx_, &lcms_reader::handler);
}

lcms_reader::~lcms_reader()
{
    cmsDeleteContext(ctx_);
}

void lcms_reader::handler(cmsContext ctx, cmsUInt32Number code, const char *text)
{
    auto *self = static_cast<lcms_reader *>(cmsGetContextUserData(ctx));
    if (self)
        self->complaints_.push_back(std::to_string(code) + ": " + (text ? text : ""));
}

cmsHPROFILE lcms_reader::open(const std::vector<uint8_t> &bytes)
{
    return cmsOpenProfileFromMemTHR(ctx_, bytes.data(), cmsUInt32Number(bytes.size()));
}

std::string lcms_reader::complaints_text() const
{
    std::string all;
    for (const std::string &c : complaints_)
        all += c + "\n";
    return all;
}

std::vector<uint8_t> profile_id_of(std::vector<uint8_t> bytes)
{
    if (bytes.size() < 128)
        return {};
    std::fill(bytes.begin() + 44, bytes.begin() + 48, 0);   // profile flags
    std::fill(bytes.begin() + 64, bytes.begin() + 68, 0);   // rendering intent
    std::fill(bytes.begin() + 84, bytes.begin() + 100, 0);  // profile ID
    std::vector<uint8_t> digest(16);
    unsigned int n = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest.data(), &n, EVP_md5(), nullptr);
    return digest;
}

namespace {

// The n bytes from at, which must lie inside b (else std::out_of_range).
const uint8_t *bytes_at(const std::vector<uint8_t> &b, size_t at, size_t n)
{
    (void)b.at(at + n - 1);
    return b.data() + at;
}

}  // namespace

uint32_t be32(const std::vector<uint8_t> &b, size_t at)
{
    return platform::load_be32(bytes_at(b, at, 4));
}

uint16_t be16(const std::vector<uint8_t> &b, size_t at)
{
    return platform::load_be16(bytes_at(b, at, 2));
}

uint32_t le32(const std::vector<uint8_t> &b, size_t at)
{
    return platform::load_le32(bytes_at(b, at, 4));
}

uint16_t le16(const std::vector<uint8_t> &b, size_t at)
{
    return platform::load_le16(bytes_at(b, at, 2));
}

std::vector<tag_entry> tag_table(const std::vector<uint8_t> &p)
{
    std::vector<tag_entry> table;
    const uint32_t n = be32(p, 128);
    for (uint32_t i = 0; i < n; ++i) {
        const size_t e = 132 + 12 * size_t(i);
        table.push_back({be32(p, e), be32(p, e + 4), be32(p, e + 8)});
    }
    return table;
}

const tag_entry *find_tag(const std::vector<tag_entry> &table, uint32_t sig)
{
    for (const tag_entry &e : table)
        if (e.sig == sig)
            return &e;
    return nullptr;
}

temp_folder::temp_folder()
{
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && base[0] ? base : "/tmp") + "/icc-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()))
        path_ = std::string(buf.data()) + "/";
}

temp_folder::~temp_folder()
{
    if (path_.empty())
        return;
    ::nftw(
        path_.c_str(),
        [](const char *p, const struct stat *, int, struct FTW *) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

std::vector<std::string> temp_folder::names() const
{
    std::vector<std::string> out;
    if (DIR *d = ::opendir(path_.c_str())) {
        while (dirent *e = ::readdir(d))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                out.push_back(e->d_name);
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

scoped_env::scoped_env(const char *name, const std::string &value) : name_(name)
{
    const char *old = std::getenv(name);
    had_ = old != nullptr;
    if (old)
        old_ = old;
    ::setenv(name, value.c_str(), 1);
}

scoped_env::~scoped_env()
{
    if (had_)
        ::setenv(name_.c_str(), old_.c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

std::vector<uint8_t> read_file(const std::string &path)
{
    std::vector<uint8_t> bytes;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    return bytes;
}

bool write_file(const std::string &path, const std::string &text)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

run_result run(const std::string &command)
{
    run_result r {-1, {}};
    std::FILE *p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.output.append(buf, n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

bool have_program(const char *name)
{
    return run(std::string("command -v ") + name + " >/dev/null").status == 0;
}

std::string quoted(const std::string &path)
{
    std::string q = "'";
    for (char c : path) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

void fixture_lab(const double rgb[3], double lab[3])
{
    lab[0] = 10.0 + 80.0 * (0.2 * rgb[0] + 0.7 * rgb[1] + 0.1 * rgb[2]);
    lab[1] = -60.0 + 100.0 * rgb[0] - 20.0 * rgb[2];
    lab[2] = -50.0 + 90.0 * rgb[1] - 30.0 * rgb[2] + 10.0 * rgb[0];
}

void fixture_xyz(const double rgb[3], double xyz[3])
{
    xyz[0] = 0.02 + 0.43 * rgb[0] + 0.36 * rgb[1] + 0.14 * rgb[2];
    xyz[1] = 0.02 + 0.22 * rgb[0] + 0.69 * rgb[1] + 0.06 * rgb[2];
    xyz[2] = 0.02 + 0.01 * rgb[0] + 0.09 * rgb[1] + 0.70 * rgb[2];
}

namespace {

uint16_t clamp16(double v)
{
    return uint16_t(std::lround(std::min(65535.0, std::max(0.0, v))));
}

}  // namespace

void fill_fixture_clut(uint16_t *clut, int grid, uint32_t pcs, bool version2_lab)
{
    size_t k = 0;
    for (int r = 0; r < grid; ++r)
        for (int g = 0; g < grid; ++g)
            for (int b = 0; b < grid; ++b) {
                const double rgb[3] = {r / double(grid - 1), g / double(grid - 1),
                                       b / double(grid - 1)};
                if (pcs == SIG_XYZ) {
                    double xyz[3];
                    fixture_xyz(rgb, xyz);
                    for (double v : xyz)
                        clut[k++] = clamp16(v * 32768.0);
                } else {
                    double lab[3];
                    fixture_lab(rgb, lab);
                    encode_lab16_words(lab, version2_lab, &clut[k]);
                    k += 3;
                }
            }
}

rgb_fixture::rgb_fixture(bool use_mab, uint32_t pcs, int grid)
{
    tables.colour_space = SIG_RGB;
    tables.pcs = pcs;
    tables.device_class = ICC_CLASS_INPUT;
    std::snprintf(tables.description, sizeof tables.description, "%s", "Studio camera");
    if (use_mab) {
        tables.a2b0_mab.present = 1;
        tables.a2b0_mab.grid_points = uint8_t(grid);
    } else {
        tables.a2b0_lut.present = 1;
        tables.a2b0_lut.type = ICC_TYPE_LUT16;
        tables.a2b0_lut.grid_points = uint8_t(grid);
    }
    init_result = icc_writer_init_from_tables(&writer, nullptr, &tables, true);
    if (init_result != 0)
        return;
    const float white[3] = {0.9642f, 1.0f, 0.8249f};
    std::memcpy(tables.media_white, white, sizeof white);
    if (use_mab)
        fill_fixture_clut(tables.a2b0_mab.clut, grid, icc_effective_pcs(pcs), false);
    else
        fill_fixture_clut(tables.a2b0_lut.clut, grid, icc_effective_pcs(pcs), true);
    const float m[9] = {0.43f, 0.36f, 0.14f, 0.22f, 0.69f, 0.06f, 0.01f, 0.09f, 0.70f};
    std::memcpy(tables.private_matrix, m, sizeof m);
}

engine_result assemble_to_bytes(icc_writer *writer, const char *copyright, bool matrix_only,
                                bool private_matrix, bool version4,
                                std::vector<uint8_t> *bytes)
{
    bytes->assign(ICC_WORK_BLOCK_BYTES, 0);
    uint32_t length = 0;
    const engine_result r =
        assemble_icc_profile(writer, "unused.icc", engine_sig("Kirr"), copyright, matrix_only,
                             private_matrix, version4, bytes->data(), bytes->size(), &length);
    bytes->resize(r == 0 ? length : 0);
    return r;
}

}  // namespace icc_test
