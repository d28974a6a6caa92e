#include "design/CountryList.h"

#include "design/ModeState.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace design {

namespace {

QString DecodePiece(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

} // namespace

int LoadCountryList(const QString& modeFolder, CountryList& list)
{
    list.names.fill(QString());
    list.codes.fill(0);
    list.codeCount = 0;

    QFile file(QDir(modeFolder).filePath(kCountryListFileName));
    if (!file.open(QIODevice::ReadOnly)) {
        list.names[0] = QStringLiteral("NONE");
        return 0;
    }
    QByteArray data = file.readAll();
    file.close();
    data.replace("\r\n", "\n");

    // Pieces as a 100-byte line buffer gives them: at most 99 bytes, up to and including "\n".
    qsizetype pos = 0;
    for (int i = 0; i < kCountryListSize && pos < data.size(); ++i) {
        qsizetype end = data.indexOf('\n', pos);
        end = (end < 0) ? data.size() : end + 1;
        if (end - pos > 99)
            end = pos + 99;
        const QString piece = DecodePiece(data.mid(pos, end - pos));
        pos = end;
        list.names[i] = piece;
        if (piece.size() > 1)
            list.codes[list.codeCount++] = i;
    }
    return 0;
}

QStringList CountryBoxItems(const CountryList& list)
{
    QStringList items;
    for (const QString& entry : list.names) {
        if (entry == QLatin1StringView("END"))
            break;
        if (entry.size() > 1) {
            QString shown = entry;
            while (shown.endsWith(u'\n') || shown.endsWith(u'\r'))
                shown.chop(1);
            items << shown;
        }
    }
    return items;
}

} // namespace design
