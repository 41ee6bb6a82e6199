// The library as its hosts meet it: a C program without Qt and a Qt program,
// each started in a fixture program folder (a full style file, none, a broken
// one) with a home of its own, so that every run creates the framework anew.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kPrograms = QStringLiteral(FIXTURE_PROGRAMS);

struct Run {
    int exitCode = -1;
    QMap<QString, QString> results;  // label -> text of the last "label=[text]" line
    QStringList lines;               // the standard output stream
    QString errors;                  // the standard error stream
};

// The settings stores a run starts with: file below the configuration folder -> contents.
using Stores = QMap<QString, QByteArray>;

Run runProcess(const QString& executable, const QStringList& arguments, const Stores& stores,
               const QStringList& environment, QTemporaryDir* keepHome)
{
    QTemporaryDir ownHome;
    QTemporaryDir& home = keepHome ? *keepHome : ownHome;
    for (auto it = stores.cbegin(); it != stores.cend(); ++it) {
        const QString path = home.path() + QStringLiteral("/config/") + it.key();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(it.value());
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("pelto.framework.*.debug=true"));
    env.insert(QStringLiteral("LC_ALL"), QString());
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    for (const QString& setting : environment)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));

    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(home.path());
    process.start(executable, arguments);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errors = QString::fromUtf8(process.readAllStandardError());
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    run.lines = lines;
    run.lines.removeAll(QString());
    for (const QString& line : lines) {
        const int equals = line.indexOf(QStringLiteral("=["));
        if (equals > 0 && line.endsWith(QLatin1Char(']')))
            run.results.insert(line.left(equals), line.mid(equals + 2, line.size() - equals - 3));
    }
    return run;
}

Run runHost(const QString& host, const QString& program, const QStringList& arguments, const Stores& stores = {},
            const QStringList& environment = {}, QTemporaryDir* keepHome = nullptr)
{
    return runProcess(kPrograms + QLatin1Char('/') + program + QLatin1Char('/') + host, arguments, stores,
                      environment, keepHome);
}

#define VERIFY_RUN(run)                                                                  \
    QVERIFY2((run).exitCode == 0, qPrintable(QStringLiteral("exit code %1\n%2")        \
                                                 .arg((run).exitCode)                   \
                                                 .arg((run).errors)))

QString programPath(const QString& program)
{
    return kPrograms + QLatin1Char('/') + program;
}

}  // namespace

class HostsTest : public QObject {
    Q_OBJECT

private slots:
    void cHostFolders();
    void cHostThroughPath();
    void cHostStyle_data();
    void cHostStyle();
    void cHostBrokenStyle();
    void cHostPreferences();
    void cHostNullsAndStress();
    void language_data();
    void language();
    void qtHostNames_data();
    void qtHostNames();
    void translators_data();
    void translators();
    void cHostWithoutDisplay();
    void coreApplicationHost();
};

// Two text exports in turn both give readable texts.
void HostsTest::cHostFolders()
{
    QTemporaryDir home;
    const Run run = runHost(QStringLiteral("c_host"), QStringLiteral("full"), {QStringLiteral("paths")}, {}, {}, &home);
    VERIFY_RUN(run);
    QCOMPARE(run.results.value(QStringLiteral("app")), programPath(QStringLiteral("full")));
    QCOMPARE(run.results.value(QStringLiteral("prefs")), home.path() + QStringLiteral("/config"));
}

// Started through PATH, the program folder is still the executable's.
void HostsTest::cHostThroughPath()
{
    const QString folder = programPath(QStringLiteral("none"));
    const Run run = runProcess(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("c_host paths")}, {},
                               {QStringLiteral("PATH=") + folder + QStringLiteral(":/usr/bin:/bin")}, nullptr);
    VERIFY_RUN(run);
    QCOMPARE(run.results.value(QStringLiteral("app")), folder);
}

void HostsTest::cHostStyle_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("message");  // on the error stream; DIR is the program folder

    const QString full = QStringLiteral("full");
    QTest::newRow("product") << full << QStringList{"style", "product"} << "product" << "pelto5" << "";
    QTest::newRow("the language's file") << full << QStringList{"style", "probe"} << "probe" << "probe-de" << "";
    QTest::newRow("custom by name") << full << QStringList{"custom", "custom.xml", "item"} << "custom"
                                    << "custom item" << "";
    QTest::newRow("custom by path") << full << QStringList{"custom", "DIR/Resources/custom.xml", "item"}
                                    << "custom" << "custom item" << "";
    QTest::newRow("custom by backslash path") << full << QStringList{"custom", "DIR\\Resources\\custom.xml", "item"}
                                              << "custom" << "custom item" << "";
    QTest::newRow("no style file") << "none" << QStringList{"style", "product", "style", "vendor"} << "vendor"
                                   << "" << "pelto.framework.style: failed to open DIR/style.xml";
    QTest::newRow("the Qt version is named") << full << QStringList{"style", "product"} << "product" << "pelto5"
                                             << "pelto.framework.core: pelto5 uses Qt version " QT_VERSION_STR;
}

void HostsTest::cHostStyle()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, label);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    arguments.replaceInStrings(QStringLiteral("DIR"), programPath(program));
    message.replace(QStringLiteral("DIR"), programPath(program));

    const Run run = runHost(QStringLiteral("c_host"), program, arguments);
    VERIFY_RUN(run);
    QVERIFY(run.results.contains(label));
    QCOMPARE(run.results.value(label), expected);
    QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
}

void HostsTest::cHostBrokenStyle()
{
    const Run run = runHost(QStringLiteral("c_host"), QStringLiteral("broken"),
                            {QStringLiteral("style"), QStringLiteral("product")});
    VERIFY_RUN(run);
    QCOMPARE(run.results.value(QStringLiteral("product")), QString());
    QVERIFY2(run.errors.contains(QStringLiteral("failed to parse ") + programPath(QStringLiteral("broken"))
                                 + QStringLiteral("/Resources/style.xml")),
             qPrintable(run.errors));
}

// A value set by a host that never flushes anything is in the file when the
// host ends; shared and per-product values stay apart.
void HostsTest::cHostPreferences()
{
    QTemporaryDir home;
    const Run run = runHost(QStringLiteral("c_host"), QStringLiteral("full"),
                            QStringLiteral("set key product-value 0 set shared shared-value 1 get key 0 get key 1 "
                                           "get shared 1 get shared 0 get never 0")
                                .split(QLatin1Char(' ')),
                            {}, {}, &home);
    VERIFY_RUN(run);
    QCOMPARE(run.lines, QStringList({"key=[product-value]", "key=[]", "shared=[shared-value]", "shared=[]",
                                     "never=[]"}));

    QFile product(home.path() + QStringLiteral("/config/Vandrelith.fixture/pelto5.conf"));
    QVERIFY(product.open(QIODevice::ReadOnly));
    QVERIFY(product.readAll().contains("key=product-value"));
    QFile shared(home.path() + QStringLiteral("/config/Vandrelith.fixture/KirrFramework.conf"));
    QVERIFY(shared.open(QIODevice::ReadOnly));
    const QByteArray sharedBytes = shared.readAll();
    QVERIFY(sharedBytes.contains("shared=shared-value"));
    QVERIFY(!sharedBytes.contains("key="));

    const Run again = runHost(QStringLiteral("c_host"), QStringLiteral("full"),
                              QStringLiteral("get key 0 get shared 1").split(QLatin1Char(' ')), {}, {}, &home);
    VERIFY_RUN(again);
    QCOMPARE(again.results.value(QStringLiteral("key")), QStringLiteral("product-value"));
    QCOMPARE(again.results.value(QStringLiteral("shared")), QStringLiteral("shared-value"));
}

void HostsTest::cHostNullsAndStress()
{
    const Run run = runHost(QStringLiteral("c_host"), QStringLiteral("full"),
                            {QStringLiteral("nulls"), QStringLiteral("stress")});
    VERIFY_RUN(run);
    for (const char* label : {"null.style", "null.custom", "null.get"})
        QCOMPARE(run.results.value(QString::fromLatin1(label), QStringLiteral("missing")), QString());
    QVERIFY2(!run.errors.contains(QStringLiteral("failed to")), qPrintable(run.errors));
    const QMap<QString, QString> expected = {
        {"stress.style.long", "0"},   {"stress.style.invalid", "0"}, {"stress.custom.long", "0"},
        {"stress.custom.invalid", "0"}, {"stress.prefs.long", "1048576"}, {"stress.prefs.invalid", "utf-8"},
    };
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(run.results.value(it.key()), it.value());
}

void HostsTest::language_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QByteArray>("store");  // the program's settings store
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("expected");

    // The full folder's style file names "de"; the none folder has no style file.
    QTest::newRow("stored language") << "full" << QByteArray("language=it\nlanguageCode=fr\n") << QStringList()
                                     << "it";
    QTest::newRow("stored languageCode") << "full" << QByteArray("languageCode=fr\n") << QStringList() << "fr";
    QTest::newRow("style element") << "full" << QByteArray() << QStringList() << "de";
    QTest::newRow("stored path and pattern passed over")
        << "full" << QByteArray("language=../fr\nlanguageCode=d*\n") << QStringList() << "de";
    QTest::newRow("system locale") << "none" << QByteArray() << QStringList{"LC_ALL=fr_FR"} << "fr";
    QTest::newRow("locale C") << "none" << QByteArray() << QStringList{"LC_ALL=", "LANG=C"} << "en";
    QTest::newRow("stored upper case passed over") << "none" << QByteArray("language=EN\n")
                                                   << QStringList{"LC_ALL=fr_FR"} << "fr";
    QTest::newRow("stored without a style file") << "none" << QByteArray("languageCode=it\n") << QStringList()
                                                 << "it";
}

void HostsTest::language()
{
    QFETCH(QString, program);
    QFETCH(QByteArray, store);
    QFETCH(QStringList, environment);
    QFETCH(QString, expected);

    // The program's store: organisation "Vandrelith", application the product.
    const QString storeFile = program == QLatin1String("full") ? QStringLiteral("Vandrelith/pelto5.conf")
                                                                : QStringLiteral("Vandrelith.conf");
    const Stores stores = store.isEmpty() ? Stores() : Stores{{storeFile, "[General]\n" + store}};
    const Run run = runHost(QStringLiteral("c_host"), program, {QStringLiteral("paths")}, stores, environment);
    VERIFY_RUN(run);
    QVERIFY2(run.errors.contains(QStringLiteral("Setting language to ") + expected + QLatin1Char('\n')),
             qPrintable(run.errors));
}

void HostsTest::qtHostNames_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("application");
    QTest::addColumn<QString>("organisation");
    QTest::addColumn<QString>("domain");
    QTest::newRow("style file") << "full" << "pelto5" << "Vandrelith" << "Vandrelith.fixture";
    // An empty application name reads as the executable's name (Qt's rule).
    QTest::newRow("no style file") << "none" << "qt_host" << "Vandrelith" << "Vandrelith.";
}

// A Qt host keeps its own application object and takes the style file's names.
void HostsTest::qtHostNames()
{
    QFETCH(QString, program);
    QFETCH(QString, application);
    QFETCH(QString, organisation);
    QFETCH(QString, domain);
    const Run run = runHost(QStringLiteral("qt_host"), program, {QStringLiteral("names"), QStringLiteral("locale")},
                            {{QStringLiteral("Vandrelith/pelto5.conf"), "[General]\nlanguage=it\n"}});
    VERIFY_RUN(run);
    QCOMPARE(run.results.value(QStringLiteral("application"), QStringLiteral("missing")), application);
    QCOMPARE(run.results.value(QStringLiteral("organisation")), organisation);
    QCOMPARE(run.results.value(QStringLiteral("domain"), QStringLiteral("missing")), domain);
    QCOMPARE(run.results.value(QStringLiteral("same")), QStringLiteral("yes"));
    QCOMPARE(run.results.value(QStringLiteral("locale")), program == QLatin1String("full") ? QStringLiteral("it_IT")
                                                                                          : QStringLiteral("en_US"));
}

void HostsTest::translators_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("expected");  // "framework", "qt", "product", "custom", "who", "fpq", "fq"

    // Only the Qt texts have no German file: they fall back to English.
    QTest::newRow("de") << "de"
                        << QStringList{"framework-de", "qt-en", "product-de", "custom-de", "custom-de", "product-de",
                                       "qt-en"};
    QTest::newRow("no files of the language")
        << "it" << QStringList{"framework-en", "qt-en", "product-en", "custom-en", "custom-en", "product-en", "qt-en"};
}

// Each translator loads its language's file or else its English one; custom
// texts win over product texts, those over Qt's and the framework's.
void HostsTest::translators()
{
    QFETCH(QString, language);
    QFETCH(QStringList, expected);
    const QStringList keys = {"framework", "qt", "product", "custom", "who", "fpq", "fq"};
    QStringList arguments;
    for (const QString& key : keys)
        arguments << QStringLiteral("tr") << QStringLiteral("Probe") << key;
    const Run run = runHost(QStringLiteral("qt_host"), QStringLiteral("full"), arguments,
                            {{QStringLiteral("Vandrelith/pelto5.conf"), "[General]\nlanguage=" + language.toUtf8() + "\n"}});
    VERIFY_RUN(run);
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(run.results.value(keys[i]), expected[i]);
}

// Without a display (and no platform named) a host that is no Qt program keeps
// working: the texts come back, and the windows are not shown.
void HostsTest::cHostWithoutDisplay()
{
    const Run run = runHost(QStringLiteral("c_host"), QStringLiteral("full"),
                            {QStringLiteral("style"), QStringLiteral("product"), QStringLiteral("windows")}, {},
                            {QStringLiteral("QT_QPA_PLATFORM="), QStringLiteral("DISPLAY="),
                             QStringLiteral("WAYLAND_DISPLAY=")});
    VERIFY_RUN(run);
    QCOMPARE(run.results.value(QStringLiteral("product")), QStringLiteral("pelto5"));
    QCOMPARE(run.results.value(QStringLiteral("windows")), QStringLiteral("returned"));
    for (const char* panel : {"splashPanel", "aboutPanel", "showSupport", "searchUpdate", "showHelp"}) {
        QVERIFY2(run.errors.contains(QString::fromLatin1(panel) + QStringLiteral(": there is no display")),
                 qPrintable(run.errors));
    }
}

// A host whose application object is no QApplication gets no window and no abort.
void HostsTest::coreApplicationHost()
{
    const QStringList commands = {"about", "support", "splash", "update", "help"};
    const Run run = runHost(QStringLiteral("qt_host"), QStringLiteral("full"), QStringList{"core"} + commands);
    VERIFY_RUN(run);
    for (const QString& command : commands)
        QCOMPARE(run.results.value(command), QStringLiteral("returned"));
    for (const char* panel : {"aboutPanel", "showSupport", "splashPanel", "searchUpdate"}) {
        QVERIFY2(run.errors.contains(QString::fromLatin1(panel)
                                     + QStringLiteral(": the host's application object is no QApplication")),
                 qPrintable(run.errors));
    }
    QVERIFY(run.errors.contains(QStringLiteral("showHelp: the host's application object is no QGuiApplication")));
}

QTEST_GUILESS_MAIN(HostsTest)
#include "test_hosts.moc"
