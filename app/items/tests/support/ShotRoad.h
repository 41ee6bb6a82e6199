// Real chart photographs through the chart image item's own road: the shot
// read by the image loader, handed to the item as a finished load, and the
// placed grid judged against the truth in a sidecar text file.
#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The truth beside a shot ("NAME.jpg.txt"): after '#' comment lines, the
// chart's columns and rows as it lies in the picture, the four outer lattice
// corners (top-left, top-right, bottom-left, bottom-right) as fractions of the
// width and the height, and optionally "first K" (K one of TL, TR, BL, BR, or
// "?"): the corner nearest the chart's first patch.
struct ShotTruth
{
    int columns = 0;
    int rows = 0;
    std::array<double, 4> x{};
    std::array<double, 4> y{};
    int first = -1;   // 0..3 in the corner order above; -1 when unknown
};

// Reads a sidecar; false with a reason when it does not parse.
bool readShotTruth(const QString& path, ShotTruth* truth, QString* error);

// The shots of a folder that have a sidecar, sorted by name.
QStringList shotsWithTruth(const QString& folder);

enum class ShotVerdict { Found, Wrong, NotPlaced, Unreadable };

struct ShotOutcome
{
    ShotVerdict verdict = ShotVerdict::Unreadable;
    int rotation = 0;
    double worstCorner = 0;   // % of the diagonal, against the truth in the item's orientation
    double ms = 0;            // loaded picture to placed grid
    QString note;             // why a shot was unreadable, or what the item told the user
};

// Runs one shot through the item with a 6 x 4 ColorChecker target. Found:
// every lattice corner within 1 % of the diagonal and the first patch at its
// corner; wrong: the grid placed otherwise; not placed: the item asked the
// user to place the grid.
ShotOutcome runShotRoad(const QString& shotPath, const ShotTruth& truth);

const char* shotVerdictName(ShotVerdict verdict);
