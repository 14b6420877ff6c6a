#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

// The tool's command line: a command (check or write), its options and an
// optional folder. Every mistake is reported in Japanese, ready to print.
class ToolCommandLine
{
public:
    enum class Command { Check, Write, Help, Version };

    // False on bad usage; error() then says what is wrong.
    bool parse(const QStringList &arguments);

    Command command() const { return m_command; }
    // The data folder given on the command line; empty for the default.
    const QString &folder() const { return m_folder; }
    bool quiet() const { return m_quiet; }
    quint64 count() const { return m_count; }
    quint64 appends() const { return m_appends; }
    std::optional<quint64> seed() const { return m_seed; }
    std::optional<quint64> frame() const { return m_frame; }
    // --morae: targets for the non-empty lines of a song; empty when not given.
    const QList<int> &morae() const { return m_morae; }
    // --readings: 1 for the counts of morae, 2 with the readings too (=kana).
    int readings() const { return m_readings; }
    // write --melody FILE [--part N] [--score OUT]; empty when not given.
    const QString &melody() const { return m_melody; }
    int part() const { return m_part; }
    const QString &score() const { return m_score; }
    const QString &error() const { return m_error; }

    // `manPage` is the man page beside the tool, shown as "man -l" form;
    // empty when there is none there and "man lyrmak-tool" is the way.
    static QString helpText(const QString &manPage);
    static QString versionText();

private:
    bool fail(const QString &message);
    bool parseMelody(const QCommandLineParser &parser, const QCommandLineOption &melody,
                     const QCommandLineOption &part, const QCommandLineOption &score);

    Command m_command = Command::Help;
    QString m_folder;
    bool m_quiet = false;
    quint64 m_count = 1;
    quint64 m_appends = 0;
    std::optional<quint64> m_seed;
    std::optional<quint64> m_frame;
    QList<int> m_morae;
    int m_readings = 0;
    QString m_melody;
    int m_part = 1;
    QString m_score;
    QString m_error;
};
