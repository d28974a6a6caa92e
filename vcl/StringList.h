// TStringList: an ordered list of texts, as the class library's string list. The item lists of
// combo boxes, list boxes and rich edits are string lists too: a change through them reaches
// the control at once.
#pragma once

#include "vcl/Types.h"

#include <QString>
#include <QStringList>

namespace vcl {

class TStringList {
public:
    TStringList() = default;
    TStringList(const TStringList& other) : items_(other.items_) {}
    TStringList& operator=(const TStringList& other) { Assign(other); return *this; }
    virtual ~TStringList() = default;

    int Count() const { return static_cast<int>(items_.size()); }
    // Item i; an index outside 0..Count()-1 throws std::out_of_range (the class library raises).
    QString Strings(int i) const;
    void SetStrings(int i, const QString& text);
    QString operator[](int i) const { return Strings(i); }

    // Appends a text; returns its index.
    int Add(const QString& text);
    void Insert(int i, const QString& text);
    void Delete(int i);
    void Clear();
    // The index of the first item equal to text (case-insensitive, as the class library), or -1.
    int IndexOf(const QString& text) const;
    void Assign(const TStringList& other);
    void AddStrings(const TStringList& other);

    // All items joined, each ending in "\r\n"; setting it splits at CR LF, LF or CR.
    QString Text() const;
    void SetText(const QString& text);
    // Delimited text, as the class library splits it (Delimiter "," and QuoteChar '"' unless
    // set otherwise). Not strict (the default): characters of codes 1 to 32 before a field are
    // skipped; a field that starts with the quote runs to the next single quote (two quotes in a
    // row stand for one; delimiters and blanks inside do not split; an unclosed quote takes the
    // rest); any other field ends at the first character of code 0 to 32 or the delimiter, so a
    // blank splits too; after a field, blanks are skipped, then a delimiter and the blanks after
    // it; a delimiter that is the last character of the text adds one empty field. Strict: only
    // the delimiter splits and blanks stay in the fields. The text ends at a NUL character.
    QChar Delimiter() const { return delimiter_; }
    void SetDelimiter(QChar c) { delimiter_ = c; }
    QChar QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(QChar c) { quoteChar_ = c; }
    bool StrictDelimiter() const { return strict_; }
    void SetStrictDelimiter(bool on) { strict_ = on; }
    QString DelimitedText() const;
    void SetDelimitedText(const QString& text);
    // Items joined by ","; no quoting.
    QString CommaText() const { return items_.join(','); }

    // Files: UTF-8 without BOM when written. Reading detects a UTF-16 (LE or BE) or UTF-8 byte-order
    // mark; a file without one is read as UTF-8, a line that is not valid UTF-8 as Latin-1.
    // Both return false when the file cannot be opened (the list is then unchanged). A save
    // replaces the file whole or not at all (vcl/FileWrite.h).
    bool LoadFromFile(const QString& path);
    bool SaveToFile(const QString& path) const;

    const QStringList& List() const { return items_; }

protected:
    // Called after every change; controls that show a list override it.
    virtual void Changed() {}
    // Called after Add appended item `index` (instead of Changed): a shown list adds the one
    // item instead of filling itself again.
    virtual void Appended(int) { Changed(); }

private:
    QStringList items_;
    QChar delimiter_ = ',';
    QChar quoteChar_ = '"';
    bool strict_ = false;
};

} // namespace vcl
