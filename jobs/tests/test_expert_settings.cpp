// Expert settings: defaults, value lists, file and QML forms, locks.
#include "JobTestSupport.h"

#include "jobs/pq_jobExpertSettings.h"

#include <QDomDocument>
#include <QtTest>

namespace {

QStringList entries(const QString &xml, QStringList *sets = nullptr)
{
    QDomDocument document;
    if (!document.setContent(xml))
        return {"unparsable"};
    QStringList names;
    for (QDomElement e = document.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement()) {
        names.append(e.firstChildElement("name").text());
        if (sets)
            sets->append(e.tagName());
    }
    return names;
}

QStringList repeated(int n, const QString &s)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out.append(s);
    return out;
}

}  // namespace

class TestExpertSettings : public QObject
{
    Q_OBJECT

private slots:
    void valueLists_data();
    void valueLists();
    void fixedResults();
    void defaultListForDcp();
    void itemsOfEqualOrderKeepKeyOrder();
    void defaultFileForm();
    void fileRoundTrip();
    void questionMarkBecomesDelta();
    void locks();
    void temporaryValues();
    void areLockedFor_data();
    void areLockedFor();
};

void TestExpertSettings::valueLists_data()
{
    QTest::addColumn<QString>("qmlName");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("getter");
    QTest::addColumn<double>("result");

    auto row = [](const char *qml, const QString &value, const char *getter, double result) {
        QTest::addRow("%s=%s", getter, qPrintable(value)) << qml << value << getter << result;
    };
    const QString delta = QString::fromUtf8("Δ");
    row("profileTypeCamera", "Art Repro / Archival", "camera", 0);
    row("profileTypeCamera", "Repro+", "camera", 4);
    row("profileTypeCamera", "Photography", "camera", 1);
    row("profileTypeCamera", "photography", "camera", 0);
    row("profileTypeICC", "Photography", "icc", 1);
    row("profileTypeICC", "Scanner", "icc", 3);
    row("profileTypeICC", "", "icc", 0);
    row("profileOptimization", delta + "E 76", "formula", 0);
    row("profileOptimization", delta + "E 94", "formula", 1);
    row("profileOptimization", delta + "E 2000", "formula", 2);
    row("profileOptimization", delta + "E 2000L", "formula", 3);
    row("profileOptimization", "dE 94", "formula", 2);
    row("cameraIlluminant", "As Shot", "cameraIlluminant", 0);
    row("cameraIlluminant", "D65 + Std. Illuminant A", "cameraIlluminant", 1);
    row("ICCIlluminant", "D50", "iccIlluminant", 1);
    row("ICCIlluminant", "CIE_A", "iccIlluminant", 2);
    row("ICCIlluminant", "CIE_B", "iccIlluminant", 19);
    row("ICCIlluminant", "CIE_C", "iccIlluminant", 20);
    row("ICCIlluminant", "CIE_D55", "iccIlluminant", 17);
    row("ICCIlluminant", "CIE_D65", "iccIlluminant", 3);
    row("ICCIlluminant", "CIE_D75", "iccIlluminant", 18);
    row("ICCIlluminant", "CIE_E", "iccIlluminant", 16);
    row("ICCIlluminant", "CIE_F1", "iccIlluminant", 4);
    row("ICCIlluminant", "CIE_F11", "iccIlluminant", 14);
    row("ICCIlluminant", "CIE_F12", "iccIlluminant", 15);
    row("ICCIlluminant", "None", "iccIlluminant", 0);
    row("exposureOffset", "None", "exposure", 0.0);
    row("exposureOffset", "0.5", "exposure", 0.5);
    row("exposureOffset", "1.5", "exposure", 1.5);
    row("exposureOffset", "2", "exposure", 2.0);
    row("exposureOffset", "3", "exposure", 0.0);
    row("observer", "2-Degree", "observer", 0);
    row("observer", "10-Degree", "observer", 1);
    row("whitePoint", "Auto Exposure", "whitePoint", 1);
    row("whitePoint", "None", "whitePoint", 0);
}

void TestExpertSettings::valueLists()
{
    QFETCH(QString, qmlName);
    QFETCH(QString, value);
    QFETCH(QString, getter);
    QFETCH(double, result);
    pq_jobExpertSettings settings;
    settings.applyScannerRule(qmlName, value, false);
    double got = -1;
    if (getter == "camera")
        got = settings.cameraProfileTypeIndex();
    else if (getter == "icc")
        got = settings.iccProfileTypeIndex();
    else if (getter == "formula")
        got = settings.deltaEFormula();
    else if (getter == "cameraIlluminant")
        got = settings.cameraIlluminantIndex();
    else if (getter == "iccIlluminant")
        got = settings.iccIlluminantIndex();
    else if (getter == "exposure")
        got = settings.exposureOffsetValue();
    else if (getter == "observer")
        got = settings.observerIndex();
    else if (getter == "whitePoint")
        got = settings.isWhitePointAutoExposure() ? 1 : 0;
    QCOMPARE(got, result);
}

void TestExpertSettings::fixedResults()
{
    const pq_jobExpertSettings settings;
    QCOMPARE(settings.c1ProfileTypeIndex(), 7);
    QVERIFY(settings.isC1TypeSevenOrEight());
    QVERIFY(!settings.isC1TypeSixEightOrNine());
    QVERIFY(settings.isConnectionSpaceXYZ());
    QCOMPARE(settings.grayWeightIndex(), 0);
    QVERIFY(settings.profileTypeC1().isEmpty());
    QVERIFY(settings.connectionSpace().isEmpty());
    QVERIFY(!settings.flag());
    QCOMPARE(settings.deltaEFormula(), 2);
    QCOMPARE(settings.iccIlluminantIndex(), 1);
}

void TestExpertSettings::defaultListForDcp()
{
    const pq_jobExpertSettings settings;
    QStringList sets;
    const QStringList names = entries(settings.toQmlXml(false, true, "DCP"), &sets);
    QCOMPARE(names, (QStringList{"profileTypeCamera", "profileOptimization", "ICCIlluminant",
                                 "observer", "cameraIlluminant", "exposureOffset"}));
    QCOMPARE(sets, repeated(6, "itemCamera"));
    QCOMPARE(entries(settings.toQmlXml(false, false, "DCP")),
             (QStringList{"profileTypeCamera", "profileOptimization", "cameraIlluminant",
                          "exposureOffset"}));
    QCOMPARE(entries(settings.toQmlXml(true, true, "DCP")),
             (QStringList{"profileOptimization", "ICCIlluminant", "observer", "exposureOffset"}));
}

void TestExpertSettings::itemsOfEqualOrderKeepKeyOrder()
{
    const pq_jobExpertSettings settings;
    QStringList sets;
    const QStringList names = entries(settings.toQmlXml(false, true, QString()), &sets);
    // Order 0: ExpertProfileTypeCamera before ExpertProfileTypeICC; order 4:
    // ExpertIlluminantCamera before ExpertWhitePoint (key order).
    QCOMPARE(names.mid(0, 2), (QStringList{"profileTypeCamera", "profileTypeICC"}));
    QCOMPARE(names.mid(2, 3), repeated(3, "profileOptimization"));
    QCOMPARE(sets.mid(2, 3), (QStringList{"itemCamera", "itemC1", "itemIcc"}));
    const int camera = names.indexOf("cameraIlluminant");
    QCOMPARE(names.at(camera + 1), QString("whitePoint"));
}

void TestExpertSettings::defaultFileForm()
{
    const pq_jobExpertSettings settings;
    const QString expected = QString::fromUtf8(
        "\t<ExpertSettings>\n"
        "\t\t<ExpertExposureOffset>None</ExpertExposureOffset>\n"
        "\t\t<ExpertIlluminantCamera locked='true'>As Shot</ExpertIlluminantCamera>\n"
        "\t\t<ExpertIlluminantICC>CIE_D50</ExpertIlluminantICC>\n"
        "\t\t<ExpertObserver>2-Degree</ExpertObserver>\n"
        "\t\t<ExpertProfileOptimization>ΔE 2000</ExpertProfileOptimization>\n"
        "\t\t<ExpertProfileTypeCamera locked='true'>Art Repro / Archival</ExpertProfileTypeCamera>\n"
        "\t\t<ExpertProfileTypeICC>Art Repro / Archival</ExpertProfileTypeICC>\n"
        "\t\t<ExpertWhitePoint locked='true'>None</ExpertWhitePoint>\n"
        "\t</ExpertSettings>\n");
    QCOMPARE(settings.toJobXml(), expected);
}

void TestExpertSettings::fileRoundTrip()
{
    pq_jobExpertSettings settings;
    settings.applyScannerRule("profileTypeICC", "Scanner & <co>", false);
    settings.setLocked("observer", true);
    QDomDocument document;
    QVERIFY(document.setContent(settings.toJobXml()));
    pq_jobExpertSettings back;
    back.readFromXml(document.documentElement());
    QCOMPARE(back.profileTypeICC(), QString("Scanner & <co>"));
    QVERIFY(back.item("ExpertObserver")->locked);
    QCOMPARE(back.toJobXml(), settings.toJobXml());

    // Unknown elements make no items; an unlocked fixed item stays locked.
    QVERIFY(document.setContent(QString("<ExpertSettings><ExpertShading>On</ExpertShading>"
                                        "<ExpertWhitePoint>Auto Exposure</ExpertWhitePoint>"
                                        "</ExpertSettings>")));
    back.readFromXml(document.documentElement());
    QVERIFY(back.shading().isEmpty());
    QVERIFY(back.isWhitePointAutoExposure());
    QVERIFY(back.item("ExpertWhitePoint")->locked);
}

void TestExpertSettings::questionMarkBecomesDelta()
{
    QDomDocument document;
    QVERIFY(document.setContent(QString("<ExpertSettings><ExpertProfileOptimization>?E 94"
                                        "</ExpertProfileOptimization></ExpertSettings>")));
    pq_jobExpertSettings settings;
    settings.readFromXml(document.documentElement());
    QCOMPARE(settings.profileOptimization(), QString::fromUtf8("ΔE 94"));
    QCOMPARE(settings.deltaEFormula(), 1);
}

void TestExpertSettings::locks()
{
    pq_jobExpertSettings settings;
    settings.setLocked("profileTypeCamera", false);
    QVERIFY(settings.item("ExpertProfileTypeCamera")->locked);
    QVERIFY(!settings.areAllItemsLocked());
    QVERIFY(!settings.areCameraItemsLocked());
    for (const char *name : {"profileOptimization", "ICCIlluminant", "observer"})
        settings.setLocked(name, true);
    QVERIFY(settings.areAllItemsLocked());
    QVERIFY(settings.areC1ItemsLocked());
    QVERIFY(!settings.areCameraItemsLocked());
    settings.setLocked("exposureOffset", true);
    QVERIFY(settings.areCameraItemsLocked());
    QVERIFY(!settings.areIccItemsLocked());
    settings.setLocked("profileTypeICC", true);
    QVERIFY(settings.areIccItemsLocked());
}

void TestExpertSettings::temporaryValues()
{
    pq_jobExpertSettings settings;
    settings.applyScannerRule("observer", "10-Degree", true);
    QCOMPARE(settings.observerIndex(), 1);
    QVERIFY(settings.toQmlXml(false, true, "ICC").contains("<value>10-Degree</value>"));
    QVERIFY(settings.toJobXml().contains("<ExpertObserver>2-Degree</ExpertObserver>"));
    settings.clearValues();
    QCOMPARE(settings.observerIndex(), 0);
    settings.applyScannerRule("noSuchItem", "x", false);
    QCOMPARE(settings.toJobXml(), pq_jobExpertSettings().toJobXml());
}

void TestExpertSettings::areLockedFor_data()
{
    QTest::addColumn<QStringList>("unlocked");  // the items left unlocked
    QTest::addColumn<bool>("skipCamera");
    QTest::addColumn<bool>("skipC1");
    QTest::addColumn<bool>("skipIcc");
    QTest::addColumn<bool>("locked");
    QTest::addRow("all locked") << QStringList() << false << false << false << true;
    QTest::addRow("camera item, camera wanted")
        << QStringList{"exposureOffset"} << false << true << true << false;
    QTest::addRow("camera item, camera skipped")
        << QStringList{"exposureOffset"} << true << false << false << true;
    QTest::addRow("icc item, icc skipped")
        << QStringList{"profileTypeICC"} << false << false << true << true;
    QTest::addRow("all-workflow item, one wanted")
        << QStringList{"observer"} << true << true << false << false;
    QTest::addRow("all-workflow item, all skipped")
        << QStringList{"observer"} << true << true << true << true;
}

void TestExpertSettings::areLockedFor()
{
    QFETCH(QStringList, unlocked);
    QFETCH(bool, skipCamera);
    QFETCH(bool, skipC1);
    QFETCH(bool, skipIcc);
    QFETCH(bool, locked);
    pq_jobExpertSettings settings;
    for (const char *name : {"profileTypeICC", "profileOptimization", "ICCIlluminant", "observer",
                             "exposureOffset"})
        settings.setLocked(name, !unlocked.contains(name));
    QCOMPARE(settings.areLockedFor(skipCamera, skipC1, skipIcc), locked);
}

static RegisterSuite<TestExpertSettings> registerExpertSettings;
#include "test_expert_settings.moc"
