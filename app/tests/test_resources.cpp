// The translations of the program folder the build lays out: the program's
// own, and Qt's for the shipped languages, each loading from Resources/.

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>
#include <QtTest>

namespace {

QString resources()
{
    return QStringLiteral(PROGRAM_DIR "/Resources");
}

}  // namespace

class ResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void programTranslations_data();
    void programTranslations();
    void qtTranslations_data();
    void qtTranslations();
};

void ResourcesTest::programTranslations_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("label");
    QTest::addRow("en") << "en" << "German" << "Language";
    QTest::addRow("de") << "de" << "Deutsch" << "Sprache";
}

// The English translation gives the language names their display form.
void ResourcesTest::programTranslations()
{
    QFETCH(QString, language);
    QFETCH(QString, german);
    QFETCH(QString, label);
    QTranslator translator;
    QVERIFY(translator.load(resources() + "/pelto_" + language + ".qm"));
    QCOMPARE(translator.translate("pq_PreferencesDialog", "german"), german);
    const QString translated = translator.translate("pq_PreferencesDialog", "Language");
    QCOMPARE(translated.isEmpty() ? QString("Language") : translated, label);
}

void ResourcesTest::qtTranslations_data()
{
    QTest::addColumn<QString>("file");
    for (const char* file : {"qt_de", "qtbase_de", "qtscript_de", "qtmultimedia_de", "qtxmlpatterns_de",
                             "qtdeclarative_de", "qtquickcontrols_de"})
        QTest::addRow("%s", file) << file;
}

// qt_de.qm only names the catalogues of the modules: it loads only when they
// lie beside it.
void ResourcesTest::qtTranslations()
{
    QFETCH(QString, file);
    QTranslator translator;
    QVERIFY(translator.load(resources() + "/" + file + ".qm"));
    QVERIFY(!translator.isEmpty());
    QVERIFY2(translator.language().startsWith("de"), qPrintable(translator.language()));
    if (file == "qt_de")
        QCOMPARE(translator.translate("QPlatformTheme", "Cancel"), QString("Abbrechen"));
}

QTEST_GUILESS_MAIN(ResourcesTest)
#include "test_resources.moc"
