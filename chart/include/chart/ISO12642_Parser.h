#pragma once
// Parser for CGATS / ISO 12642 text: header keywords with their values, the
// data format (columns) and the data sets. Usage: open the device, build an
// ISO12642_QFile_Scanner over it, build the parser with the scanner, parse(),
// then read keywordValue(), numberOfSets(), value() and columnNames(); on a
// result of -1 keep or show errorText().

#include <QMap>
#include <QSet>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class ISO12642_Scanner;

class ISO12642_Parser : public QObject {
public:
    // Keyword kinds.
    enum KeywordKindE { KindString = 1, KindInteger = 2 };

    // Largest NUMBER_OF_FIELDS, NUMBER_OF_SETS and fields x sets accepted; larger
    // counts are a parse error (no allocation is made from them).
    static constexpr int MaxFields = 65536;
    static constexpr int MaxSets = 4000000;
    static constexpr long long MaxValues = 16000000;

    // The scanner is not owned and must outlive the parser.
    explicit ISO12642_Parser(ISO12642_Scanner* scanner);
    ~ISO12642_Parser() override;

    // Appends a known field name (also to the declared list when declared); true.
    virtual bool addFieldName(const QString& name, bool declared);
    virtual QStringList fieldNames() const;
    // False when name is not a known field; else maps it to column index.
    virtual bool defineColumn(int index, const QString& name);
    // Column of a defined field, -1 when not defined.
    virtual int columnIndex(const QString& name) const;
    // Grows the data rows to n (never shrinks; n <= 0 does nothing); new rows get
    // one null value per field.
    virtual void resizeRows(int n);
    virtual bool setColumnValue(int set, int column, const QString& value);
    virtual bool setColumnValueByName(int set, const QString& name, const QString& value);
    // The value, or a null QString when either index is out of range.
    virtual QString valueAt(int set, int column) const;
    virtual QString value(int set, const QString& name) const;
    virtual bool setNumberOfFields(int n);
    virtual bool setNumberOfSets(int n);
    // A repeated keyword concatenates its values.
    virtual void setKeywordValue(const QString& name, const QString& value);
    // 0 on success, -1 on failure (errorText() says why).
    virtual int parse();
    // Appends message and "\n" to the error text and logs it with the line;
    // also keeps it with its source name and line (errorMessages).
    virtual void ParseError(const QString& message);
    // Called for an identifier that is no known keyword, with the token after it
    // current; < 0 when not handled. The base handles none.
    virtual int handleUnknownKeyword(const QString& name);

    // Value of a header keyword; a null QString when absent.
    QString keywordValue(const QString& name) const;
    QString errorText() const { return m_errorText; }
    // Every reported message with where it was found and why, in order:
    // "name: line 12: 6 values where NUMBER_OF_FIELDS says 7" (without the
    // line for what concerns the whole text, without "name: " when the source
    // has no name). After a failed parse the last one is the refusal.
    QStringList errorMessages() const { return m_errorMessages; }
    QString lastErrorMessage() const
    {
        return m_errorMessages.isEmpty() ? QString() : m_errorMessages.last();
    }
    // Defined column names ordered by column index.
    QStringList columnNames() const;
    int numberOfFields() const { return m_numberOfFields; }
    int numberOfSets() const { return m_numberOfSets; }
    // Names declared with KEYWORD (and by subclasses).
    QStringList declaredNames() const { return m_declaredNames; }
    // The predefined header keywords and field names, in definition order.
    static QStringList predefinedKeywords();
    static QStringList predefinedFieldNames();

protected:
    // Reads the next token into the current token and returns its code.
    int readToken();
    int currentToken() const { return m_token; }
    QString currentText() const;
    int currentLine() const;
    // ParseError(message) located at line (0: the whole text); the located
    // form says reason instead of message when one is given (for messages
    // that name their line themselves).
    void reportAt(int line, const QString& message, const QString& reason = QString());

private:
    int parseDataFormat();
    int parseData();
    bool parseCount(int token, int* out);

    ISO12642_Scanner* m_scanner;
    int m_token = 0;
    int m_numberOfFields = -1;
    int m_numberOfSets = -1;
    bool m_dataFormatRead = false;
    bool m_dataRead = false;
    QString m_errorText;
    QStringList m_errorMessages;
    int m_errorLine = -1;         // line for the next ParseError, -1: the current token's
    QString m_errorReason;
    QMap<QString, int> m_keywordKinds;
    QMap<QString, QString> m_keywordValues;
    QStringList m_declaredNames;
    QStringList m_fieldNames;
    QSet<QString> m_knownFields;
    QMap<QString, int> m_columns;
    std::vector<std::vector<QString>> m_rows;
};
