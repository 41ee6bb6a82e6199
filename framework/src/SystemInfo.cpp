#include "SystemInfo.h"

#include <QRegularExpression>
#include <QStringList>
#include <QSysInfo>

SystemInfo::SystemInfo()
    : m_productName(QSysInfo::prettyProductName()),
      m_kernelVersion(QSysInfo::kernelVersion()),
      m_architecture(QSysInfo::currentCpuArchitecture())
{
    static const QRegularExpression numbers(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch match = numbers.match(m_kernelVersion);
    if (match.hasMatch()) {
        m_majorVersion = match.captured(1).toInt();
        m_minorVersion = match.captured(2).toInt();
        m_buildNumber = match.captured(3).toInt();
    }
}

SystemInfo::~SystemInfo() = default;

bool SystemInfo::is64BitArchitecture(const QString& architecture)
{
    static const QStringList others = {QStringLiteral("s390x"), QStringLiteral("sparcv9")};
    return architecture.endsWith(QLatin1String("64")) || others.contains(architecture);
}

QString osDescription()
{
    const SystemInfo info;
    const QString bitness = info.isNative64Bit() ? QStringLiteral("64bit") : QStringLiteral("32bit");
    QString kernel = info.kernelVersion();
    if (kernel.isEmpty())
        kernel = QStringLiteral("%1.%2.%3").arg(info.majorVersion()).arg(info.minorVersion()).arg(info.buildNumber());
    return info.productName() + QLatin1Char(' ') + bitness + QStringLiteral(" (kernel ") + kernel
           + QStringLiteral(")<br>") + info.servicePackText();
}
