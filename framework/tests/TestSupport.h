#pragma once
// Shared pieces of the framework tests: a private home for every store, a
// catcher for the URLs the framework opens, and small file helpers.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// Catches every URL the desktop services would open ("file", "mailto",
// "http", "https"), so that no test starts a desktop program.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    UrlCatcher();
    ~UrlCatcher() override;

    static UrlCatcher* instance();
    QList<QUrl> takeUrls();

public slots:
    void openUrl(const QUrl& url);

private:
    QList<QUrl> m_urls;
};

// Writes bytes to path, making the folders on the way; fails the test on error.
void writeFile(const QString& path, const QByteArray& bytes);

// A style file of the flat form holding the given elements (name, text).
QByteArray styleXml(const QList<QPair<QString, QString>>& elements);

// Points HOME and XDG_CONFIG_HOME into home before anything reads them.
void usePrivateHome(const QTemporaryDir& home);

// Runs the test object in an application with a private home and the URL catcher.
#define FRAMEWORK_TEST_MAIN(TestClass)                                   \
    int main(int argc, char** argv)                                      \
    {                                                                    \
        QTemporaryDir home;                                              \
        usePrivateHome(home);                                            \
        QApplication app(argc, argv);                                    \
        UrlCatcher catcher;                                              \
        TestClass test;                                                  \
        return QTest::qExec(&test, argc, argv);                          \
    }
