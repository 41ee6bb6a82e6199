#pragma once
// The QML image provider "targets": serves the picture of a job's target for
// the ids of pq_targetIconId.

#include <QQuickImageProvider>

class CppTargetIconProvider : public QQuickImageProvider {
public:
    CppTargetIconProvider();

    QPixmap requestPixmap(const QString& id, QSize* size, const QSize& requestedSize) override;
};
