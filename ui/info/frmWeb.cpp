#include "frmWeb.h"

frmWeb::frmWeb(QWidget *parent) : QDialog(parent) {}

void frmWeb::showModal()
{
    exec();
}
