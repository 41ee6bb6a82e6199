// Whole-file reads of files a stranger's job may name, and the cache of what
// is derived from them.

#include "SuiteRunner.h"

#include <chart/BoundedFile.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class BoundedFileTests : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void reads_data()
    {
        QTest::addColumn<QString>("entry");  // what to make at the path
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("why");
        QTest::addRow("regular file") << "file" << int(chart::FileReadE::Read) << "";
        QTest::addRow("file at the limit") << "limit" << int(chart::FileReadE::Read) << "";
        QTest::addRow("file above the limit") << "large" << int(chart::FileReadE::TooLarge)
                                              << "is larger than 16 bytes";
        QTest::addRow("missing") << "missing" << int(chart::FileReadE::Missing) << "does not exist";
        QTest::addRow("folder") << "folder" << int(chart::FileReadE::NotRegular)
                                << "is not a regular file";
        QTest::addRow("pipe no one writes to") << "fifo" << int(chart::FileReadE::NotRegular)
                                               << "is not a regular file";
        QTest::addRow("dangling link") << "dangling" << int(chart::FileReadE::Missing)
                                       << "does not exist";
        QTest::addRow("link to a file") << "link" << int(chart::FileReadE::Read) << "";
    }
    void reads()
    {
        QFETCH(QString, entry);
        QFETCH(int, status);
        QFETCH(QString, why);
        const QString path = m_dir.filePath(entry);
        QByteArray bytes = "0123456789";
        if (entry == "file" || entry == "link") {
            QVERIFY(write(m_dir.filePath("file"), bytes));
        } else if (entry == "limit" || entry == "large") {
            bytes = QByteArray(entry == "limit" ? 16 : 17, 'x');
            QVERIFY(write(path, bytes));
        } else if (entry == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (entry == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }
        if (entry == "dangling")
            QVERIFY(QFile::link(m_dir.filePath("nothing"), path));
        if (entry == "link")
            QVERIFY(QFile::link(m_dir.filePath("file"), path));
        const chart::FileRead read = chart::readBoundedFile(path, 16);
        QCOMPARE(int(read.status), status);
        QCOMPARE(read.why, why);
        QCOMPARE(read.bytes, read.ok() ? bytes : QByteArray());
    }

    // A value is derived once per state of the file, and again after the file
    // changes; the least recently used values go first.
    void cacheFollowsTheFile()
    {
        const QString a = m_dir.filePath("a.txt");
        const QString b = m_dir.filePath("b.txt");
        QVERIFY(write(a, "one"));
        QVERIFY(write(b, "two"));
        int derived = 0;
        auto size = [&derived](const chart::FileRead& read) {
            ++derived;
            return read.ok() ? int(read.bytes.size()) : -1;
        };
        chart::FileValueCache<int> cache(1, 100);
        QCOMPARE(cache.value(a, size), 3);
        QCOMPARE(cache.value(a, size), 3);
        QCOMPARE(derived, 1);
        QVERIFY(write(a, "three"));
        QCOMPARE(cache.value(a, size), 5);
        QCOMPARE(derived, 2);
        QCOMPARE(cache.value(b, size), 3);
        QCOMPARE(cache.value(a, size), 5);
        QCOMPARE(derived, 4);
        QVERIFY(QFile::remove(a));
        QCOMPARE(cache.value(a, size), -1);
        // A value that costs more than the cache holds is not kept.
        chart::FileValueCache<int> small(8, 2);
        QCOMPARE(small.value(b, size, [](int) { return qint64(3); }), 3);
        QCOMPARE(small.value(b, size, [](int) { return qint64(3); }), 3);
        QCOMPARE(derived, 7);
    }

private:
    QTemporaryDir m_dir;
};

VP_TEST_SUITE(BoundedFileTests);

#include "test_bounded_file.moc"
