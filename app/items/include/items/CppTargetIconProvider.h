#pragma once
// The QML image provider "targets": "image://targets/" + the percent-encoded
// job name + "." + target index serves that target's picture.

#include <QQuickImageProvider>

class CppTargetIconProvider : public QQuickImageProvider {
public:
    CppTargetIconProvider();

    QPixmap requestPixmap(const QString& id, QSize* size, const QSize& requestedSize) override;

    // The id for a job's target, the name percent-encoded.
    static QString targetIconId(const QString& jobName, int index);
};
