// Patch painting, the quality report and hover of the patch-grid widget.
#include "PatchLabSupport.h"
#include "widgets/pq_ratingThresholds.h"

#include "settings/pq_Settings.h"

#include "chart/Patch.h"
#include "chart/PatchGrid.h"
#include "chart/Target.h"
#include "colour/Kirr_ColorImageIF.h"
#include "colour/Kirr_ColorMatchIF.h"
#include "colour/Kirr_colorDifference.h"
#include "colour/Kirr_colorLibrary.h"
#include "jobs/pq_JobIF.h"
#include "jobs/pq_jobExpertSettingsIF.h"

#include <QHoverEvent>
#include <QPainter>
#include <QPolygonF>

#include <cmath>
#include <cstdio>
#include <mutex>

namespace {

bool isUsed(const PatchIF *patch) { return patch && patch->type() != PatchIF::TypeIgnored; }

bool valueOneIsZero(const PatchIF &patch)
{
    const int n = int(patch.valueCount());
    for (int c = 0; c < n; ++c)
        if (patch.value1(c) != 0)
            return false;
    return true;
}

int byteOf(double v) { return qBound(0, int(Kirr_round(std::isfinite(v) ? v * 255.0 : 0.0)), 255); }

const char *formulaName(int formula)
{
    switch (formula) {
    case 0: return "dE1976";
    case 1: return "dE1994";
    case 2: return "dE2000";
    case 3: return "dE2000L";
    default: return "unknown";
    }
}

double chroma(const double lab[3]) { return std::sqrt(lab[1] * lab[1] + lab[2] * lab[2]); }

double hue(const double lab[3]) { return std::atan2(lab[2], lab[1]) * 180.0 / M_PI; }

}  // namespace

static std::mutex g_thresholdMutex;
static std::function<pq_ratingThresholds()> g_thresholdSource;

void pq_setRatingThresholdSource(std::function<pq_ratingThresholds()> source)
{
    std::lock_guard<std::mutex> lock(g_thresholdMutex);
    g_thresholdSource = std::move(source);
}

pq_ratingThresholds pq_currentRatingThresholds()
{
    std::function<pq_ratingThresholds()> source;
    {
        std::lock_guard<std::mutex> lock(g_thresholdMutex);
        source = g_thresholdSource;
    }
    if (source)
        return source();
    const pq_Settings *settings = pq_Settings::instance();
    pq_ratingThresholds t;
    t.colorDeltaEThresholdLower = settings->colorDeltaEThresholdLower();
    t.colorDeltaEThresholdUpper = settings->colorDeltaEThresholdUpper();
    t.neutralDeltaEThreshold = settings->neutralDeltaEThreshold();
    t.neutralLightThreshold = settings->neutralLightThreshold();
    t.neutralChromaThreshold = settings->neutralChromaThreshold();
    t.overallDeltaEThreshold = settings->overallDeltaEThreshold();
    return t;
}

QColor pq_ImagePatchGridWidget::labToDisplay(const double lab[3]) const
{
    double rgb[3] = {0, 0, 0};
    if (!m_labToDisplayMatch || !m_labToDisplayMatch->labToRgb(lab, rgb, 1))
        return QColor();
    return QColor(byteOf(rgb[0]), byteOf(rgb[1]), byteOf(rgb[2]));
}

QColor pq_ImagePatchGridWidget::patchDisplayColour(const PatchIF &patch, const DeviceFormat &format,
                                                   Kirr_ColorImageIF &device,
                                                   Kirr_ColorImageIF *rgb16)
{
    if (valueOneIsZero(patch))
        return QColor(qBound(0, patch.rgb(0), 255), qBound(0, patch.rgb(1), 255),
                      qBound(0, patch.rgb(2), 255));
    Kirr_ColorMatchIF *match = m_monitorMatch ? m_monitorMatch : m_quickMonitorMatch;
    if (match) {
        fillDevicePixel(patch, format, device);
        if (rgb16 && match->transformImage(device, *rgb16, imageRGBFactorData()))
            return QColor(byteOf(rgb16->sample(0, 0, 0) / 65535.0),
                          byteOf(rgb16->sample(0, 0, 1) / 65535.0),
                          byteOf(rgb16->sample(0, 0, 2) / 65535.0));
    }
    double v[3];
    for (int c = 0; c < 3; ++c)
        v[c] = patch.value1(c) / 65535.0;
    if (m_job) {
        double converted[3] = {patch.value1(0), patch.value1(1), patch.value1(2)};
        if (m_job->linearizeChartValues(converted, 3))
            for (int c = 0; c < 3; ++c)
                v[c] = converted[c] / 65535.0;
    }
    return QColor(byteOf(v[0]), byteOf(v[1]), byteOf(v[2]));
}

QColor pq_ImagePatchGridWidget::controlPatchColour(const PatchIF &patch, TargetIF *target,
                                                   double means[2][3]) const
{
    Q_UNUSED(target)
    const int kind = patch.type() == PatchIF::TypeLightness ? 0 : 1;
    double norm = m_set3Maximum > 0 ? patch.value3(m_set3Channel) / m_set3Maximum : 0;
    if (!(norm > 0))
        norm = 1;
    double d = 0;
    for (int c = 0; c < 3; ++c)
        d = std::max(d, std::fabs(patch.value1(c) / norm - means[kind][c]));
    d /= 655.35;
    if (!std::isfinite(d))
        d = 1e9;
    const double limits[2][3] = {{1, 3, 5}, {0.1, 0.3, 1.5}};
    if (d <= limits[kind][0])
        return QColor(0, 255, 0);
    if (d <= limits[kind][1])
        return QColor(255, 255, 0);
    if (d <= limits[kind][2])
        return QColor(255, 100, 0);
    return QColor(255, 0, 0);
}

QColor pq_ImagePatchGridWidget::ratingColour(int type, double dE, double dL, double dC,
                                             const QColor &shown) const
{
    if (!m_deltaColorsEnabled || !(dE >= 0)
        || !(m_deltaColorsLimitForShow < 0 || dE <= m_deltaColorsLimitForShow))
        return shown;
    const pq_ratingThresholds t = pq_currentRatingThresholds();
    if (type == PatchIF::TypeGrey) {
        if (t.neutralLightThreshold >= std::fabs(dL) && t.neutralChromaThreshold >= std::fabs(dC)
            && t.neutralDeltaEThreshold >= std::fabs(dE))
            return m_greenDeltaColorsEnabled ? QColor(0, 240, 0) : shown;
        return m_redDeltaColorsEnabled ? QColor(255, 0, 0) : shown;
    }
    const double L = t.colorDeltaEThresholdLower;
    const double U = t.colorDeltaEThresholdUpper;
    if (dE < 0.6 * L)
        return m_greenDeltaColorsEnabled ? QColor(30, 255, 30) : shown;
    if (dE < L)
        return m_greenDeltaColorsEnabled ? QColor(0, 240, 0) : shown;
    if (dE < 0.6 * (U + 0.4 * L))
        return m_yellowDeltaColorsEnabled ? QColor(255, 255, 0) : shown;
    if (dE < U)
        return m_yellowDeltaColorsEnabled ? QColor(255, 200, 0) : shown;
    return m_redDeltaColorsEnabled ? QColor(255, 0, 0) : shown;
}

void pq_ImagePatchGridWidget::paintPatches(QPainter *painter, PatchGridIF *grid, TargetIF *target,
                                           const QPen &pen, const QPen &widePen)
{
    const DeviceFormat format = deviceFormat(target);
    std::unique_ptr<Kirr_ColorImageIF> device =
        pq_onePixel(format.colorSpace, format.bits, format.channels);
    std::unique_ptr<Kirr_ColorImageIF> lab16 = pq_onePixel(Kirr_sig("Lab "), 16, 3);
    std::unique_ptr<Kirr_ColorImageIF> rgb16 = pq_onePixel(Kirr_sig("RGB "), 16, 3);
    if (!device || !lab16)
        return;
    exposeToTargetWhite(target, format, *device, *lab16);
    const bool report = m_imageToLabMatch != nullptr;
    const int formula =
        m_job && m_job->expertSettings() ? m_job->expertSettings()->deltaEFormula() : 2;
    const QTransform inverse = displayTransform(false).inverted();
    const unsigned rows = target->rows();
    const unsigned columns = target->columns();

    // Means of value set 1 per control type, each normalised like its patches.
    double means[2][3] = {{0, 0, 0}, {0, 0, 0}};
    if (m_lightnessControlVisible) {
        int counts[2] = {0, 0};
        for (unsigned r = 0; r < rows; ++r)
            for (unsigned c = 0; c < columns; ++c) {
                const PatchIF *p = target->patch(c, r);
                if (!p || (p->type() != PatchIF::TypeLightness && p->type() != PatchIF::TypeReflection))
                    continue;
                const int kind = p->type() == PatchIF::TypeLightness ? 0 : 1;
                double norm = m_set3Maximum > 0 ? p->value3(m_set3Channel) / m_set3Maximum : 0;
                if (!(norm > 0))
                    norm = 1;
                for (int ch = 0; ch < 3; ++ch)
                    means[kind][ch] += p->value1(ch) / norm;
                ++counts[kind];
            }
        for (int k = 0; k < 2; ++k)
            for (int ch = 0; ch < 3; ++ch)
                if (counts[k] > 0)
                    means[k][ch] /= counts[k];
    }

    if (report) {
        QByteArray extraSpaces, extraDashes;
        for (int c = 3; c < format.channels; ++c) {
            extraSpaces += "       ";
            extraDashes += "-------";
        }
        std::fprintf(stderr,
                     "ID    CTL       measured RGB    %s      matched to Lab         reference Lab"
                     "       deltaE\n",
                     extraSpaces.constData());
        std::fprintf(stderr,
                     "---   ---   --------------------%s   --------------------   "
                     "--------------------   ------\n",
                     extraDashes.constData());
    }
    bool passed = true;
    double sum = 0, minimum = 0, maximum = 0;
    int counted = 0;
    pq_GainModulation gainMod;

    for (unsigned r = 0; r < rows; ++r) {
        for (unsigned c = 0; c < columns; ++c) {
            PatchIF *p = target->patch(c, r);
            if (!p)
                continue;
            if (p->type() == PatchIF::TypeIgnored) {
                painter->setPen(widePen);
                painter->drawLine(pointToItem(grid->patchCenter(int(c), int(r))),
                                  pointToItem(grid->patchCenter(int(c) + 1, int(r) + 1)));
                painter->setPen(pen);
                continue;
            }
            grid->setSampleArea(int(c), int(r), 0.5);
            grid->transformSampleArea(inverse);
            QPolygonF quad;
            for (int i = 0; i < 4; ++i)
                quad << pointToItem(grid->sampleCorner(i));
            QPolygonF triangle;
            triangle << quad[0] << quad[1] << quad[3];

            QColor fill = patchDisplayColour(*p, format, *device, rgb16.get());

            // The colour difference of the report and the rating.
            double dE = -1, dL = 0, dC = 0;
            double measured[3] = {0, 0, 0}, ref[3] = {0, 0, 0};
            bool haveLab = false;
            if (report && !valueOneIsZero(*p)) {
                fillDevicePixel(*p, format, *device);
                haveLab = measuredLab(*device, *lab16, measured);
                if (haveLab) {
                    referenceLab(*p, ref);
                    float fL = 0, fC = 0, fH = 0;
                    dE = Kirr_colorDifference(measured, ref, formula, &fL, &fC, &fH);
                    dL = fL;
                    dC = fC;
                    if (!std::isfinite(dE)) {
                        dE = -1;
                        haveLab = false;
                    }
                }
            }
            const bool control = m_lightnessControlVisible
                                 && (p->type() == PatchIF::TypeLightness
                                     || p->type() == PatchIF::TypeReflection);
            if (report) {
                std::fprintf(stderr, "%3s  %3s", p->name().toLatin1().constData(),
                             p->control().left(3).toLatin1().constData());
                if (!valueOneIsZero(*p)) {
                    std::fprintf(stderr, "  ");
                    for (int ch = 0; ch < format.channels; ++ch)
                        std::fprintf(stderr, " %6.2lf",
                                     std::min(std::max(p->value1(ch) * format.factors[ch] / 257.0, 0.0), 255.0));
                }
                if (haveLab) {
                    std::fprintf(stderr, "   %6.2lf %6.2lf %6.2lf", measured[0], measured[1], measured[2]);
                    std::fprintf(stderr, "   %6.2lf %6.2lf %6.2lf", ref[0], ref[1], ref[2]);
                    std::fprintf(stderr, "   %6.2lf", dE);
                    sum += dE;
                    minimum = counted == 0 ? dE : std::min(minimum, dE);
                    maximum = std::max(maximum, dE);
                    ++counted;
                    const bool atGainPatch = gainMod.add(p->name(), measured[0], ref[0]);
                    if (m_metamorfozeMode && dE >= 0) {
                        const double rE = control ? dE : pq_roundToTenth(dE);
                        const double rL = control ? dL : pq_roundToTenth(dL);
                        const double rC = control ? dC : pq_roundToTenth(dC);
                        if (p->type() == PatchIF::TypeGrey) {
                            if (std::fabs(rL) > 2) {
                                std::fprintf(stderr, " !!! deltaL = %.2lf > 2.0", rL);
                                passed = false;
                            }
                            if (std::fabs(rC) > 2) {
                                std::fprintf(stderr, " !!! deltaC = %.2lf > 2.0", rC);
                                passed = false;
                            }
                        } else if (rE > 10) {
                            std::fprintf(stderr, " !!! deltaE = %.2lf > 10.0", rE);
                            passed = false;
                        }
                        if (atGainPatch && gainMod.gain > 0 && (gainMod.gain < 80 || gainMod.gain > 108)) {
                            std::fprintf(stderr, " !!! gainMod = %.2lf not in 80..108", gainMod.gain);
                            passed = false;
                        }
                    }
                }
                std::fprintf(stderr, "\n");
            }

            painter->setCompositionMode(QPainter::CompositionMode_Source);
            if (control) {
                fill = controlPatchColour(*p, target, means);
                painter->setPen(Qt::NoPen);
                painter->setBrush(fill);
                painter->drawPolygon(quad);
                const QPixmap &icon = p->type() == PatchIF::TypeLightness ? m_lightnessIcon
                                                                          : m_reflectionIcon;
                const QRect box = quad.boundingRect().toAlignedRect();
                if (!icon.isNull() && box.width() > 0 && box.height() > 0) {
                    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
                    painter->drawPixmap(quad[0],
                                        icon.scaled(box.size(), Qt::KeepAspectRatio,
                                                    Qt::SmoothTransformation));
                }
            } else {
                if (dE >= 0)
                    fill = ratingColour(p->type(), pq_roundToTenth(dE), pq_roundToTenth(dL),
                                        pq_roundToTenth(dC), fill);
                painter->setPen(Qt::NoPen);
                painter->setBrush(fill);
                painter->drawPolygon(quad);
            }
            if (m_labToDisplayMatch && !m_imageToLabMatch) {
                double reference[3];
                referenceLab(*p, reference);
                const QColor swatch = labToDisplay(reference);
                if (swatch.isValid()) {
                    painter->setCompositionMode(QPainter::CompositionMode_Source);
                    painter->setBrush(swatch);
                    painter->drawPolygon(triangle);
                }
            }
            painter->setBrush(Qt::NoBrush);
            painter->setCompositionMode(QPainter::CompositionMode_Difference);
            if (p->deviation1() > 3000 || p->type() == PatchIF::TypeLightness) {
                painter->setPen(widePen);
                painter->drawPolygon(quad);
            }
            painter->setPen(pen);
        }
    }
    if (!report)
        return;
    const double mean = counted > 0 ? sum / counted : 0.0;
    if (mean > 4)
        passed = false;
    std::fprintf(stderr, "Statistics: deltaE = %.2lf ... %.2lf ... %.2lf%s\n", minimum, mean,
                 maximum, m_metamorfozeMode && mean > 4 ? " !!! avg > 4.0" : "");
    if (m_metamorfozeMode)
        std::fprintf(stderr, "Metamorfoze (dE_type = %s) %s\n", formulaName(formula),
                     passed ? "PASSED" : "FAILED");
    emit statisticsChanged(minimum, mean, maximum);
}

void pq_ImagePatchGridWidget::hidePatchInfo(int x, int y, bool isGrey)
{
    const QColor black(Qt::black);
    emit patchInfo(false, x, y, isGrey, black, black, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                   0, 0, 0);
}

// The pointer entering straight onto a patch shows it as a move would.
void pq_ImagePatchGridWidget::hoverEnterEvent(QHoverEvent *event)
{
    hoverMoveEvent(event);
}

// Figures stay only while the pointer is over their patch.
void pq_ImagePatchGridWidget::hoverLeaveEvent(QHoverEvent *event)
{
    m_lastHoverPos = event->pos();
    hidePatchInfo(m_lastHoverPos.x(), m_lastHoverPos.y());
    pq_ImageWidget::hoverLeaveEvent(event);
}

void pq_ImagePatchGridWidget::hoverMoveEvent(QHoverEvent *event)
{
    PatchGridIF *grid = nullptr;
    TargetIF *target = nullptr;
    const QPointF pos = event->posF();
    const int x = int(pos.x());
    const int y = int(pos.y());
    m_lastHoverPos = QPoint(x, y);
    auto hide = [&](bool isGrey) { hidePatchInfo(x, y, isGrey); };
    if (!gridAndTarget(grid, target)) {
        pq_ImageWidget::hoverMoveEvent(event);
        return;
    }
    PatchIF *found = nullptr;
    int foundColumn = 0, foundRow = 0;
    if (isInsideGrid(pos)) {
        for (unsigned c = 0; c < target->columns() && !found; ++c)
            for (unsigned r = 0; r < target->rows() && !found; ++r) {
                PatchIF *p = target->patch(c, r);
                if (!isUsed(p))
                    continue;
                QPolygonF cell;
                cell << pointToItem(grid->patchCenter(int(c), int(r)))
                     << pointToItem(grid->patchCenter(int(c) + 1, int(r)))
                     << pointToItem(grid->patchCenter(int(c) + 1, int(r) + 1))
                     << pointToItem(grid->patchCenter(int(c), int(r) + 1));
                if (cell.containsPoint(pos, Qt::WindingFill)) {
                    found = p;
                    foundColumn = int(c);
                    foundRow = int(r);
                }
            }
    }
    if (!found) {
        hide(false);
        emit pickerInfo(x, y);
        pq_ImageWidget::hoverMoveEvent(event);
        return;
    }
    const bool isGrey = found->type() == PatchIF::TypeGrey;
    grid->setSampleArea(foundColumn, foundRow, 0.5);
    grid->transformSampleArea(displayTransform(false).inverted());
    const DeviceFormat format = deviceFormat(target);
    std::unique_ptr<Kirr_ColorImageIF> device =
        pq_onePixel(format.colorSpace, format.bits, format.channels);
    std::unique_ptr<Kirr_ColorImageIF> lab16 = pq_onePixel(Kirr_sig("Lab "), 16, 3);
    double prof[3];
    if (!device || !lab16) {
        hide(isGrey);
        pq_ImageWidget::hoverMoveEvent(event);
        return;
    }
    exposeToTargetWhite(target, format, *device, *lab16);
    fillDevicePixel(*found, format, *device);
    if (!measuredLab(*device, *lab16, prof)) {
        hide(isGrey);
        pq_ImageWidget::hoverMoveEvent(event);
        return;
    }
    double ref[3];
    referenceLab(*found, ref);
    const auto shown = [&](int c) {
        const double v = found->value1(c) / 257.0;
        return qBound(0, int(Kirr_round(std::isfinite(v) ? v : 0.0)), 255);
    };
    QColor refColor(shown(0), shown(1), shown(2));
    QColor profColor = refColor;
    if (m_labToDisplayMatch) {
        const QColor p = labToDisplay(prof);
        if (p.isValid())
            profColor = p;
        const QColor r = labToDisplay(ref);
        if (r.isValid())
            refColor = r;
    }
    const int formula =
        m_job->expertSettings() ? m_job->expertSettings()->deltaEFormula() : 2;
    float dL = 0, dC = 0, dH = 0;
    double dE = Kirr_colorDifference(prof, ref, formula, &dL, &dC, &dH);
    if (!std::isfinite(dE))
        dE = 0;
    double avgDE = 0, maxDE = 0;
    if ((event->modifiers() & Qt::AltModifier) && !m_histogram.isEmpty()) {
        avgDE = m_histogram.median();
        maxDE = m_histogram.percentile(1.0);
    }
    emit patchInfo(true, x, y, isGrey, refColor, profColor, ref[0], ref[1], ref[2], chroma(ref),
                   hue(ref), prof[0], prof[1], prof[2], chroma(prof), hue(prof), dL,
                   prof[1] - ref[1], prof[2] - ref[2], dC, dH, dE, avgDE, maxDE);
    emit pickerInfo(x, y);
    pq_ImageWidget::hoverMoveEvent(event);
}
