#include "design/Guide.h"

#include "vcl/FileWrite.h"

#include <QBuffer>
#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

// The guide text lives in the resource library; make sure its registration is linked in.
static void InitGuideResource()
{
    Q_INIT_RESOURCE(guide);
}

namespace design {

namespace {

QByteArray RenderGuide()
{
    InitGuideResource();
    QFile source(QStringLiteral(":/guide/guide.html"));
    QString html;
    if (source.open(QIODevice::ReadOnly))
        html = QString::fromUtf8(source.readAll());
    else
        html = QStringLiteral("<h1>Sunvane User Guide</h1>");

    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Sunvane User Guide"));
        writer.setCreator(QStringLiteral("Sunvane"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
        QTextDocument doc;
        doc.setHtml(html);
        doc.print(&writer);
    }
    buffer.close();
    return pdf;
}

} // namespace

int WriteGuidePdf(const QString& path, QString* error)
{
    return vcl::WriteFileWhole(path, RenderGuide(), error) ? 0 : 1;
}

int EnsureGuide(const QString& programFolder, QString* path, QString* error)
{
    const QString guide = QDir(programFolder).filePath(kGuideFileName);
    if (path)
        *path = guide;
    if (QFileInfo::exists(guide))
        return 0;
    return WriteGuidePdf(guide, error);
}

} // namespace design
