// The engine's CGATS text reader and writer, and small text-file queries.
// Paths are NUL-terminated UTF-8 byte texts.
#pragma once

#include "engine/engine_result.h"
#include "engine/patch_set.h"

#include <cstddef>
#include <cstdint>

// Column mask bits of write_cgats_file.
enum : uint32_t {
    CGATS_SAMPLE_LOC = 0x1,
    CGATS_SAMPLE_ID = 0x2,
    CGATS_SPECTRAL = 0x4,
    CGATS_XYZ = 0x8,
    CGATS_LAB = 0x10,
    CGATS_RGB = 0x20,
    CGATS_CMYK = 0x40,
    CGATS_CMY = 0x80,
    CGATS_MCH = 0x100,
    CGATS_LCH = 0x200,
    CGATS_CONTROL = 0x400,
    CGATS_DE2000 = 0x800,
    CGATS_EXTRA = 0x1000,
    CGATS_SKIP_IGNORED = 0x2000,
};

// Largest file the reader accepts; a longer one gives ENGINE_ERR_FILE.
constexpr size_t CGATS_MAX_FILE_BYTES = size_t(256) << 20;

// Reads a CGATS file into an empty set (one made by patch_set_init). A path
// ending in ".CIEX" (any case) holds its text with every byte inverted.
// 0; -1 file cannot be read or is not a measurement file; -108.
engine_result read_cgats_file(const char *path, patch_set *set);
// The same parser over bytes in memory (already inverted back when needed).
engine_result read_cgats_bytes(const char *data, size_t size, patch_set *set);

// Where and why the reader refused a text, and the gaps it let pass.
struct cgats_report {
    // The refusal: "name: line 12: reason" ("name: reason" when it concerns the
    // whole file; without "name: " for bytes read without a name). Empty when
    // the text was read.
    char message[512];
    int line;  // line of the refusal, 0 for the whole file
    // Data lines with fewer values than the format has fields, and values of
    // the named device columns (RGB_R, CMYK_C, ...) that are missing or no
    // finite number: the set holds -1 there. Lines count from 1.
    int short_rows;
    int first_short_line;
    int device_gaps;
    int first_gap_line;
};

void cgats_report_init(cgats_report *report);
// read_cgats_file and read_cgats_bytes with a report (or null); the results
// are theirs. name (or null) opens the report's message.
engine_result read_cgats_file_report(const char *path, patch_set *set, cgats_report *report);
engine_result read_cgats_bytes_report(const char *data, size_t size, const char *name,
                                      patch_set *set, cgats_report *report);

// Copies the line after the first line beginning "BEGIN_COMMENT" (with its
// line end, cut to out_size - 1 bytes and NUL-terminated) into out.
// 0 found; -1 not found; -108; 0 with out untouched when the file cannot be opened.
engine_result read_cgats_comment(const char *path, char *out, size_t out_size);

// True when the file's bytes contain text; false when it cannot be read.
bool file_contains_text(const char *path, const char *text);

// Copies what follows the first occurrence of key: a value in single quotes up
// to the closing quote, tab or line feed, else up to the next tab or line feed.
// At most out_size - 1 bytes are copied and nothing else is written (the caller
// passes a zeroed buffer). 0 found; -1 not found; -108; 0 when the file cannot
// be opened.
engine_result read_text_value(const char *path, const char *key, char *out, size_t out_size);

// Writes the set as a CGATS "Reference File" with the columns of mask.
// comment_number >= 1 writes a comment block; extra_line (or null) is written
// before the data format. The file is written to a temporary name beside path
// and renamed into place. -32761 empty set; -32756 more than 119 wavelengths
// (nothing written); -1 file failure.
engine_result write_cgats_file(const patch_set *set, const char *path, uint32_t mask,
                               int comment_number, const char *extra_line);
