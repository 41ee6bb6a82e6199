#include "items/pq_registerItems.h"

#include "items/CppImageWidget.h"
#include "items/CppTargetIconProvider.h"
#include "items/CppZoomedArea.h"

#include <QQmlEngine>
#include <QtQml>

void pq_registerQmlItems()
{
    qmlRegisterType<CppImageWidget>("CppImage", 1, 0, "CppImageWidget");
    qmlRegisterType<CppZoomedArea>("CppZoomedArea", 1, 0, "CppZoomedArea");
}

void pq_addTargetIconProvider(QQmlEngine* engine)
{
    engine->addImageProvider(QStringLiteral("targets"), new CppTargetIconProvider);
}
