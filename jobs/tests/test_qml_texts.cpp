// Every XML text handed to QML, loaded the way the screens load it: an
// XmlListModel with the screens' query. A value that made the text invalid
// would empty the list.
#include "JobTestSupport.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_targetIcon.h"

#include <QAbstractItemModel>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>

#include <memory>

namespace {

const QString kMarkup = QString::fromUtf8("A & B <c> \"d\" 'e' é\nf ]]> #?%");

class XmlList
{
public:
    XmlList(QQmlEngine &engine, const QString &xml, const QString &query,
            const QStringList &roles)
    {
        QString source = "import QtQuick 2.0\nimport QtQuick.XmlListModel 2.0\n"
                         "XmlListModel {\n query: \"" + query + "\"\n";
        for (const QString &role : roles)
            source += " XmlRole { name: \"" + role + "\"; query: \"" + role + "/string()\" }\n";
        source += "}\n";
        QQmlComponent component(&engine);
        component.setData(source.toUtf8(), QUrl());
        m_object.reset(component.create());
        if (!m_object) {
            qWarning() << component.errorString();
            return;
        }
        m_object->setProperty("xml", xml);
    }

    QAbstractItemModel *model() const { return qobject_cast<QAbstractItemModel *>(m_object.get()); }
    int status() const { return m_object ? m_object->property("status").toInt() : -1; }
    int count() const { return model() ? model()->rowCount() : -1; }
    QString value(int row, const QString &role) const
    {
        const QHash<int, QByteArray> names = model()->roleNames();
        return model()->data(model()->index(row, 0), names.key(role.toUtf8())).toString();
    }

private:
    std::unique_ptr<QObject> m_object;
};

constexpr int kReady = 1;

}  // namespace

class TestQmlTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void jobList();
    void targetList();
    void shotList();
    void infoList();
    void expertLists_data();
    void expertLists();
    void targetIconIds_data();
    void targetIconIds();

private:
    std::unique_ptr<pq_Job> markupJob();
    QQmlEngine m_engine;
};

void TestQmlTexts::initTestCase()
{
    XmlList probe(m_engine, "<a><b><c>x</c></b></a>", "/a/b", {"c"});
    QVERIFY2(probe.model(), "the XmlListModel QML module is needed");
    QTRY_COMPARE(probe.status(), kReady);
    QCOMPARE(probe.count(), 1);
}

std::unique_ptr<pq_Job> TestQmlTexts::markupJob()
{
    auto job = std::make_unique<pq_Job>(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job->setJobName("Job " + kMarkup);
    job->setJobId("id");
    job->setExpertSetName("Set " + kMarkup);
    job->jobExpertSettings().applyScannerRule("exposureOffset", "Offset " + kMarkup, true);
    for (int i = 0; i < pq_jobInfo::FieldCount; ++i)
        job->jobInfo().setItem(pq_jobInfo::displayName(i), kMarkup);
    pq_targetInfo *target = jobtest::colorCheckerTarget("Target " + kMarkup);
    target->targetVendor = "Vendor " + kMarkup;
    target->targetFullResFilePath = "Pictures/" + kMarkup + ".png";
    target->addShot("/shots/" + kMarkup + ".tif");
    job->addTargetInfo(target);
    return job;
}

void TestQmlTexts::jobList()
{
    std::unique_ptr<pq_Job> job = markupJob();
    pq_Job plain(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    const QString xml = "<jobs>\n" + job->toQmlXml() + plain.toQmlXml() + "</jobs>\n";
    XmlList list(m_engine, xml, "/jobs/job", {"jobName", "calculationSet", "manufacturer",
                                              "targetIcon"});
    QTRY_COMPARE(list.status(), kReady);
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.value(0, "jobName"), job->getJobName());
    QCOMPARE(list.value(0, "calculationSet"), job->expertSetName());
    QCOMPARE(list.value(0, "manufacturer"), "Vendor " + kMarkup);
    QCOMPARE(QUrl(list.value(0, "targetIcon")).toLocalFile(),
             jobtest::templatesFolder() + "/Pictures/" + kMarkup + ".png");
    QCOMPARE(list.value(1, "calculationSet"), QString());
}

void TestQmlTexts::targetList()
{
    std::unique_ptr<pq_Job> job = markupJob();
    XmlList list(m_engine, targetsToQmlXml(job->targetInfos(), 0), "/targets/target",
                 {"name", "model", "referenceName", "referenceFolder", "shotsCount"});
    QTRY_COMPARE(list.status(), kReady);
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.value(0, "name"), "Target " + kMarkup);
    QCOMPARE(list.value(0, "referenceName"), QString("ColorChecker.cie"));
    QCOMPARE(QUrl(list.value(0, "referenceFolder")).toLocalFile(),
             jobtest::templatesFolder() + "/References");
    QCOMPARE(list.value(0, "shotsCount"), QString("1"));
}

void TestQmlTexts::shotList()
{
    std::unique_ptr<pq_Job> job = markupJob();
    XmlList list(m_engine, job->currentShotsXml(0), "/shots/shot", {"index", "path"});
    QTRY_COMPARE(list.status(), kReady);
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.value(0, "index"), QString("1"));
    QCOMPARE(list.value(0, "path"), "/shots/" + kMarkup + ".tif");
}

void TestQmlTexts::infoList()
{
    std::unique_ptr<pq_Job> job = markupJob();
    XmlList list(m_engine, job->jobInfo().toQmlXml(), "/info/item", {"index", "name", "value"});
    QTRY_COMPARE(list.status(), kReady);
    QCOMPARE(list.count(), pq_jobInfo::FieldCount);
    QCOMPARE(list.value(1, "name"), QString("CREATOR'S JOB TITLE"));
    QCOMPARE(list.value(1, "value"), kMarkup);
}

void TestQmlTexts::expertLists_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("count");
    QTest::addRow("camera") << "DCP" << "itemCamera" << 6;
    QTest::addRow("capture one") << "C1" << "itemC1" << 3;
    QTest::addRow("icc") << "ICC" << "itemIcc" << 5;
}

void TestQmlTexts::expertLists()
{
    QFETCH(QString, kind);
    QFETCH(QString, set);
    QFETCH(int, count);
    std::unique_ptr<pq_Job> job = markupJob();
    XmlList list(m_engine, job->jobExpertSettings().toQmlXml(false, true, kind),
                 "/expertSettings/" + set, {"name", "value", "locked"});
    QTRY_COMPARE(list.status(), kReady);
    QCOMPARE(list.count(), count);
    if (set == "itemCamera") {
        QCOMPARE(list.value(5, "name"), QString("exposureOffset"));
        QCOMPARE(list.value(5, "value"), "Offset " + kMarkup);
        QCOMPARE(list.value(0, "locked"), QString("true"));
    }
}

void TestQmlTexts::targetIconIds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addRow("plain") << "Studio" << 2;
    QTest::addRow("dotted") << "a.b" << 1;
    QTest::addRow("fragment, query and percent") << "A#1?%" << 0;
    QTest::addRow("encoded-looking") << "50%25 %41" << 3;
    QTest::addRow("blanks, slash, accents") << QString::fromUtf8("Ä ö/x\\y") << 12;
    QTest::addRow("markup") << kMarkup << 4;
}

// The id as the QML engine hands it to the provider: the URL's path without
// its leading "/", decoded as far as the URL stays valid.
void TestQmlTexts::targetIconIds()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    const QUrl url(pq_targetIconUrl(name, index));
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), QString("image"));
    QCOMPARE(url.host(), QString("targets"));
    QVERIFY(url.fragment().isEmpty() && url.query().isEmpty());
    const QString id = url.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).mid(1);
    QString decoded;
    int decodedIndex = -1;
    pq_splitTargetIconId(id, &decoded, &decodedIndex);
    QCOMPARE(decoded, name);
    QCOMPARE(decodedIndex, index);
}

static RegisterSuite<TestQmlTexts> registerQmlTexts;
#include "test_qml_texts.moc"
