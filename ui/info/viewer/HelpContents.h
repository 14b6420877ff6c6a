#pragma once

#include <QList>
#include <QString>

class QTextDocument;

// One entry of the help's contents list: a section heading of the document.
struct HelpHeading {
    int level = 0;  // 2 for a section (h2), 3 for a subsection (h3)
    QString title;  // the heading's text, white space collapsed
    QString anchor; // the name of the anchor in the heading; may be empty
    int block = 0;  // the heading's block number in the document

    bool operator==(const HelpHeading &) const = default;
};

// The contents list is made from the document itself, so it always matches
// the text: every h2 and h3 heading, in document order. The document's h1 is
// its title and stays out of the list.
class HelpContents
{
public:
    static QList<HelpHeading> of(const QTextDocument &document);
};
