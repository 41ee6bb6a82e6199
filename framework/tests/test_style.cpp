// Style lookups of the framework and of XMLController, the choice of language
// and bad style files, on fixture program folders made per case.
#include "KirrFramework.h"
#include "Language.h"
#include "StyleFile.h"
#include "TestSupport.h"
#include "XMLController.h"

#include <QApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QSettings>
#include <QtTest>

using Elements = QList<QPair<QString, QString>>;
using Files = QMap<QString, QByteArray>;
Q_DECLARE_METATYPE(Files)

namespace {

// A program folder of its own per case, with a product name of its own so that
// no two cases share a settings store.
struct Program {
    QTemporaryDir dir;
    QString product = QStringLiteral("prod%1").arg(++counter);
    static int counter;

    QString path() const { return dir.path(); }
    void write(const QString& relative, const QByteArray& bytes) const
    {
        writeFile(dir.path() + QLatin1Char('/') + relative, bytes);
    }
};
int Program::counter = 0;

QString withProduct(QString text, const QString& product)
{
    return text.replace(QStringLiteral("PRODUCT"), product);
}

// Collects the messages of the framework's categories while it lives.
class MessageLog {
public:
    MessageLog()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("pelto.framework.*.debug=true"));
        s_messages.clear();
        m_previous = qInstallMessageHandler(collect);
    }
    ~MessageLog()
    {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    QStringList messages() const { return s_messages; }

private:
    static void collect(QtMsgType, const QMessageLogContext& context, const QString& text)
    {
        if (QByteArray(context.category).startsWith("pelto.framework."))
            s_messages.append(text);
    }
    static QStringList s_messages;
    QtMessageHandler m_previous;
};
QStringList MessageLog::s_messages;

}  // namespace

class StyleTest : public QObject {
    Q_OBJECT

private slots:
    void lookup_data();
    void lookup();
    void customFile_data();
    void customFile();
    void fallbackStyleFile();
    void badFile_data();
    void badFile();
    void hugeElement();
    void language_data();
    void language();
    void controller();
};

void StyleTest::lookup_data()
{
    QTest::addColumn<QByteArray>("style");
    QTest::addColumn<Files>("files");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    const QByteArray base = styleXml({{"product", "PRODUCT"}, {"language", "de"}, {"build", ""},
                                      {"build", "42"}, {"build", "43"}, {"Version", "big"}});
    const Files languageFiles = {
        {"Resources/PRODUCT_de.xml", styleXml({{"probe", "german"}, {"build", "de-build"}})},
        {"Resources/PRODUCT_en.xml", styleXml({{"probe", "english"}, {"only", "english only"}})},
    };
    QTest::newRow("first non-empty duplicate") << base << Files() << "build" << "42";
    QTest::newRow("names are case-sensitive") << base << Files() << "version" << "";
    QTest::newRow("style file before the language's") << base << languageFiles << "build" << "42";
    QTest::newRow("the language's file") << base << languageFiles << "probe" << "german";
    QTest::newRow("then the English file") << base << languageFiles << "only" << "english only";
    QTest::newRow("absent everywhere") << base << languageFiles << "missing" << "";
    QTest::newRow("English is looked up for English")
        << styleXml({{"product", "PRODUCT"}, {"language", "en"}}) << languageFiles << "probe" << "english";
    QTest::newRow("attributes are ignored")
        << QByteArray("<s><item kind=\"x\">text</item></s>") << Files() << "item" << "text";
    QTest::newRow("nested text is joined")
        << QByteArray("<s><item><b>bo</b>ld</item></s>") << Files() << "item" << "bold";
    QTest::newRow("nested elements are no settings")
        << QByteArray("<s><outer><item>inner</item></outer></s>") << Files() << "item" << "";
    QTest::newRow("CDATA")
        << QByteArray("<s><item><![CDATA[<a href=\"x\">&</a>]]></item></s>") << Files() << "item"
        << "<a href=\"x\">&</a>";
    QTest::newRow("comments and text between elements")
        << QByteArray("<s>loose<!-- <item>no</item> --><item>yes</item></s>") << Files() << "item" << "yes";
    QTest::newRow("any root name")
        << QByteArray("<whatever><item>yes</item></whatever>") << Files() << "item" << "yes";
}

void StyleTest::lookup()
{
    QFETCH(QByteArray, style);
    QFETCH(Files, files);
    QFETCH(QString, name);
    QFETCH(QString, expected);

    const Program program;
    program.write(QStringLiteral("Resources/style.xml"), withProduct(QString::fromUtf8(style), program.product).toUtf8());
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        program.write(withProduct(it.key(), program.product), it.value());

    const KirrFramework framework(program.path());
    QCOMPARE(framework.findStyleElement(name), expected);
    const XMLController controller(program.path());
    if (!style.contains("<language>"))  // the controller ignores the element
        QCOMPARE(controller.findStyleElement(name), expected);
}

void StyleTest::customFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    // DIR is the program folder, CWD the current folder.
    QTest::newRow("bare name from Resources") << "custom.xml" << "from resources";
    QTest::newRow("absolute path") << "DIR/other/custom.xml" << "from other";
    QTest::newRow("backslash path") << "DIR\\other\\custom.xml" << "from other";
    QTest::newRow("relative path") << "other/custom.xml" << "from current";
    QTest::newRow("relative backslash path") << "other\\custom.xml" << "from current";
    QTest::newRow("missing file") << "DIR/nothing.xml" << "";
    QTest::newRow("missing bare name") << "nothing.xml" << "";
    QTest::newRow("a folder") << "DIR/folder.xml" << "";
}

void StyleTest::customFile()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);

    const Program program;
    program.write(QStringLiteral("Resources/custom.xml"), styleXml({{"item", "from resources"}}));
    program.write(QStringLiteral("other/custom.xml"), styleXml({{"item", "from other"}}));
    QVERIFY(QDir().mkpath(program.path() + QStringLiteral("/folder.xml")));
    const QTemporaryDir current;
    writeFile(current.path() + QStringLiteral("/other/custom.xml"), styleXml({{"item", "from current"}}));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(current.path());

    const KirrFramework framework(program.path());
    const XMLController controller(program.path());
    const QString name = QString(file).replace(QStringLiteral("DIR"), program.path());
    const MessageLog log;
    const QString found = framework.KirrFindCustomElement(QStringLiteral("item"), name);
    const QString foundByController = controller.findCustomElement(QStringLiteral("item"), name);
    QDir::setCurrent(previous);
    QCOMPARE(found, expected);
    QCOMPARE(foundByController, expected);
    if (expected.isEmpty())
        QVERIFY2(log.messages().isEmpty(), qPrintable(log.messages().join('\n')));
}

void StyleTest::fallbackStyleFile()
{
    const Program program;
    program.write(QStringLiteral("style.xml"), styleXml({{"product", "beside"}}));
    QCOMPARE(KirrFramework(program.path()).product(), QStringLiteral("beside"));
    program.write(QStringLiteral("Resources/style.xml"), styleXml({{"product", "resources"}}));
    QCOMPARE(KirrFramework(program.path()).product(), QStringLiteral("resources"));
}

void StyleTest::badFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("asFolder");
    QTest::addColumn<QString>("message");  // PATH is the style file's path

    QTest::newRow("empty") << QByteArray() << false << "failed to parse PATH";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18) << false
                            << "failed to parse PATH";
    QTest::newRow("truncated") << QByteArray("<style><product>pel") << false << "failed to parse PATH";
    QTest::newRow("not XML") << QByteArray("product = pelto5\n") << false << "failed to parse PATH";
    QTest::newRow("unreadable") << QByteArray() << true << "failed to open DIR/style.xml";
}

void StyleTest::badFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, asFolder);
    QFETCH(QString, message);

    const Program program;
    const QString style = program.path() + QStringLiteral("/Resources/style.xml");
    if (asFolder)
        QVERIFY(QDir().mkpath(style));
    else
        program.write(QStringLiteral("Resources/style.xml"), bytes);
    program.write(QStringLiteral("Resources/bad.xml"), bytes);
    message.replace(QStringLiteral("PATH"), style).replace(QStringLiteral("DIR"), program.path());

    const MessageLog log;
    const KirrFramework framework(program.path());
    QVERIFY2(log.messages().contains(message), qPrintable(log.messages().join('\n')));
    QCOMPARE(framework.product(), QString());
    QCOMPARE(framework.vendor(), QStringLiteral("Vandrelith"));
    QCOMPARE(framework.findStyleElement(QStringLiteral("product")), QString());
    QCOMPARE(XMLController(program.path()).findStyleElement(QStringLiteral("product")), QString());
    if (!asFolder) {
        QCOMPARE(framework.KirrFindCustomElement(QStringLiteral("product"), QStringLiteral("bad.xml")), QString());
        QVERIFY(log.messages().contains(QStringLiteral("failed to parse ") + program.path()
                                        + QStringLiteral("/Resources/bad.xml")));
    }
}

void StyleTest::hugeElement()
{
    const Program program;
    const QString huge(4 * 1024 * 1024, QLatin1Char('x'));
    program.write(QStringLiteral("Resources/style.xml"), styleXml({{"small", "s"}, {"huge", huge}}));
    const KirrFramework framework(program.path());
    QCOMPARE(framework.findStyleElement(QStringLiteral("huge")).size(), huge.size());
    QCOMPARE(framework.findStyleElement(QStringLiteral("small")), QStringLiteral("s"));
}

void StyleTest::language_data()
{
    QTest::addColumn<QString>("language");      // stored "language"
    QTest::addColumn<QString>("languageCode");  // stored "languageCode"
    QTest::addColumn<QString>("styled");        // style element "language"
    QTest::addColumn<QString>("expected");      // "system" for the system's

    QTest::newRow("stored language first") << "it" << "fr" << "de" << "it";
    QTest::newRow("then languageCode") << "" << "fr" << "de" << "fr";
    QTest::newRow("then the style element") << "" << "" << "de" << "de";
    QTest::newRow("then the system") << "" << "" << "" << "system";
    QTest::newRow("a path is no language") << "../de" << "" << "" << "system";
    QTest::newRow("a pattern is no language") << "d*" << "../it" << "de" << "de";
    QTest::newRow("upper case is no language") << "DE" << "" << "" << "system";
    QTest::newRow("a locale name is no language") << "de_DE" << "fr" << "" << "fr";
    QTest::newRow("a bad style element is passed over") << "" << "" << "x/" << "system";
}

void StyleTest::language()
{
    QFETCH(QString, language);
    QFETCH(QString, languageCode);
    QFETCH(QString, styled);
    QFETCH(QString, expected);

    const Program program;
    Elements style = {{"vendor", "Vend"}, {"product", program.product}, {"prefdomain", "dom"}};
    if (!styled.isEmpty())
        style.append(qMakePair(QStringLiteral("language"), QString(styled)));
    program.write(QStringLiteral("Resources/style.xml"), styleXml(style));
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vend"), program.product);
        if (!language.isEmpty())
            store.setValue(QStringLiteral("language"), language);
        if (!languageCode.isEmpty())
            store.setValue(QStringLiteral("languageCode"), languageCode);
    }
    if (expected == QLatin1String("system"))
        expected = systemLanguage();
    QCOMPARE(KirrFramework(program.path()).language(), expected);
}

// The controller takes the language from the per-product preference store
// (organisation vendor.prefdomain), never from the vendor's store or the style
// element, and gives the vendor no default.
void StyleTest::controller()
{
    const Program program;
    program.write(QStringLiteral("Resources/style.xml"),
                  styleXml({{"product", program.product}, {"prefdomain", "dom"}, {"language", "de"}}));
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vandrelith"), program.product)
        .setValue(QStringLiteral("language"), QStringLiteral("it"));
    {
        const XMLController controller(program.path());
        QCOMPARE(controller.language(), systemLanguage());
        QCOMPARE(controller.findStyleElement(QStringLiteral("vendor")), QString());
    }
    QCOMPARE(KirrFramework(program.path()).language(), QStringLiteral("it"));

    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral(".dom"), program.product)
        .setValue(QStringLiteral("languageCode"), QStringLiteral("fr"));
    QCOMPARE(XMLController(program.path()).language(), QStringLiteral("fr"));
}

FRAMEWORK_TEST_MAIN(StyleTest)
#include "test_style.moc"
