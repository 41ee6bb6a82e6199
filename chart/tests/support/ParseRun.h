#pragma once
// Parses text held in memory with a CGATS parser (optionally normalised
// first), keeping the buffer, scanner and parser alive for the checks.

#include "chart/CgatsNormaliser.h"
#include "chart/ISO12642_Scanner.h"
#include "chart/VandrelithFile_Parser.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

template <typename ParserT = VandrelithFile_Parser>
struct ParseRun {
    ParseRun(const QByteArray& text, bool normalise)
        : bytes(normalise ? normaliseCgats(text) : text), buffer(&bytes), scanner(&buffer),
          parser(&scanner)
    {
        buffer.open(QIODevice::ReadOnly);
        result = parser.parse();
    }
    ParseRun(const ParseRun&) = delete;
    ParseRun& operator=(const ParseRun&) = delete;

    QByteArray bytes;
    QBuffer buffer;
    ISO12642_QFile_Scanner scanner;
    ParserT parser;
    int result = -1;
};

template <typename ParserT = VandrelithFile_Parser>
std::unique_ptr<ParseRun<ParserT>> parseText(const QByteArray& text, bool normalise = false)
{
    return std::make_unique<ParseRun<ParserT>>(text, normalise);
}

inline QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}
