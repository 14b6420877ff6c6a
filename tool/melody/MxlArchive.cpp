#include "MxlArchive.h"

#include <QFile>
#include <QXmlStreamReader>
#include <memory>
#include <zip.h>

namespace
{

constexpr qint64 kMaxContainer = 64 * 1024;

struct ZipCloser {
    void operator()(zip_t *z) const { zip_discard(z); }
};
struct FileCloser {
    void operator()(zip_file_t *f) const { zip_fclose(f); }
};

enum class Entry { Read, Missing, Broken, TooLarge };

// At most `limit` bytes of `name`, read in pieces: what the archive claims
// about a size is not trusted.
Entry readEntry(zip_t *zip, const char *name, qint64 limit, QByteArray &out)
{
    const std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen(zip, name, 0));
    if (!file)
        return zip_name_locate(zip, name, 0) < 0 ? Entry::Missing : Entry::Broken;
    out.clear();
    char chunk[65536];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), chunk, sizeof chunk);
        if (n < 0)
            return Entry::Broken;
        if (n == 0)
            return Entry::Read;
        if (out.size() + n > limit)
            return Entry::TooLarge;
        out.append(chunk, qsizetype(n));
    }
}

} // namespace

bool MxlArchive::fail(const QString &message)
{
    m_score.clear();
    m_error = message;
    return false;
}

bool MxlArchive::read(QByteArrayView bytes)
{
    m_score.clear();
    m_error.clear();
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source =
        zip_source_buffer_create(bytes.data(), zip_uint64_t(bytes.size()), 0, &error);
    zip_t *opened = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    if (!opened) {
        if (source)
            zip_source_free(source);
        return fail(QStringLiteral(
            "圧縮された MusicXML（.mxl）として読めません（壊れているか、途中で切れています）"));
    }
    const std::unique_ptr<zip_t, ZipCloser> zip(opened);

    QByteArray container;
    QString root;
    switch (readEntry(zip.get(), "META-INF/container.xml", kMaxContainer, container)) {
    case Entry::Read: {
        QXmlStreamReader xml(container);
        while (root.isEmpty() && !xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("rootfile"))
                root = xml.attributes().value(QLatin1String("full-path")).toString();
        }
        if (root.isEmpty())
            return fail(
                QStringLiteral(".mxl の META-INF/container.xml に楽譜のファイル名がありません"));
        break;
    }
    case Entry::Missing:
        // Without a container, the one score at the top.
        for (zip_int64_t i = 0, n = zip_get_num_entries(zip.get(), 0); i < n && root.isEmpty();
             ++i) {
            const QString name = QString::fromUtf8(zip_get_name(zip.get(), zip_uint64_t(i), 0));
            if (!name.startsWith(QLatin1String("META-INF/")) &&
                (name.endsWith(QLatin1String(".musicxml")) || name.endsWith(QLatin1String(".xml"))))
                root = name;
        }
        if (root.isEmpty())
            return fail(QStringLiteral(".mxl の中に楽譜がありません"));
        break;
    case Entry::Broken:
    case Entry::TooLarge:
        return fail(QStringLiteral(".mxl の META-INF/container.xml が読めません"));
    }

    switch (readEntry(zip.get(), root.toUtf8().constData(), kMaxUnpacked, m_score)) {
    case Entry::Read:
        return true;
    case Entry::Missing:
        return fail(QStringLiteral(".mxl の中に楽譜「%1」がありません").arg(root));
    case Entry::Broken:
        return fail(QStringLiteral(".mxl の中の楽譜「%1」が壊れています").arg(root));
    case Entry::TooLarge:
        break;
    }
    return fail(QStringLiteral(".mxl の中の楽譜「%1」が大きすぎます（展開して %2 MB まで）")
                    .arg(root)
                    .arg(kMaxUnpacked / (1024 * 1024)));
}

bool MxlArchive::write(const QString &path, const QByteArray &score)
{
    m_error.clear();
    static const QByteArray mimetype("application/vnd.recordare.musicxml");
    static const QByteArray container("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                      "<container>\n"
                                      "  <rootfiles>\n"
                                      "    <rootfile full-path=\"score.musicxml\" "
                                      "media-type=\"application/vnd.recordare.musicxml+xml\"/>\n"
                                      "  </rootfiles>\n"
                                      "</container>\n");
    int code = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip)
        return fail(QStringLiteral("「%1」を作れません").arg(path));
    struct Item {
        const char *name;
        const QByteArray &bytes;
        bool stored;
    };
    // The mimetype first and uncompressed, as readers of the format expect.
    for (const Item &item :
         {Item{"mimetype", mimetype, true}, Item{"META-INF/container.xml", container, false},
          Item{"score.musicxml", score, false}}) {
        zip_source_t *source =
            zip_source_buffer(zip, item.bytes.constData(), zip_uint64_t(item.bytes.size()), 0);
        const zip_int64_t index =
            source ? zip_file_add(zip, item.name, source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            zip_discard(zip);
            return fail(QStringLiteral("「%1」を作れません").arg(path));
        }
        if (item.stored)
            zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        return fail(QStringLiteral("「%1」に書き込めません").arg(path));
    }
    return true;
}
