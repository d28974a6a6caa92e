#include "files/FileText.h"

#include "vcl/FileWrite.h"

#include <QFile>

#include <algorithm>

namespace files {

namespace {

bool IsSpaceOrControl(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }

// Valid UTF-8 survives the round trip; anything else comes back with replacement characters.
bool ValidUtf8(const QByteArray& bytes) { return QString::fromUtf8(bytes).toUtf8() == bytes; }

} // namespace

QStringList SplitDelimited(const QString& row)
{
    QStringList fields;
    qsizetype end = row.indexOf(QChar(0));
    if (end < 0)
        end = row.size();
    qsizetype p = 0;
    while (p < end && IsSpaceOrControl(row[p]))
        ++p;
    while (p < end) {
        QString field;
        if (row[p] == u'"') {
            ++p;
            while (p < end) {
                if (row[p] == u'"') {
                    if (p + 1 < end && row[p + 1] == u'"') {
                        field += u'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                field += row[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < end && row[p].unicode() > 32 && row[p] != u',')
                ++p;
            field = row.mid(start, p - start);
        }
        fields.append(field);
        while (p < end && IsSpaceOrControl(row[p]))
            ++p;
        if (p < end && row[p] == u',') {
            if (p + 1 == end)
                fields.append(QString());
            ++p;
            while (p < end && IsSpaceOrControl(row[p]))
                ++p;
        }
    }
    return fields;
}

bool ReadRows(const QString& path, std::vector<QString>& rows)
{
    rows.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype nl = all.indexOf('\n', pos);
        const bool hasEnd = nl >= 0;
        if (!hasEnd)
            nl = all.size();
        QByteArray line = all.mid(pos, nl - pos);
        pos = nl + 1;
        while (line.endsWith('\r'))
            line.chop(1);
        if (hasEnd)
            line += '\n';
        const bool utf8 = ValidUtf8(line);
        qsizetype at = 0;
        while (at < line.size()) {
            qsizetype n = std::min<qsizetype>(kPieceBytes, line.size() - at);
            if (utf8 && at + n < line.size())
                while (n > 1 && (static_cast<unsigned char>(line[at + n]) & 0xC0) == 0x80)
                    --n;
            const QByteArray piece = line.mid(at, n);
            rows.push_back(utf8 ? QString::fromUtf8(piece) : QString::fromLatin1(piece));
            at += n;
        }
    }
    return true;
}

bool AppendWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    return vcl::AppendFileWhole(path, bytes, error);
}

bool WriteNewFile(const QString& path, const QByteArray& bytes, QString* error)
{
    return vcl::WriteFileWhole(path, bytes, error, vcl::FileWriteMode::CreateNew);
}

} // namespace files
