#pragma once
// The patch matrix laid over one chart image: nine control points (numbered
// clockwise from the top-left corner: 0 top-left, 1 top middle, 2 top-right,
// 3 right middle, 4 bottom-right, 5 bottom middle, 6 bottom-left, 7 left middle,
// 8 centre), the grid nodes interpolated from them, the sample area of a cell and
// the measurement of a cell's pixels into the target's patch.
//
// Grid node (column, row), column 0..columns and row 0..rows, is the top-left
// corner of cell (column, row); node (0, 0) is point 0, node (columns, rows)
// point 4. The placement survives in a ".rst" text file.

#include <QByteArray>
#include <QPoint>
#include <QSize>
#include <QString>

class QPixmap;
class QTransform;
class RawImageIF;
class TargetIF;

class PatchGridIF {
public:
    virtual ~PatchGridIF() = default;

    virtual bool loadFromFile(const QString& path, const QString& imageName, int angle,
                              const QPixmap* pixmap) = 0;
    virtual bool saveToFile(const QString& path, const QString& imageName, int angle,
                            bool append) = 0;
    virtual void resetToImageRect() = 0;
    virtual void updateControlPoints(int moved) = 0;
    virtual void setGridSize(int rows, int columns) = 0;
    virtual void updateCenter() = 0;
    virtual void setCorners(QPoint topLeft, QPoint topRight, QPoint bottomLeft,
                            QPoint bottomRight) = 0;
    virtual QPoint& controlPoint(int i) = 0;
    virtual void setControlPoint(int i, QPoint p) = 0;
    virtual void setControlPointClamped(int i, QPoint p) = 0;
    virtual bool noPointPlaced() const = 0;
    virtual void clearPlacedFlags() = 0;
    virtual bool isPointPlaced(int i) const = 0;
    virtual void markPointPlaced(int i) = 0;
    virtual void setCornerMode() = 0;
    virtual void setNinePointMode() = 0;
    virtual bool isCornerMode() const = 0;
    virtual bool isNinePointMode() const = 0;
    virtual void setImageSize(QSize size) = 0;
    virtual void copyFrom(const PatchGridIF* other) = 0;
    virtual int rows() const = 0;
    virtual int columns() const = 0;
    virtual int imageWidth() const = 0;
    virtual int imageHeight() const = 0;
    virtual QPoint interpolateInQuadrant(QPoint tl, QPoint tr, QPoint bl, QPoint br, float u,
                                         float v, int quadrant) const = 0;
    virtual QPoint patchCenter(int column, int row) const = 0;
    virtual void setSampleArea(int column, int row, double fraction) = 0;
    virtual void transformSampleArea(const QTransform& transform) = 0;
    virtual void measurePatch(int column, int row, TargetIF* target, const RawImageIF* image,
                              bool toSet2) = 0;
    virtual void measurePatchSet3(int column, int row, TargetIF* target,
                                  const RawImageIF* image) = 0;
    virtual QPoint sampleCorner(int i) const = 0;
};

class PatchGrid : public PatchGridIF {
public:
    // Outcome of reading a placement file.
    enum PlacementStatus {
        PlacementOk = 0,
        PlacementCannotOpen,     // the file cannot be opened or read
        PlacementOtherImage,     // name, size or angle belong to another image
        PlacementBadNumber,      // a number does not parse, or an index is not 0..8
        PlacementTruncated,      // not all nine points are given
        PlacementOutsideImage,   // a point lies outside the image
    };

    PatchGrid();
    PatchGrid(const PatchGrid&) = default;
    PatchGrid& operator=(const PatchGrid&) = default;
    ~PatchGrid() override;

    // Reads a placement file; true only when it belongs to the image (name,
    // pixmap size and angle; an empty name, a null pixmap or angle < 0 accept
    // anything) and gives all nine points, inside the image. A refused file
    // leaves the grid as it was.
    bool loadFromFile(const QString& path, const QString& imageName, int angle,
                      const QPixmap* pixmap) override;
    // The same over the text of a placement file; imageSize null accepts any size.
    PlacementStatus loadFromText(const QByteArray& text, const QString& imageName, int angle,
                                 const QSize* imageSize);
    // The outcome of the last loadFromFile.
    PlacementStatus lastPlacementStatus() const;
    bool saveToFile(const QString& path, const QString& imageName, int angle,
                    bool append) override;
    // The placement text that saveToFile writes.
    QByteArray placementText(const QString& imageName, int angle) const;

    void resetToImageRect() override;
    void updateControlPoints(int moved) override;
    void setGridSize(int rows, int columns) override;
    void updateCenter() override;
    void setCorners(QPoint topLeft, QPoint topRight, QPoint bottomLeft,
                    QPoint bottomRight) override;
    // Point i (0..8); an index out of range gives a scratch point that is not
    // part of the grid.
    QPoint& controlPoint(int i) override;
    const QPoint& controlPoint(int i) const;
    void setControlPoint(int i, QPoint p) override;
    void setControlPointClamped(int i, QPoint p) override;
    bool noPointPlaced() const override;
    void clearPlacedFlags() override;
    bool isPointPlaced(int i) const override;
    void markPointPlaced(int i) override;
    void setCornerMode() override;
    void setNinePointMode() override;
    bool isCornerMode() const override;
    bool isNinePointMode() const override;
    void setImageSize(QSize size) override;
    void copyFrom(const PatchGridIF* other) override;
    int rows() const override;
    int columns() const override;
    int imageWidth() const override;
    int imageHeight() const override;
    QPoint interpolateInQuadrant(QPoint tl, QPoint tr, QPoint bl, QPoint br, float u, float v,
                                 int quadrant) const override;
    // Node (column, row); also valid for column = columns and row = rows. Point 0
    // while the grid has no rows or columns.
    QPoint patchCenter(int column, int row) const override;
    void setSampleArea(int column, int row, double fraction) override;
    void transformSampleArea(const QTransform& transform) override;
    // Mean and deviation per channel of the pixels inside the sample area, into
    // value set 1 (or 2) of patch (column, row) of target. Means are on the
    // 16-bit scale; a cell with no sampled pixel gives NaN means and deviation.
    void measurePatch(int column, int row, TargetIF* target, const RawImageIF* image,
                      bool toSet2) override;
    void measurePatchSet3(int column, int row, TargetIF* target,
                          const RawImageIF* image) override;
    QPoint sampleCorner(int i) const override;

private:
    struct Statistics;
    Statistics sampleStatistics(const RawImageIF* image) const;

    QSize m_imageSize{-1, -1};
    int m_rows = 0;
    int m_columns = 0;
    QPoint m_points[9];
    bool m_placed[9] = {false, false, false, false, false, false, false, false, false};
    QPoint m_sampleQuad[4];
    QPoint m_measureQuad[4];
    int m_mode = 0;
    int m_samplingStep = 3;
    PlacementStatus m_lastStatus = PlacementOk;
    mutable QPoint m_scratch;
};
