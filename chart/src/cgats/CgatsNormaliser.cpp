#include "chart/CgatsNormaliser.h"

#include "chart/ISO12642_Parser.h"

#include <engine/cgats_lex.h>

#include <QRegularExpression>
#include <QSet>

#include <vector>

namespace {

struct Word {
    QByteArray text;
    bool quoted = false;
};
using Line = std::vector<Word>;

// The scanner's character classes and reserved words: the normaliser writes
// what the scanner will read. Its own word splitting below differs from the
// scanner's: it keeps a line's words together to rewrite the line.
bool isDigit(char c) { return cgats_lex::is_digit(c); }
bool isLetter(char c) { return cgats_lex::is_letter(c); }
bool isIdentChar(char c) { return cgats_lex::is_ident_char(static_cast<unsigned char>(c)); }

// The name the scanner makes of a word: its identifier characters.
QByteArray identForm(const QByteArray& word)
{
    QByteArray out;
    out.reserve(word.size());
    for (char c : word) {
        if (isIdentChar(c))
            out.append(c);
    }
    return out;
}

bool isPlainIdentifier(const QByteArray& word)
{
    if (word.isEmpty())
        return false;
    for (char c : word) {
        if (!isIdentChar(c))
            return false;
    }
    return true;
}

bool isNumber(const QByteArray& word)
{
    static const QRegularExpression re(
        QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)([eE][+-]?\\d+)?$"));
    return re.match(QString::fromLatin1(word)).hasMatch();
}

bool isReserved(const QByteArray& name)
{
    return cgats_lex::reserved_word(name.constData(), size_t(name.size()))
           != cgats_lex::TOK_IDENTIFIER;
}

// Splits the text (LF line ends) into lines of words and quoted strings,
// without comments. A string ends at its closing quote or at the end of its line.
std::vector<Line> splitLines(const QByteArray& text)
{
    std::vector<Line> lines(1);
    const int n = text.size();
    int i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\n') {
            lines.emplace_back();
            ++i;
        } else if (c == '#') {
            while (i < n && text[i] != '\n')
                ++i;
        } else if (c == '"') {
            Word w;
            w.quoted = true;
            ++i;
            while (i < n && text[i] != '"' && text[i] != '\n')
                w.text.append(text[i++]);
            if (i < n && text[i] == '"')
                ++i;
            lines.back().push_back(w);
        } else if (static_cast<unsigned char>(c) <= ' ') {
            ++i;
        } else {
            Word w;
            while (i < n && text[i] != '"' && text[i] != '#' &&
                   static_cast<unsigned char>(text[i]) > ' ')
                w.text.append(text[i++]);
            lines.back().push_back(w);
        }
    }
    return lines;
}

QByteArray quoted(const QByteArray& text)
{
    QByteArray t = text;
    t.replace('"', QByteArray());
    return '"' + t + '"';
}

QByteArray joinWords(const Line& line, size_t from)
{
    QByteArray out;
    for (size_t i = from; i < line.size(); ++i) {
        if (!out.isEmpty())
            out.append(' ');
        out.append(line[i].text);
    }
    return out;
}

// The line as it stood, strings re-quoted.
QByteArray verbatim(const Line& line)
{
    QByteArray out;
    for (const Word& w : line) {
        if (!out.isEmpty())
            out.append(' ');
        out.append(w.quoted ? quoted(w.text) : w.text);
    }
    return out;
}

QByteArray fieldName(const Word& word)
{
    const QByteArray& t = word.text;
    const QByteArray u = t.toUpper();
    if (u == "SAMPLEID" || u == "SAMPLE_ID" || u == "SAMPLE-ID")
        return "SAMPLE_ID";
    static const QRegularExpression spectral(
        QStringLiteral("^(SPEC_|NM_?|SPECTRAL_NM_?|SPECTRAL_)(\\d+)(\\.0*)?$"));
    const QRegularExpressionMatch m = spectral.match(QString::fromLatin1(u));
    if (m.hasMatch()) {
        bool ok = false;
        const int nm = m.captured(2).toInt(&ok);
        if (ok)
            return "SPECTRAL_" + QByteArray::number(nm);
    }
    if (u.startsWith("YXY_") && t.size() == 5) {
        const char c = t[4];
        if (c == 'x' || c == 'X')
            return "XYY_X";
        if (c == 'y')
            return "XYY_Y";
        if (c == 'Y')
            return "XYY_PY";
    }
    static const char* const upperPrefixes[] = {"LAB_", "XYZ_", "RGB_", "CMYK_", "CMY_", "D_",
                                                "STDEV_"};
    for (const char* p : upperPrefixes) {
        if (u.startsWith(p) && isPlainIdentifier(u))
            return u;
    }
    return t;
}

QByteArray fieldToken(const QByteArray& name)
{
    if (isPlainIdentifier(name) && !isReserved(name) && !isNumber(name) && !isDigit(name[0]) &&
        name[0] != '-')
        return name;
    return quoted(name);
}

QByteArray dataToken(const Word& word)
{
    if (word.quoted)
        return quoted(word.text);
    QByteArray t = word.text;
    if (isNumber(t)) {
        int sign = (t[0] == '+' || t[0] == '-') ? 1 : 0;
        if (t.size() > sign && (t[sign] == '.' || t[sign] == ','))
            t.insert(sign, '0');
        if (t[0] == '+')
            t.remove(0, 1);
        return t;
    }
    if (isPlainIdentifier(t) && !isReserved(t))
        return t;
    return quoted(t);
}

class Normaliser {
public:
    QByteArray run(const QByteArray& raw);

private:
    enum StateE { Header, Format, Data, Linearization, Spectrum, Done };

    void headerLine(const Line& line, size_t from);
    void formatWords(const Line& line, size_t from);
    void dataLine(const Line& line);
    void emitKeyword(const QByteArray& name, const QByteArray& value);
    std::vector<QByteArray>& out() { return m_tableDone ? m_post : m_pre; }

    StateE m_state = Header;
    bool m_tableDone = false;
    bool m_haveFormat = false;
    bool m_haveData = false;
    bool m_haveCreated = false;
    QSet<QByteArray> m_keywords;
    std::vector<QByteArray> m_pre;
    std::vector<QByteArray> m_post;
    std::vector<QByteArray> m_fields;
    std::vector<std::vector<QByteArray>> m_rows;
};

void Normaliser::emitKeyword(const QByteArray& name, const QByteArray& value)
{
    if (!m_keywords.contains(name)) {
        out().push_back("KEYWORD " + quoted(name));
        m_keywords.insert(name);
    }
    if (name == "CREATED")
        m_haveCreated = true;
    out().push_back(name + ' ' + quoted(value));
}

void Normaliser::headerLine(const Line& line, size_t from)
{
    if (from >= line.size())
        return;
    const Word& first = line[from];
    if (first.quoted || isNumber(first.text))
        return;
    const QByteArray name = identForm(first.text);
    if (name.isEmpty())
        return;
    const bool secondTable = name == "NUMBER_OF_FIELDS" || name == "BEGIN_DATA_FORMAT" ||
                             name == "BEGIN_DATA" || name == "NUMBER_OF_SETS";
    if (m_tableDone && secondTable) {
        m_state = Done;
        return;
    }
    if (name == "KEYWORD") {
        if (from + 1 < line.size()) {
            const QByteArray declared = identForm(line[from + 1].text);
            if (!declared.isEmpty() && !isReserved(declared)) {
                out().push_back("KEYWORD " + quoted(declared));
                m_keywords.insert(declared);
            }
        }
    } else if (name == "NUMBER_OF_FIELDS" || name == "NUMBER_OF_SETS" ||
               name == "END_DATA_FORMAT" || name == "END_DATA" || name == "IS12642") {
        // counts are written from the data; stray ends are dropped
    } else if (name == "BEGIN_DATA_FORMAT") {
        m_state = Format;
        m_haveFormat = true;
        m_fields.clear();
        formatWords(line, from + 1);
    } else if (name == "BEGIN_DATA") {
        m_state = Data;
        m_haveData = true;
        if (from + 1 < line.size())
            dataLine(Line(line.begin() + static_cast<long>(from) + 1, line.end()));
    } else if (name == "LINEARIZATION:") {
        out().push_back(verbatim(Line(line.begin() + static_cast<long>(from), line.end())));
        m_state = Linearization;
    } else if (name == "BEGIN_SPECTRUM") {
        out().push_back(verbatim(Line(line.begin() + static_cast<long>(from), line.end())));
        m_state = Spectrum;
        for (size_t i = from; i < line.size(); ++i) {
            if (!line[i].quoted && identForm(line[i].text) == "END_SPECTRUM")
                m_state = Header;
        }
    } else if (name == "RELATIVE_PATCH_POSITIONS_TR_YF") {
        out().push_back(name + ' ' + quoted(joinWords(line, from + 1)));
    } else {
        emitKeyword(name, joinWords(line, from + 1));
    }
}

void Normaliser::formatWords(const Line& line, size_t from)
{
    for (size_t i = from; i < line.size(); ++i) {
        const Word& w = line[i];
        if (!w.quoted) {
            const QByteArray name = identForm(w.text);
            if (name == "END_DATA_FORMAT") {
                m_state = Header;
                return;
            }
            if (name == "BEGIN_DATA" || name == "NUMBER_OF_SETS" || name == "NUMBER_OF_FIELDS") {
                m_state = Header;  // END_DATA_FORMAT missing
                headerLine(line, i);
                return;
            }
        }
        m_fields.push_back(fieldName(w));
    }
}

void Normaliser::dataLine(const Line& line)
{
    std::vector<QByteArray> row;
    for (size_t i = 0; i < line.size(); ++i) {
        const Word& w = line[i];
        if (!w.quoted) {
            const QByteArray name = identForm(w.text);
            if (name == "END_DATA" && isPlainIdentifier(w.text)) {
                if (!row.empty())
                    m_rows.push_back(row);
                m_state = Header;
                m_tableDone = true;
                return;
            }
            if (i == 0 && (name == "BEGIN_DATA_FORMAT" || name == "NUMBER_OF_FIELDS" ||
                           name == "BEGIN_DATA") && isPlainIdentifier(w.text)) {
                m_state = Done;  // END_DATA missing before a second table
                m_tableDone = true;
                return;
            }
        }
        row.push_back(dataToken(w));
    }
    if (!row.empty())
        m_rows.push_back(row);
}

QByteArray Normaliser::run(const QByteArray& raw)
{
    QByteArray text = raw;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');

    for (const QString& k : ISO12642_Parser::predefinedKeywords())
        m_keywords.insert(k.toLatin1());

    const std::vector<Line> lines = splitLines(text);
    size_t first = 0;
    while (first < lines.size() && lines[first].empty())
        ++first;

    QByteArray identifier = "IS12642";
    if (first < lines.size()) {
        const Line& line = lines[first];
        const Word& w = line[0];
        const QByteArray name = identForm(w.text);
        if (!w.quoted && w.text == "Vandrelith") {
            identifier = verbatim(line);
            ++first;
        } else if (line.size() == 1 && !w.quoted && !name.isEmpty() && !isReserved(name) &&
                   !m_keywords.contains(name) && (isLetter(w.text[0]) || isDigit(w.text[0]))) {
            identifier = w.text;
            ++first;
        }
    }

    for (size_t li = first; li < lines.size() && m_state != Done; ++li) {
        const Line& line = lines[li];
        if (line.empty())
            continue;
        switch (m_state) {
        case Header:
            headerLine(line, 0);
            break;
        case Format:
            formatWords(line, 0);
            break;
        case Data:
            dataLine(line);
            break;
        case Linearization: {
            const QByteArray name = identForm(line[0].text);
            if (!line[0].quoted && (name == "CYAN:" || name == "MAGENTA:" || name == "YELLOW:" ||
                                    name == "BLACK:")) {
                out().push_back(verbatim(line));
            } else {
                m_state = Header;
                headerLine(line, 0);
            }
            break;
        }
        case Spectrum:
            out().push_back(verbatim(line));
            for (const Word& w : line) {
                if (!w.quoted && identForm(w.text) == "END_SPECTRUM")
                    m_state = Header;
            }
            break;
        case Done:
            break;
        }
    }

    // Wavelengths written in thousandths of a nm without the point (SPEC_380000).
    {
        std::vector<size_t> spectral;
        bool milli = true;
        for (size_t i = 0; i < m_fields.size(); ++i) {
            if (!m_fields[i].startsWith("SPECTRAL_"))
                continue;
            bool ok = false;
            const qulonglong nm = m_fields[i].mid(9).toULongLong(&ok);
            if (!ok)
                continue;
            spectral.push_back(i);
            if (nm < 100000 || nm % 1000 != 0)
                milli = false;
        }
        if (milli && !spectral.empty()) {
            for (size_t i : spectral)
                m_fields[i] = "SPECTRAL_" + QByteArray::number(m_fields[i].mid(9).toULongLong() / 1000);
        }
    }

    if (m_haveData && !m_haveFormat) {
        size_t width = 0;
        for (const auto& row : m_rows)
            width = std::max(width, row.size());
        for (size_t i = 0; i < width; ++i)
            m_fields.push_back("FIELD_" + QByteArray::number(static_cast<qulonglong>(i + 1)));
    }

    QByteArray result;
    auto put = [&result](const QByteArray& line) {
        result.append(line);
        result.append('\n');
    };
    put(identifier);
    if (!m_haveCreated)
        put("CREATED \"unknown\"");
    for (const QByteArray& line : m_pre)
        put(line);
    if (m_haveFormat || m_haveData) {
        put("NUMBER_OF_FIELDS " + QByteArray::number(static_cast<qulonglong>(m_fields.size())));
        put("BEGIN_DATA_FORMAT");
        QByteArray names;
        for (const QByteArray& f : m_fields) {
            if (!names.isEmpty())
                names.append('\t');
            names.append(fieldToken(f));
        }
        put(names);
        put("END_DATA_FORMAT");
    }
    if (m_haveData) {
        size_t total = 0;
        for (const auto& row : m_rows)
            total += row.size();
        size_t sets = m_rows.size();
        if (!m_fields.empty() && total % m_fields.size() == 0)
            sets = total / m_fields.size();
        // Without sets the count is left to the parser, which then reads an
        // empty table instead of rejecting NUMBER_OF_SETS 0.
        if (sets > 0)
            put("NUMBER_OF_SETS " + QByteArray::number(static_cast<qulonglong>(sets)));
        put("BEGIN_DATA");
        for (const auto& row : m_rows) {
            QByteArray line;
            for (const QByteArray& v : row) {
                if (!line.isEmpty())
                    line.append('\t');
                line.append(v);
            }
            put(line);
        }
        put("END_DATA");
    }
    for (const QByteArray& line : m_post)
        put(line);
    return result;
}

}  // namespace

QByteArray normaliseCgats(const QByteArray& text)
{
    Normaliser n;
    return n.run(text);
}

QString normaliseCgats(const QString& text)
{
    return QString::fromUtf8(normaliseCgats(text.toUtf8()));
}
