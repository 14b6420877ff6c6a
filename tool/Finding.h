#pragma once

#include <QString>

// One problem that the checker found in a data file.
struct Finding {
    enum class Severity {
        Error,   // the program would refuse to start, or could not fill
        Warning, // the program works, but probably not as the author meant
    };

    QString file; // bare file name, as in the program folder ("Gi.dat")
    int line = 0; // 1-based; 0 when the finding is about the whole file
    Severity severity = Severity::Error;
    QString message; // one line of Japanese, without the severity

    bool isError() const { return severity == Severity::Error; }

    // "FOLDER/FILE:LINE: エラー: message"; the line is left out when it is 0.
    // `folder` ends in a separator.
    QString toText(const QString &folder) const
    {
        QString s = folder + file;
        if (line > 0)
            s += QLatin1Char(':') + QString::number(line);
        s += isError() ? QStringLiteral(": エラー: ") : QStringLiteral(": 警告: ");
        return s + message;
    }
};
