#include "DesignTestSupport.h"

#include "design/Guide.h"

#include "support/QtApp.h"

namespace {

using namespace design;

class Guide : public designtest::DesignTest {
protected:
    void SetUp() override
    {
        DesignTest::SetUp();
        testsupport::EnsureApplication();
    }
};

TEST_F(Guide, MissingGuideIsWrittenAsPdfAndAnExistingOneIsKept)
{
    QString path, error;
    ASSERT_EQ(EnsureGuide(dir.path(), &path, &error), 0) << error.toStdString();
    EXPECT_EQ(path, Path("KIV_Guide.pdf"));
    const QByteArray pdf = designtest::ReadAll(path);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_GT(pdf.size(), 20000);          // the whole guide, several pages
    EXPECT_GE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 3);

    designtest::WriteAll(path, "mine");
    ASSERT_EQ(EnsureGuide(dir.path(), &path, &error), 0);
    EXPECT_EQ(designtest::ReadAll(path), QByteArray("mine"));
}

TEST_F(Guide, UnwritableFolderGivesAnErrorNamingThePath)
{
    QString path, error;
    EXPECT_EQ(EnsureGuide(Path("missing/folder"), &path, &error), 1);
    EXPECT_TRUE(error.contains(Path("missing/folder/KIV_Guide.pdf"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
