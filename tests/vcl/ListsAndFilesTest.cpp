// String lists and the files of the kit's controls: encodings in, UTF-8 out, rich-text logs.
#include "KitTestApp.h"
#include "vcl/Kit.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <type_traits>

using namespace vcl;

// The window's pictures live in a static library; their resource must be registered by name
// (outside any namespace).
static void InitWindowResources()
{
    Q_INIT_RESOURCE(window);
}

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(StringList, AddFindTextAndBounds)
{
    TStringList list;
    list.Add("Custom");
    list.Add("Germany LV");
    EXPECT_EQ(list.IndexOf("germany lv"), 1);
    EXPECT_EQ(list.IndexOf("France"), -1);
    EXPECT_EQ(list.Text(), "Custom\r\nGermany LV\r\n");
    list.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Strings(3), "d");
    EXPECT_THROW(list.Strings(4), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
}

TEST(StringList, LoadsEveryEncodingAndSavesUtf8WithoutBom)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.txt");
    struct Case { const char* what; QByteArray bytes; QStringList expected; };
    const QString phase = QString::fromUtf8("\xE7\x9B\xB8"); // 相
    QByteArray utf16le("\xFF\xFE", 2);
    for (QChar c : QString("ID\t%1\r\nx").arg(phase)) {
        utf16le.append(static_cast<char>(c.unicode() & 0xFF));
        utf16le.append(static_cast<char>(c.unicode() >> 8));
    }
    const std::vector<Case> cases = {
        {"UTF-16 LE with BOM", utf16le, {"ID\t" + phase, "x"}},
        {"UTF-8 with BOM", QByteArray("\xEF\xBB\xBF") + QString("Cos").toUtf8() + phase.toUtf8(), {"Cos" + phase}},
        {"UTF-8 and one Latin-1 line", QByteArray("Stra\xC3\x9F" "e\nK\xF6ln\n"), {QString::fromUtf8("Straße"), QString::fromUtf8("Köln")}},
    };
    for (const Case& c : cases) {
        Write(path, c.bytes);
        TStringList list;
        ASSERT_TRUE(list.LoadFromFile(path)) << c.what;
        EXPECT_EQ(list.List(), c.expected) << c.what;
    }
    TStringList out;
    out.Add(QString::fromUtf8("25℃"));
    ASSERT_TRUE(out.SaveToFile(path));
    EXPECT_EQ(ReadAll(path), QByteArray("25\xE2\x84\x83\r\n"));

    TStringList missing;
    missing.Add("kept");
    EXPECT_FALSE(missing.LoadFromFile(dir.filePath("none.txt")));
    EXPECT_EQ(missing.Count(), 1);
    EXPECT_FALSE(out.SaveToFile(dir.filePath("no/such/folder/x.txt")));
}

TEST(StringList, DelimitedTextSplitsAsTheClassLibrary)
{
    struct Case { const char* text; QStringList fields; };
    const std::vector<Case> cases = {
        {"Vac high limit,33537,2300", {"Vac", "high", "limit", "33537", "2300"}},
        {"\"Vac high limit\",33537,2300\r\n", {"Vac high limit", "33537", "2300"}},
        {"  a , b,,c", {"a", "b", "", "c"}},
        {"a,b,", {"a", "b", ""}},
        {"a,b,\r\n", {"a", "b"}},
        {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        {"\"open,quote", {"open,quote"}},
        {"", {}},
        {"\t\r\n", {}},
        {",", {"", ""}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetDelimitedText(QString::fromUtf8(c.text));
        EXPECT_EQ(list.List(), c.fields) << c.text;
    }
    TStringList strict;
    strict.SetStrictDelimiter(true);
    strict.SetDelimitedText("Vac high limit, 1");
    EXPECT_EQ(strict.List(), (QStringList{"Vac high limit", " 1"}));

    TStringList back;
    back.Add("two words");
    back.Add("plain");
    back.Add("a\"b");
    EXPECT_EQ(back.DelimitedText(), "\"two words\",plain,\"a\"\"b\"");
    TStringList again;
    again.SetDelimitedText(back.DelimitedText());
    EXPECT_EQ(again.List(), back.List());
}

TEST(Canvas, PaintedPixelsReadBack)
{
    EnsureApp();
    TForm form;
    TImage image(&form);
    image.SetBounds(0, 0, 47, 48);
    TCanvas* canvas = image.Canvas();
    for (int x = 0; x < 47; ++x)
        for (int y = 0; y < 48; ++y)
            canvas->SetPixel(x, y, (x + y) % 2 ? clRed : clBlue);
    EXPECT_EQ(canvas->Pixel(0, 0), clBlue);
    EXPECT_EQ(canvas->Pixel(1, 0), clRed);
    EXPECT_EQ(canvas->Pixel(47, 0), clNone);
    canvas->SetPenColor(clLime);
    canvas->MoveTo(0, 10);
    canvas->LineTo(46, 10);
    EXPECT_EQ(canvas->Pixel(20, 10), clLime);
    EXPECT_TRUE(image.HasPicture());
    EXPECT_EQ(image.Picture().size(), QSize(47, 48));

    // The drawing as a picture file, loaded into another image.
    QTemporaryDir dir;
    ASSERT_TRUE(image.Picture().save(dir.filePath("frame.png")));
    TImage loaded(&form);
    EXPECT_FALSE(loaded.HasPicture());
    EXPECT_FALSE(loaded.LoadPicture(dir.filePath("missing.png")));
    EXPECT_TRUE(loaded.LoadPicture(dir.filePath("frame.png")));
    EXPECT_EQ(loaded.Picture().pixelColor(1, 0), QColor(255, 0, 0));
}

TEST(RichEdit, LinesKeepTheirColoursAndSaveAsRichText)
{
    EnsureApp();
    TForm form;
    TRichEdit log(&form);
    log.Lines()->Add("Tx:8: 01 03 00 00 00 01 84 0A");
    log.AddLine("Error - Receive", clRed);
    log.Lines()->Add("two\r\nlines");
    EXPECT_EQ(log.Lines()->Count(), 4);
    EXPECT_EQ(log.Lines()->Strings(3), "lines");
    EXPECT_EQ(log.Lines()->ColorOf(1), clRed);
    EXPECT_EQ(log.SelAttributes()->Color(), clWindowText);

    QTemporaryDir dir;
    ASSERT_TRUE(log.SaveToFile(dir.filePath("UpgradeLog.txt")));
    const QByteArray rtf = ReadAll(dir.filePath("UpgradeLog.txt"));
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(rtf.contains("\\red255\\green0\\blue0;"));
    EXPECT_TRUE(rtf.contains("\\cf2 Error - Receive\\par"));
    EXPECT_FALSE(log.SaveToFile(dir.filePath("missing/x.txt")));

    log.Lines()->Delete(0);
    EXPECT_EQ(log.Lines()->Strings(0), "Error - Receive");
    EXPECT_EQ(log.Lines()->ColorOf(0), clRed);
    log.Clear();
    EXPECT_EQ(log.Lines()->Count(), 0);
}

TEST(OpenDialog, GoesThroughTheDialogService)
{
    struct Files : DialogService {
        QString filter, folder;
        QString answer;
        QString OpenFile(const QString&, const QString& f, const QString& d) override { filter = f; folder = d; return answer; }
    } files;
    SetDialogService(&files);
    TOpenDialog open(nullptr);
    open.SetFilter("*.csv|*.csv");
    open.SetInitialDir("/tmp");
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(open.FileName(), "");
    files.answer = "/tmp/upload.csv";
    EXPECT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName(), "/tmp/upload.csv");
    EXPECT_EQ(files.filter, "*.csv (*.csv)");
    EXPECT_EQ(files.folder, "/tmp");
    SetDialogService(nullptr);
}

TEST(ScrollBox, ItsAreaTakesEveryChild)
{
    EnsureApp();
    TForm form;
    auto* box = new TScrollBox(&form);
    box->SetParent(&form);
    box->SetBounds(0, 0, 300, 200);
    auto* panel = new TGroupBox(&form);
    panel->SetParent(box);
    panel->SetBounds(10, 900, 300, 215);
    EXPECT_GE(box->ClientWidget()->height(), 1115);
    panel->SetTop(100);
    EXPECT_LT(box->ClientWidget()->height(), 1115);
}

// The lists on screen follow every change of the item lists, an item added at the end as much
// as a list changed in the middle, and keep the choice made.
TEST(ItemLists, TheShownListsFollowEveryChange)
{
    EnsureApp();
    TForm form;
    auto* combo = new TComboBox(&form);
    combo->SetParent(&form);
    combo->SetStyle(csDropDownList);
    auto* list = new TListBox(&form);
    list->SetParent(&form);
    auto* box = static_cast<QComboBox*>(combo->Handle());
    auto* view = static_cast<QListWidget*>(list->Handle());
    auto shown = [](auto* widget) {
        QStringList items;
        for (int i = 0; i < widget->count(); ++i) {
            if constexpr (std::is_same_v<decltype(widget), QComboBox*>)
                items << widget->itemText(i);
            else
                items << widget->item(i)->text();
        }
        return items;
    };
    for (TStringList* items : {combo->Items(), list->Items()})
        for (const char* text : {"a", "b"})
            items->Add(QString::fromLatin1(text));
    combo->SetItemIndex(1);
    list->SetItemIndex(1);
    combo->Items()->Add("c");
    list->Items()->Add("c");
    EXPECT_EQ(shown(box), QStringList({"a", "b", "c"}));
    EXPECT_EQ(shown(view), QStringList({"a", "b", "c"}));
    EXPECT_EQ(box->currentIndex(), 1);
    EXPECT_EQ(combo->Text(), "b");
    EXPECT_EQ(view->currentRow(), 1);
    EXPECT_EQ(list->ItemIndex(), 1);

    combo->Items()->Insert(0, "z");
    list->Items()->Delete(0);
    combo->Items()->Add("d");
    list->Items()->Add("d");
    EXPECT_EQ(shown(box), QStringList({"z", "a", "b", "c", "d"}));
    EXPECT_EQ(shown(view), QStringList({"b", "c", "d"}));
    EXPECT_EQ(box->currentIndex(), combo->ItemIndex());
    EXPECT_EQ(view->currentRow(), list->ItemIndex());

    // The first item of an empty box is not chosen by adding it.
    combo->Items()->Clear();
    combo->Items()->Add("only");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(box->currentIndex(), -1);
}

// A picture of the program's resources is there as soon as it is loaded, whether the image is
// seen yet or not: asked for, and on screen once the window shows.
TEST(Picture, AResourcePictureIsThereWhetherSeenYetOrNot)
{
    EnsureApp();
    InitWindowResources();
    const QImage root(QStringLiteral(":/window/TreeRoot.png"));
    const QImage inverter(QStringLiteral(":/window/TreeInverter.png"));
    ASSERT_FALSE(root.isNull());
    TForm form;
    form.SetBounds(0, 0, 200, 100);
    auto* asked = new TImage(&form);
    asked->SetParent(&form);
    asked->SetBounds(0, 0, 16, 16);
    auto* seen = new TImage(&form);
    seen->SetParent(&form);
    seen->SetBounds(20, 0, 16, 16);
    ASSERT_TRUE(asked->LoadPicture(QStringLiteral(":/window/TreeRoot.png")));
    ASSERT_TRUE(seen->LoadPicture(QStringLiteral(":/window/TreeInverter.png")));
    EXPECT_FALSE(seen->LoadPicture(QStringLiteral(":/window/Missing.png")));
    EXPECT_TRUE(asked->HasPicture());
    EXPECT_EQ(asked->Picture(), root.convertToFormat(asked->Picture().format()));

    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Handle()));
    const QPixmap onScreen = static_cast<QLabel*>(seen->Handle())->pixmap();
    ASSERT_FALSE(onScreen.isNull());
    EXPECT_EQ(onScreen.toImage(), inverter.convertToFormat(onScreen.toImage().format()));
    // Loaded again once seen, the picture is shown at once.
    ASSERT_TRUE(asked->LoadPicture(QStringLiteral(":/window/TreeInverter.png")));
    EXPECT_FALSE(static_cast<QLabel*>(asked->Handle())->pixmap().isNull());
    form.Hide();
}

} // namespace
