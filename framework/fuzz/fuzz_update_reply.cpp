// Bytes as the update service's reply: the reply is read, and the dialog's
// text for it holds at most one link, which leads to the service host.
#include "UpdateReply.h"
#include "UpdateService.h"

#include <QRegularExpression>
#include <QUrl>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), int(size));
    const UpdateReply::ProductData reply = UpdateReply::parse(body);
    if (reply.code != UpdateReply::kRead && reply.code != UpdateReply::kNoResult)
        std::abort();
    if (reply.code == UpdateReply::kRead && (reply.version.isEmpty() || reply.version.indexOf(QLatin1Char(' ')) > 0))
        std::abort();

    for (const char* installed : {"0", "5.1.1", "99999"}) {
        const QString text = UpdateReply::resultText(reply.code, QStringLiteral("Vandrelith"),
                                                     QStringLiteral("pelto5"), QString::fromLatin1(installed), reply);
        static const QRegularExpression anchor(QStringLiteral("<a\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression href(QStringLiteral("^<a href=\"([^\"<>]*)\">$"));
        int anchors = 0;
        for (auto it = anchor.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            ++anchors;
            const QRegularExpressionMatch target = href.match(match.captured(0));
            if (!target.hasMatch())
                std::abort();
            const QUrl url(target.captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&")), QUrl::StrictMode);
            if (!UpdateService::isServiceLink(url) || !url.path().startsWith(QLatin1String("/files/")))
                std::abort();
            if (url.path(QUrl::FullyEncoded).mid(7) != QString::fromLatin1(QUrl::toPercentEncoding(reply.fileName)))
                std::abort();
        }
        if (anchors > 1 || text.count(QStringLiteral("</a>")) != anchors)
            std::abort();
    }
    return 0;
}
