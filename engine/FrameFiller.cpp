#include "FrameFiller.h"

#include "RandomSource.h"
#include "SongState.h"

#include <QVarLengthArray>
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace
{

bool isHoldDigit(char16_t c)
{
    return c >= u'1' && c <= u'9';
}

// Position of the first `a` directly followed by `b` in s, or -1. A plain
// loop: the texts are short, and a general search costs more to set up.
qsizetype findPair(QStringView s, char16_t a, char16_t b)
{
    const char16_t *p = s.utf16();
    const qsizetype n = s.size();
    for (qsizetype i = 0; i + 1 < n; ++i)
        if (p[i] == a && p[i + 1] == b)
            return i;
    return -1;
}

qsizetype countPairs(QStringView s, char16_t a, char16_t b)
{
    qsizetype count = 0;
    for (qsizetype at = findPair(s, a, b); at >= 0; at = findPair(s, a, b)) {
        ++count;
        s = s.sliced(at + 2);
    }
    return count;
}

} // namespace

FrameFiller::ListTraits FrameFiller::traits(const WordList &list)
{
    ListTraits t;
    const QStringView tag(list.Tag);
    if (tag.size() != 2)
        return t;
    for (const QString &word : list.Words) {
        if (word.isEmpty()) {
            t.hasEmpty = true;
            continue;
        }
        t.longest = std::max(t.longest, word.size());
        t.holdsTag = t.holdsTag || word.contains(tag);
        t.beginsWithSecond = t.beginsWithSecond || word.front() == tag[1];
        t.endsWithFirst = t.endsWithFirst || word.back() == tag[0];
    }
    return t;
}

bool FrameFiller::canBringBack(QStringView text, const WordList &list, const ListTraits &traits,
                               Rules rules)
{
    if (list.Tag.size() != 2)
        return false;
    if (traits.holdsTag || (traits.beginsWithSecond && traits.endsWithFirst))
        return true;
    if (!traits.beginsWithSecond && !traits.endsWithFirst && !traits.hasEmpty)
        return false;
    // Until a tag comes back, the tags of the text are replaced left to right
    // and only the characters around each of them meet a word.
    const char16_t first = list.Tag[0].unicode(), second = list.Tag[1].unicode();
    bool firstBefore = traits.endsWithFirst, secondAfter = traits.beginsWithSecond;
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = findPair(text, first, second); i >= 0;) {
        if (i > 0 && p[i - 1] == first)
            firstBefore = true;
        qsizetype after = i + 2;
        if (rules == Rules::Refrains && after < n && isHoldDigit(p[after]))
            ++after; // a held tag takes its digit with it
        if (after < n && p[after] == second)
            secondAfter = true;
        const qsizetype next = findPair(text.sliced(i + 2), first, second);
        i = next < 0 ? -1 : i + 2 + next;
    }
    return (traits.beginsWithSecond && firstBefore) || (traits.endsWithFirst && secondAfter) ||
           (traits.hasEmpty && firstBefore && secondAfter);
}

// The state of one filling on the general way.
struct FrameFiller::Turns {
    RandomSource &random;
    SongState &song;
    quint64 making = 0; // held tags whose text is being made: bit category * 10 + digit
    bool stopped = false;
};

// The state of one planned filling: a slot per tag, those of the frame
// first; a word with tags adds a slot for each of them, side by side.
struct FrameFiller::Plan {
    struct Slot {
        const char16_t *text = nullptr; // the word or held text; null: left as it stands
        qsizetype size = 0;
        const QList<TagAt> *inner = nullptr; // the tags in that word, their places from firstChild
        qint32 firstChild = 0;
        qint8 category = 0;
        qint8 digit = 0;
        bool padded = false; // text has kPad characters of room after it
    };
    Plan(RandomSource &random, SongState &song, qsizetype length)
        : random(random), song(song), length(length)
    {
    }
    RandomSource &random;
    SongState &song;
    qsizetype length;        // of the text as filled so far
    unsigned innerLists = 0; // lists with a tag inside a drawn word
    QVarLengthArray<Slot, 64> places;
};

FrameFiller::FrameFiller(const std::array<WordList, 5> &lists, Rules rules)
    : m_lists(lists), m_rules(rules), m_planned(plannable(lists, rules))
{
    for (int k = 0; k < 5; ++k) {
        m_traits[k] = traits(lists[k]);
        for (int d = 1; d <= 9; ++d)
            m_heldNames[k][d] = lists[k].Tag + QChar(u'0' + d);
        const QChar c = lists[k].Tag.isEmpty() ? QChar() : lists[k].Tag[0];
        if (c.unicode() < 128)
            m_startsTag[c.unicode()] |= quint8(1u << k);
        else
            m_asciiTags = false;
    }
    if (!m_planned)
        return;
    // Where the tags of later lists stand in each word, found once.
    for (int k = 0; k < 5; ++k) {
        const QStringList &words = lists[k].Words;
        m_words[k].reserve(size_t(words.size()));
        for (const QString &word : words) {
            QList<TagAt> tags;
            scanTags(word, k + 1, tags);
            // Entries are small; no real list comes near their limits.
            if (word.size() > std::numeric_limits<quint16>::max() ||
                m_inner[k].size() >= std::numeric_limits<qint16>::max() ||
                qsizetype(m_pool.size()) + word.size() + kPad >
                    std::numeric_limits<qint32>::max()) {
                m_planned = false;
                return;
            }
            qint16 inner = -1;
            if (!tags.isEmpty()) {
                inner = qint16(m_inner[k].size());
                m_inner[k].append(tags);
            }
            m_words[k].push_back({qint32(m_pool.size()), quint16(word.size()), inner});
            m_pool.append(reinterpret_cast<const char16_t *>(word.utf16()), size_t(word.size()));
        }
    }
    m_pool.append(size_t(kPad), u'\0');
}

inline qsizetype FrameFiller::draw(int k, RandomSource &random, SongState &song) const
{
    const qsizetype n = m_lists[k].Words.size();
    const double r = random.next();
    if (m_rules == Rules::Classic || song.usedCount(k) >= n)
        return pickIndex(r, n);
    return song.takeUnused(k, pickIndex(r, n - song.usedCount(k)), n);
}

// One category's turn over `text`, whose `copies` are held texts: no tag
// inside one is filled. `pending` is a stack of pieces still to be scanned:
// the top is what comes next in the text. `out` holds no tag outside its
// copies, so the first tag of out + pending is at the seam or inside pending.
QString FrameFiller::fillCategory(const QString &text, Copies &copies, int k, Turns &turns) const
{
    const WordList &list = m_lists[k];
    const QStringView tag(list.Tag);
    if (tag.size() != 2)
        return text;
    const char16_t first = tag[0].unicode(), second = tag[1].unicode();
    const qsizetype start = findPair(text, first, second);
    if (start < 0)
        return text;
    const bool refrains = m_rules == Rules::Refrains;

    // Only a turn that can bring back its own tag is bounded.
    const bool bounded = canBringBack(text, list, m_traits[k], m_rules);
    // Every tag the turn begins with gets its word; the bound comes on top.
    const qsizetype tags = bounded ? countPairs(QStringView(text).sliced(start), first, second) : 0;
    const qsizetype limit = kMaxReplacements + tags;
    const qsizetype maxGrowth = kMaxGrowth + tags * m_traits[k].longest;
    const qsizetype startLength = text.size();
    qsizetype replacements = 0, length = startLength;
    auto exhausted = [&] {
        return length > kMaxTextLength ||
               (bounded && (replacements >= limit || length - startLength > maxGrowth));
    };

    struct Piece {
        QStringView text;
        bool copy;
    };
    QString out;
    Copies outCopies;
    out.reserve(text.size() + text.size() / 2);
    QVarLengthArray<Piece, 32> pending;
    if (copies.isEmpty()) {
        out.append(QStringView(text).first(start));
        pending.append({QStringView(text).sliced(start), false});
    } else {
        // Plain text and copies in turn, the end of the text at the bottom.
        qsizetype end = text.size();
        for (qsizetype c = copies.size() - 1; c >= -1; --c) {
            const qsizetype copyEnd = c >= 0 ? copies[c].end : 0;
            if (end > copyEnd)
                pending.append({QStringView(text).sliced(copyEnd, end - copyEnd), false});
            if (c >= 0) {
                pending.append(
                    {QStringView(text).sliced(copies[c].begin, copies[c].end - copies[c].begin),
                     true});
                end = copies[c].begin;
            }
        }
    }

    // Takes the first n characters off the top piece, dropping it when empty.
    auto consume = [&](qsizetype n) {
        pending.back().text = pending.back().text.sliced(n);
        if (pending.back().text.isEmpty())
            pending.removeLast();
    };
    bool abort = false; // a held text's own filling stopped
    // The tag has just been taken out of out + pending, and pending holds no
    // empty piece, so a held tag's digit can only be at the front of the top.
    auto replace = [&]() {
        int digit = 0;
        if (refrains && !pending.empty() && isHoldDigit(pending.back().text.front().unicode())) {
            digit = pending.back().text.front().unicode() - u'0';
            consume(1);
        }
        const QString *word = nullptr;
        const quint64 bit = quint64(1) << (k * 10 + digit);
        if (!digit) {
            word = &list.Words[draw(k, turns.random, turns.song)];
        } else if (const QString *held = turns.song.held(k, digit)) {
            word = held;
        } else if (turns.making & bit) {
            word = &m_heldNames[k][digit];
        } else {
            const QString &drawn = list.Words[draw(k, turns.random, turns.song)];
            turns.making |= bit;
            Copies inner;
            const QString filled = fillFrom(drawn, inner, k, turns);
            turns.making &= ~bit;
            turns.song.hold(k, digit, filled);
            word = turns.song.held(k, digit);
            abort = turns.stopped;
        }
        ++replacements;
        length += word->size() - (digit ? 3 : 2);
        if (!word->isEmpty())
            pending.append({QStringView(*word), digit != 0});
    };

    while (!pending.empty() && !abort && !exhausted()) {
        const Piece top = pending.back();
        if (!out.isEmpty() && out.back().unicode() == first &&
            top.text.front().unicode() == second) {
            out.chop(1);
            if (!outCopies.isEmpty() && outCopies.back().end > out.size()) {
                outCopies.back().end = out.size();
                if (outCopies.back().begin == outCopies.back().end)
                    outCopies.removeLast();
            }
            consume(1);
            replace();
            continue;
        }
        if (top.copy) {
            outCopies.append({out.size(), out.size() + top.text.size()});
            out += top.text;
            pending.removeLast();
            continue;
        }
        const qsizetype at = findPair(top.text, first, second);
        if (at < 0) {
            out += top.text;
            pending.removeLast();
            continue;
        }
        out += top.text.first(at);
        consume(at + tag.size());
        replace();
    }

    // Whether a tag of the turn is left: one more replacement was due.
    auto tagLeft = [&] {
        char16_t before = out.isEmpty() ? 0 : out.back().unicode();
        for (qsizetype i = pending.size() - 1; i >= 0; --i) {
            const Piece &piece = pending[i];
            if ((before == first && piece.text.front().unicode() == second) ||
                (!piece.copy && findPair(piece.text, first, second) >= 0))
                return true;
            before = piece.text.back().unicode();
        }
        return false;
    };
    turns.stopped = abort || length > kMaxTextLength || (exhausted() && tagLeft());
    // Stopped: the rest of the text follows unchanged.
    for (qsizetype i = pending.size() - 1; i >= 0; --i) {
        if (pending[i].copy)
            outCopies.append({out.size(), out.size() + pending[i].text.size()});
        out += pending[i].text;
    }
    copies = outCopies;
    return out;
}

QString FrameFiller::fillFrom(QString text, Copies &copies, int first, Turns &turns) const
{
    // A list without words cannot fill: the loaders refuse such lists, and
    // here its tags are left as they stand.
    for (int k = first; k < 5 && !turns.stopped; ++k)
        if (!m_lists[k].Words.isEmpty())
            text = fillCategory(text, copies, k, turns);
    return text;
}

bool FrameFiller::plannable(const std::array<WordList, 5> &lists, Rules rules)
{
    for (const WordList &a : lists) {
        if (a.Tag.size() != 2)
            return false;
        for (const WordList &b : lists)
            if (a.Tag[1] == b.Tag[0])
                return false;
    }
    // Only a word holding a tag letter (or, with refrains, a digit) needs a
    // closer look; real words hold none, and lists can be long.
    std::array<bool, 128> special{};
    for (const WordList &t : lists)
        for (const QChar c : t.Tag) {
            if (c.unicode() >= 128)
                return false;
            special[c.unicode()] = true;
        }
    if (rules == Rules::Refrains)
        for (char c = '1'; c <= '9'; ++c)
            special[size_t(c)] = true;
    for (size_t k = 0; k < lists.size(); ++k)
        for (const QString &word : lists[k].Words) {
            if (word.isEmpty())
                return false;
            bool plain = true;
            for (const QChar c : word)
                if (c.unicode() < 128 && special[c.unicode()]) {
                    plain = false;
                    break;
                }
            if (plain)
                continue;
            if (rules == Rules::Refrains && isHoldDigit(word.front().unicode()))
                return false;
            if (word.contains(lists[k].Tag))
                return false;
            for (size_t j = 0; j < lists.size(); ++j) {
                const QString &t = lists[j].Tag;
                if (word.front() == t[1] || word.back() == t[0] ||
                    (rules == Rules::Refrains && j > k && word.endsWith(t)))
                    return false;
            }
        }
    return true;
}

void FrameFiller::scanTags(QStringView text, int from, QList<TagAt> &out) const
{
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < n; ++i) {
        const char16_t c = p[i];
        // Most of a Japanese text is passed over at once.
        unsigned candidates = 0x1F;
        if (m_asciiTags) {
            if (c >= 128 || !m_startsTag[c])
                continue;
            candidates = m_startsTag[c];
        }
        for (int k = 0; k < 5; ++k) {
            const QString &tag = m_lists[k].Tag;
            if ((candidates & (1u << k)) && tag.size() == 2 && c == tag[0].unicode() &&
                p[i + 1] == tag[1].unicode()) {
                const int digit = m_rules == Rules::Refrains && i + 2 < n && isHoldDigit(p[i + 2])
                                      ? p[i + 2] - u'0'
                                      : 0;
                // A category without words leaves its tags as they stand;
                // an earlier one's are text.
                if (k >= from && !m_lists[k].Words.isEmpty())
                    out.append({qint32(i), qint8(k), qint8(digit)});
                i += digit ? 2 : 1; // tags cannot overlap
                break;
            }
        }
    }
}

FrameFiller::TagPlan FrameFiller::planTags(const QString &frame) const
{
    TagPlan plan;
    // A frame this long is left as it stands (see kMaxTextLength): no tags.
    if (frame.size() > kMaxTextLength)
        return plan;
    scanTags(frame, 0, plan.tags);
    for (int k = 0; k < 5; ++k) {
        plan.categoryStart[k] = plan.drawOrder.size();
        std::array<qint32, 10> first; // by digit
        first.fill(-1);
        for (qint32 t = 0; t < qint32(plan.tags.size()); ++t) {
            if (plan.tags[t].category != k)
                continue;
            qint32 &f = first[size_t(plan.tags[t].digit)];
            if (f < 0 || !plan.tags[t].digit)
                f = t;
            plan.drawOrder.append({t, f});
        }
    }
    plan.categoryStart[5] = plan.drawOrder.size();
    plan.text.reserve(size_t(frame.size() + kPad));
    plan.text.append(QStringView(frame).utf16(), size_t(frame.size()));
    plan.text.append(size_t(kPad), u'\0');
    return plan;
}

// The places of category k among [begin, end) and inside their words, in
// the order of the text.
void FrameFiller::drawPlanned(Plan &plan, qsizetype begin, qsizetype end, int k) const
{
    for (qsizetype s = begin; s < end && plan.length <= kMaxTextLength; ++s) {
        const int category = plan.places[s].category;
        if (category == k) {
            if (!plan.places[s].text)
                drawSlot(plan, s);
        } else if (category < k && plan.places[s].inner) {
            const qsizetype first = plan.places[s].firstChild;
            drawPlanned(plan, first, first + plan.places[s].inner->size(), k);
        }
    }
}

void FrameFiller::drawSlot(Plan &plan, qsizetype s) const
{
    Plan::Slot &slot = plan.places[s];
    const int k = slot.category, digit = slot.digit;
    if (digit) {
        if (const QString *held = plan.song.held(k, digit)) {
            slot.text = QStringView(*held).utf16();
            slot.size = held->size();
            slot.padded = false;
            plan.length += held->size() - 3;
            return;
        }
    }
    const qsizetype i = draw(k, plan.random, plan.song);
    const WordAt word = m_words[k][size_t(i)];
    slot.text = m_pool.data() + word.at;
    slot.size = word.size;
    slot.padded = true;
    plan.length += word.size - (digit ? 3 : 2);
    if (word.inner >= 0)
        drawInner(plan, s, m_inner[k][word.inner]);
    else if (digit)
        plan.song.hold(k, digit, m_lists[k].Words[i]);
}

// The word just drawn at place s holds tags: each gets a place of its own.
void FrameFiller::drawInner(Plan &plan, qsizetype s, const QList<TagAt> &tags) const
{
    const int k = plan.places[s].category, digit = plan.places[s].digit;
    const QStringView word(plan.places[s].text, plan.places[s].size);
    const qsizetype first = plan.places.size();
    plan.places[s].inner = &tags;
    plan.places[s].firstChild = qint32(first);
    for (const TagAt &t : tags) {
        Plan::Slot &child = plan.places.emplace_back();
        child.category = qint8(t.category);
        child.digit = qint8(t.digit);
        plan.innerLists |= 1u << t.category;
    }
    if (!digit)
        return;
    // A held word: its tags are filled now, later lists in turn, and the
    // text is what every copy shows.
    const qsizetype before = plan.length;
    for (int c = k + 1; c < 5; ++c)
        drawPlanned(plan, first, first + tags.size(), c);
    const qsizetype size = word.size() + plan.length - before;
    QString filled(size + kPad, Qt::Uninitialized);
    render(plan, reinterpret_cast<char16_t *>(filled.data()), word, tags, first);
    filled.truncate(size); // keeps its room
    plan.song.hold(k, digit, filled);
    plan.places[s].text = reinterpret_cast<const char16_t *>(filled.constData());
    plan.places[s].size = size;
    plan.places[s].inner = nullptr;
}

namespace
{

// Copies n characters. Words and the text between tags are a few characters
// long: a call, or a loop, costs more than the copy; two fixed-size moves
// that may overlap do not.
char16_t *putExact(char16_t *o, const char16_t *from, qsizetype n)
{
    if (n > 16) {
        std::memcpy(o, from, size_t(n) * sizeof(char16_t));
    } else if (n >= 8) {
        std::memcpy(o, from, 16);
        std::memcpy(o + n - 8, from + n - 8, 16);
    } else if (n >= 4) {
        std::memcpy(o, from, 8);
        std::memcpy(o + n - 4, from + n - 4, 8);
    } else if (n >= 2) {
        std::memcpy(o, from, 4);
        std::memcpy(o + n - 2, from + n - 2, 4);
    } else if (n == 1) {
        *o = *from;
    }
    return o + n;
}

// Copies n characters in whole blocks, where both texts have room for the
// last one: no branch on the length, which the processor cannot foresee.
char16_t *putPadded(char16_t *o, const char16_t *from, qsizetype n)
{
    constexpr qsizetype block = FrameFiller::kPad;
    qsizetype i = 0;
    do {
        std::memcpy(o + i, from + i, block * sizeof(char16_t));
        i += block;
    } while (i < n);
    return o + n;
}

} // namespace

char16_t *FrameFiller::render(const Plan &plan, char16_t *o, QStringView text,
                              const QList<TagAt> &tags, qsizetype firstSlot) const
{
    const char16_t *const p = text.utf16();
    qsizetype from = 0;
    for (qsizetype j = 0; j < tags.size(); ++j) {
        const Plan::Slot &slot = plan.places[firstSlot + j];
        if (!slot.text)
            continue;
        o = putPadded(o, p + from, tags[j].pos - from);
        if (slot.inner)
            o = render(plan, o, QStringView(slot.text, slot.size), *slot.inner, slot.firstChild);
        else if (slot.padded)
            o = putPadded(o, slot.text, slot.size);
        else
            o = putExact(o, slot.text, slot.size);
        from = tags[j].pos + (tags[j].digit ? 3 : 2);
    }
    return putPadded(o, p + from, text.size() - from);
}

QString FrameFiller::fillPlanned(const QString &frame, const TagPlan &tagPlan, RandomSource &random,
                                 SongState &song) const
{
    if (tagPlan.tags.isEmpty())
        return frame;
    Plan plan(random, song, frame.size());
    plan.places.reserve(tagPlan.tags.size());
    for (const TagAt &t : tagPlan.tags) {
        Plan::Slot &slot = plan.places.emplace_back();
        slot.category = qint8(t.category);
        slot.digit = qint8(t.digit);
    }
    // Draws go category by category, leftmost first: the frame's own tags
    // in their planned order, or, once drawn words hold tags of this list,
    // through the words too.
    for (int k = 0; k < 5; ++k) {
        if (plan.innerLists & (1u << k)) {
            drawPlanned(plan, 0, tagPlan.tags.size(), k);
            continue;
        }
        for (qsizetype i = tagPlan.categoryStart[k];
             i < tagPlan.categoryStart[k + 1] && plan.length <= kMaxTextLength; ++i) {
            const qsizetype t = tagPlan.drawOrder[i].tag, same = tagPlan.drawOrder[i].sameAs;
            if (same == t) {
                drawSlot(plan, t);
                continue;
            }
            // A held tag met before in this list's turn: nothing else can
            // have settled its text since.
            const Plan::Slot &first = plan.places[same];
            plan.places[t] = first;
            plan.length += first.size - 3; // not read back from the copy: that stalls
        }
    }
    QString out(plan.length + kPad, Qt::Uninitialized);
    render(plan, reinterpret_cast<char16_t *>(out.data()),
           QStringView(tagPlan.text.data(), frame.size()), tagPlan.tags, 0);
    out.truncate(plan.length);
    return out;
}

QString FrameFiller::fill(const QString &frame, RandomSource &random, SongState &song) const
{
    if (m_planned)
        return fillPlanned(frame, planTags(frame), random, song);
    Turns turns{random, song};
    Copies copies;
    return fillFrom(frame, copies, 0, turns);
}

QString FrameFiller::fill(const QString &frame, const std::array<WordList, 5> &lists,
                          RandomSource &random, Rules rules, SongState *song)
{
    SongState own;
    return FrameFiller(lists, rules).fill(frame, random, song ? *song : own);
}
