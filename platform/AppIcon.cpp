#include "AppIcon.h"

QIcon AppIcon::icon()
{
    return QIcon();
}
