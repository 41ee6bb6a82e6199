#include "jobs/pq_jobExpertSettings.h"

#include "jobs/pq_xmlText.h"

#include <QVector>

#include <algorithm>
#include <utility>

namespace {

const QString kSetAll = QStringLiteral("itemAll");
const QString kSetCamera = QStringLiteral("itemCamera");
const QString kSetC1 = QStringLiteral("itemC1");
const QString kSetIcc = QStringLiteral("itemIcc");
const QString kSetC1Icc = QStringLiteral("itemC1Icc");

const char *const kConnectionSpace = "ExpertConnectionSpace";

template <typename T>
T lookUp(const QString &value, std::initializer_list<std::pair<const char *, T>> table,
         T otherwise)
{
    for (const auto &entry : table)
        if (value == QString::fromUtf8(entry.first))
            return entry.second;
    return otherwise;
}

}  // namespace

pq_jobExpertSettings::pq_jobExpertSettings()
{
    setDefaults();
}

void pq_jobExpertSettings::setDefaults()
{
    m_items.clear();
    auto add = [this](const char *key, const char *value, const QString &set, const char *qml,
                      bool locked, int order) {
        Item item;
        item.key = QLatin1String(key);
        item.value = QString::fromUtf8(value);
        item.itemSet = set;
        item.qmlName = QLatin1String(qml);
        item.locked = locked;
        item.lockFixed = locked;
        item.order = order;
        m_items.insert(item.key, item);
    };
    add("ExpertProfileTypeCamera", "Art Repro / Archival", kSetCamera, "profileTypeCamera", true,
        0);
    add("ExpertProfileTypeICC", "Art Repro / Archival", kSetIcc, "profileTypeICC", false, 0);
    add("ExpertProfileOptimization", "ΔE 2000", kSetAll, "profileOptimization", false, 1);
    add("ExpertIlluminantICC", "CIE_D50", kSetAll, "ICCIlluminant", false, 2);
    add("ExpertObserver", "2-Degree", kSetAll, "observer", false, 3);
    add("ExpertIlluminantCamera", "As Shot", kSetCamera, "cameraIlluminant", true, 4);
    add("ExpertExposureOffset", "None", kSetCamera, "exposureOffset", false, 5);
    add("ExpertWhitePoint", "None", kSetIcc, "whitePoint", true, 4);
}

QString pq_jobExpertSettings::effective(const char *key) const
{
    const auto it = m_items.constFind(QLatin1String(key));
    return it == m_items.constEnd() ? QString() : it->effectiveValue();
}

const pq_jobExpertSettings::Item *pq_jobExpertSettings::item(const QString &key) const
{
    const auto it = m_items.constFind(key);
    return it == m_items.constEnd() ? nullptr : &*it;
}

QString pq_jobExpertSettings::profileTypeCamera() const { return effective("ExpertProfileTypeCamera"); }
QString pq_jobExpertSettings::profileTypeC1() const { return effective("ExpertProfileTypeC1"); }
QString pq_jobExpertSettings::profileTypeICC() const { return effective("ExpertProfileTypeICC"); }
QString pq_jobExpertSettings::profileOptimization() const { return effective("ExpertProfileOptimization"); }
QString pq_jobExpertSettings::qualityControl() const { return effective("ExpertQualityControl"); }
QString pq_jobExpertSettings::shading() const { return effective("ExpertShading"); }
QString pq_jobExpertSettings::batchMode() const { return effective("ExpertBatchMode"); }
QString pq_jobExpertSettings::illuminantCamera() const { return effective("ExpertIlluminantCamera"); }
QString pq_jobExpertSettings::illuminantICC() const { return effective("ExpertIlluminantICC"); }
QString pq_jobExpertSettings::exposureOffset() const { return effective("ExpertExposureOffset"); }
QString pq_jobExpertSettings::whitePoint() const { return effective("ExpertWhitePoint"); }
QString pq_jobExpertSettings::connectionSpace() const { return effective(kConnectionSpace); }
QString pq_jobExpertSettings::grayWeight() const { return effective("ExpertGrayWeight"); }
QString pq_jobExpertSettings::observer() const { return effective("ExpertObserver"); }

int pq_jobExpertSettings::cameraProfileTypeIndex() const
{
    return lookUp<int>(profileTypeCamera(),
                       {{"Art Repro / Archival", 0}, {"Repro+", 4}, {"Photography", 1}}, 0);
}

bool pq_jobExpertSettings::isC1TypeSevenOrEight() const
{
    const int type = c1ProfileTypeIndex();
    return type == 7 || type == 8;
}

bool pq_jobExpertSettings::isC1TypeSixEightOrNine() const
{
    const int type = c1ProfileTypeIndex();
    return type == 6 || type == 8 || type == 9;
}

int pq_jobExpertSettings::iccProfileTypeIndex() const
{
    return lookUp<int>(profileTypeICC(),
                       {{"Art Repro / Archival", 0}, {"Photography", 1}, {"Scanner", 3}}, 0);
}

int pq_jobExpertSettings::deltaEFormula() const
{
    return lookUp<int>(profileOptimization(),
                       {{"ΔE 76", 0}, {"ΔE 94", 1}, {"ΔE 2000", 2}, {"ΔE 2000L", 3}}, 2);
}

int pq_jobExpertSettings::cameraIlluminantIndex() const
{
    return lookUp<int>(illuminantCamera(), {{"As Shot", 0}, {"D65 + Std. Illuminant A", 1}}, 0);
}

int pq_jobExpertSettings::iccIlluminantIndex() const
{
    return lookUp<int>(illuminantICC(),
                       {{"D50", 1},      {"CIE_A", 2},    {"CIE_B", 19},   {"CIE_C", 20},
                        {"CIE_D50", 1},  {"CIE_D55", 17}, {"CIE_D65", 3},  {"CIE_D75", 18},
                        {"CIE_E", 16},   {"CIE_F1", 4},   {"CIE_F2", 5},   {"CIE_F3", 6},
                        {"CIE_F4", 7},   {"CIE_F5", 8},   {"CIE_F6", 9},   {"CIE_F7", 10},
                        {"CIE_F8", 11},  {"CIE_F9", 12},  {"CIE_F10", 13}, {"CIE_F11", 14},
                        {"CIE_F12", 15}},
                       0);
}

double pq_jobExpertSettings::exposureOffsetValue() const
{
    return lookUp<double>(exposureOffset(),
                          {{"None", 0.0}, {"0.5", 0.5}, {"1", 1.0}, {"1.5", 1.5}, {"2", 2.0}},
                          0.0);
}

bool pq_jobExpertSettings::isConnectionSpaceXYZ() const
{
    return lookUp<bool>(connectionSpace(), {{"XYZ", true}, {"Lab", false}}, true);
}

int pq_jobExpertSettings::grayWeightIndex() const
{
    return lookUp<int>(grayWeight(), {{"Auto", 0}, {"More", 1}, {"Much More", 2}}, 0);
}

int pq_jobExpertSettings::observerIndex() const
{
    return lookUp<int>(observer(), {{"2-Degree", 0}, {"10-Degree", 1}}, 0);
}

bool pq_jobExpertSettings::isWhitePointAutoExposure() const
{
    return whitePoint() == QLatin1String("Auto Exposure");
}

void pq_jobExpertSettings::hideConnectionSpaceFor(const QString &iccType)
{
    const auto it = m_items.find(QLatin1String(kConnectionSpace));
    if (it != m_items.end())
        it->hidden = iccType == QLatin1String("Scanner");
}

bool pq_jobExpertSettings::readFromXml(const QDomElement &element, QStringList *problems)
{
    bool whole = true;
    for (Item &item : m_items) {
        QString locked = QStringLiteral("locked");
        QString text;
        whole = pq_readSingleTag(element, item.key, &text, problems, &locked) && whole;
        if (text.isEmpty())
            continue;
        item.value = text;
        if (!item.lockFixed)
            item.locked = locked == QLatin1String("true");
    }
    // Files written with a character set that lost the delta.
    const auto optimisation = m_items.find(QStringLiteral("ExpertProfileOptimization"));
    if (optimisation != m_items.end()) {
        const QString value = optimisation->effectiveValue();
        if (value.startsWith(QLatin1Char('?'))) {
            const QString mended = QString(QChar(0x0394)) + value.mid(1);
            if (optimisation->temporaryValue.isEmpty())
                optimisation->value = mended;
            else
                optimisation->temporaryValue = mended;
        }
    }
    if (profileTypeICC() == QLatin1String("Scanner"))
        hideConnectionSpaceFor(profileTypeICC());
    return whole;
}

QString pq_jobExpertSettings::toJobXml() const
{
    QString out = QStringLiteral("\t<ExpertSettings>\n");
    for (const Item &item : m_items) {
        out += QLatin1String("\t\t<") + item.key;
        if (item.locked)
            out += QLatin1String(" locked='true'");
        out += QLatin1Char('>') + pq_xmlEscaped(item.value) + QLatin1String("</") + item.key
            + QLatin1String(">\n");
    }
    out += QLatin1String("\t</ExpertSettings>\n");
    return out;
}

QString pq_jobExpertSettings::toQmlXml(bool hideLocked, bool withIlluminantAndObserver,
                                       const QString &kind) const
{
    auto shownForKind = [&kind](const QString &set) {
        if (set == kSetCamera)
            return kind.isEmpty() || kind == QLatin1String("DCP");
        if (set == kSetC1)
            return kind.isEmpty() || kind == QLatin1String("C1");
        if (set == kSetIcc)
            return kind.isEmpty() || kind == QLatin1String("ICC");
        return true;
    };
    QVector<const Item *> items;
    for (const Item &item : m_items)
        items.append(&item);
    std::stable_sort(items.begin(), items.end(),
                     [](const Item *a, const Item *b) { return a->order < b->order; });

    QString out = QStringLiteral("<expertSettings>\n");
    for (const Item *item : qAsConst(items)) {
        if (!withIlluminantAndObserver
            && (item->key == QLatin1String("ExpertIlluminantICC")
                || item->key == QLatin1String("ExpertObserver")))
            continue;
        QStringList sets;
        if (item->itemSet == kSetAll)
            sets = QStringList{kSetCamera, kSetC1, kSetIcc};
        else if (item->itemSet == kSetC1Icc)
            sets = QStringList{kSetC1, kSetIcc};
        else
            sets = QStringList{item->itemSet};
        for (const QString &set : qAsConst(sets)) {
            if (!shownForKind(set) || item->hidden || (hideLocked && item->locked))
                continue;
            out += QLatin1Char('<') + set + QLatin1String("><name>") + item->qmlName
                + QLatin1String("</name><value>") + pq_xmlEscaped(item->effectiveValue())
                + QLatin1String("</value><locked>")
                + QLatin1String(item->locked ? "true" : "false")
                + QLatin1String("</locked><lockFixed>")
                + QLatin1String(item->lockFixed ? "true" : "false")
                + QLatin1String("</lockFixed></") + set + QLatin1Char('>');
        }
    }
    out += QLatin1String("</expertSettings>\n");
    return out;
}

pq_jobExpertSettings::Item *pq_jobExpertSettings::itemByQmlName(const QString &qmlName)
{
    for (Item &item : m_items)
        if (item.qmlName == qmlName)
            return &item;
    return nullptr;
}

void pq_jobExpertSettings::applyScannerRule(const QString &qmlName, const QString &value,
                                            bool temporary)
{
    Item *item = itemByQmlName(qmlName);
    if (!item)
        return;
    if (temporary)
        item->temporaryValue = value;
    else
        item->value = value;
    if (qmlName == QLatin1String("profileTypeICC"))
        hideConnectionSpaceFor(value);
}

void pq_jobExpertSettings::setLocked(const QString &qmlName, bool locked)
{
    Item *item = itemByQmlName(qmlName);
    if (item && !item->lockFixed)
        item->locked = locked;
}

void pq_jobExpertSettings::clearValues()
{
    for (Item &item : m_items)
        item.temporaryValue.clear();
}

bool pq_jobExpertSettings::isSetLocked(const char *set) const
{
    for (const Item &item : m_items)
        if (item.itemSet == QLatin1String(set) && !item.locked)
            return false;
    return true;
}

bool pq_jobExpertSettings::areAllItemsLocked() const { return isSetLocked("itemAll"); }
bool pq_jobExpertSettings::areC1IccItemsLocked() const
{
    return isSetLocked("itemC1Icc") && areAllItemsLocked();
}
bool pq_jobExpertSettings::areIccItemsLocked() const
{
    return isSetLocked("itemIcc") && areC1IccItemsLocked();
}
bool pq_jobExpertSettings::areCameraItemsLocked() const
{
    return isSetLocked("itemCamera") && areAllItemsLocked();
}
bool pq_jobExpertSettings::areC1ItemsLocked() const
{
    return isSetLocked("itemC1") && areC1IccItemsLocked();
}

bool pq_jobExpertSettings::areLockedFor(bool skipCamera, bool skipC1, bool skipIcc) const
{
    for (const Item &item : m_items) {
        if (item.locked)
            continue;
        const QString &set = item.itemSet;
        bool applies = true;
        if (set == kSetCamera)
            applies = !skipCamera;
        else if (set == kSetC1)
            applies = !skipC1;
        else if (set == kSetIcc)
            applies = !skipIcc;
        else if (set == kSetC1Icc)
            applies = !(skipC1 && skipIcc);
        else if (set == kSetAll)
            applies = !(skipCamera && skipC1 && skipIcc);
        if (applies)
            return false;
    }
    return true;
}
