// The templates folder that target descriptions are relative to.
#pragma once

#include <QString>

// The program's templates folder, looked up once; tools and tests may set
// another one first.
QString pq_templatesFolder();
void pq_setTemplatesFolder(const QString &folder);

// The file URL of a local path (percent-encoded, reads back to the path);
// empty for an empty path.
QString pq_fileUrl(const QString &path);
