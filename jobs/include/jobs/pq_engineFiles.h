// Names of the files a profiling run hands to and gets from the profile
// engine. The job writes them and the run manager deletes them, both by these
// rules.
#pragma once

#include <QString>

// The base B of the engine files of a profile file name: its file name (the
// part after the last "/") with every ".dcp", ".icc" and ".icm" removed
// (case-sensitive, in that order). The engine reads B.cie and B.pix and may
// write B_out.cie, all in the temporary folder.
QString pq_engineFileBase(const QString &profileFileName);

// True when name names a file directly inside a folder: not empty, not "." or
// "..", and without "/", "\" (the engine's other separator) or NUL.
bool pq_isPlainFileName(const QString &name);

// The name of the measurement file that the engine writes into the
// temporary folder.
inline QString pq_engineMeasurementFileName() { return QStringLiteral("CamData.CIE"); }
