#pragma once

class QQmlEngine;

// Registers CppImageWidget (module "CppImage" 1.0) and CppZoomedArea (module
// "CppZoomedArea" 1.0) as QML types.
void pq_registerQmlItems();
// Adds the "targets" image provider to an engine (which takes it over).
void pq_addTargetIconProvider(QQmlEngine* engine);
