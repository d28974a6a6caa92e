#include "design/LangTable.h"

#include <QStringDecoder>

namespace design {

QList<QStringList> ReadLangTable(QByteArray bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        bytes.remove(0, 2);
    QStringDecoder decoder(QStringDecoder::Utf16LE);
    QString text = decoder.decode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty() && text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    QList<QStringList> rows;
    rows.reserve(lines.size());
    for (const QString& line : lines)
        rows << line.split(QLatin1Char('\t'));
    return rows;
}

} // namespace design
