// The engine's ICC profile writer: input-device profiles, version 2.0 or 4.0.
//
// Two roads: the general one (an icc_writer over profile_tables, then
// assemble_icc_profile) and the fixed version 2 template
// (write_template_profile_to_buffer / _to_file). Both lay the profile out
// from the tables first, so every size and offset follows the tables, and
// both refuse to deliver a profile that does not fit: nothing is truncated.
//
// All state belongs to the call: the writer, the tables and, when given, the
// engine_context (allocation error word, colour folder).
#pragma once

#include "engine/engine_result.h"
#include "engine/profile_tables.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct engine_context;

// Size of the work block a profile is assembled in; a larger profile is
// refused with ENGINE_ERR_NO_MEMORY.
constexpr size_t ICC_WORK_BLOCK_BYTES = 4000000;

// Results of icc_writer_load_target_data.
constexpr engine_result ICC_TARG_NO_MEMORY = 148;
constexpr engine_result ICC_TARG_READ_FAILED = 255;
// Result of the writers when a file cannot be opened or written, or when a
// caller's buffer cannot hold the profile.
constexpr engine_result ICC_WRITE_FAILED = 1;

struct icc_writer {
    engine_context *context;     // may be null
    profile_tables *tables;
    uint32_t device[4];          // manufacturer, model, serial number, date;
                                 // not all zero: an 'mmod' tag is written
    engine_result alloc_error;   // of the last work-block allocation: 0 or -108
};

// Bind the writer to the tables, fill the defaults (colorants red (1,0,0),
// green (0,1,0), blue (0,0,1), black point 0, a PCS of 0 or blanks becomes
// 'Lab ', each TRC one entry 1000) and allocate every table of the layout:
// an 'mAB ' A2B0 when tables->a2b0_mab.present is set, else a lut_table of
// tables->a2b0_lut.type ('mft2' when 0). A grid_points the builder already
// set is kept; otherwise 32, or 2 for an 'XYZ ' PCS without the fine XYZ
// grid (icc_writer_init never asks for it). A present A2B1 lut_table becomes
// a copy of the A2B0 one, a present A2B1 mab_table gets the A2B0 layout.
// 0; -108 when memory runs out; ENGINE_ERR_WRONG_KIND for a colour space the
// layout cannot hold.
engine_result icc_writer_init(icc_writer *writer, engine_context *ctx, profile_tables *tables);
engine_result icc_writer_init_from_tables(icc_writer *writer, engine_context *ctx,
                                          profile_tables *tables, bool fine_xyz_grid);

// Reads the whole file (the characterisation file CamData.CIE) into the
// tables' targ_text. 0 (also when the file cannot be opened or sought:
// nothing is then loaded); ICC_TARG_NO_MEMORY; ICC_TARG_READ_FAILED.
engine_result icc_writer_load_target_data(icc_writer *writer, const char *path);

// Error of the writer's last work-block allocation (0 or -108).
engine_result last_alloc_error(const icc_writer *writer);

// Fills an RGB mab_table from the tables: matrix 0.5 x the private matrix,
// offsets 0, an identity CLUT, A curves from the TRCs (a one-entry TRC is a
// gamma), identity B and M curves. An empty table is first given 3 inputs,
// 3 outputs, a 2-point grid and 256-entry curves. 0; -1 when the colour space
// is not 'RGB '; -108; ENGINE_ERR_WRONG_KIND for a table of another layout.
engine_result fill_mab_from_matrix(icc_writer *writer, mab_table *table, uint32_t colour_space);

// Size of the profile assemble_icc_profile would write with these arguments;
// 0 with ENGINE_ERR_WRONG_KIND when the tables cannot be written.
engine_result icc_profile_size(const icc_writer *writer, const char *copyright,
                               bool matrix_only, bool private_matrix, bool version4,
                               size_t *size);

// Builds the profile and delivers it. buffer null: written to path (a bare
// file name goes into the system colour folder) through a temporary file in
// the same folder that replaces the target only when complete. Else copied
// into buffer, which holds capacity bytes, and its length stored in *length.
// creator: a four-character signature. copyright may be null (empty).
// Results: 0; ICC_WRITE_FAILED (the file cannot be opened or written, or the
// buffer is too small: then nothing is copied); -108 (no memory, or the
// profile exceeds ICC_WORK_BLOCK_BYTES); ENGINE_ERR_WRONG_KIND (tables that
// do not describe a valid profile). On every failure no profile is
// delivered and an existing file at path is left as it was.
engine_result assemble_icc_profile(icc_writer *writer, const char *path, uint32_t creator,
                                   const char *copyright, bool matrix_only,
                                   bool private_matrix, bool version4, uint8_t *buffer,
                                   size_t capacity, uint32_t *length);

// Fixed version 2 template road: a version 2.0 input profile with the tags
// desc, rXYZ, gXYZ, bXYZ, rTRC, gTRC, bTRC, wtpt, cprt and an A2B0 from
// tables->a2b0_lut, creator 'Kirr'. Built fresh for every call.

// Total size of the template profile; 0 when the tables cannot be written.
uint32_t template_profile_size(const profile_tables *tables, const char *copyright);

// Writes everything before the A2B0 table's curves and CLUT (header, tag
// table, tags, the A2B0 table header) into head. 0 and *head_length;
// ICC_WRITE_FAILED when capacity is too small; ENGINE_ERR_WRONG_KIND.
engine_result fill_icc_template_header(const profile_tables *tables, const char *copyright,
                                       uint8_t *head, size_t capacity, size_t *head_length);

// The whole template profile into buffer (capacity bytes) with its length in
// *length, or into an open file. 0; ICC_WRITE_FAILED when it does not fit or
// a write falls short (nothing is copied into a buffer too small);
// ENGINE_ERR_WRONG_KIND; -108.
engine_result write_template_profile_to_buffer(uint8_t *buffer, size_t capacity,
                                               const profile_tables *tables,
                                               const char *copyright, uint32_t *length);
engine_result write_template_profile_to_file(std::FILE *file, const profile_tables *tables,
                                             const char *copyright);
