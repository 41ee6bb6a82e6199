// The tables of one profile: filled by a builder, read by the ICC writer.
//
// A plain record: zero it (profile_tables t{} or memset) before use. Every
// array it points to is owned by the record, allocated with malloc/calloc,
// and released by profile_tables_free. The writer never trusts the counts:
// each one is checked against the layout before a byte is written.
#pragma once

#include "engine/engine_result.h"
#include "engine/patch_set.h"

#include <cstddef>
#include <cstdint>

constexpr uint32_t ICC_TYPE_LUT8 = engine_sig("mft1");
constexpr uint32_t ICC_TYPE_LUT16 = engine_sig("mft2");
constexpr uint32_t ICC_CLASS_INPUT = engine_sig("scnr");

// Device attribute bits of the profile header.
constexpr uint64_t ICC_ATTR_TRANSPARENCY = 1;  // transmissive original
constexpr uint64_t ICC_ATTR_NEGATIVE = 4;      // negative original

constexpr int ICC_MAX_CHANNELS = 15;
constexpr int ICC_DESCRIPTION_MAX = 1024;  // description field, NUL included

// One tone reproduction curve. count 1: entries[0] is a gamma in thousandths
// (1000 = 1.0); otherwise count 16-bit samples from 0 to 65535 over the input.
struct icc_curve {
    uint16_t count;
    uint16_t *entries;
};

// An ICC lut8 ('mft1') or lut16 ('mft2') table. The table values are held as
// 16-bit numbers for both types; an 'mft1' table keeps them within 0-255.
struct lut_table {
    uint8_t present;
    uint32_t type;               // ICC_TYPE_LUT8 or ICC_TYPE_LUT16
    uint8_t inputs;
    uint8_t outputs;
    uint8_t grid_points;         // per input
    uint16_t input_entries;      // entries of each input table (256 for 'mft1')
    uint16_t output_entries;     // entries of each output table (256 for 'mft1')
    uint16_t *input_tables[ICC_MAX_CHANNELS];   // inputs arrays
    uint16_t *output_tables[ICC_MAX_CHANNELS];  // outputs arrays
    uint32_t clut_entries;       // grid_points^inputs x outputs
    uint16_t *clut;              // the first input varies slowest
};

// An ICC 'mAB ' table: A curves, CLUT, M curves, matrix, B curves.
struct mab_table {
    uint8_t present;
    uint8_t inputs;
    uint8_t outputs;
    uint8_t grid_points;         // per input
    uint16_t a_curve_entries;    // entries of each A curve
    uint16_t bm_curve_entries;   // entries of each B and each M curve
    uint16_t *b_curves[ICC_MAX_CHANNELS];  // outputs arrays
    uint16_t *m_curves[ICC_MAX_CHANNELS];  // outputs arrays
    uint16_t *a_curves[ICC_MAX_CHANNELS];  // inputs arrays
    uint32_t clut_entries;       // grid_points^inputs x outputs
    uint16_t *clut;              // 16-bit entries, the first input varies slowest
    float matrix[12];            // 3 x 3 row by row, then 3 offsets
};

struct profile_tables {
    char description[ICC_DESCRIPTION_MAX];  // NUL-terminated 8-bit text
    uint32_t colour_space;       // 'RGB ', 'CMY ', 'CMYK', '3CLR' ... '8CLR'
    uint32_t pcs;                // 'Lab ' or 'XYZ '; 0 or blanks are taken as 'Lab '
    uint32_t device_class;       // 0 is taken as 'scnr'
    uint64_t device_attributes;  // ICC_ATTR_* bits
    char *targ_text;             // the characterisation file, NUL-terminated; null when none
    size_t targ_size;            // its length without the NUL
    icc_curve trc[3];            // red, green, blue
    float media_white[3];
    float black_point[3];
    float red[3];
    float green[3];
    float blue[3];
    float private_matrix[9];     // 3 x 3 row by row
    mab_table a2b0_mab;          // used for A2B0 when present
    lut_table a2b0_lut;          // used for A2B0 otherwise
    mab_table a2b1_mab;          // A2B1 when present
    lut_table a2b1_lut;          // else A2B1 when present; else A2B1 shares A2B0
};

// Releases every array the tables own and zeroes the record.
void profile_tables_free(profile_tables *tables);

// Channel count of a device colour space signature ('RGB ', 'CMY ', 'Lab ',
// 'XYZ ', 'CMYK', '2CLR' ... '8CLR', 'GRAY'); 0 for any other.
int icc_colour_space_channels(uint32_t colour_space);

// The PCS the writer uses: 'XYZ ' stays, anything else is 'Lab '.
uint32_t icc_effective_pcs(uint32_t pcs);

// Allocates a zero-filled lut_table or mab_table of the given layout with
// identity ramps in every curve (8-bit: j; 16-bit: j x 257 over 256 entries,
// j x 65535 / (n - 1) otherwise) and a zero CLUT; frees what the table held
// before. 0; -108 when memory runs out (the table is then empty);
// ENGINE_ERR_WRONG_KIND for a layout that no ICC table can hold.
engine_result lut_table_alloc(lut_table *table, uint32_t type, int inputs, int outputs,
                              int grid_points, int input_entries, int output_entries);
engine_result mab_table_alloc(mab_table *table, int inputs, int outputs, int grid_points,
                              int a_curve_entries, int bm_curve_entries);
// Deep copy; 0 or -108 (dst is then empty).
engine_result lut_table_copy(lut_table *dst, const lut_table *src);
void lut_table_free(lut_table *table);
void mab_table_free(mab_table *table);

// A Lab colour as the 16-bit words of a table: version 2 (lut16: L* 100 =
// 0xFF00, a* and b* 0 = 0x8000) or version 4 (L* 100 = 0xFFFF, a* and b* 0 =
// 0x8080), rounded and clamped.
void encode_lab16_words(const double lab[3], bool version2, uint16_t out[3]);
