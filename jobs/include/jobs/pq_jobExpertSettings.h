// The expert settings of a job or a set: eight settings with their stored
// and temporary values, locks, workflows and list order, kept in job and set
// files and shown to QML.
#pragma once

#include "jobs/pq_jobExpertSettingsIF.h"

#include <QDomElement>
#include <QMap>
#include <QString>
#include <QStringList>

class pq_jobExpertSettings : public pq_jobExpertSettingsIF
{
public:
    struct Item
    {
        QString value;
        QString temporaryValue;
        bool locked = false;
        bool lockFixed = false;
        bool hidden = false;
        QString key;
        QString qmlName;
        QString itemSet;
        int order = 0;

        QString effectiveValue() const
        {
            return temporaryValue.isEmpty() ? value : temporaryValue;
        }
    };

    pq_jobExpertSettings();

    QString profileTypeCamera() const override;
    QString profileTypeC1() const override;
    QString profileTypeICC() const override;
    QString profileOptimization() const override;
    QString qualityControl() const override;
    QString shading() const override;
    QString batchMode() const override;
    QString illuminantCamera() const override;
    QString illuminantICC() const override;
    QString exposureOffset() const override;
    QString whitePoint() const override;
    QString connectionSpace() const override;
    QString grayWeight() const override;
    QString observer() const override;
    bool flag() const override { return m_flag; }

    int cameraProfileTypeIndex() const override;
    int c1ProfileTypeIndex() const override { return 7; }
    bool isC1TypeSevenOrEight() const override;
    bool isC1TypeSixEightOrNine() const override;
    int iccProfileTypeIndex() const override;
    int deltaEFormula() const override;
    int cameraIlluminantIndex() const override;
    int iccIlluminantIndex() const override;
    double exposureOffsetValue() const override;
    bool isConnectionSpaceXYZ() const override;
    int grayWeightIndex() const override;
    int observerIndex() const override;
    bool isWhitePointAutoExposure() const override;

    // Replaces every item by the eight items with their defaults.
    void setDefaults();
    // Reads the items the element gives; a repeated item is left as it is,
    // noted in problems; false then.
    bool readFromXml(const QDomElement &element, QStringList *problems = nullptr);
    // The "ExpertSettings" block of job and set files (stored values).
    QString toJobXml() const;
    // The "<expertSettings>" list for QML; kind "DCP", "C1", "ICC" or empty
    // for all.
    QString toQmlXml(bool hideLocked, bool withIlluminantAndObserver, const QString &kind) const;
    void applyScannerRule(const QString &qmlName, const QString &value, bool temporary);
    void setLocked(const QString &qmlName, bool locked);
    void clearValues();

    bool areAllItemsLocked() const;
    bool areC1IccItemsLocked() const;
    bool areIccItemsLocked() const;
    bool areCameraItemsLocked() const;
    bool areC1ItemsLocked() const;
    bool areLockedFor(bool skipCamera, bool skipC1, bool skipIcc) const;

    // The item of a key, null when there is none.
    const Item *item(const QString &key) const;

private:
    QString effective(const char *key) const;
    Item *itemByQmlName(const QString &qmlName);
    bool isSetLocked(const char *set) const;
    void hideConnectionSpaceFor(const QString &iccType);

    bool m_flag = false;
    QMap<QString, Item> m_items;
};
