#pragma once
// CGATS normaliser: turns CGATS text as other programs write it into text that
// ISO12642_Parser / VandrelithFile_Parser accept. Text in, text out; nothing
// is read from or written to disk. Rules, in the order applied:
//
//  1. A UTF-8 byte-order mark is dropped; CR LF and lone CR become LF.
//  2. The text is split into lines of words and quoted strings; comments
//     ("#" to the end of the line, outside strings) are dropped. A quoted
//     string ends at its closing quote or at the end of its line.
//  3. File identifier: when the first line starts with a keyword (a known or
//     declared keyword, a reserved word, or a word followed by a value), the
//     line "IS12642" is inserted before it. A first line "Vandrelith ..." (the
//     program's own header) is kept as it is.
//  4. Header lines "NAME value": the name loses the characters that cannot be
//     part of an identifier; the value is written as one quoted string (an
//     unquoted value, e.g. SPECTRAL_START_NM 300.0, is quoted; several words
//     are joined by a blank; quotes inside are dropped; a missing value
//     becomes ""). A name that is neither predefined nor declared gets a
//     KEYWORD "NAME" line before its first use. Lines that start with a number
//     or a string, stray END_DATA_FORMAT / END_DATA and IS12642 are dropped.
//     The program's own blocks (LINEARIZATION: with CYAN:, MAGENTA:, YELLOW:,
//     BLACK: rows, BEGIN_SPECTRUM .. END_SPECTRUM, RELATIVE_PATCH_POSITIONS_TR_YF)
//     are kept as they are.
//  5. Field names in the data format: SampleID, Sample_ID, SAMPLEID (any case)
//     become SAMPLE_ID; the prefixes Lab_, XYZ_, RGB_, CMYK_, CMY_, D_, STDEV_
//     (any case) are written in upper case with the channel letter (LAB_L,
//     XYZ_X ...); Yxy_x, Yxy_y, Yxy_Y become XYY_X, XYY_Y, XYY_PY; spectral
//     columns SPEC_<nm>, nm<nm>, NM_<nm> and SPECTRAL_NM_<nm> become
//     SPECTRAL_<nm> (a wavelength such as 380.0 is written 380; when every
//     spectral column is a multiple of 1000 from 100000 up, as in SPEC_380000,
//     the wavelengths are read as thousandths of a nm). R_<nm> stays.
//  6. The data-format block is written from the names found, with
//     NUMBER_OF_FIELDS set to their count (a wrong count in the file is
//     corrected). Without a data format but with data, the names FIELD_1 ..
//     FIELD_n are used, n being the widest data line.
//  7. Data: one set per line, empty lines dropped; a number written as .5 or
//     -.5 gets its leading 0; a word that is no number and holds characters
//     that an identifier cannot hold is quoted. NUMBER_OF_SETS is set to the
//     number of sets found (a wrong or missing count is corrected; an empty
//     data block gets none, so it parses as a table of no sets), END_DATA is
//     added when missing.
//  8. Only the first table is kept: text from a second NUMBER_OF_FIELDS,
//     BEGIN_DATA_FORMAT or BEGIN_DATA after the first END_DATA on is dropped.
//     Header lines after the data are kept.
//  9. CREATED "unknown" is added after the identifier line when the file has
//     no CREATED keyword.
//
// Data lines with more or fewer values than fields are left as they are, so the
// parser reports them with their line.

#include <QByteArray>
#include <QString>

// Normalised form of CGATS text given as bytes (ASCII, Latin-1 or UTF-8).
QByteArray normaliseCgats(const QByteArray& text);
// The same for text held as a QString (encoded as UTF-8 and decoded back).
QString normaliseCgats(const QString& text);
