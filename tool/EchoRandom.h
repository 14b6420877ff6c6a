#pragma once

#include "RandomSource.h"

#include <deque>

// A generator that keeps what it draws, and a second one, echo(), that hands
// the kept values out again in the same order: a second engine driven by the
// echo makes exactly the choices of the first.
class EchoRandom : public RandomSource
{
public:
    explicit EchoRandom(RandomSource &source) : m_source(source), m_echo(m_kept) {}

    void seed(double seconds) override { m_source.seed(seconds); }
    double next() override
    {
        const double r = m_source.next();
        if (m_keeping)
            m_kept.push_back(r);
        return r;
    }
    void keep(bool on) { m_keeping = on; }
    RandomSource &echo() { return m_echo; }

private:
    class Echo : public RandomSource
    {
    public:
        explicit Echo(std::deque<double> &kept) : m_kept(kept) {}
        void seed(double) override {}
        // Past what was kept (the second engine asks for more): the lowest value.
        double next() override
        {
            if (m_kept.empty())
                return 0.0;
            const double r = m_kept.front();
            m_kept.pop_front();
            return r;
        }

    private:
        std::deque<double> &m_kept;
    };

    RandomSource &m_source;
    std::deque<double> m_kept;
    Echo m_echo;
    bool m_keeping = false;
};
