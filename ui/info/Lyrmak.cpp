#include "Lyrmak.h"

void Lyrmak::ShowHelp(const QString &path)
{
    Q_UNUSED(path);
}
