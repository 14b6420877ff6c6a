#pragma once

#include "Melody.h"

#include <QString>

// A melody file of any kind the tool reads, told by its content: a
// Standard MIDI File, MusicXML or compressed MusicXML (.mxl).
class MelodyFile
{
public:
    // Larger files are not read at all.
    static constexpr qint64 kMaxFileSize = 32 * 1024 * 1024;

    // `part` counts from 1. False with error() set: a Japanese message
    // that names the file.
    bool read(const QString &path, int part);
    bool read(QByteArrayView bytes, const QString &path, int part);
    const Melody &melody() const { return m_melody; }
    const QString &error() const { return m_error; }

private:
    bool fail(const QString &path, const QString &message);

    Melody m_melody;
    QString m_error;
};
