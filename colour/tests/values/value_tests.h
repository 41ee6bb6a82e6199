// Each test class of the colour values runs through one of these.
#pragma once

int runSpline1Tests(int argc, char **argv);
int runBezierLutTests(int argc, char **argv);
int runXmlSettingsTests(int argc, char **argv);
int runColorCurveTests(int argc, char **argv);
int runColorDifferenceTests(int argc, char **argv);
