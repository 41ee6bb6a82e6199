#include "ScriptedEngine.h"

#include "jobs/pq_ProfilingThreadMgr.h"
#include "jobs/pq_engineFiles.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace scripted {

namespace {

struct State
{
    // Standard ones, so that the thread checker sees the hand-over.
    std::mutex mutex;
    std::condition_variable released;
    Script script;
    bool releasedFlag = false;
    bool holding = false;
    int calls = 0;
    Call last;
};

State &state()
{
    static State s;
    return s;
}

QByteArray copied(const char *text)
{
    return text ? QByteArray(text) : QByteArray();
}

QByteArray fileBytes(const char *path)
{
    if (!path)
        return QByteArray();
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

}  // namespace

void install(const Script &script)
{
    State &s = state();
    {
        std::unique_lock<std::mutex> lock(s.mutex);
        s.script = script;
        s.releasedFlag = false;
        s.holding = false;
        s.calls = 0;
        s.last = Call();
    }
    pq_ProfilingThreadMgr::instance()->setEngineEntry(&entry);
}

void uninstall()
{
    pq_ProfilingThreadMgr::instance()->setEngineEntry(nullptr);
}

void release()
{
    State &s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
    s.releasedFlag = true;
    s.released.notify_all();
}

bool waitUntilHolding(int timeoutMs)
{
    State &s = state();
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        {
            std::unique_lock<std::mutex> lock(s.mutex);
            if (s.holding)
                return true;
        }
        QTest::qWait(5);
    }
    return false;
}

int callCount()
{
    std::unique_lock<std::mutex> lock(state().mutex);
    return state().calls;
}

Call lastCall()
{
    std::unique_lock<std::mutex> lock(state().mutex);
    return state().last;
}

int entry(const char *reference_path, const char *measured_path, const char *output_path,
          uint8_t device_flag1, uint8_t device_flag2, uint8_t gray_switch, uint8_t gray_option,
          uint8_t pcs_xyz, uint8_t make_dcp, uint8_t identity_tables, int delta_e_formula,
          const char *camera_model, const spectrum_samples *illuminant,
          const expert_overrides *overrides, const transfer_samples *transfer,
          int (*progress)(int done, int total), int (*abort)(), const target_offsets *job_block,
          const calculation_settings *settings, const char *temp_folder)
{
    Call call;
    call.referencePath = copied(reference_path);
    call.referenceNull = !reference_path;
    call.devicePath = copied(measured_path);
    call.outputPath = copied(output_path);
    const uint8_t flags[7] = {device_flag1, device_flag2, gray_switch, gray_option,
                              pcs_xyz,      make_dcp,     identity_tables};
    std::copy(flags, flags + 7, call.flags);
    call.deltaEFormula = delta_e_formula;
    call.cameraModel = copied(camera_model);
    call.cameraModelNull = !camera_model;
    if (illuminant) {
        call.hasIlluminant = true;
        for (uint32_t i = 0; i < illuminant->count; ++i)
            call.illuminant.append(illuminant->values[i]);
        call.illuminantStart = illuminant->start_nm;
        call.illuminantStep = illuminant->step_nm;
    }
    if (overrides) {
        call.hasOverrides = true;
        call.overrides = *overrides;
    }
    if (transfer) {
        call.transferCount = transfer->count;
        call.transferEntries = transfer->entries;
        for (int c = 0; c < transfer->count; ++c) {
            QVector<uint16_t> curve;
            for (int k = 0; k < transfer->entries; ++k)
                curve.append(transfer->curves[c][k]);
            call.transferCurves.append(curve);
        }
    }
    call.progressGiven = progress != nullptr;
    call.abortGiven = abort != nullptr;
    if (job_block) {
        call.hasOffsets = true;
        call.offsets = *job_block;
    }
    if (settings) {
        call.hasSettings = true;
        call.settings = *settings;
    }
    call.tempFolder = copied(temp_folder);
    call.tempFolderNull = !temp_folder;
    call.referenceText = fileBytes(reference_path);
    call.deviceText = fileBytes(measured_path);

    State &s = state();
    Script script;
    {
        std::unique_lock<std::mutex> lock(s.mutex);
        ++s.calls;
        s.last = call;
        script = s.script;
    }
    for (const auto &step : script.progress)
        progress(step.first, step.second);
    if (script.hold) {
        std::unique_lock<std::mutex> lock(s.mutex);
        s.holding = true;
        while (!s.releasedFlag && !(script.pollAbort && abort())) {
            s.released.wait_for(lock, std::chrono::milliseconds(2));
        }
        s.holding = false;
    }
    if (script.pollAbort && abort())
        return -1;
    if (temp_folder && script.writeTemporaries) {
        const QString folder = QFile::decodeName(temp_folder);
        const QString base = pq_engineFileBase(QFile::decodeName(output_path));
        writeFile(folder + "/" + pq_engineMeasurementFileName(), "measurements");
        writeFile(folder + "/" + base + "_out.cie", "out");
    }
    if (script.result == 0 && output_path)
        writeFile(QFile::decodeName(output_path), script.profileBytes);
    return script.result;
}

}  // namespace scripted
