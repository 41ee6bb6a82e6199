// Target templates for a fresh data folder, made from a folder of chart
// reference files.
#pragma once

#include <QString>

// When the templates' "Targets" folder holds no template ("*.xml"), writes one
// template for each reference file ("*.cie") of referenceFolder whose patches
// form a regular grid listed row by row: the definition in the file's own
// order, a picture rendered from the reference colours, and the reference left
// as the file itself. A folder that holds templates is never touched; a
// missing reference folder writes nothing and logs one warning. Returns the
// number of templates written.
int pq_writeStarterTargetTemplates(const QString &referenceFolder);
