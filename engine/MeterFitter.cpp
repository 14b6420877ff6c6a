#include "MeterFitter.h"

#include "RandomSource.h"

#include <QVarLengthArray>
#include <algorithm>

QString MeterFitter::textOf(const Text &out, size_t from)
{
    return QString(reinterpret_cast<const QChar *>(out.data() + from),
                   qsizetype(out.size() - from));
}

int MeterFitter::Reach::min() const
{
    const auto it = std::find(reachable.begin(), reachable.end(), true);
    return it == reachable.end() ? -1 : int(it - reachable.begin());
}

int MeterFitter::Reach::max() const
{
    const auto it = std::find(reachable.rbegin(), reachable.rend(), true);
    return it == reachable.rend() ? -1 : int(reachable.rend() - it) - 1;
}

MeterFitter::MeterFitter(const std::array<WordList, 5> &lists, FrameFiller::Rules rules)
    : m_lists(lists), m_plain(lists, rules), m_refrains(rules == FrameFiller::Rules::Refrains),
      m_words(lists, m_refrains)
{
    if (m_words.isUsable())
        m_alone = restOf({});
}

// The song as the fitter sees it: the engine's SongState, and what the
// fitter noted beside it (used words by signature). Notes that no longer
// match the song (it was cleared, or another filler added to it) are worked
// out again.
class MeterFitter::Song
{
public:
    Song(const MeterFitter &fitter, SongState &state) : m_fitter(fitter), m_state(state)
    {
        Notes &notes = m_fitter.m_notes;
        if (notes.stamp == m_state.stamp())
            return;
        // A new song over notes of none: nothing to work out.
        qsizetype used = 0;
        for (int k = 0; k < 5; ++k)
            used += m_state.usedCount(k);
        if (used == 0 && notes.ready)
            forgetAll();
        else
            catchUp();
    }

    const SongState &state() const { return m_state; }
    const QString *held(int k, int digit) const { return m_state.held(k, digit); }
    // The held word's count; -1 when unknown.
    int heldMorae(int k, int digit) const { return m_state.heldMorae(k, digit); }
    void hold(int k, int digit, QString text, int morae)
    {
        m_state.hold(k, digit, std::move(text), morae);
    }
    qsizetype usedCount(int k) const { return m_state.usedCount(k); }
    qsizetype nthUnused(int k, qsizetype n) const
    {
        return m_state.nthUnused(k, n, m_fitter.m_lists[k].Words.size());
    }
    void markUsed(int k, qsizetype i)
    {
        const Category &c = m_fitter.m_words.category(k);
        const Category::Brief &w = c.brief[size_t(i)];
        markUsed(k, i, w.signature, w.signature >= 0 ? c.signatures[w.signature].first : 0,
                 w.place);
    }
    // Word i, the place-th of its signature (-1: none) whose words start
    // at `first`.
    void markUsed(int k, qsizetype i, int signature, qsizetype first, qsizetype place)
    {
        if (!m_state.markUsed(k, i, m_fitter.m_lists[k].Words.size()))
            return;
        Notes &notes = m_fitter.m_notes;
        if (signature >= 0) {
            // Few words of a signature are used in a song: shift from the end.
            qsizetype &count = notes.usedCounts[size_t(k)][size_t(signature)];
            qsizetype *const places = notes.used[size_t(k)].data() + first;
            qsizetype j = count;
            for (; j > 0 && places[j - 1] > place; --j)
                places[j] = places[j - 1];
            places[j] = place;
            if (count++ == 0)
                notes.touched.emplace_back(k, signature);
        }
        notes.stamp = m_state.stamp();
    }
    // Per signature, the number of its used words.
    const qsizetype *usedBy(int k) const { return m_fitter.m_notes.usedCounts[size_t(k)].data(); }
    // The place in its signature of the pick-th word not yet used; past
    // the signature's words when there is none.
    qsizetype unusedPlace(int k, const Choice::Entry &signature, qsizetype pick) const
    {
        // The places ascend: once one is past the pick, all later ones are.
        // No early way out, which the processor could not foresee.
        const Notes &notes = m_fitter.m_notes;
        const qsizetype *const places = notes.used[size_t(k)].data() + signature.first;
        const qsizetype count = notes.usedCounts[size_t(k)][size_t(signature.signature)];
        for (qsizetype j = 0; j < count; ++j)
            pick += places[j] <= pick;
        return pick;
    }

private:
    // A new song: only the signatures with used words have notes to clear.
    void forgetAll()
    {
        Notes &notes = m_fitter.m_notes;
        for (const auto &[k, g] : notes.touched)
            notes.usedCounts[size_t(k)][size_t(g)] = 0;
        notes.touched.clear();
        notes.stamp = m_state.stamp();
    }
    void catchUp()
    {
        Notes &notes = m_fitter.m_notes;
        notes.touched.clear();
        for (int k = 0; k < 5; ++k) {
            const Category &c = m_fitter.m_words.category(k);
            std::vector<qsizetype> &used = notes.used[size_t(k)];
            std::vector<qsizetype> &counts = notes.usedCounts[size_t(k)];
            used.assign(c.bySignature.size(), 0);
            counts.assign(size_t(c.signatures.size()), 0);
            // In the order of the words: each signature's places ascend.
            if (m_state.usedCount(k) > 0)
                for (qsizetype i = 0; i < c.words.size(); ++i)
                    if (c.words[i].signature >= 0 && m_state.isUsed(k, i)) {
                        const int g = c.words[i].signature;
                        used[size_t(c.signatures[g].first + counts[size_t(g)])] = c.words[i].place;
                        if (counts[size_t(g)]++ == 0)
                            notes.touched.emplace_back(k, g);
                    }
        }
        notes.ready = true;
        notes.stamp = m_state.stamp();
    }

    const MeterFitter &m_fitter;
    SongState &m_state;
};

void MeterFitter::markUsed(int k, qsizetype index, Song &song) const
{
    if (m_refrains)
        song.markUsed(k, index);
}

qsizetype MeterFitter::plainIndex(int k, Song &song, RandomSource &random) const
{
    const qsizetype n = m_lists[k].Words.size();
    const double r = random.next();
    const qsizetype i = m_refrains && song.usedCount(k) < n
                            ? song.nthUnused(k, FrameFiller::pickIndex(r, n - song.usedCount(k)))
                            : FrameFiller::pickIndex(r, n);
    markUsed(k, i, song);
    return i;
}

// `morae` gets the count of what was put in, -1 when unknown.
QString MeterFitter::expand(int k, qsizetype index, int &morae, Song &song,
                            RandomSource &random) const
{
    const QString &word = m_lists[k].Words[index];
    const Word &w = m_words.category(k).words[index];
    morae = w.morae;
    if (w.inner.isEmpty())
        return word;
    QString out;
    qsizetype from = 0;
    for (const Slot &s : w.inner) {
        out += QStringView(word).sliced(from, s.pos - from);
        int m = -1;
        out += heldOrDraw(s, m, song, random);
        morae = morae < 0 || m < 0 ? -1 : morae + m;
        from = s.pos + (s.digit ? 3 : 2);
    }
    out += QStringView(word).sliced(from);
    return out;
}

QString MeterFitter::heldOrDraw(const Slot &slot, int &morae, Song &song,
                                RandomSource &random) const
{
    if (slot.digit == 0)
        return expand(slot.category, plainIndex(slot.category, song, random), morae, song, random);
    if (!song.held(slot.category, slot.digit)) {
        const qsizetype i = plainIndex(slot.category, song, random);
        const QString text = expand(slot.category, i, morae, song, random);
        song.hold(slot.category, slot.digit, text, morae);
    }
    morae = song.heldMorae(slot.category, slot.digit);
    return *song.held(slot.category, slot.digit);
}

void MeterFitter::makeChoice(int k, int target, const Poly &rest, Choice &choice) const
{
    const Category &c = m_words.category(k);
    choice = Choice();
    choice.ready = true;
    for (qsizetype g = 0; g < c.signatures.size(); ++g) {
        const Signature &sig = c.signatures[g];
        double chance = 0.0;
        for (int u = 0; sig.morae + u <= target; ++u) {
            const int r = target - sig.morae - u;
            if (r < int(rest.size()) && u < int(sig.innerPoly.size()))
                chance += sig.innerPoly[u] * rest[r];
        }
        // A signature without a chance adds nothing to any running sum.
        if (!(chance > 0.0))
            continue;
        choice.total += chance * sig.count;
        choice.entries.push_back({qint32(g), qint32(sig.morae), qint32(sig.words.size()), sig.first,
                                  chance, choice.total});
    }
}

int MeterFitter::restOf(const QList<int> &categories) const
{
    std::string key;
    for (const int k : categories)
        key += char('0' + k);
    const auto [it, added] = m_restIds.try_emplace(key, int(m_rests.size()));
    if (added) {
        // Built from the end, as the tags' suffixes are: the same sums in
        // the same order.
        Poly p(kCap + 1, 0.0);
        p[0] = 1.0;
        for (qsizetype i = categories.size() - 1; i >= 0; --i)
            p = TagCounts::times(m_words.counts().poly(categories[i]), p, kCap);
        m_rests.push_back(std::move(p));
        m_choices.resize(m_rests.size() * 5);
    }
    return it->second;
}

MeterFitter::Choice &MeterFitter::choiceFor(int k, int rest, int left) const
{
    std::vector<Choice> &byLeft = m_choices[size_t(rest) * 5 + size_t(k)];
    if (byLeft.size() <= size_t(left))
        byLeft.resize(size_t(left) + 1);
    Choice &choice = byLeft[size_t(left)];
    if (!choice.ready)
        makeChoice(k, left, m_rests[size_t(rest)], choice);
    return choice;
}

void MeterFitter::fittedFill(int k, int target, const Poly &rest, int &used, Song &song,
                             RandomSource &random, Text &out, Choice *memo) const
{
    const Category &c = m_words.category(k);
    used = 0;
    int unknown = -1;
    if (!m_words.counts().measurable(k))
        return put(out, expand(k, plainIndex(k, song, random), unknown, song, random));
    // The chances depend on the target and the rest only: a line's plan
    // keeps them.
    Choice own;
    Choice &choice = memo ? *memo : own;
    if (!choice.ready)
        makeChoice(k, target, rest, choice);
    const qsizetype n = qsizetype(choice.entries.size());
    const Choice::Entry *const entries = choice.entries.data();

    // Words already used in the song are left out while unused ones can
    // fit; the target comes before no repeats.
    const bool avoid =
        m_refrains && song.usedCount(k) > 0 && song.usedCount(k) < m_lists[k].Words.size();
    QVarLengthArray<double, 32> left(avoid ? n : 0);
    double total = 0.0;
    if (avoid) {
        const qsizetype *usedBy = song.usedBy(k);
        for (qsizetype j = 0; j < n; ++j) {
            const qsizetype words =
                std::max<qsizetype>(0, entries[j].words - usedBy[entries[j].signature]);
            left[j] = entries[j].chance * double(words);
            total += left[j];
        }
    }
    const bool unused = total > 0.0;
    if (!unused)
        total = choice.total;
    if (total <= 0.0)
        return put(out, expand(k, plainIndex(k, song, random), unknown, song, random));

    // One draw picks the signature, and what is left of it the word. The
    // sums run in the order, and to the end, of the whole list of signatures
    // (those without a chance add nothing), so that a draw at the very top
    // lands where it always has.
    const double x = random.next() * total;
    const bool last = n > 0 && entries[n - 1].signature == c.signatures.size() - 1;
    qsizetype j = 0;
    double before = 0.0;
    if (unused) {
        while (j + 1 < n && (left[j] == 0.0 || before + left[j] <= x)) {
            before += left[j];
            ++j;
        }
        if (!last && (left[j] == 0.0 || before + left[j] <= x))
            before += left[j];
        while (left[j] == 0.0) // rounding at the top end
            --j;
    } else {
        while (j + 1 < n && entries[j].end <= x)
            ++j;
        before = !last && entries[j].end <= x ? entries[j].end : j > 0 ? entries[j - 1].end : 0.0;
    }
    const Choice::Entry &sig = entries[j];
    const double weight = unused ? left[j] : sig.chance * double(sig.words);
    const qsizetype available =
        unused ? std::max<qsizetype>(0, sig.words - song.usedBy(k)[sig.signature]) : sig.words;
    const qsizetype pick =
        FrameFiller::pickIndex(std::clamp((x - before) / weight, 0.0, 1.0), available);
    qsizetype place = unused ? song.unusedPlace(k, sig, pick) : pick;
    if (place >= sig.words) // notes out of step with the song: any word of the signature
        place = FrameFiller::pickIndex((x - before) / weight, sig.words);
    const Category::Drawn &d = c.bySignature[size_t(sig.first + place)];
    if (m_refrains)
        song.markUsed(k, d.index, sig.signature, sig.first, place);
    used = sig.morae;
    if (!d.inner && size_t(d.length) <= kShort)
        return out.appendShort(d.head, size_t(d.length));
    const QStringView word(c.text.data() + d.from, d.length);
    if (!d.inner)
        return putPadded(out, word);
    const QList<Slot> &inner = c.words[d.index].inner;
    int innerUsed = 0;
    const std::vector<Poly> suffix = suffixes(inner, target - sig.morae, rest);
    fillSlotsTo(word, std::span(inner.constData(), size_t(inner.size())), target - sig.morae,
                &suffix, innerUsed, song, random, out);
    used += innerUsed;
}

// suffix[i]: what the plain tags from i on, then `rest`, can make.
std::vector<MeterFitter::Poly> MeterFitter::suffixes(const QList<Slot> &tags, int target,
                                                     const Poly &rest) const
{
    std::vector<Poly> suffix(size_t(tags.size()) + 1);
    suffix.back() = rest;
    suffix.back().resize(size_t(target) + 1, 0.0);
    for (qsizetype i = tags.size() - 1; i >= 0; --i)
        suffix[size_t(i)] = tags[i].digit > 0
                                ? suffix[size_t(i) + 1]
                                : TagCounts::times(m_words.counts().poly(tags[i].category),
                                                   suffix[size_t(i) + 1], target);
    return suffix;
}

void MeterFitter::fillSlotsTo(QStringView text, std::span<const Slot> tags, int target,
                              const std::vector<Poly> *suffix, int &used, Song &song,
                              RandomSource &random, Text &out) const
{
    qsizetype from = 0;
    int left = target;
    for (size_t i = 0; i < tags.size(); ++i) {
        const Slot &s = tags[i];
        putPadded(out, text.sliced(from, s.pos - from));
        from = s.pos + (s.digit ? 3 : 2);
        if (s.digit > 0) {
            int m = -1;
            if (const QString *held = song.held(s.category, s.digit))
                put(out, *held);
            else
                put(out, heldOrDraw(s, m, song, random));
            continue;
        }
        // A negative digit: a held tag first met here, counted as a plain one.
        if (s.digit < 0 && song.held(s.category, -s.digit)) {
            put(out, *song.held(s.category, -s.digit));
            left -= std::max(song.heldMorae(s.category, -s.digit), 0);
            continue;
        }
        int u = 0;
        const size_t start = out.size();
        if (!suffix && left >= 0) {
            fittedFill(s.category, left, m_rests[size_t(s.rest)], u, song, random, out,
                       &choiceFor(s.category, s.rest, left));
        } else {
            fittedFill(s.category, left, suffix ? (*suffix)[i + 1] : m_rests[size_t(s.rest)], u,
                       song, random, out);
        }
        if (s.digit < 0)
            song.hold(s.category, -s.digit, textOf(out, start),
                      m_words.counts().measurable(s.category) ? u : -1);
        left -= u;
    }
    used = target - left;
    putPadded(out, text.sliced(from));
}

// The plan depends on the song only through the line's held tags: which are
// settled, and their counts.
MeterFitter::LinePlan &MeterFitter::linePlanFor(Line &line, Song &song) const
{
    // The held tags' states, a byte each, make a key; more tags than fit,
    // or a count past a byte, are compared in full.
    constexpr quint64 kWide = ~quint64(0);
    quint64 key = 0;
    if (line.held <= int(line.heldAt.size()))
        for (int h = 0; h < line.held; ++h) {
            const Line::HeldAt &s = line.heldAt[size_t(h)];
            const unsigned v = unsigned(song.state().settledMorae(s.category, s.digit) + 2);
            key = v < 256 && key != kWide ? key << 8 | v : kWide;
        }
    QVarLengthArray<int, 16> settled;
    if (line.held > int(line.heldAt.size()) || key == kWide) {
        key = kWide;
        for (const Slot &s : line.tags)
            if (s.digit)
                settled.append(song.state().settledMorae(s.category, s.digit));
    }
    const auto same = [&](const LinePlan &p) {
        return p.key == key && (key != kWide || std::equal(p.settled.begin(), p.settled.end(),
                                                           settled.begin(), settled.end()));
    };
    if (line.first.ready && same(line.first))
        return line.first;
    for (LinePlan &p : line.more)
        if (same(p))
            return p;
    if (line.more.size() >= 63)
        line.more.clear();
    LinePlan &plan = line.first.ready ? line.more.emplace_back() : line.first;
    plan.ready = true;
    plan.key = key;
    plan.settled.assign(settled.begin(), settled.end());
    planLine(line, song, plan);
    return plan;
}

void MeterFitter::planLine(const Line &line, Song &song, LinePlan &plan) const
{
    int target = line.target - line.fixed;
    QList<int> plain;
    for (const Slot &s : line.tags) {
        if (!s.digit) {
            plain << s.category;
            continue;
        }
        if (song.held(s.category, s.digit) && song.heldMorae(s.category, s.digit) >= 0)
            target -= song.heldMorae(s.category, s.digit);
        else
            plain << s.category; // drawn on this line as a plain tag
    }
    plan.measured = line.target > 0 && line.fixed >= 0 &&
                    std::all_of(line.tags.begin(), line.tags.end(), [&](const Slot &s) {
                        return !s.digit || !song.held(s.category, s.digit) ||
                               song.heldMorae(s.category, s.digit) >= 0;
                    });
    if (!plan.measured)
        return;
    // A held tag first met on this line is drawn like a plain one and then held.
    plan.tags.append(line.tags.constData(), line.tags.size());
    for (Slot &s : plan.tags)
        if (s.digit && !song.held(s.category, s.digit))
            s.digit = -s.digit;
    // What the plain tags after each tag can make.
    QList<int> after;
    for (qsizetype i = plan.tags.size() - 1; i >= 0; --i) {
        plan.tags[i].rest = restOf(after);
        if (plan.tags[i].digit <= 0)
            after.prepend(plan.tags[i].category);
    }
    const Poly &all = m_rests[size_t(restOf(after))];
    if (target < 0 || target > kCap || all[size_t(target)] == 0.0) {
        const Poly whole = m_words.counts().productOf(plain, Poly{1.0}, kCap);
        int best = -1;
        for (int t = 0; t <= kCap; ++t)
            if (whole[t] > 0.0 && (best < 0 || std::abs(t - target) < std::abs(best - target)))
                best = t;
        target = best;
    }
    plan.target = target;
}

void MeterFitter::fillPlainly(QStringView text, const QList<Slot> &tags, Song &song,
                              RandomSource &random, Text &out) const
{
    qsizetype from = 0;
    for (const Slot &s : tags) {
        putPadded(out, text.sliced(from, s.pos - from));
        int m = -1;
        put(out, heldOrDraw(s, m, song, random));
        from = s.pos + (s.digit ? 3 : 2);
    }
    putPadded(out, text.sliced(from));
}

void MeterFitter::fillLine(QStringView text, Line &line, Song &song, RandomSource &random,
                           Text &out) const
{
    if (line.target <= 0 || line.fixed < 0)
        return fillPlainly(text, line.tags, song, random, out);
    // A line without held tags has but one plan.
    const LinePlan &plan = !line.held && line.first.ready ? line.first : linePlanFor(line, song);
    if (!plan.measured || plan.target < 0)
        return fillPlainly(text, line.tags, song, random, out);
    int used = 0;
    fillSlotsTo(text, plan.tags, plan.target, nullptr, used, song, random, out);
}

void MeterFitter::chooseHeld(const HeldPlanner::Plan &plan, Song &song, RandomSource &random) const
{
    const QVarLengthArray<int, 16> value = m_heldPlanner.choose(plan, random);
    const int alone = m_alone;
    Text &text = m_heldText;
    for (qsizetype h = 0; h < plan.held.size(); ++h) {
        const int k = plan.held[h].category;
        int used = 0;
        text.clear();
        fittedFill(k, value[h], m_rests[size_t(alone)], used, song, random, text,
                   &choiceFor(k, alone, value[h]));
        song.hold(k, plan.held[h].digit, textOf(text, 0), used);
    }
}

MeterFitter::FramePlan &MeterFitter::planFor(const QString &frame, const QStringList &lineReadings,
                                             const QList<int> &targets) const
{
    // Shared copies of what the plan keeps are equal without comparing.
    const auto same = [](const auto &a, const auto &b) {
        return (a.size() == b.size() && a.constData() == b.constData()) || a == b;
    };
    std::unique_ptr<FramePlan> &slot = m_plans[frame.constData()];
    if (slot && same(slot->frame, frame) && same(slot->targets, targets) &&
        same(slot->readings, lineReadings))
        return *slot;
    if (m_plans.size() > 4096) { // data that keeps changing: start afresh
        m_plans.clear();
        return planFor(frame, lineReadings, targets);
    }
    slot = std::make_unique<FramePlan>();
    FramePlan &plan = *slot;
    plan.frame = frame;
    plan.readings = lineReadings;
    plan.targets = targets;
    plan.padded.assign(QStringView(frame).utf16(), size_t(frame.size()));
    plan.padded.append(kPad, u'\0');
    const QList<QStringView> pieces = QStringView(plan.padded.data(), frame.size()).split(u"\r\n");
    plan.pieces.assign(pieces.begin(), pieces.end());
    for (qsizetype i = 0; i < qsizetype(plan.pieces.size()); ++i) {
        Line line;
        line.tags = m_words.tagsIn(plan.pieces[size_t(i)], -1);
        // Piece 0 comes before the frame's first line break: no line of its own.
        line.target = i > 0 ? targets.value(i - 1) : 0;
        if (line.target > 0) {
            if (lineReadings.isEmpty())
                line.fixed = m_words.fixedMorae(plan.pieces[size_t(i)]);
            else if (!lineReadings.value(i - 1).isNull())
                line.fixed = m_words.fixedMorae(lineReadings[i - 1]);
        }
        for (const Slot &s : line.tags)
            if (s.digit && line.held++ < int(line.heldAt.size()))
                line.heldAt[size_t(line.held - 1)] = {qint8(s.category), qint8(s.digit)};
        if (line.target > 0 && line.fixed >= 0)
            for (const Slot &s : line.tags)
                if (s.digit && !plan.heldSlots.contains(std::pair(s.category, s.digit)))
                    plan.heldSlots << std::pair(s.category, s.digit);
        HeldPlanner::Line seen{line.target, line.fixed, {}};
        for (const Slot &s : line.tags)
            seen.tags.append({s.category, s.digit});
        plan.heldLines << seen;
        plan.lines.push_back(std::move(line));
    }
    return plan;
}

// The held plan depends on the song only through which of the frame's held
// tags are settled, and their counts.
const HeldPlanner::Plan &MeterFitter::heldPlanFor(FramePlan &plan, Song &song) const
{
    QVarLengthArray<int, 32> key;
    for (const auto &[k, digit] : plan.heldSlots)
        key.append(song.held(k, digit) ? song.heldMorae(k, digit) : -2);
    for (const auto &[settled, held] : plan.heldPlans)
        if (std::equal(settled.begin(), settled.end(), key.begin(), key.end()))
            return held;
    if (plan.heldPlans.size() >= 64)
        plan.heldPlans.clear();
    plan.heldPlans.emplace_back(std::vector<int>(key.begin(), key.end()),
                                m_heldPlanner.plan(plan.heldLines, song.state()));
    return plan.heldPlans.back().second;
}

QString MeterFitter::fill(const QString &frame, const QStringList &lineReadings,
                          const QList<int> &targets, SongState &state, RandomSource &random) const
{
    if (!m_words.isUsable())
        return m_plain.fill(frame, random, state);
    Song song(*this, state);
    FramePlan &plan = planFor(frame, lineReadings, targets);
    chooseHeld(heldPlanFor(plan, song), song, random);
    Text &out = m_text;
    out.clear();
    for (size_t i = 0; i < plan.pieces.size(); ++i) {
        if (i > 0)
            put(out, QStringView(u"\r\n"));
        fillLine(plan.pieces[i], plan.lines[i], song, random, out);
    }
    return textOf(out, 0);
}

MeterFitter::Reach MeterFitter::reach(const QString &line, const QString &reading,
                                      bool readingKnown) const
{
    Reach r;
    r.reachable.assign(kCap + 1, false);
    const int fixed = readingKnown && m_words.isUsable() ? m_words.fixedMorae(reading) : -1;
    if (fixed < 0)
        return r;
    r.known = true;
    // A held tag's copies all take the same word: P(x^copies).
    Poly p(kCap + 1, 0.0);
    p[0] = 1.0;
    QList<std::pair<int, int>> seen;
    for (const Slot &s : m_words.tagsIn(line, -1)) {
        r.known = r.known && m_words.counts().measurable(s.category);
        if (s.digit && seen.contains(std::pair(s.category, s.digit)))
            continue;
        int copies = 1;
        if (s.digit) {
            seen << std::pair(s.category, s.digit);
            copies = 0;
            for (const Slot &t : m_words.tagsIn(line, -1))
                copies += t.category == s.category && t.digit == s.digit;
        }
        Poly q(kCap + 1, 0.0);
        for (int v = 0; v * copies <= kCap; ++v)
            q[v * copies] = m_words.counts().poly(s.category)[v];
        p = TagCounts::times(q, p, kCap);
    }
    for (int t = fixed; t <= kCap; ++t)
        r.reachable[t] = p[t - fixed] > 0.0;
    return r;
}
