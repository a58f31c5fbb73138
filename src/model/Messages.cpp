#include "model/Messages.h"

#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "support/DbStatus.h"
#include "support/UiSeam.h"

#include <QtGlobal>

int MessageById(uint16_t id, unsigned style, QWidget* parent)
{
    const QString text = QText(id);
    ui().beep();
    return ui().messageBox(parent, text, style);
}

void ReportDbError(const char* table, uint16_t status, const char* file, int line, QWidget* parent)
{
    // The operator sees the table and the code; the log says where and what it means.
    qWarning("database error on %s: %s at %s:%d", table, DbStatusText(status).c_str(), file,
             line);
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
