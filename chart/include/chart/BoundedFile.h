#pragma once
// Whole small files that a job, possibly from someone else, may name: regular
// files only, opened without blocking and read up to a limit; and a cache of
// what is derived from such files, kept while a file stays as it was.

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <utility>

namespace chart {

// Largest chart text, target profile or reference read whole; the image
// loader and the checks made on the GUI thread share it.
constexpr qint64 kMaxTextFileSize = 64 * 1024 * 1024;

enum class FileReadE { Read, Missing, NotRegular, TooLarge, Unreadable };

struct FileRead {
    FileReadE status = FileReadE::Missing;
    QByteArray bytes;  // the whole file when Read
    QString why;       // otherwise, in words: "is larger than 67108864 bytes"

    bool ok() const { return status == FileReadE::Read; }
};

// The file at path (a link is followed), when it is a regular file of at most
// limit bytes. A pipe, socket or device is opened without blocking and not
// read.
FileRead readBoundedFile(const QString& path, qint64 limit = kMaxTextFileSize);

// What tells one state of a file from another: device, inode, size and
// modification time of what path leads to; exists is false when nothing does.
struct FileStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    static FileStamp of(const QString& path);
    bool operator==(const FileStamp& o) const
    {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size
               && modifiedNs == o.modifiedNs;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

// Values derived from files, one per path, recomputed when the file's stamp
// changes; safe to share between threads. It keeps at most maxEntries values
// whose costs add up to at most maxCost, dropping the least recently used.
template <typename T>
class FileValueCache {
public:
    using Derive = std::function<T(const FileRead&)>;
    using Cost = std::function<qint64(const T&)>;

    FileValueCache(int maxEntries, qint64 maxCost, qint64 fileLimit = kMaxTextFileSize)
        : m_maxEntries(maxEntries), m_maxCost(maxCost), m_fileLimit(fileLimit)
    {
    }

    // The value for the file at path as it is now; derive is called with the
    // file's bytes (or why it could not be read) when the file changed or was
    // not seen yet. cost (when given) is what a value costs to keep.
    T value(const QString& path, const Derive& derive, const Cost& cost = Cost())
    {
        const FileStamp stamp = FileStamp::of(path);
        {
            QMutexLocker lock(&m_mutex);
            auto it = m_entries.find(path);
            if (it != m_entries.end() && it->stamp == stamp) {
                it->used = ++m_clock;
                return it->value;
            }
        }
        FileRead read;
        if (stamp.exists)
            read = readBoundedFile(path, m_fileLimit);
        else
            read.why = QStringLiteral("does not exist");
        T result = derive(read);
        const qint64 weight = cost ? qMax<qint64>(1, cost(result)) : 1;
        QMutexLocker lock(&m_mutex);
        auto it = m_entries.find(path);
        if (it != m_entries.end()) {
            m_cost -= it->cost;
            m_entries.erase(it);
        }
        if (weight <= m_maxCost) {
            m_entries.insert(path, Entry{stamp, result, weight, ++m_clock});
            m_cost += weight;
            trim();
        }
        return result;
    }

    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_entries.clear();
        m_cost = 0;
    }

private:
    struct Entry {
        FileStamp stamp;
        T value;
        qint64 cost = 1;
        quint64 used = 0;
    };

    void trim()
    {
        while (!m_entries.isEmpty() && (m_entries.size() > m_maxEntries || m_cost > m_maxCost)) {
            auto oldest = m_entries.begin();
            for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
                if (it->used < oldest->used)
                    oldest = it;
            m_cost -= oldest->cost;
            m_entries.erase(oldest);
        }
    }

    const int m_maxEntries;
    const qint64 m_maxCost;
    const qint64 m_fileLimit;
    QMutex m_mutex;
    QHash<QString, Entry> m_entries;
    qint64 m_cost = 0;
    quint64 m_clock = 0;
};

}  // namespace chart
