#pragma once
// Texts by id: the monitoring system's custom texts (ORPATEXT) first, the
// program's built-in string table second.

#include "model/TextIds.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

class QWidget;

// Copies the text of an id into the buffer, cut to length - 1 characters and
// terminated. Returns the database status of the custom-text lookup (0 when a
// custom text was found).
uint16_t TextById(uint16_t id, char* buffer, size_t length);
// The string form: at most 200 characters.
std::string TextById(uint16_t id);
QString QText(uint16_t id);

// Applies the built-in texts of a dialog's controls and then the custom texts
// of the dialog: each goes to the child whose "controlId" property is the
// control id, or to the window title for control 0.
void DialogTexts(uint16_t dialogId, QWidget* window);
// Applies DialogTexts with the "dialogId" property of the window.
void DialogTexts(QWidget* window);

// The text of one control of a dialog: the custom text, else the built-in text
// of that control of that dialog, else the built-in text whose id is the
// control id.
uint16_t ControlText(uint16_t dialogId, uint16_t controlId, char* buffer, size_t length);
std::string ControlText(uint16_t dialogId, uint16_t controlId);
QString QControlText(uint16_t dialogId, uint16_t controlId);
// A caption as printed: its mnemonic marks dropped ("&Basic schedule" gives
// "Basic schedule", "&&" gives "&").
std::string PrintedCaption(const std::string& caption);

// Installs the text service as the support layer's text source.
void InstallTextService();
