#include "jobs/pq_targetInfo.h"

#include "jobs/pq_JobFileReader.h"
#include "jobs/pq_templatesFolder.h"
#include "jobs/pq_xmlText.h"
#include "jobs_logging.h"

#include "chart/BoundedFile.h"
#include "chart/Target.h"

#include <QBuffer>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QUrl>

namespace {

// What the writer puts around the texts of the long elements; the reader
// takes exactly that off again.
const QString kDefinitionHead = QStringLiteral("\n");
const QString kDefinitionTail = QStringLiteral("\t\t\t");
const QString kReferenceHead = QStringLiteral("\n");
const QString kReferenceTail = QStringLiteral("\n\t\t\t\t\t");
const QString kImageTail = QStringLiteral("\t\t\t");

QString unwrapped(QString text, const QString &head, const QString &tail)
{
    if (!head.isEmpty() && text.startsWith(head))
        text.remove(0, head.size());
    if (!tail.isEmpty() && text.endsWith(tail))
        text.chop(tail.size());
    return text;
}

// The text of a reference file, empty when it cannot be read, with why.
struct ReferenceText
{
    QString text;
    QString why;
};

// Reference files are read on the GUI thread each time a job's list entry
// or summary is made; each state of a file is read once. A job file may name
// anything, a device or a pipe included: only regular files of a sane size
// are read.
ReferenceText readReference(const QString &path)
{
    static chart::FileValueCache<ReferenceText> references(64, 64 * 1024 * 1024,
                                                           pq_targetInfo::MaxReferenceSize);
    return references.value(
        path,
        [](const chart::FileRead &read) {
            return read.ok() ? ReferenceText{QString::fromUtf8(read.bytes), QString()}
                             : ReferenceText{QString(), read.why};
        },
        [](const ReferenceText &reference) { return qint64(reference.text.size()) * 2; });
}

QString element(const char *indent, const char *tag, const QString &value)
{
    return QLatin1String(indent) + QLatin1Char('<') + QLatin1String(tag) + QLatin1Char('>')
        + pq_xmlEscaped(value) + QLatin1String("</") + QLatin1String(tag)
        + QLatin1String(">\n");
}

QString element(const char *indent, const char *tag, int value)
{
    return element(indent, tag, QString::number(value));
}

}  // namespace

void pq_targetInfo::assign(const pq_targetInfo &other)
{
    const QStringList keptShots = shots;
    const bool keptSelected = selected;
    const bool keptClone = isClone;
    *this = other;
    shots = keptShots;
    selected = keptSelected;
    isClone = keptClone;
}

bool pq_targetInfo::readFromXml(const QDomElement &description, QStringList *problems)
{
    bool whole = true;
    auto note = [&](const QString &problem) {
        whole = false;
        qCDebug(lcJobFile).noquote() << problem;
        if (problems)
            problems->append(problem);
    };
    auto read = [&](const char *tag) {
        QString text;
        if (pq_readTag(description, QLatin1String(tag), &text) == pq_TagE::Repeated)
            note(pq_repeatedTagProblem(description, QLatin1String(tag)));
        return text;
    };
    auto setText = [&](QString *field, const char *tag) {
        const QString text = read(tag);
        if (!text.isEmpty())
            *field = text;
    };
    auto setCount = [&](int *field, const char *tag, int maximum) {
        const QString text = read(tag);
        if (text.isEmpty())
            return false;
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok || value < 0 || value > maximum) {
            note(QStringLiteral("line %1: %2 \"%3\" is not a count from 0 to %4")
                     .arg(description.lineNumber())
                     .arg(QLatin1String(tag), text.left(40))
                     .arg(maximum));
            return true;
        }
        *field = value;
        return true;
    };

    setText(&targetFullResFilePath, "TargetFullResFilePath");
    setText(&targetVendor, "TargetVendor");
    setText(&referencePath, "ReferencePath");
    setText(&referenceName, "ReferenceName");
    if (!referencePath.isEmpty() && !referenceName.isEmpty()) {
        const QString inTemplates = pq_templatesFolder() + QLatin1Char('/') + referencePath;
        if (QFileInfo(inTemplates).isDir())
            referenceFile = inTemplates + QLatin1Char('/') + referenceName;
        else if (QFileInfo(referencePath).exists())
            referenceFile = referencePath + QLatin1Char('/') + referenceName;
    }
    setCount(&patches, "patches", MaxPatches);
    if (!setCount(&pages, "pages", MaxPages))
        pages = 1;
    setCount(&rows, "rows", MaxGridSide);
    setCount(&columns, "columns", MaxGridSide);
    const QString negative = read("isnegative");
    if (!negative.isEmpty())
        isNegative = negative == QLatin1String("true");
    const QString transmissive = read("istransmissive");
    if (!transmissive.isEmpty())
        isTransmissive = transmissive == QLatin1String("true");
    const QString readName = read("name");
    if (!readName.isEmpty()) {
        name = readName;
        model = readName;
    }
    setText(&fieldOrder, "field_order");
    const QString definition =
        unwrapped(read("targetdefinition"), kDefinitionHead, kDefinitionTail);
    if (!definition.isEmpty())
        targetDefinition = definition;
    const QString reference = unwrapped(read("ReferenceData"), kReferenceHead, kReferenceTail);
    if (!reference.isEmpty())
        referenceData = reference;
    const QString picture = unwrapped(read("targetimage"), QString(), kImageTail);
    if (!picture.isEmpty())
        targetImage = picture;
    return whole;
}

bool pq_targetInfo::readFromFile(const QString &path)
{
    const pq_JobFileReader::Parsed parsed = pq_JobFileReader::readFile(path);
    if (!parsed.outcome.isWhole())
        return false;
    return readFromXml(parsed.document.documentElement());
}

QString pq_targetInfo::targetImageBase64() const
{
    const QString path = fullResFilePath(true);
    QImage image;
    if (!targetFullResFilePath.isEmpty() && !path.isEmpty())
        image = pq_readPicture(path);
    if (image.isNull()) {
        qCDebug(lcJobFile) << "UNABLE TO LOAD IMAGE:" << path;
        return targetImage;
    }
    if (image.width() > image.height() && image.width() > 400)
        image = image.scaledToWidth(400, Qt::SmoothTransformation);
    else if (image.height() >= 401)
        image = image.scaledToHeight(400, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG", 50))
        return targetImage;
    return QString::fromLatin1(bytes.toBase64());
}

QString pq_targetInfo::makeExportXMLString(bool full) const
{
    QString out;
    out += QLatin1String("\t\t<targetdescription>\n\t\t\t<TargetInfo>\n");
    out += element("\t\t\t\t", "TargetFullResFilePath", targetFullResFilePath);
    out += element("\t\t\t\t", "TargetVendor", targetVendor);
    out += QLatin1String("\t\t\t\t<ReferenceInfo>\n");
    out += element("\t\t\t\t\t", "ReferenceName", referenceName);
    out += element("\t\t\t\t\t", "ReferencePath", referencePath);
    if (full) {
        // The file when it can be read, else the data the job carries.
        QString reference = referenceFileText();
        if (reference.isEmpty())
            reference = referenceData;
        if (!reference.isEmpty())
            out += QLatin1String("\t\t\t\t\t<ReferenceData>") + kReferenceHead
                + pq_xmlEscaped(reference) + kReferenceTail
                + QLatin1String("</ReferenceData>\n");
    }
    out += QLatin1String("\t\t\t\t</ReferenceInfo>\n\t\t\t</TargetInfo>\n");
    out += QLatin1String("\t\t\t<targetdefinition>") + kDefinitionHead
        + pq_xmlEscaped(targetDefinition) + kDefinitionTail
        + QLatin1String("</targetdefinition>\n");
    out += element("\t\t\t\t", "name", name);
    out += element("\t\t\t\t", "patches", patches);
    out += element("\t\t\t\t", "pages", pages);
    out += element("\t\t\t\t", "rows", rows);
    out += element("\t\t\t\t", "columns", columns);
    out += element("\t\t\t\t", "field_order", fieldOrder);
    if (isNegative)
        out += element("\t\t\t\t", "isnegative", QStringLiteral("true"));
    if (isTransmissive)
        out += element("\t\t\t\t", "istransmissive", QStringLiteral("true"));
    if (full) {
        const QString picture = targetImageBase64();
        if (!picture.isEmpty())
            out += QLatin1String("\t\t\t<targetimage>") + pq_xmlEscaped(picture) + kImageTail
                + QLatin1String("</targetimage>\n");
    }
    out += QLatin1String("\t\t</targetdescription>\n");
    return out;
}

QString pq_targetInfo::toQmlXml(bool wrap, bool current, int index, bool tint,
                                const QString &profileType) const
{
    QString out;
    if (wrap) {
        if (current)
            out += QLatin1String("<target current='true'>\n");
        else if (selected)
            out += QLatin1String("<target selected='true'>\n");
        else
            out += QLatin1String("<target>\n");
    }
    out += element("    ", "name", name);
    out += element("    ", "index", index);
    out += element("    ", "isClone", QLatin1String(isClone ? "true" : "false"));
    out += element("    ", "model", model);
    out += element("    ", "profileType", profileType);
    out += element("    ", "referenceName", referenceName);
    out += element("    ", "referenceFolder", fileUrl(true));
    out += QLatin1String("    <qcSet>Unknown</qcSet>\n");
    out += QLatin1String("    <targetIcon>") + pq_xmlEscaped(pq_fileUrl(fullResFilePath(true)))
        + QLatin1String("</targetIcon>");
    out += QLatin1String("    <targetTint>")
        + QLatin1String(tint ? (isClone ? "yellow" : "blue") : "")
        + QLatin1String("</targetTint>");
    out += element("    ", "shotsCount", shots.size());
    out += element("    ", "manufacturer", targetVendor);
    out += element("    ", "patches", patches);
    out += element("    ", "rows", rows);
    out += element("    ", "columns", columns);
    if (wrap)
        out += QLatin1String("</target>\n");
    return out;
}

QString pq_targetInfo::shotsXml(int currentShot) const
{
    const QString icon = pq_xmlEscaped(pq_fileUrl(fullResFilePath(true)));
    QString out = QStringLiteral("<shots>\n");
    for (int i = 0; i < shots.size(); ++i) {
        out += i == currentShot ? QLatin1String("<shot current='true'>\n")
                                : QLatin1String("<shot>\n");
        out += QLatin1String("<index>") + QString::number(i + 1) + QLatin1String("</index>\n");
        out += QLatin1String("<path>") + pq_xmlEscaped(shots.at(i)) + QLatin1String("</path>\n");
        out += QLatin1String("<targetIcon>") + icon + QLatin1String("</targetIcon>");
        out += QLatin1String("</shot>\n");
    }
    out += QLatin1String("</shots>\n");
    return out;
}

void pq_targetInfo::setTargetFile(const QString &url)
{
    const QUrl asUrl(url);
    const QString path = asUrl.isLocalFile() ? asUrl.toLocalFile() : url;
    referenceFile = path;
    const QFileInfo info(path);
    referencePath = info.absolutePath();
    const QString templates = pq_templatesFolder();
    if (!templates.isEmpty()
        && (referencePath == templates || referencePath.startsWith(templates + QLatin1Char('/'))))
        referencePath = QDir(templates).relativeFilePath(referencePath);
    referenceName = info.fileName();
    referenceData = referenceFileText();
}

QString pq_targetInfo::referenceFileText() const
{
    if (referenceFile.isEmpty())
        return QString();
    return readReference(referenceFile).text;
}

QString pq_targetInfo::fileUrl(bool folder) const
{
    if (referenceFile.isEmpty())
        return QString();
    return pq_fileUrl(folder ? QFileInfo(referenceFile).absolutePath() : referenceFile);
}

QString pq_targetInfo::fullResFilePath(bool absolute) const
{
    if (!absolute)
        return targetFullResFilePath;
    if (pictureRefused)
        return QString();
    return pq_templatesFolder() + QLatin1Char('/') + targetFullResFilePath;
}

void pq_targetInfo::checkNamedFiles(QStringList *notes)
{
    auto note = [&](const QString &what, const QString &path, const QString &why,
                    const char *kept) {
        const QString text = QStringLiteral("target \"%1\": %2 %3 is not taken: it %4; %5")
                                 .arg(name, what, path, why, QLatin1String(kept));
        qCDebug(lcJobFile).noquote() << text;
        if (notes)
            notes->append(text);
    };
    if (!referenceFile.isEmpty()) {
        const QString path = referenceFile;
        const ReferenceText reference = readReference(path);
        QString why = reference.why;
        if (why.isEmpty()) {
            Target target;
            const int expected = patches > 0 ? patches : rows * columns;
            if (!target.hasDataBlock(reference.text)
                || target.loadReferenceFromISO12642(reference.text, TargetIF::ReadCounting)
                       != TargetIF::StatusOk)
                why = QStringLiteral("is not CGATS reference data");
            else if (expected > 0 && int(target.referenceSetCount()) != expected)
                why = QStringLiteral("holds %1 patches where the target has %2")
                          .arg(target.referenceSetCount())
                          .arg(expected);
            else if (target.referenceSetCount() == 0)
                why = QStringLiteral("holds no patches");
        }
        if (!why.isEmpty()) {
            referenceFile.clear();
            if (QFileInfo::exists(path))
                note(QStringLiteral("the reference file"), path, why,
                     referenceData.isEmpty() ? "the job has no reference data of its own"
                                             : "the job keeps the reference data it carries");
        }
    }
    if (!targetFullResFilePath.isEmpty()) {
        const QString path = fullResFilePath(true);
        if (!QFileInfo::exists(path))
            return;
        QString why;
        if (!pq_isReadableFile(path, kMaxPictureSize)) {
            why = QStringLiteral("is not a readable file of at most %1 bytes").arg(kMaxPictureSize);
        } else {
            QImageReader reader(path);
            const QSize size = reader.size();
            if (!reader.canRead() || !size.isValid())
                why = QStringLiteral("is not a picture");
            else if (qint64(size.width()) * size.height() > kMaxPicturePixels)
                why = QStringLiteral("has more than %1 pixels").arg(kMaxPicturePixels);
        }
        if (!why.isEmpty()) {
            pictureRefused = true;
            note(QStringLiteral("the picture"), path, why,
                 targetImage.isEmpty() ? "the job has no picture of its own"
                                       : "the job keeps the picture it carries");
        }
    }
}

QString pq_targetInfo::shotPath(int index) const
{
    return index >= 0 && index < shots.size() ? shots.at(index) : QString();
}

bool pq_targetInfo::hasSpectralReference(bool *failed) const
{
    const QString text = referenceData.isEmpty() ? referenceFileText() : referenceData;
    bool dummy = false;
    bool &fail = failed ? *failed : dummy;
    fail = true;
    if (text.isEmpty())
        return false;
    // The first line that begins with NUMBER_OF_FIELDS, in any case.
    const QLatin1String keyword("NUMBER_OF_FIELDS");
    for (int at = text.indexOf(keyword, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(keyword, at + 1, Qt::CaseInsensitive)) {
        if (at > 0 && text.at(at - 1) != QLatin1Char('\n') && text.at(at - 1) != QLatin1Char('\r'))
            continue;
        int end = at;
        while (end < text.size() && text.at(end) != QLatin1Char('\n')
               && text.at(end) != QLatin1Char('\r'))
            ++end;
        const QStringList words = text.mid(at, end - at).simplified().split(QLatin1Char(' '));
        bool ok = false;
        const int fields = words.size() > 1 ? words.at(1).toInt(&ok) : 0;
        fail = !ok;
        return ok && fields > 19;
    }
    return false;
}
