// Seeds a scratch home for a driven run: target templates in the program's
// templates folder, each "NAME COLUMNS ROWS REFERENCE". A reference "fixture"
// stands for the chart-shot fixture's own colours, written beside the
// templates.
#include "DriverCharts.h"

#include "platform/program_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // The program's names and version: they name its data folders.
    QCoreApplication::setOrganizationName(QStringLiteral("Vandrelith"));
    QCoreApplication::setApplicationName(QStringLiteral("pelto"));
    QCoreApplication::setApplicationVersion(QStringLiteral("5.1.1"));
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.isEmpty() || arguments.size() % 4 != 0) {
        fprintf(stdout, "usage: %s NAME COLUMNS ROWS REFERENCE...\n", argv[0]);
        return 2;
    }
    const QString templates = platform::templatesFolderPath();
    for (int i = 0; i < arguments.size(); i += 4) {
        const QString name = arguments[i];
        const int columns = arguments[i + 1].toInt();
        const int rows = arguments[i + 2].toInt();
        QString reference = arguments[i + 3];
        if (reference == QLatin1String("fixture")) {
            ChartShotSpec spec;
            spec.columns = columns;
            spec.rows = rows;
            spec.cell = 4;
            reference = templates + QLatin1Char('/') + name + QStringLiteral(".cie");
            QSaveFile file(reference);
            if (!QDir().mkpath(templates) || !file.open(QIODevice::WriteOnly)
                || file.write(makeChartShot(spec).reference.toLatin1()) < 0 || !file.commit()) {
                fprintf(stdout, "cannot write %s\n", qPrintable(reference));
                return 1;
            }
        }
        if (!writeTargetTemplate(templates, name, columns, rows, reference)) {
            fprintf(stdout, "cannot write the template %s on %s\n", qPrintable(name), qPrintable(reference));
            return 1;
        }
    }
    return 0;
}
