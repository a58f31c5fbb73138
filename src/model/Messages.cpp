#include "model/Messages.h"

#include "model/TextIds.h"
#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "support/DbStatus.h"
#include "support/RecordStore.h"
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
    // The operator sees the table, the code and the table's file; the log says where and what it means.
    const std::string tableFile = RecordStore::instance().tableFile(table);
    qWarning("database error on %s: %s at %s:%d", tableFile.c_str(), DbStatusText(status).c_str(), file, line);
    const std::string text = StrFormat("%s '%s' %s = %hd", TextById(txt::ErrorOnDatabase).c_str(), table,
                                       TextById(txt::ReturnCode).c_str(), short(status))
        + "\n" + tableFile;
    ui().beep();
    ui().messageBox(parent, QString::fromStdString(text), MB::Ok | MB::IconStop);
}

int ShowMessage(const QString& text, unsigned style, QWidget* parent, bool beep)
{
    if (beep)
        ui().beep();
    return ui().messageBox(parent, text, style);
}

bool ChangesDiscarded(QWidget* parent, const std::function<void()>& save, const std::function<void()>& stay)
{
    switch (MessageById(txt::DataChangedSave, MB::YesNoCancel | MB::IconQuestion, parent)) {
    case IDYES:
        save();
        return false;
    case IDCANCEL:
        if (stay)
            stay();
        return false;
    default:
        return true;
    }
}
