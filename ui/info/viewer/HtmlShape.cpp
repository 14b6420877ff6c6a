#include "HtmlShape.h"

#include <QList>
#include <QString>
#include <algorithm>

namespace
{

// One open element, as Qt's parser would nest it.
struct Open {
    QString tag;
    qint64 items = 0; // list items so far, for ul and ol
    qint64 rows = 0;  // for a table: its rows, and the widest row's cells
    qint64 columns = 0;
    qint64 widest = 0;
};

// The reading mirrors Qt's HTML parser where nesting is decided: every "<"
// opens a tag, words may be quoted, and an element closes at its end tag,
// at "/" inside its tag, or by the few rules below. Where the mirror is not
// exact it errs towards deeper and dearer, never shallower.
class Reader
{
public:
    explicit Reader(QStringView html) : m_text(html) {}

    HtmlShape read()
    {
        qsizetype textRun = 0;
        while (m_pos < m_text.size() && m_shape.fits()) {
            const QChar c = m_text[m_pos++];
            if (c != u'<') {
                textRun += c == u'\n' ? 128 : 1;
                continue;
            }
            addText(textRun);
            textRun = 0;
            tag();
        }
        addText(textRun);
        while (!m_open.isEmpty() && m_shape.fits())
            pop();
        return m_shape;
    }

private:
    // The cost of one element at the present table depth: a table lays out
    // what it holds about twice, and is never laid out lazily.
    qint64 unit() const { return m_tables == 0 ? 1 : qint64(4) << std::min(m_tables, 40); }

    void add(qint64 cost) { m_shape.cost = std::min(m_shape.cost + cost, HtmlShape::MaxCost + 1); }

    // A line end may start a block (in pre text): two units; other text costs
    // by length.
    void addText(qsizetype weighted)
    {
        if (weighted > 0)
            add(unit() * ((weighted + 63) / 64));
    }

    void eatSpace()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace() &&
               m_text[m_pos] != QChar::ParagraphSeparator)
            ++m_pos;
    }

    bool at(QChar c, qsizetype ahead = 0) const
    {
        return m_pos + ahead < m_text.size() && m_text[m_pos + ahead] == c;
    }

    QString word()
    {
        QString w;
        if (at(u'"') || at(u'\'')) {
            const QChar quote = m_text[m_pos++];
            while (m_pos < m_text.size()) {
                const QChar c = m_text[m_pos++];
                if (c == quote && (quote == u'"' || m_text[m_pos - 2] != u'\\'))
                    break;
                w += c;
            }
            return w;
        }
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (c == u'>' || (c == u'/' && at(u'>', 1)) || c == u'<' || c == u'=' || c.isSpace())
                break;
            w += c;
            ++m_pos;
        }
        return w;
    }

    void tag()
    {
        eatSpace();
        if (at(u'!')) {
            ++m_pos;
            if (at(u'-') && at(u'-', 1)) {
                const qsizetype end = m_text.indexOf(u"-->", m_pos + 2);
                m_pos = end < 0 ? m_text.size() : end + 3;
            } else {
                skipTo(u'>');
            }
            return;
        }
        if (at(u'/')) {
            ++m_pos;
            const QString name = word().toLower().trimmed();
            skipTo(u'>');
            close(name);
            return;
        }
        const QString name = word().toLower();
        qint64 span = 1;
        if (m_pos < m_text.size() && m_text[m_pos].isSpace())
            span = attributes(name == u"img");
        bool closed = false;
        while (m_pos < m_text.size() && m_text[m_pos] != u'>')
            closed |= m_text[m_pos++] == u'/';
        ++m_pos;
        start(name, closed || name == u"img" || name == u"br" || name == u"hr", span);
    }

    // Reads the attributes; returns the cells a table cell spans. An
    // image's width and height are noted: Qt's layout does not end on a
    // side of some millions of pixels.
    qint64 attributes(bool image)
    {
        qint64 rows = 1, columns = 1;
        while (m_pos < m_text.size()) {
            eatSpace();
            if (at(u'>') || at(u'/'))
                break;
            const QString key = word().toLower();
            if (key.isEmpty())
                break;
            eatSpace();
            if (!at(u'='))
                continue;
            ++m_pos;
            eatSpace();
            const QString value = word();
            if (image && (key == u"width" || key == u"height") && !value.endsWith(u'%')) {
                bool ok = false;
                const double side = value.trimmed().toDouble(&ok);
                if (ok && !(side <= HtmlShape::MaxImageSide)) // NaN too
                    m_shape.imageSide = HtmlShape::MaxImageSide + 1;
                else if (ok)
                    m_shape.imageSide = std::max(m_shape.imageSide, side);
            }
            if (key == u"rowspan" || key == u"colspan") {
                const qint64 n = std::clamp<qint64>(value.trimmed().toLongLong(), 1, 1'000'000);
                (key == u"rowspan" ? rows : columns) = n;
            }
        }
        return rows * columns;
    }

    void skipTo(QChar c)
    {
        while (m_pos < m_text.size() && m_text[m_pos++] != c) {
        }
    }

    qsizetype find(QStringView name) const
    {
        for (qsizetype i = m_open.size() - 1; i >= 0; --i) {
            if (m_open[i].tag == name)
                return i;
        }
        return -1;
    }

    void close(const QString &name)
    {
        const qsizetype i = find(name);
        while (i >= 0 && m_open.size() > i && m_shape.fits())
            pop();
    }

    static bool allowedIn(QStringView tag, QStringView parent)
    {
        if (tag == u"dd" || tag == u"dt")
            return parent == u"dl";
        if (tag == u"tr")
            return parent == u"table" || parent == u"thead" || parent == u"tbody" ||
                   parent == u"tfoot";
        if (tag == u"td" || tag == u"th")
            return parent == u"tr";
        if (tag == u"thead" || tag == u"tbody" || tag == u"tfoot" || tag == u"caption")
            return parent == u"table";
        return true;
    }

    void start(const QString &name, bool closed, qint64 span)
    {
        ++m_shape.elements;
        // Qt's own repairs: a cell outside a row gets a table and a row, a
        // row outside a table a table.
        if (name == u"td" && find(u"tr") < 0) {
            push(QStringLiteral("table"));
            push(QStringLiteral("tr"));
        }
        if (name == u"tr" && find(u"table") < 0)
            push(QStringLiteral("table"));
        if ((name == u"p" || name == u"li") && !m_open.isEmpty() && m_open.last().tag == name)
            pop();
        while (!m_open.isEmpty() && !allowedIn(name, m_open.last().tag) && m_shape.fits())
            pop();
        // With any stylesheet (the viewer always has one) Qt walks up
        // through the open elements for each new one: no matter at the
        // depths of real pages, dear past them.
        add(unit() * (1 + std::max<qsizetype>(m_open.size() - 16, 0) / 4));
        if (name == u"li") {
            qsizetype list = m_open.size() - 1;
            while (list >= 0 && m_open[list].tag != u"ul" && m_open[list].tag != u"ol")
                --list;
            // Qt numbers a list's items one by one: the n-th costs about n.
            add(unit() * ((list < 0 ? m_orphanItems++ : m_open[list].items++) / 50));
        }
        if (name == u"tr" || name == u"td" || name == u"th") {
            const qsizetype t = find(u"table");
            if (t >= 0) {
                Open &table = m_open[t];
                if (name == u"tr") {
                    ++table.rows;
                    table.columns = 0;
                } else {
                    table.columns += span;
                    table.widest = std::max(table.widest, table.columns);
                    add(unit() * span);
                }
            }
        }
        // An element without a name adds no level: Qt hangs what follows on
        // its parent.
        if (!closed && !name.isEmpty())
            push(name);
    }

    void push(const QString &name)
    {
        m_open.append({name});
        m_tables += name == u"table";
        m_shape.depth = std::max(m_shape.depth, int(std::min<qsizetype>(m_open.size(), 1 << 30)));
        m_shape.tableDepth = std::max(m_shape.tableDepth, m_tables);
    }

    void pop()
    {
        const Open last = m_open.takeLast();
        if (last.tag == u"table") {
            // Every table gets a cell in each row for its widest row.
            add(unit() * std::min<qint64>(last.rows * last.widest, HtmlShape::MaxCost + 1));
            --m_tables;
        }
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    QList<Open> m_open;
    int m_tables = 0;
    qint64 m_orphanItems = 0;
    HtmlShape m_shape;
};

} // namespace

HtmlShape HtmlShape::of(QStringView html)
{
    return Reader(html).read();
}
