// The language table shipped beside the program against the window it translates: a row for
// every translated caption, German and French texts in every row, and in each language every
// translated caption fits the place the window gives it (the pages of the designer mode are
// grabbed into SUNVANE_SCREENSHOTS when set, so that they can be looked at).
#include "TextFit.h"
#include "WindowFixture.h"

#include "app/MainHooks.h"
#include "design/LangTable.h"
#include "support/FileFaults.h"
#include "vcl/FileWrite.h"
#include "vcl/IniFile.h"
#include "vcl/StdCtrls.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QSet>
#include <QStringEncoder>

#include <iostream>

namespace {

using textfit::TextRect;
using vcl::TControl;
using vcl::TIniFile;

QList<QStringList> ShippedTable()
{
    QFile file(QStringLiteral(SUNVANE_SOURCE_DIR "/resources/program/profile/LangTable.RQX"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return design::ReadLangTable(file.readAll());
}

// The controls the language table re-captions: exactly labels and radio buttons marked 1.
std::vector<TControl*> TranslatedControls(TForm_Main& w)
{
    std::vector<TControl*> controls;
    for (int i = 0; i < w.ComponentCount(); ++i) {
        auto* c = dynamic_cast<TControl*>(w.Components(i));
        if (c && c->Tag() == 1 && (c->ClassName() == "TLabel" || c->ClassName() == "TRadioButton"))
            controls.push_back(c);
    }
    return controls;
}

QStringList SearchErrors(TForm_Main& w)
{
    QStringList errors;
    for (int i = 0; i < w.List_Event->Lines()->Count(); ++i)
        if (w.List_Event->Lines()->Strings(i).endsWith(" Search Error"))
            errors << w.List_Event->Lines()->Strings(i);
    return errors;
}

// Where a caption does not fit: its text is wider than the control, or, for a label that grows
// with its text, the text runs past its parent's edge or over a control beside it.
QString CutOff(TForm_Main& w, TControl* c)
{
    QWidget* widget = c->Handle();
    const QString name = c->Name() + " \"" + c->Caption() + "\"";
    if (!widget)
        return name + ": no widget";
    const QFontMetrics metrics(widget->font());
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        if (radio->sizeHint().width() > c->Width())
            return name + QStringLiteral(": needs %1 px, has %2").arg(radio->sizeHint().width()).arg(c->Width());
        return {};
    }
    auto* label = qobject_cast<QLabel*>(widget);
    if (!label)
        return {};
    if (label->wordWrap()) {
        const int h = label->heightForWidth(c->Width());
        if (h > c->Height())
            return name + QStringLiteral(": needs %1 px high, has %2").arg(h).arg(c->Height());
        return {};
    }
    // A left-aligned caption keeps a pixel from the value that follows it.
    const int gap = label->alignment() & Qt::AlignHCenter ? 0 : 1;
    const int needed = metrics.horizontalAdvance(label->text()) + 2 * label->margin() + gap;
    if (needed > label->contentsRect().width())
        return name + QStringLiteral(": needs %1 px, has %2").arg(needed).arg(c->Width());
    const QRect text = TextRect(label);
    QWidget* parent = widget->parentWidget();
    if (parent && text.right() >= parent->width() && parent->width() > 0)
        return name + QStringLiteral(": runs past its parent's edge (%1 > %2)").arg(text.right()).arg(parent->width());
    if (!parent)
        return {};
    for (QObject* o : parent->children()) {
        auto* sibling = qobject_cast<QWidget*>(o);
        if (!sibling || sibling == widget || sibling->isHidden())
            continue;
        // Pictures lie under the texts as their background.
        if (qobject_cast<QLabel*>(sibling) && !qobject_cast<QLabel*>(sibling)->pixmap().isNull())
            continue;
        if (sibling->geometry().contains(text))
            continue;   // a frame around the text
        auto* other = qobject_cast<QLabel*>(sibling);
        const QRect place = other ? TextRect(other) : sibling->geometry();
        if (text.intersects(place)) {
            QString siblingName = sibling->metaObject()->className();
            for (int i = 0; i < w.ComponentCount(); ++i)
                if (auto* o = dynamic_cast<TControl*>(w.Components(i)); o && o->Handle() == sibling)
                    siblingName = o->Name();
            return name + ": runs over " + siblingName;
        }
    }
    return {};
}

class LanguageTest : public WindowTest, public ::testing::WithParamInterface<int> {
protected:
    TForm_Main& OpenIn(int language)
    {
        TIniFile(Home("profile/PreviousSet.RQX")).WriteInteger("Language", "Set", language);
        return Open();
    }
};

} // namespace

TEST_F(LanguageTest, ShippedTableHasGermanAndFrenchForEveryTranslatedCaption)
{
    const QList<QStringList> rows = ShippedTable();
    ASSERT_GT(rows.size(), 1) << "profile/LangTable.RQX is missing or empty";
    QSet<QString> english;
    for (int r = 1; r < rows.size(); ++r) {
        const QStringList& cells = rows[r];
        ASSERT_GE(cells.size(), 3) << "row " << r << ": " << cells.join(" | ").toStdString();
        // (A row for the empty caption keeps an empty caption empty.)
        if (!cells[0].isEmpty()) {
            EXPECT_FALSE(cells[1].trimmed().isEmpty()) << "row " << r << " has no German: " << cells[0].toStdString();
            EXPECT_FALSE(cells[2].trimmed().isEmpty()) << "row " << r << " has no French: " << cells[0].toStdString();
        }
        // A second row for the same caption is never read.
        EXPECT_FALSE(english.contains(cells[0])) << "row " << r << " repeats " << cells[0].toStdString();
        english.insert(cells[0]);
    }

    // Every caption the window marks for translation has its row (English is the design text).
    TForm_Main& w = Open();
    QStringList missing;
    for (TControl* c : TranslatedControls(w))
        if (!english.contains(c->Caption()))
            missing << c->Name() + " \"" + c->Caption() + "\"";
    EXPECT_TRUE(missing.isEmpty()) << missing.join("\n").toStdString();
}

// The lookup is exact and skips the heading: a caption found only in the first line, or only
// with another letter case or a trailing blank, stays English and is logged; the first of two
// rows for one caption serves every control with that caption.
TEST_F(LanguageTest, LookupIsExactFirstMatchAndSkipsTheHeading)
{
    QFile table(Home("profile/LangTable.RQX"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    table.write(utf16.encode(QStringLiteral("Sync Clock\tUhr stellen\tHorloge\r\n"
                                            "Current\tStrom\tCourant\r\n"
                                            "Current\tFalsch\tFaux\r\n"
                                            "firmware\tFirmware (de)\tFirmware (fr)\r\n"
                                            "Protocol \tProtokoll\tProtocole\r\n"
                                            "Broadcast\tAn alle\tTous\r\n")));
    table.close();
    TForm_Main& w = OpenIn(1);
    const std::pair<const char*, const char*> captions[] = {
        {"Label_SyncClock", "Sync Clock"},   // only in the heading
        {"Label2003", "Firmware"},           // other letter case
        {"Label_InvProtocol", "Protocol"},   // trailing blank
        {"Radio_CmdBroadcast", "An alle"},
    };
    for (const auto& [name, text] : captions)
        EXPECT_EQ(driver->Text(QString::fromLatin1(name)), QString::fromUtf8(text)) << name;
    const QStringList errors = SearchErrors(w);
    for (const char* logged : {"Sync Clock Search Error", "Firmware Search Error", "Protocol Search Error"})
        EXPECT_TRUE(errors.contains(QString::fromLatin1(logged))) << logged;

    // Every control captioned "Current" in the design takes the first row's text.
    int currents = 0;
    {
        std::vector<QString> designCaptions;
        window.reset();
        TIniFile(Home("profile/PreviousSet.RQX")).WriteInteger("Language", "Set", 0);
        for (TControl* c : TranslatedControls(Open()))
            designCaptions.push_back(c->Caption());
        window.reset();
        TForm_Main& german = OpenIn(1);
        const std::vector<TControl*> controls = TranslatedControls(german);
        ASSERT_EQ(controls.size(), designCaptions.size());
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (designCaptions[i] == "Current") {
                ++currents;
                EXPECT_EQ(controls[i]->Caption(), "Strom") << controls[i]->Name().toStdString();
            }
    }
    EXPECT_GT(currents, 1);
}

// Without the table the window stays in English and says nothing; the language is still the
// one chosen.
TEST_F(LanguageTest, MissingTableLeavesEnglish)
{
    ASSERT_TRUE(QFile::remove(Home("profile/LangTable.RQX")));
    TForm_Main& w = OpenIn(1);
    EXPECT_EQ(w.LanguageIndex, 1);
    EXPECT_EQ(w.Label_SelectLanguage->Caption(), "German");
    EXPECT_EQ(w.Label_SyncClock->Caption(), "Sync Clock");
    EXPECT_EQ(w.Radio_SendSingle->Caption(), "Single");
    EXPECT_TRUE(SearchErrors(w).isEmpty());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

// Each flag saves its language and starts the program again, also the flag of the language
// already shown.
TEST_F(LanguageTest, EveryFlagRestartsEvenInTheLanguageShown)
{
    const std::pair<const char*, int> flags[] = {
        {"Image_Country_Genman", 1}, {"Image_Country_French", 2}, {"Image_Country_USA", 0}};
    for (const auto& [flag, language] : flags) {
        TForm_Main& w = OpenIn(language);
        int starts = 0;
        auto saved = mainhooks::StartProgram;
        mainhooks::StartProgram = [&] { ++starts; return true; };
        driver->Click(QString::fromLatin1(flag));
        mainhooks::StartProgram = saved;
        EXPECT_EQ(starts, 1) << flag;
        EXPECT_FALSE(w.Visible()) << flag;
        EXPECT_EQ(TIniFile(Home("profile/PreviousSet.RQX")).ReadInteger("Language", "Set", -1), language) << flag;
        window.reset();
    }
}

// A choice that cannot be remembered (a full disk, a read-only profile folder) would bring the
// program back in the language it has: it stays as it is and says which file and why.
TEST_F(LanguageTest, AChoiceThatCannotBeSavedDoesNotRestart)
{
    const QString path = Home("profile/PreviousSet.RQX");
    for (const bool fullDisk : {true, false}) {
        SCOPED_TRACE(fullDisk ? "full disk" : "read-only folder");
        TForm_Main& w = OpenIn(1);
        const QByteArray before = [&] {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        dialogs.shown.clear();
        int starts = 0;
        auto saved = mainhooks::StartProgram;
        mainhooks::StartProgram = [&] { ++starts; return true; };
        {
            std::unique_ptr<testsupport::FileSizeLimit> full;
            std::unique_ptr<testsupport::ReadOnlyFolder> readOnly;
            if (fullDisk)
                full = std::make_unique<testsupport::FileSizeLimit>(static_cast<rlim_t>(before.size() / 2));
            else
                readOnly = std::make_unique<testsupport::ReadOnlyFolder>(Home("profile"));
            driver->Click("Image_Country_French");
        }
        mainhooks::StartProgram = saved;
        EXPECT_EQ(starts, 0);
        EXPECT_TRUE(w.Visible());
        EXPECT_EQ(w.LanguageIndex, 1);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
        EXPECT_EQ(dialogs.shown, QStringList{vcl::FileWriteError(
                                     path, fullDisk ? "File too large" : "the folder is read-only")});
        window.reset();
    }
}

// The window shows every translated caption in the chosen language, with none logged as
// missing, and only the labels and radio buttons marked for it change.
TEST_P(LanguageTest, EveryTranslatedCaptionInTheChosenLanguage)
{
    const int language = GetParam();
    const QList<QStringList> rows = ShippedTable();
    ASSERT_GT(rows.size(), 1);
    QHash<QString, QString> translation;
    for (int r = rows.size() - 1; r >= 1; --r)
        translation[rows[r][0]] = rows[r].value(language);

    // The design texts, from a window in English.
    // (Both windows build the same controls in the same order.)
    QStringList design;
    {
        TForm_Main& english = Open();
        for (TControl* c : TranslatedControls(english))
            design << c->Caption();
        window.reset();
    }
    TForm_Main& w = OpenIn(language);
    EXPECT_TRUE(SearchErrors(w).isEmpty()) << SearchErrors(w).join("\n").toStdString();
    const std::vector<TControl*> translated = TranslatedControls(w);
    ASSERT_EQ(translated.size(), static_cast<std::size_t>(design.size()));
    for (std::size_t i = 0; i < translated.size(); ++i) {
        const QString& english = design[static_cast<int>(i)];
        const QString expected = language == 0 ? english : translation.value(english);
        EXPECT_EQ(translated[i]->Caption(), expected) << translated[i]->Name().toStdString();
    }
    // Buttons and frames keep their design texts.
    EXPECT_EQ(w.Btn_ScanID->Caption(), "Scan ID");
    EXPECT_EQ(w.Label_SelectLanguage->Caption(), (QStringList{"English", "German", "French"}[language]));
}

// In each language no translated caption is cut off or runs over its neighbour where its
// English design text fits; the designer mode's pages are grabbed for a look.
TEST_P(LanguageTest, NoTranslatedCaptionIsCutOff)
{
    const int language = GetParam();
    auto cutOff = [&](TForm_Main& w) {
        std::vector<QString> why;
        for (TControl* c : TranslatedControls(w))
            why.push_back(c->Visible() ? CutOff(w, c) : QString());
        return why;
    };
    std::vector<QString> english;
    {
        Open();
        driver->PickText("Combo_SelectMode", "SuperHero");
        english = cutOff(*window);
        window.reset();
    }
    TForm_Main& w = OpenIn(language);
    driver->PickText("Combo_SelectMode", "SuperHero");
    const std::vector<QString> translated = cutOff(w);
    ASSERT_EQ(translated.size(), english.size());
    QStringList cut, designCut;
    for (std::size_t i = 0; i < translated.size(); ++i) {
        if (!english[i].isEmpty())
            designCut << english[i];
        else if (!translated[i].isEmpty())
            cut << translated[i];
    }
    EXPECT_TRUE(cut.isEmpty()) << cut.size() << " captions do not fit:\n" << cut.join("\n").toStdString();
    if (language == 0 && !designCut.isEmpty())
        std::cout << "Design texts that do not fit:\n" << designCut.join("\n").toStdString() << std::endl;

    const QByteArray dir = qgetenv("SUNVANE_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    QDir().mkpath(QString::fromUtf8(dir));
    const QString tag = QStringList{"en", "de", "fr"}[language];
    for (int page = 0; page < 7; ++page) {
        driver->ChooseTab("PageControl", page);
        const QString file = QStringLiteral("%1/lang-%2-page%3.png").arg(QString::fromUtf8(dir), tag).arg(page);
        EXPECT_TRUE(w.PageBox(page)->ClientWidget()->grab().save(file));
    }
    EXPECT_TRUE(w.Handle()->grab().save(QStringLiteral("%1/lang-%2-window.png").arg(QString::fromUtf8(dir), tag)));
}

// A mode's temperature titles, kept in English in its settings file, show in the window's
// language; closing the window writes them back in English, so the file reads the same in every
// language. A title the table lacks shows as the file has it.
TEST_F(LanguageTest, ModeTitlesShowInTheLanguageAndStayEnglishInTheFile)
{
    const QString file = Home("GridTied/MonitorSet.RQX");
    OpenIn(2);
    driver->PickText("Combo_SelectMode", "GridTied");
    EXPECT_EQ(driver->Text("Label_TemperTitle11"), "Ambiante");
    EXPECT_EQ(driver->Text("Label_TemperTitle14"), "Onduleur S");
    EXPECT_EQ(driver->Text("Label_TemperTitle24"), "T_AMB");
    driver->Close();
    TIniFile saved(file);
    EXPECT_EQ(saved.ReadString("Temperature", "Label1", ""), "Ambient");
    EXPECT_EQ(saved.ReadString("Temperature", "Label4", ""), "Inverter-S");
    EXPECT_EQ(saved.ReadString("Temperature", "Labe24", ""), "T_AMB");
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageTest, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 0 ? "English" : info.param == 1 ? "German" : "French");
                         });
