#include "SuiteRunner.h"

#include "colour/Kirr_XmlSettings.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool read_text(const QByteArray &text, QSettings::SettingsMap *map)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return Kirr_readXmlSettings(buffer, *map);
}

bool write_map(const QSettings::SettingsMap &map, QByteArray *text)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const bool ok = Kirr_writeXmlSettings(buffer, map);
    *text = buffer.data();
    return ok;
}

}  // namespace

class XmlSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip();
    void readsTheStoredLayout();
    void refusesMalformed_data();
    void refusesMalformed();
    void writerRefusesWhatCannotBeStored_data();
    void writerRefusesWhatCannotBeStored();
    void registeredWithQSettings();
};

void XmlSettingsTest::roundTrip()
{
    QSettings::SettingsMap map;
    map.insert(QStringLiteral("top"), QStringLiteral("plain"));
    map.insert(QStringLiteral("a"), QStringLiteral("value beside a group of the same name"));
    map.insert(QStringLiteral("a/b/c"), QStringLiteral("<&> \"quoted\" 'single'"));
    map.insert(QStringLiteral("a/b/d"), QStringLiteral("  spaces kept \n\tand a new line  "));
    map.insert(QStringLiteral("a-b/x"), QStringLiteral("sorts between a and a/"));
    map.insert(QStringLiteral("a/e"), QString());
    map.insert(QStringLiteral("unicode/Größe ΔE"), QStringLiteral("日本 \U0001F600"));
    map.insert(QStringLiteral("numbers/third"), 1.0 / 3.0);
    map.insert(QStringLiteral("numbers/int"), 42);
    map.insert(QStringLiteral("numbers/flag"), true);
    map.insert(QStringLiteral("list"), QStringList{QStringLiteral("one"), QString(), QStringLiteral("<3>")});
    map.insert(QStringLiteral("empty list"), QStringList());

    QByteArray text;
    QVERIFY(write_map(map, &text));
    QSettings::SettingsMap back;
    QVERIFY2(read_text(text, &back), text.constData());
    QCOMPARE(back.size(), map.size());
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        QVERIFY2(back.contains(it.key()), qPrintable(it.key()));
        if (it.value().type() == QVariant::StringList)
            QCOMPARE(back.value(it.key()).toStringList(), it.value().toStringList());
        else
            QCOMPARE(back.value(it.key()).toString(), it.value().toString());
    }
    QCOMPARE(back.value(QStringLiteral("numbers/third")).toDouble(), 1.0 / 3.0);
}

void XmlSettingsTest::readsTheStoredLayout()
{
    const QByteArray text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!-- written by hand -->\n"
        "<settings version=\"1\">\n"
        "  <value name=\"Name\">x &amp; y</value>\n"
        "  <group name=\"Outer\">\n"
        "    <group name=\"Inner\"><value name=\"Depth\"><![CDATA[<2>]]></value></group>\n"
        "    <value name=\"Items\" type=\"list\"><item>1</item><item>2</item></value>\n"
        "  </group>\n"
        "</settings>\n";
    QSettings::SettingsMap map;
    QVERIFY(read_text(text, &map));
    QCOMPARE(map.size(), 3);
    QCOMPARE(map.value(QStringLiteral("Name")).toString(), QStringLiteral("x & y"));
    QCOMPARE(map.value(QStringLiteral("Outer/Inner/Depth")).toString(), QStringLiteral("<2>"));
    QCOMPARE(map.value(QStringLiteral("Outer/Items")).toStringList(),
             (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
}

void XmlSettingsTest::refusesMalformed_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addRow("empty") << QByteArray();
    QTest::addRow("not xml") << QByteArray("[General]\nkey=value\n");
    QTest::addRow("wrong root") << QByteArray("<config><value name=\"a\">1</value></config>");
    QTest::addRow("newer version") << QByteArray("<settings version=\"2\"/>");
    QTest::addRow("unclosed") << QByteArray("<settings><group name=\"a\"><value name=\"b\">1</value>");
    QTest::addRow("two roots") << QByteArray("<settings/><settings/>");
    QTest::addRow("document type")
        << QByteArray("<!DOCTYPE settings [<!ENTITY e \"boom\">]><settings><value name=\"a\">&e;</value></settings>");
    QTest::addRow("unknown entity") << QByteArray("<settings><value name=\"a\">&e;</value></settings>");
    QTest::addRow("unknown element") << QByteArray("<settings><entry name=\"a\">1</entry></settings>");
    QTest::addRow("text in a group") << QByteArray("<settings><group name=\"a\">loose</group></settings>");
    QTest::addRow("element in a value")
        << QByteArray("<settings><value name=\"a\"><b/></value></settings>");
    QTest::addRow("no name") << QByteArray("<settings><value>1</value></settings>");
    QTest::addRow("empty group name")
        << QByteArray("<settings><group name=\"\"><value name=\"a\">1</value></group></settings>");
    QTest::addRow("slash in a name") << QByteArray("<settings><value name=\"a/b\">1</value></settings>");
    QTest::addRow("backslash in a name") << QByteArray("<settings><value name=\"a\\b\">1</value></settings>");
    QTest::addRow("key twice")
        << QByteArray("<settings><value name=\"a\">1</value><value name=\"a\">2</value></settings>");
    QTest::addRow("unknown value type")
        << QByteArray("<settings><value name=\"a\" type=\"blob\">1</value></settings>");
    QTest::addRow("list with other elements")
        << QByteArray("<settings><value name=\"a\" type=\"list\"><entry>1</entry></value></settings>");
    QByteArray deep("<settings>");
    for (int i = 0; i < 65; ++i)
        deep += "<group name=\"g\">";
    deep += "<value name=\"a\">1</value>";
    for (int i = 0; i < 65; ++i)
        deep += "</group>";
    deep += "</settings>";
    QTest::addRow("too deep") << deep;
}

void XmlSettingsTest::refusesMalformed()
{
    QFETCH(QByteArray, text);
    QSettings::SettingsMap map;
    map.insert(QStringLiteral("stale"), 1);
    QVERIFY(!read_text(text, &map));
    QVERIFY(map.isEmpty());
}

void XmlSettingsTest::writerRefusesWhatCannotBeStored_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addRow("no value") << QStringLiteral("a") << QVariant();
    QTest::addRow("empty key") << QStringLiteral("//") << QVariant(1);
    QTest::addRow("control character") << QStringLiteral("a") << QVariant(QStringLiteral("bell\a"));
    QTest::addRow("carriage return") << QStringLiteral("a") << QVariant(QStringLiteral("a\r\nb"));
    QTest::addRow("control character in a key") << QStringLiteral("a\x01") << QVariant(1);
    QTest::addRow("nested list")
        << QStringLiteral("a") << QVariant(QVariantList{QVariant(QStringList{QStringLiteral("x")})});
    QTest::addRow("map") << QStringLiteral("a") << QVariant(QVariantMap{{QStringLiteral("k"), 1}});
}

void XmlSettingsTest::writerRefusesWhatCannotBeStored()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QSettings::SettingsMap map;
    map.insert(key, value);
    QByteArray text;
    QVERIFY(!write_map(map, &text));
}

void XmlSettingsTest::registeredWithQSettings()
{
    const QSettings::Format format = Kirr_xmlSettingsFormat();
    QCOMPARE(Kirr_xmlSettingsFormat(), format);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("store.xml"));
    {
        QSettings settings(path, format);
        settings.beginGroup(QStringLiteral("Group"));
        settings.setValue(QStringLiteral("Number"), 0.1);
        settings.setValue(QStringLiteral("Text"), QStringLiteral("a < b"));
        settings.endGroup();
        settings.sync();
        QCOMPARE(settings.status(), QSettings::NoError);
    }
    QSettings settings(path, format);
    QCOMPARE(settings.status(), QSettings::NoError);
    QCOMPARE(settings.value(QStringLiteral("Group/Number")).toDouble(), 0.1);
    QCOMPARE(settings.value(QStringLiteral("Group/Text")).toString(), QStringLiteral("a < b"));

    QFile broken(dir.filePath(QStringLiteral("broken.xml")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("<settings><value name=\"a\">1</value>");
    broken.close();
    QSettings refused(broken.fileName(), format);
    QCOMPARE(refused.status(), QSettings::FormatError);
    QVERIFY(refused.allKeys().isEmpty());
}

VP_TEST_SUITE(XmlSettingsTest);

#include "xml_settings_test.moc"
