// A stand-in for the profile engine's job entry, installed through the run
// manager's engine seam: it reports scripted progress, can hold until the
// test releases it, polls the abort callback, returns a scripted code, and
// keeps a copy of everything it received.
#pragma once

#include "engine/records.h"

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>

#include <cstdint>

namespace scripted {

struct Script
{
    // (done, total) reports, in order.
    QVector<QPair<int, int>> progress;
    // Hold after the progress until release() (or an abort when pollAbort).
    bool hold = false;
    // Return as soon as the abort callback asks to stop.
    bool pollAbort = true;
    int result = 0;
    // Write this text into the output path before returning 0.
    QByteArray profileBytes = "profile";
    // Write "CamData.CIE" and B_out.cie into the temporary folder.
    bool writeTemporaries = true;
};

// What one call received, copied.
struct Call
{
    QByteArray referencePath;
    QByteArray devicePath;
    QByteArray outputPath;
    bool referenceNull = false;
    uint8_t flags[7] = {};
    int deltaEFormula = 0;
    QByteArray cameraModel;
    bool cameraModelNull = false;
    bool hasIlluminant = false;
    QVector<float> illuminant;
    uint32_t illuminantStart = 0;
    uint32_t illuminantStep = 0;
    bool hasOverrides = false;
    expert_overrides overrides{};
    int transferCount = 0;
    int transferEntries = 0;
    QVector<QVector<uint16_t>> transferCurves;
    bool progressGiven = false;
    bool abortGiven = false;
    bool hasOffsets = false;
    target_offsets offsets{};
    bool hasSettings = false;
    calculation_settings settings{};
    QByteArray tempFolder;
    bool tempFolderNull = false;
    // Files present when the call began: the reference and device files.
    QByteArray referenceText;
    QByteArray deviceText;
};

// Installs the stand-in with a script (before start()).
void install(const Script &script);
// Puts the profile engine back.
void uninstall();
// Lets a holding call return.
void release();
// Waits until a call has begun its hold (spinning the event loop).
bool waitUntilHolding(int timeoutMs = 20000);
int callCount();
Call lastCall();

// The entry itself, of create_profile_for_job's type.
int entry(const char *reference_path, const char *measured_path, const char *output_path,
          uint8_t device_flag1, uint8_t device_flag2, uint8_t gray_switch, uint8_t gray_option,
          uint8_t pcs_xyz, uint8_t make_dcp, uint8_t identity_tables, int delta_e_formula,
          const char *camera_model, const spectrum_samples *illuminant,
          const expert_overrides *overrides, const transfer_samples *transfer,
          int (*progress)(int done, int total), int (*abort)(), const target_offsets *job_block,
          const calculation_settings *settings, const char *temp_folder);

}  // namespace scripted
