#include "Messages.h"

#include "Texts.h"
#include "UiSeam.h"
#include "Util.h"

int MessageById(uint16_t id, unsigned style, QWidget* parent)
{
    const QString text = QText(id);
    ui().beep();
    return ui().messageBox(parent, text, style);
}

void ReportDbError(const char* table, uint16_t status, const char*, int, QWidget* parent)
{
    const std::string text = StrFormat("%s '%s' %s = %hd", TextById(txt::ErrorOnDatabase).c_str(), table,
                                       TextById(txt::ReturnCode).c_str(), short(status));
    ui().beep();
    ui().messageBox(parent, QString::fromStdString(text), MB::Ok | MB::IconStop);
}

int ShowMessage(const QString& text, unsigned style, QWidget* parent, bool beep)
{
    if (beep)
        ui().beep();
    return ui().messageBox(parent, text, style);
}
