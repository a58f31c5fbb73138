#pragma once
// Message helpers: a message by text id, and the database error message.

#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

// Text by id, a beep, then a message box with that style; returns the answer.
int MessageById(uint16_t id, unsigned style, QWidget* parent = nullptr);

// Beep and a stop message "Error on database 'TABLE' Return code = STATUS"
// with the table's file on a second line.
// Source and line name the caller for a debugger; they are not shown.
void ReportDbError(const char* table, uint16_t status, const char* source, int line, QWidget* parent = nullptr);

#define REPORT_DB_ERROR(table, status) ReportDbError((table), (status), __FILE__, __LINE__)

// A message built by the caller: a beep when asked, then the box.
int ShowMessage(const QString& text, unsigned style, QWidget* parent = nullptr, bool beep = false);

// Cancelling a dialog with changes: "The data has been changed. Do you want to
// save the changes ?". Yes runs `save`, Cancel runs `stay`; true only for No,
// when the caller closes without the changes.
bool ChangesDiscarded(QWidget* parent, const std::function<void()>& save, const std::function<void()>& stay = {});
