#include "vcl/StringList.h"

#include "vcl/FileWrite.h"

#include <QFile>
#include <QStringDecoder>

#include <stdexcept>

namespace vcl {

namespace {
void CheckIndex(int i, int count)
{
    if (i < 0 || i >= count)
        throw std::out_of_range(QString("List index out of bounds (%1)").arg(i).toStdString());
}

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    QString line;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == '\r' || c == '\n') {
            lines << line;
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}
} // namespace

QString TStringList::Strings(int i) const
{
    CheckIndex(i, Count());
    return items_.at(i);
}

void TStringList::SetStrings(int i, const QString& text)
{
    CheckIndex(i, Count());
    items_[i] = text;
    Changed();
}

int TStringList::Add(const QString& text)
{
    items_ << text;
    Appended(Count() - 1);
    return Count() - 1;
}

void TStringList::Insert(int i, const QString& text)
{
    if (i < 0 || i > Count())
        CheckIndex(i, Count());
    items_.insert(i, text);
    Changed();
}

void TStringList::Delete(int i)
{
    CheckIndex(i, Count());
    items_.removeAt(i);
    Changed();
}

void TStringList::Clear()
{
    items_.clear();
    Changed();
}

int TStringList::IndexOf(const QString& text) const
{
    for (int i = 0; i < Count(); ++i)
        if (items_.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TStringList::Assign(const TStringList& other)
{
    if (&other == this)
        return;
    items_ = other.items_;
    Changed();
}

void TStringList::AddStrings(const TStringList& other)
{
    items_ << other.items_;
    Changed();
}

QString TStringList::Text() const
{
    QString text;
    for (const QString& s : items_)
        text += s + "\r\n";
    return text;
}

void TStringList::SetText(const QString& text)
{
    items_ = SplitLines(text);
    Changed();
}

void TStringList::SetDelimitedText(const QString& whole)
{
    const qsizetype nul = whole.indexOf(QChar(0));
    const QString text = nul < 0 ? whole : whole.left(nul);
    const qsizetype n = text.size();
    auto blank = [&](qsizetype i) { return !strict_ && i < n && text.at(i).unicode() >= 1 && text.at(i).unicode() <= 32; };
    QStringList items;
    qsizetype i = 0;
    while (blank(i))
        ++i;
    while (i < n) {
        QString field;
        if (text.at(i) == quoteChar_) {
            ++i;
            while (i < n) {
                if (text.at(i) == quoteChar_) {
                    if (i + 1 < n && text.at(i + 1) == quoteChar_) {
                        field += quoteChar_;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text.at(i++);
            }
        } else {
            while (i < n && text.at(i) != delimiter_ && (strict_ || text.at(i).unicode() > 32))
                field += text.at(i++);
        }
        items << field;
        while (blank(i))
            ++i;
        if (i < n && text.at(i) == delimiter_) {
            if (i + 1 == n)
                items << QString();
            ++i;
            while (blank(i))
                ++i;
        }
    }
    items_ = items;
    Changed();
}

QString TStringList::DelimitedText() const
{
    QStringList out;
    for (const QString& item : items_) {
        bool quote = item.contains(delimiter_) || item.contains(quoteChar_);
        if (!strict_)
            for (const QChar c : item)
                quote = quote || c.unicode() <= 32;
        if (quote) {
            QString q = item;
            q.replace(quoteChar_, QString(2, quoteChar_));
            out << quoteChar_ + q + quoteChar_;
        } else {
            out << item;
        }
    }
    return out.join(delimiter_);
}

bool TStringList::LoadFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        text = QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    } else if (bytes.startsWith("\xFE\xFF")) {
        text = QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    } else {
        const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
        // Line by line: one line that is not UTF-8 must not spoil the others.
        QStringList lines;
        for (const QByteArray& raw : body.split('\n')) {
            QStringDecoder utf8(QStringDecoder::Utf8);
            QString line = utf8.decode(raw);
            if (utf8.hasError())
                line = QString::fromLatin1(raw);
            lines << line;
        }
        text = lines.join('\n');
    }
    items_ = SplitLines(text);
    Changed();
    return true;
}

bool TStringList::SaveToFile(const QString& path) const
{
    return WriteFileWhole(path, Text().toUtf8());
}

} // namespace vcl
