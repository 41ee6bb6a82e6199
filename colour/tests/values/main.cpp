#include "value_tests.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int failed = 0;
    failed += runSpline1Tests(argc, argv);
    failed += runBezierLutTests(argc, argv);
    failed += runXmlSettingsTests(argc, argv);
    failed += runColorCurveTests(argc, argv);
    failed += runColorDifferenceTests(argc, argv);
    return failed == 0 ? 0 : 1;
}
