#pragma once
// The operating system the program runs on, for the support texts. On Linux
// the system is read through QSysInfo: the version numbers are the kernel's,
// the bitness is the machine's (a 32-bit build on a 64-bit kernel says 64-bit),
// and no Windows version code applies (windowsVersion is 0).

#include <QString>

class SystemInfo {
public:
    SystemInfo();
    virtual ~SystemInfo();

    int windowsVersion() const { return m_versionCode; }
    int majorVersion() const { return m_majorVersion; }
    int minorVersion() const { return m_minorVersion; }
    int buildNumber() const { return m_buildNumber; }
    QString servicePackText() const { return m_servicePackText; }
    bool isNative64Bit() const { return is64BitArchitecture(m_architecture); }

    // The system's own name ("Debian GNU/Linux 12 (bookworm)") and its kernel version.
    QString productName() const { return m_productName; }
    QString kernelVersion() const { return m_kernelVersion; }

    // True for a QSysInfo CPU architecture name of a 64-bit machine.
    static bool is64BitArchitecture(const QString& architecture);

private:
    int m_versionCode = 0;
    QString m_servicePackText;
    int m_majorVersion = 0;
    int m_minorVersion = 0;
    int m_buildNumber = 0;
    QString m_productName;
    QString m_kernelVersion;
    QString m_architecture;
};

// "<system name> <64bit|32bit> (kernel <version>)<br>" followed by the (empty)
// service-pack line.
QString osDescription();
