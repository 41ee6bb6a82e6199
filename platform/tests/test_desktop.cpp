#include "platform/desktop.h"

#include <QDesktopServices>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Catches the URLs the desktop would open.
class UrlSink : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

class TestDesktop : public QObject {
    Q_OBJECT

private:
    UrlSink sink;

private slots:
    void initTestCase()
    {
        // No D-Bus user bus: the file manager's D-Bus call cannot be made.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        QDesktopServices::setUrlHandler("file", &sink, "open");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("file"); }
    void init() { sink.urls.clear(); }

    void showFallsBackToTheFolder()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/profile.icc";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(platform::showInFileManager(path));
        QCOMPARE(sink.urls, QList<QUrl>{QUrl::fromLocalFile(dir.path())});
    }

    void missingFileShowsNothing()
    {
        QVERIFY(!platform::showInFileManager("/nonexistent/profile.icc"));
        QVERIFY(sink.urls.isEmpty());
    }

    void replacements()
    {
        QStringList shown;
        platform::setFileManagerShower([&shown](const QString& path) {
            shown << path;
            return true;
        });
        QVERIFY(platform::showInFileManager("/any/where.icc"));
        platform::setFileManagerShower({});
        QCOMPARE(shown, QStringList{"/any/where.icc"});

        platform::setScreenLogicalDpiSource([] { return 144.0; });
        QCOMPARE(platform::screenLogicalDpi(), 144.0);
        platform::setScreenLogicalDpiSource({});
        QVERIFY(platform::screenLogicalDpi() > 0);
    }
};

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"
