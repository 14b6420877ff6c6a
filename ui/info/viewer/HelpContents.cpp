#include "HelpContents.h"

#include <QTextBlock>
#include <QTextDocument>

namespace
{

constexpr int SectionLevel = 2;
constexpr int SubsectionLevel = 3;

// `<h2><a name="x"></a>Title</h2>` puts the name on the heading's first
// character; look through the whole block in case it sits further in.
QString anchorOf(const QTextBlock &block)
{
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QStringList names = it.fragment().charFormat().anchorNames();
        if (!names.isEmpty())
            return names.first();
    }
    return {};
}

} // namespace

QList<HelpHeading> HelpContents::of(const QTextDocument &document)
{
    QList<HelpHeading> headings;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level != SectionLevel && level != SubsectionLevel)
            continue;
        const QString title = block.text().simplified();
        if (title.isEmpty())
            continue;
        headings.append({level, title, anchorOf(block), block.blockNumber()});
    }
    return headings;
}
