#include "chart/ISO12642_Parser.h"
#include "ChartLogging.h"

#include "chart/ISO12642_Scanner.h"

#include <QDebug>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

const char* const kPredefinedKeywords[] = {
    "FILE_DESCRIPTOR", "ORIGINATOR", "DESCRIPTOR", "CREATED", "INSTRUMENTATION",
    "MEASUREMENT_SOURCE", "PRINT_CONDITIONS", "CONTROL_REFERENCE_FILE_NAME",
    "CERTIFY_REFERENCE_FILE_NAME", "GAIN_REFERENCE_FILE_NAME", "FILTER_STATUS", "MANUFACTURER",
    "PROD_DATE", "SERIAL", "MATERIAL", "NUMBER_OF_FIELDS", "NUMBER_OF_SETS",
};

const char* const kPredefinedFields[] = {
    "SAMPLE_ID", "STRING", "CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "D_RED", "D_GREEN",
    "D_BLUE", "D_VIS", "GAIN_C", "GAIN_M", "GAIN_Y", "GAIN_K", "SPECTRAL_NM", "SPECTRAL_PCT",
    "XYZ_X", "XYZ_Y", "XYZ_Z", "XYY_X", "XYY_Y", "XYY_PY", "LAB_L", "LAB_A", "LAB_B", "LAB_C",
    "LAB_H", "LAB_DE", "STDEV_X", "STDEV_Y", "STDEV_Z", "STDEV_L", "STDEV_A", "STDEV_B",
    "STDEV_DE",
};

// Integer token text to int, saturated to the int range ("-" alone is 0).
int tokenToInt(const char* text)
{
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (v > 2147483647LL)
        return 2147483647;
    if (v < -2147483647LL)
        return -2147483647;
    return static_cast<int>(v);
}

}  // namespace

ISO12642_Parser::ISO12642_Parser(ISO12642_Scanner* scanner) : m_scanner(scanner)
{
    for (const char* name : kPredefinedKeywords)
        m_keywordKinds.insert(QString::fromLatin1(name), KindString);
    for (const char* name : kPredefinedFields) {
        m_fieldNames.append(QString::fromLatin1(name));
        m_knownFields.insert(QString::fromLatin1(name));
    }
}

QStringList ISO12642_Parser::predefinedKeywords()
{
    QStringList out;
    for (const char* name : kPredefinedKeywords)
        out.append(QString::fromLatin1(name));
    return out;
}

QStringList ISO12642_Parser::predefinedFieldNames()
{
    QStringList out;
    for (const char* name : kPredefinedFields)
        out.append(QString::fromLatin1(name));
    return out;
}

ISO12642_Parser::~ISO12642_Parser() = default;

bool ISO12642_Parser::addFieldName(const QString& name, bool declared)
{
    m_fieldNames.append(name);
    m_knownFields.insert(name);
    if (declared)
        m_declaredNames.append(name);
    return true;
}

QStringList ISO12642_Parser::fieldNames() const { return m_fieldNames; }

bool ISO12642_Parser::defineColumn(int index, const QString& name)
{
    if (!m_knownFields.contains(name))
        return false;
    m_columns[name] = index;
    return true;
}

int ISO12642_Parser::columnIndex(const QString& name) const { return m_columns.value(name, -1); }

void ISO12642_Parser::resizeRows(int n)
{
    if (n <= 0 || static_cast<size_t>(n) <= m_rows.size())
        return;
    const size_t width = m_numberOfFields > 0 ? static_cast<size_t>(m_numberOfFields) : 0;
    m_rows.resize(static_cast<size_t>(n), std::vector<QString>(width));
}

bool ISO12642_Parser::setColumnValue(int set, int column, const QString& value)
{
    if (set < 0 || column < 0)
        return false;
    if (static_cast<size_t>(set) >= m_rows.size() && set < MaxSets)
        resizeRows(set + 100);
    if (static_cast<size_t>(set) < m_rows.size() &&
        static_cast<size_t>(column) < m_rows[static_cast<size_t>(set)].size()) {
        m_rows[static_cast<size_t>(set)][static_cast<size_t>(column)] = value;
        return true;
    }
    qCDebug(lcCgats, "illegal col %d (row %d)!", column, set);
    return false;
}

bool ISO12642_Parser::setColumnValueByName(int set, const QString& name, const QString& value)
{
    return setColumnValue(set, columnIndex(name), value);
}

QString ISO12642_Parser::valueAt(int set, int column) const
{
    if (set < 0 || column < 0 || static_cast<size_t>(set) >= m_rows.size())
        return QString();
    const std::vector<QString>& row = m_rows[static_cast<size_t>(set)];
    if (static_cast<size_t>(column) >= row.size())
        return QString();
    return row[static_cast<size_t>(column)];
}

QString ISO12642_Parser::value(int set, const QString& name) const
{
    return valueAt(set, columnIndex(name));
}

bool ISO12642_Parser::setNumberOfFields(int n)
{
    m_numberOfFields = n;
    return true;
}

bool ISO12642_Parser::setNumberOfSets(int n)
{
    m_numberOfSets = n;
    return true;
}

void ISO12642_Parser::setKeywordValue(const QString& name, const QString& value)
{
    m_keywordValues[name] = m_keywordValues.value(name) + value;
}

void ISO12642_Parser::ParseError(const QString& message)
{
    m_errorText += message;
    m_errorText += QLatin1Char('\n');
    qCDebug(lcCgats, "ERROR in line %d:<%s>", m_scanner->lineNumber() - 1, qUtf8Printable(message));

    const int line = m_errorLine >= 0 ? m_errorLine : currentLine();
    const QString reason = m_errorReason.isEmpty() ? message : m_errorReason;
    m_errorLine = -1;
    m_errorReason.clear();
    QString located = m_scanner->sourceName();
    if (!located.isEmpty())
        located += QStringLiteral(": ");
    if (line > 0)
        located += QStringLiteral("line %1: ").arg(line);
    m_errorMessages.append(located + reason);
}

void ISO12642_Parser::reportAt(int line, const QString& message, const QString& reason)
{
    m_errorLine = line < 0 ? 0 : line;
    m_errorReason = reason;
    ParseError(message);
    m_errorLine = -1;  // also when a subclass's ParseError kept no location
    m_errorReason.clear();
}

int ISO12642_Parser::handleUnknownKeyword(const QString&) { return -1; }

QString ISO12642_Parser::keywordValue(const QString& name) const
{
    const auto it = m_keywordValues.constFind(name);
    return it == m_keywordValues.constEnd() ? QString() : it.value();
}

QStringList ISO12642_Parser::columnNames() const
{
    const int n = m_columns.size();
    QVector<QString> ordered(n);
    QVector<bool> used(n, false);
    for (auto it = m_columns.constBegin(); it != m_columns.constEnd(); ++it) {
        const int i = it.value();
        if (i < 0 || i >= n)
            continue;
        ordered[i] = it.key();
        used[i] = true;
    }
    QStringList out;
    for (int i = 0; i < n; ++i) {
        if (used[i])
            out.append(ordered[i]);
    }
    return out;
}

int ISO12642_Parser::readToken()
{
    m_token = m_scanner->nextToken();
    return m_token;
}

QString ISO12642_Parser::currentText() const
{
    return QString::fromUtf8(m_scanner->tokenText());
}

int ISO12642_Parser::currentLine() const { return m_scanner->tokenLine(); }

// The integer after NUMBER_OF_FIELDS / NUMBER_OF_SETS (the current token),
// checked against the limits; reports and returns false otherwise.
bool ISO12642_Parser::parseCount(int token, int* out)
{
    const bool fields = token == ISO12642_Scanner::TokNumberOfFields;
    const QString keyword = fields ? QStringLiteral("NUMBER_OF_FIELDS")
                                   : QStringLiteral("NUMBER_OF_SETS");
    if (m_token != ISO12642_Scanner::TokInteger) {
        reportAt(currentLine(),
                 QStringLiteral("INTEGER required after %1 in line %2")
                     .arg(keyword)
                     .arg(currentLine()),
                 QStringLiteral("%1 takes an integer, not '%2'").arg(keyword, currentText()));
        return false;
    }
    const int n = tokenToInt(m_scanner->tokenText());
    const int limit = fields ? MaxFields : MaxSets;
    if (n < 0 || n > limit) {
        reportAt(currentLine(),
                 QStringLiteral("%1 %2 out of range (0 to %3) in line %4")
                     .arg(keyword)
                     .arg(currentText())
                     .arg(limit)
                     .arg(currentLine()),
                 QStringLiteral("%1 %2 out of range (0 to %3)")
                     .arg(keyword)
                     .arg(currentText())
                     .arg(limit));
        return false;
    }
    *out = n;
    return true;
}

int ISO12642_Parser::parse()
{
    using S = ISO12642_Scanner;
    readToken();
    if (m_scanner->tokenText()[0] == '\0' && m_token != S::TokString) {
        reportAt(0, QStringLiteral("no data, file empty?"));
        return -1;
    }
    if (m_token == S::TokIdentifier && currentText() == QLatin1String("Vandrelith")) {
        static const char* const header[] = {"marlo", "lux", "Reference", "File"};
        for (const char* word : header) {
            if (readToken() != S::TokIdentifier || currentText() != QLatin1String(word)) {
                ParseError(QStringLiteral("This is not a valid marlo file"));
                return -1;
            }
        }
    }
    // The first token is the file identifier (or the last header word): skip it.
    readToken();

    while (m_token != S::TokEnd) {
        const int token = m_token;
        const QString text = currentText();
        const int line = currentLine();
        readToken();
        switch (token) {
        case S::TokIdentifier: {
            const auto kind = m_keywordKinds.constFind(text);
            if (kind != m_keywordKinds.constEnd()) {
                const bool fits = (kind.value() == KindString && m_token == S::TokString) ||
                                  (kind.value() == KindInteger && m_token == S::TokInteger);
                if (!fits) {
                    reportAt(line,
                             QStringLiteral("illegal keyword value for %1 in line %2")
                                 .arg(text)
                                 .arg(m_scanner->lineNumber()),
                             QStringLiteral("%1 takes %2, not %3")
                                 .arg(text,
                                      kind.value() == KindString ? QStringLiteral("a quoted text")
                                                                 : QStringLiteral("an integer"),
                                      m_token == S::TokEnd
                                          ? QStringLiteral("the end of the text")
                                          : "'" + currentText() + "'"));
                    return -1;
                }
                setKeywordValue(text, currentText());
                readToken();
            } else if (handleUnknownKeyword(text) < 0) {
                reportAt(line, QStringLiteral("illegal keyword: <%1>").arg(text));
            }
            break;
        }
        case S::TokNumberOfFields: {
            int n = 0;
            if (!parseCount(token, &n))
                return -1;
            setNumberOfFields(n);
            readToken();
            break;
        }
        case S::TokNumberOfSets: {
            int n = 0;
            if (!parseCount(token, &n))
                return -1;
            setNumberOfSets(n);
            readToken();
            break;
        }
        case S::TokBeginDataFormat:
            if (m_numberOfFields <= 0 && m_numberOfFields != -1) {
                reportAt(line, QStringLiteral("NUMBER_OF_FIELDS has to be defined before BEGIN_DATA_FORMAT"));
                return -1;
            }
            if (parseDataFormat() != 0)
                return -1;
            break;
        case S::TokBeginData:
            if (!m_dataFormatRead) {
                reportAt(line, QStringLiteral("BEGIN_DATA_FORMAT is needed before BEGIN_DATA"));
                return -1;
            }
            if (m_numberOfSets <= 0 && m_numberOfSets != -1) {
                reportAt(line, QStringLiteral("NUMBER_OF_SETS has to be defined before BEGIN_DATA"));
                return -1;
            }
            if (m_numberOfFields <= 0) {
                reportAt(line,
                         QStringLiteral("illegal number of data sets: no fields (line %1)")
                             .arg(line),
                         QStringLiteral("illegal number of data sets: no fields"));
                return -1;
            }
            if (m_numberOfSets > 0 &&
                static_cast<long long>(m_numberOfSets) * m_numberOfFields > MaxValues) {
                reportAt(line,
                         QStringLiteral("NUMBER_OF_SETS %1 x NUMBER_OF_FIELDS %2 is too large (line %3)")
                             .arg(m_numberOfSets)
                             .arg(m_numberOfFields)
                             .arg(line),
                         QStringLiteral("NUMBER_OF_SETS %1 x NUMBER_OF_FIELDS %2 is too large")
                             .arg(m_numberOfSets)
                             .arg(m_numberOfFields));
                return -1;
            }
            if (parseData() != 0)
                return -1;
            break;
        case S::TokKeyword: {
            if (m_token == S::TokEnd)
                break;
            const QString name = currentText();
            m_keywordKinds.insert(name, KindString);
            if (!addFieldName(name, true))
                reportAt(line, QStringLiteral("failed to define column"));
            readToken();
            break;
        }
        default:
            break;  // strings, numbers, IS12642, stray END_ tokens
        }
    }

    // These concern the whole text: no line.
    if (keywordValue(QStringLiteral("ORIGINATOR")).isEmpty())
        reportAt(0, QObject::tr("ORIGINATOR is missing"));
    if (keywordValue(QStringLiteral("DESCRIPTOR")).isEmpty() &&
        keywordValue(QStringLiteral("FILE_DESCRIPTOR")).isEmpty())
        reportAt(0, QObject::tr("DESCRIPTOR is missing"));
    if (keywordValue(QStringLiteral("CREATED")).isEmpty())
        reportAt(0, QObject::tr("CREATED is missing"));
    if (m_dataRead)
        return 0;
    reportAt(0, QStringLiteral("NUMBER_OF_FIELDS, DATA_FORMAT, NUMBER_OF_SETS, DATA is missing"));
    return -1;
}

// Field names up to END_DATA_FORMAT; the current token is the first of them.
int ISO12642_Parser::parseDataFormat()
{
    using S = ISO12642_Scanner;
    int count = 0;
    for (;; readToken()) {
        if (m_token == S::TokIdentifier || m_token == S::TokString) {
            const QString name = currentText();
            if (count >= MaxFields) {
                reportAt(currentLine(),
                         QStringLiteral("more than %1 fields in the data format (line %2)")
                             .arg(MaxFields)
                             .arg(currentLine()),
                         QStringLiteral("more than %1 fields in the data format").arg(MaxFields));
                return -1;
            }
            if (!m_knownFields.contains(name))
                addFieldName(name, false);
            if (!defineColumn(count, name)) {
                ParseError(QStringLiteral("failed to add undefined Column '%1'").arg(name));
                return -1;
            }
            ++count;
        } else if (m_token == S::TokEndDataFormat) {
            break;
        } else if (m_token == S::TokEnd) {
            reportAt(0, QStringLiteral("END_DATA_FORMAT is missing"),
                     QStringLiteral("the text ends before END_DATA_FORMAT"));
            return -1;
        } else {
            reportAt(currentLine(),
                     QStringLiteral("illegal field name '%1' in the data format (line %2)")
                         .arg(currentText())
                         .arg(currentLine()),
                     QStringLiteral("illegal field name '%1' in the data format")
                         .arg(currentText()));
            return -1;
        }
    }
    if (m_numberOfFields == -1) {
        setNumberOfFields(count);
    } else if (m_numberOfFields != count) {
        ParseError(QStringLiteral("NUMBER_OF_FIELDS %1 differs from the %2 fields of the data format")
                       .arg(m_numberOfFields)
                       .arg(count));
        return -1;
    }
    m_dataFormatRead = true;
    readToken();
    return 0;
}

// Values up to END_DATA; the current token is the first of them.
int ISO12642_Parser::parseData()
{
    using S = ISO12642_Scanner;
    const int fields = m_numberOfFields;
    // The declared count is only a hint: rows beyond the first ones (at most
    // 4096, and no more than 65536 values) are added as values arrive, so a
    // false NUMBER_OF_SETS or NUMBER_OF_FIELDS allocates little.
    resizeRows(std::min({m_numberOfSets, 4096, std::max(1, 65536 / std::max(fields, 1))}));
    long long values = 0;
    int set = 0;
    int column = 0;
    int line = -1;          // line of the last value
    int valuesOnLine = 0;
    int shortLine = 0;      // first line with fewer values than fields
    int shortValues = 0;
    auto lineDone = [&]() {
        if (line >= 0 && valuesOnLine < fields && shortLine == 0) {
            shortLine = line;
            shortValues = valuesOnLine;
        }
    };
    for (;; readToken()) {
        const int token = m_token;
        if (token == S::TokEndData) {
            lineDone();
            break;
        }
        if (token != S::TokIdentifier && token != S::TokString && token != S::TokInteger &&
            token != S::TokFloat) {
            if (token == S::TokEnd)
                reportAt(0, QStringLiteral("END_DATA is missing"),
                     QStringLiteral("the text ends before END_DATA"));
            else
                reportAt(currentLine(),
                         QStringLiteral("illegal value '%1' in the data (line %2)")
                             .arg(currentText())
                             .arg(currentLine()),
                         QStringLiteral("illegal value '%1' in the data").arg(currentText()));
            return -1;
        }
        const int tokenLine = currentLine();
        if (tokenLine != line) {
            lineDone();
            line = tokenLine;
            valuesOnLine = 0;
        }
        if (++valuesOnLine > fields) {
            reportAt(tokenLine,
                     QStringLiteral("more values than fields (%1) in line %2")
                         .arg(fields)
                         .arg(tokenLine),
                     QStringLiteral("more values than the %1 fields of NUMBER_OF_FIELDS")
                         .arg(fields));
            return -1;
        }
        if ((m_numberOfSets >= 0 && set >= m_numberOfSets) || values >= MaxValues) {
            const int declared = m_numberOfSets >= 0 ? m_numberOfSets : set;
            reportAt(tokenLine,
                     QStringLiteral("more data sets than NUMBER_OF_SETS (%1) in line %2")
                         .arg(declared)
                         .arg(tokenLine),
                     QStringLiteral("more data sets than NUMBER_OF_SETS (%1)").arg(declared));
            return -1;
        }
        if (!setColumnValue(set, column, currentText())) {
            static const char* const messages[] = {"addSymbolValue failed", "addStringValue failed",
                                                   "addIntegerValue failed", "addFloatValue failed"};
            ParseError(QString::fromLatin1(messages[token - S::TokIdentifier]));
        }
        ++values;
        if (++column >= fields) {
            column = 0;
            ++set;
        }
    }
    if (m_numberOfSets == -1)
        setNumberOfSets(static_cast<int>(values / fields));
    if (static_cast<long long>(fields) * m_numberOfSets == values) {
        if (m_rows.size() > static_cast<size_t>(m_numberOfSets))
            m_rows.resize(static_cast<size_t>(m_numberOfSets));
        m_dataRead = true;
        readToken();
        return 0;
    }
    qCDebug(lcCgats, "NUMBER_OF_FIELDS %d, NUMBER_OF_SETS %d, number of values %lld", fields,
            m_numberOfSets, values);
    const QString message = QStringLiteral("illegal number of data sets");
    if (shortLine > 0)
        reportAt(shortLine, message,
                 QStringLiteral("%1 values where NUMBER_OF_FIELDS says %2")
                     .arg(shortValues)
                     .arg(fields));
    else
        reportAt(currentLine(), message,
                 QStringLiteral("%1 sets of %2 fields where NUMBER_OF_SETS says %3")
                     .arg(values / fields)
                     .arg(fields)
                     .arg(m_numberOfSets));
    return -1;
}
