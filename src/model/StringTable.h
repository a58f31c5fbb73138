#pragma once

#include <cstdint>
#include <vector>

#include "model/TextIds.h"

// The program's built-in texts: the fallback of every text lookup when the monitoring system's text
// table (ORPATEXT) holds no custom text. Texts are UTF-8 and stored exactly as the program shows
// them, including their odd spellings and blanks.

struct BuiltinText {
    uint16_t id;
    const char* text;
};

// The built-in text of an id; nullptr when the table has none.
const char* BuiltinTextById(uint16_t id);

// The whole table, sorted by id (for tests and tools).
const std::vector<BuiltinText>& BuiltinTexts();

struct BuiltinControlText {
    uint16_t dialogId;
    uint16_t controlId;
    const char* text;
};

// The built-in text of a control of a dialog (control 0 = the dialog's caption); nullptr when none.
const char* BuiltinControlTextOf(uint16_t dialogId, uint16_t controlId);

// The whole per-dialog table, sorted by dialog id, then control id (for tests and tools).
const std::vector<BuiltinControlText>& BuiltinControlTexts();

// Dialog ids (the `dialogId` of each dialog form). Numbers below 200 are the dialogs' established
// template numbers; 200 and up were given to dialogs that had none.
namespace dlg {

enum DialogId : uint16_t {
    FunctionList = 3,           // "ZUL control functions"
    AlarmLimit = 5,             // alarm limit editor (types 2 and 5)
    ReferenceSelection = 6,     // SelPaDlg
    WizardSelectType = 7,       // definition wizard page 2
    WizardDefineParameters = 8, // definition wizard page 3 (DefPaDlg)
    WizardSelectQeb = 9,        // definition wizard page 1
    ManualDayNight = 11,
    ManualOnOff = 12,
    ManualValue = 13,
    ControllerOn = 14,          // QEB On editor
    YearlySchedule = 15,
    SelectSchedule = 16,
    DayNight = 17,              // day/night editor (types 3 and 6)
    PeakShaving = 19,
    PeakShavingAdvanced = 20,
    CentralDefrost = 30,
    DefrostSchedules = 31,
    PeakGraph = 146,
    ManualDefrost = 156,
    PoOptimizer = 158,
    SelectEvaporator = 159,
    SelectCompressor = 160,
    PoDefrostDelay = 162,
    PoHistory = 163,
    PoAdvanced = 166,
    ReportPrinting = 168,
    SelectNetwork = 200,
    NewFunction = 201,
    UploadProgress = 202,
    UpdateProgress = 203,
    StartStopProgress = 204,
    DeletionProgress = 205,
    DeleteReferenced = 206,     // "Delete ZUL control functions" (schedule still referenced)
    PasswordPrompt = 208,
    HolidayImport = 209,
};

}  // namespace dlg
