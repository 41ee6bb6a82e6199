#pragma once
// Loads one chart image on a worker thread into an Image of its own and swaps
// the result into the target only when the load succeeded.
//
// An ICC profile (".icc") or a target text (".txt") is loaded as the
// synthetic chart the profile engine renders from its measurement data (the
// profile's 'targ' tag, or the text itself) into the temporary folder.
//
// Move the worker to a QThread, connect started() to loadImage(); it emits
// progress(double) as it goes, then success(bool), then finished().

#include <chart/Image.h>

#include <QObject>
#include <QString>

#include <atomic>

class pq_LoadImageWorker : public QObject {
    Q_OBJECT
public:
    // target must outlive the worker; it is touched only by the final swap.
    pq_LoadImageWorker(Image* target, const QString& path, const QString& tempFolder,
                       bool normalizeTiff, int patchColumns, int patchRows,
                       QObject* parent = nullptr);
    ~pq_LoadImageWorker() override;

    bool isCancelRequested();

public slots:
    void loadImage();
    void requestCancel();

signals:
    void progress(double fraction);
    void success(bool loaded);
    void finished();

private:
    static void progressHook(void* worker, double fraction);
    static bool abortHook(void* worker);
    bool loadSyntheticChart(Image& image);

    Image* m_target;
    QString m_path;
    QString m_tempFolder;
    bool m_normalizeTiff;
    int m_columns;
    int m_rows;
    // Set from any thread, read by the decoder's progress hook.
    std::atomic<bool> m_cancel{false};
    double m_lastProgress = -1.0;
};
