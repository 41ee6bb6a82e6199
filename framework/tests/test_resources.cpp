// The program folder as the build leaves it: style file, pictures,
// translations and manual, made by the build and laid out as installed.
#include "StyleFile.h"

#include <QDomDocument>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTranslator>
#include <QtTest>

namespace {
const QString kProgram = QStringLiteral(PROGRAM_DIR);
const QString kSources = QStringLiteral(FRAMEWORK_SOURCE_DIR);
}  // namespace

class ResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void styleFile();
    void pictures_data();
    void pictures();
    void translations_data();
    void translations();
    void manual();
};

// The program's own names, so that the framework renames nothing; support
// contacts that reach nobody.
void ResourcesTest::styleFile()
{
    const QDomDocument style = StyleFile::read(kProgram + QStringLiteral("/Resources/style.xml"));
    const auto element = [&](const char* name) { return StyleFile::element(style, QString::fromLatin1(name)); };
    QCOMPARE(element("vendor"), QStringLiteral("Vandrelith"));
    QCOMPARE(element("product"), QStringLiteral("pelto5"));
    QCOMPARE(element("version"), QStringLiteral("5.1.1"));
    for (const char* name : {"prefdomain", "build", "copyright", "productid", "vendorid"})
        QVERIFY2(!element(name).isEmpty(), name);
    QVERIFY(element("suppemail").endsWith(QLatin1String(".example")));
    QVERIFY(element("suppphone").startsWith(QLatin1String("+44 20 7946 0")));  // reserved for drama
    QCOMPARE(element("manual"), QStringLiteral("PDF Manuals/EN - Vandrelith pelto.pdf"));
    QVERIFY(QFile::exists(kProgram + QLatin1Char('/') + element("manual")));
}

void ResourcesTest::pictures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<bool>("transparentParts");
    QTest::newRow("splash") << "Resources/splash.png" << QSize(200, 100) << true;
    QTest::newRow("logo") << "Resources/about.png" << QSize(64, 64) << true;
    QTest::newRow("background") << "Resources/libKirrFramework/background.png" << QSize(400, 300) << false;
}

void ResourcesTest::pictures()
{
    QFETCH(QString, file);
    QFETCH(QSize, minimum);
    QFETCH(bool, transparentParts);
    const QImage image(kProgram + QLatin1Char('/') + file);
    QVERIFY2(!image.isNull(), qPrintable(file));
    QVERIFY(image.width() >= minimum.width() && image.height() >= minimum.height());
    QCOMPARE(image.hasAlphaChannel() && qAlpha(image.pixel(0, 0)) == 0, transparentParts);
}

void ResourcesTest::translations_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("en") << "en";
    QTest::newRow("de") << "de";
}

// Every key of the translation source has a real text in the compiled file.
void ResourcesTest::translations()
{
    QFETCH(QString, language);
    QTranslator translator;
    QVERIFY(translator.load(kProgram + QStringLiteral("/Resources/libKirrFramework/KirrFramework_") + language
                            + QStringLiteral(".qm")));
    QFile source(kSources + QStringLiteral("/resources/KirrFramework_") + language + QStringLiteral(".ts"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QDomDocument ts;
    QVERIFY(ts.setContent(&source));
    int messages = 0;
    const QDomNodeList contexts = ts.elementsByTagName(QStringLiteral("context"));
    for (int c = 0; c < contexts.size(); ++c) {
        const QDomElement context = contexts.at(c).toElement();
        const QByteArray name = context.firstChildElement(QStringLiteral("name")).text().toUtf8();
        for (QDomElement message = context.firstChildElement(QStringLiteral("message")); !message.isNull();
             message = message.nextSiblingElement(QStringLiteral("message"))) {
            const QByteArray text = message.firstChildElement(QStringLiteral("source")).text().toUtf8();
            QVERIFY2(!translator.translate(name.constData(), text.constData()).isEmpty(), text.constData());
            ++messages;
        }
    }
    QVERIFY(messages > 0);
    const bool german = language == QLatin1String("de");
    QCOMPARE(translator.translate("AboutDialog", "About"), german ? QStringLiteral("Über") : QStringLiteral("About"));
    QCOMPARE(translator.translate("QObject", "manual"), german ? QStringLiteral("Handbuch") : QStringLiteral("Manual"));
    QCOMPARE(translator.translate("AboutDialog", "Produktname"),
             german ? QStringLiteral("Produktname") : QStringLiteral("Product name"));
    // The update check's result texts are keys, never shown as they are.
    for (const char* key : {"rErrParse", "rTimeout", "rErrUnknown"}) {
        const QString text = translator.translate("UpdateDialog", key);
        QVERIFY2(!text.isEmpty() && text != QLatin1String(key), key);
    }
    QCOMPARE(translator.translate("UpdateDialog", "Nach Updates suchen..."),
             german ? QStringLiteral("Nach Updates suchen...") : QStringLiteral("Check for updates..."));
    QCOMPARE(translator.translate("ProxyDialog", "Kennwort:"), german ? QStringLiteral("Kennwort:") : QStringLiteral("Password:"));
}

void ResourcesTest::manual()
{
    QFile pdf(kProgram + QStringLiteral("/PDF Manuals/EN - Vandrelith pelto.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.contains("/Type /Page"));
    QVERIFY(bytes.trimmed().endsWith("%%EOF"));
}

QTEST_GUILESS_MAIN(ResourcesTest)
#include "test_resources.moc"
