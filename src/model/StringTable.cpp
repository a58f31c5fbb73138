// The program's built-in string table and the built-in texts of its dialog controls.
//
// Texts by id (kTexts): ids and their ranges are listed in TextIds.h.
//
// Control texts by dialog (kControlTexts): the text a control shows when the monitoring system's
// text table has no kind-1 record for it. Control 0 is the dialog's caption. Control ids:
//   1, 2         the dialog's OK (or "&Select") and Cancel (or "&Close") buttons
//   3, 38, 39    the definition wizard's "< &Back", "&Next >" and "&Finish" (dialog 7: 39 and 40 are
//                its two radio buttons, whose labels are set at run time)
//   4            the help static of the wizard pages
//   below 1000,
//   and 1100 up  the controls' established ids (group boxes and labels that messages, the change log
//                and the report read by id)
//   1000..1099   ids given here to controls that had none, numbered per dialog in reading order
//
// Dialog ids given here to dialogs that had no template number (see dlg::DialogId):
//   200  "Select network"
//   201  "New ZUL control function"
//   202  upload progress
//   203  update progress
//   204  start/stop progress (caption set at run time: StartingFunctions / StoppingFunctions)
//   205  deletion progress (caption set at run time: DeletingFunctionsLeft)
//   206  "Delete ZUL control functions", the question when a schedule is still referenced
//   207  not used: the Po optimizer history has its own number, 163
//   208  gateway password prompt
//   209  "Import holidays", the events of a holiday calendar for the yearly schedule editor
//
// Captions that are built at run time (the editors' "ZUL control function - <type>", the selection
// dialogs' "Select <group> - <type>", the graph's caption) have no control-0 entry; the texts they
// are built from are in kTexts. The same holds for statics whose text is only ever set at run time
// (function numbers, states, values, the y-axis label and units of the alarm limit ramp, the graph's
// legend lines).

#include "model/StringTable.h"

#include <algorithm>
#include <iterator>

namespace {

using namespace txt;

constexpr BuiltinText kTexts[] = {
    // Report: the empty status column.
    {Empty, ""},

    // Selection dialogs' caption prefix (schedule and reference selection).
    {Select, "Select"},

    // Main frame, editors' captions.
    {ControlFunctionDefinition, "ZUL control function Definition"},
    {ControlFunction, "ZUL control function"},

    // Function list: Edit button while editable / browse-only; "Select network" in reset mode.
    {BrowseButton, "&Browse"},
    {EditButton, "&Edit"},
    {ResetCfButton, "&Reset CF"},

    // Version text in the running-applications table.
    {Version, "Version"},

    // Database error message, type catalogue, lists.
    {ErrorOnDatabase, "Error on database"},
    {ReturnCode, "Return code"},
    {UnknownType, "<<unknown type>>"},
    {ListFull, "List full. List is not complete."},
    {Automatic, "--Automatic--"},
    {NotDefined, "Not defined"},
    {Limit, "Limit"},

    // Function list title suffix; reference status messages of the gateway's flags.
    {NetConfigNotUpToDate, "QOR Net config. not up to date"},
    {CommunicationError, "Communication error"},
    {QebTypeConflict, "QEB type conflict"},

    // Function list columns and states; report overview.
    {ColumnType, "Type"},
    {ColumnName, "Name"},
    {StateStarted, "On"},
    {StateError, "Error"},
    {StateManual, "Manual"},
    {ColumnNumber, "No."},
    {StateOff, "Off"},
    {StateOn, "On"},

    // Reference list columns.
    {RefColumnAddress, "Addr."},
    {RefColumnIdCode, "ID-code"},
    {RefColumnParameter, "Parameter"},
    {RefColumnMessage, "Message"},
    {RefColumnIdent, "QEB Ident."},

    // Definition wizard page 1 columns; report reference header.
    {WizardColumnAddress, "Addr."},
    {WizardColumnIdCode, "ID-code"},
    {WizardColumnIdent, "QEB Ident."},

    // Manual mode states shown by the editors and the report.
    {ManualAuto, "Auto"},
    {ManualOn, "On"},
    {ManualOff, "Off"},
    {ManualDay, "Day"},
    {ManualNight, "Night"},

    // Po optimizer evaporator and compressor list columns, history export, report.
    {PoColumnCaseNo, "Case no."},
    {PoColumnAddress, "Addr."},
    {PoColumnSection, "Sect."},
    {PoColumnIdCode, "ID-Code"},
    {PoColumnDefrostDelay, "Def. Delay"},
    {PoColumnIdent, "QEB Ident."},
    {PoColumnMessage, "Message"},
    {PoColumnRegCond, "RegCond"},
    {PoColumnThermAir, "Ther. Air"},
    {PoColumnThCutIn, "Th. Cut in"},
    {PoColumnThCutOut, "Th. Cut out"},
    {PoColumnCircuit, "Circuit"},
    {PoColumnDp0Out, "dP0 out"},
    {PoColumnP0In, "P0 in"},
    {PoColumnP0SpIn, "P0 SP in"},
    {PoColumnP0RefIn, "P0 Ref. in"},
    {PoColumnP0RefMinIn, "P0 Ref. min in"},
    {PoColumnP0RefMaxIn, "P0 Ref. max in"},
    // Po optimizer change log and report.
    {AdvancedPoParameters, "Advanced Po optimizer parameters"},

    // Gateway password prompt.
    {PasswordTitle, "Enter ZUL Password"},
    {PasswordCheckingSupport, "Checking ZUL for password support"},
    {PasswordChecking, "Checking ZUL password"},
    {PasswordLabel, "Password"},
    {PasswordOk, "OK"},
    {PasswordCancel, "Cancel"},

    // Function type names (1000 + type code).
    {TypeYearlySchedule, "Yearly Schedule"},
    {TypeQebOn, "QEB On"},
    {TypeAlarmLimitOffset, "Alarm limit Off."},
    {TypeDayNightControl, "Day/Night Contr."},
    {TypePeakShaving, "Peak Shaving"},
    {TypeAlarmLimitDirect, "Alarm Limit Dir."},
    {TypeDayNightExternal, "Day/Night ext."},
    {TypeCentralDefrost, "Central Defrost"},
    {TypePoOptimizer, "Po Optimizer"},

    // Event log phrases, group labels and change-line labels.
    {IsCreated, "is created"},
    {AreStarted, "is/are started"},
    {AreStopped, "is/are stopped"},
    {AreDeleted, "is/are deleted"},
    {AreChanged, "is/are changed"},
    {LogLabelInput, "Input:"},
    {LogLabelOutput, "Output:"},
    {LogLabelSchedule, "Schedule:"},
    {LogLabelName, "Name"},
    {BasicScheduleChanged, "'Basic schedule' is changed"},
    {ForceScheduleChanged, "'Force schedule to' is changed"},
    {ManualModeState, "Manual mode state"},
    {ManualModeValue, "Manual mode value"},

    // Report page header and overview.
    {ReportPrintedBy, "MCF Report printed by"},
    {ReportPage, "Page"},
    {ReportStatus, "Status"},

    // Start-up.
    {OleInitFailed, "OLE 2.0 init. failed. Make sure that the OLE lib. are the correct version."},
    {UnableToCreate, "Unable to create "},
    {ObjectSuffix, " object."},
    {ErrorOpeningDatabase, "Error opening database %s. RC = %d"},
    // "Select network" and every dialog that talks to the gateway.
    {NetworkWithoutControlFunctions, "The connected network does not support master control functions!"},
    {NoConnectionToDriver, "No connection to QEB driver"},
    {CommunicationErrorTryAgain, "Communication error. Please try again."},
    {AllocatingRamError, "Error detected while allocating RAM\n"},
    // Event log header, reference and schedule lists: a name that cannot be found.
    {UnknownName, "???"},
    // "Select network" columns.
    {ColumnSystemAddress, "System address"},
    {ColumnIdCode, "ID-code"},
    // Function list.
    {MaximumNumberReached, "Can not create ZUL control function. Maximum number has been reached."},
    {TypeNotImplemented, "Selected MCF type no. %d not implemented yet!"},
    // Deletion progress caption, followed by the number left.
    {DeletingFunctionsLeft, "Deleting control functions. Left:"},

    // Numeric edit control: a value outside its range, or not a number at all.
    {NumberOutOfRange, "Please enter a number from %s to %s."},
    {WholeNumberOutOfRange, "Please enter a whole number from %s to %s."},
    {NotANumber, "Please enter a number."},
    {StoredOtherwise, "The gateway stores something else than was sent. Fields that differ:"},
    {StopToChange, "The function is started: stop it in the function list to change the fields shown grey."},
    {StopToChangeReferences, "The function is started: stop it in the function list before its references can be changed."},

    // Upload: exchange with the communication server, progress, net check, consistency check.
    {ErrorSendingMessage, "Error sending message to Qelnet driver."},
    {ChangedByAnotherUser, "Control function setup changed by another user. Please upload again."},
    {UploadingSetupCaption, "Uploading ZUL control function setup"},
    {UploadingConfiguration, "Uploading configuration."},
    {FailedToCopyDatabase, "Failed to copy database"},
    {ResettingSetup, "Resetting ZUL control function setup"},
    {Stopping, "Stopping..."},
    {NetConfigOutdated, "Net configuration description in QOR is not up to date."},
    {NetConfigInconsistence, "If you continue it can cause inconsistence i the control function setup."},
    {SureToContinue, "Are you sure that you want to continue ?"},
    {UploadingSetup, "Uploading setup"},
    {MissingConfigData, "Missing data in config telegram for function no.:"},
    {CheckingConsistency, "Checking consistensy"},
    // Update, start and stop.
    {UpdatingSetupCaption, "Updating control function setup"},
    {PasswordInvalid, "Password is invalid"},
    {ErrorUpdatingZul, "Error updating ZUL."},
    {ReturnCodeIs, "Return code is"},
    {StartingFunctions, "Starting control functions"},
    {StoppingFunctions, "Stopping control functions"},
    {UpdatingZul, "Updating ZUL"},
    // Backup files (the write failure is shared with the curve export).
    {CannotWriteToFile, "Cannot write to file"},
    {BackupFileTypeError, "File-type error. Not a valid ZUL control function backup file!"},
    {ContinuingWithTotalUpload, "Continuing with total upload."},
    {BackupReadError, "Error reading from ZUL control backup file!"},
    {BackupChecksumError, "Not a valid ZUL control backup file. Checksum error."},
    {BackupConflict, "Conflict between QOR and MC definition in the gateway."},
    {BackupRestoreOrUpdate, "You can restore MC definition or update QOR with the gateway definition."},
    {BackupUpdateQuestion, "Do you want to update QOR?"},

    // Functions whose update the gateway did not accept: the list's mark and its menu entry.
    {NotSentToGateway, "Not sent to the gateway"},
    {SendToGateway, "Send to gateway"},
    {SyncStateNotRecorded, "Which functions were not sent to the gateway cannot be recorded."},
    {SyncStateNotRead, "Which functions were not sent to the gateway cannot be shown."},
    {ListClosesConnectionLost, "The connection to the gateway is lost: the function list closes. Choose the network "
                               "again to read the gateway's functions anew."},
    {SentToGatewayStatus, "sent to the gateway"},
    {NotSentToGatewayStatus, "not sent to the gateway"},
    {UnsentBeforeUpload, "These functions were changed but the gateway has not accepted them:"},
    {UnsentBeforeUploadChoice, "The upload replaces them with what the gateway holds. Yes sends them to the gateway "
                               "first, No discards the changes, Cancel keeps them and does not upload."},
    {UnsentNotAllSent, "Not every function could be sent; nothing is uploaded, so that no change is lost."},

    // Every editor's validation and its save question.
    {SpecifyFunctionName, "Please specify a function name."},
    {SpecifyReference, "Please specify at least one QEB or parameter reference."},
    {ParametersWithConflict, "There are parameters with conflict mark in list"},
    {SpecifyScheduleReference, "Please specify a schedule reference."},
    {SchedulesWithConflict, "There are schedules with conflict mark in list"},
    {DataChangedSave, "The data has been changed. Do you want to save the changes ?"},
    // Yearly schedule editor (FillInValue also in the defrost schedules).
    {YearFieldsBlank, "Both Year fields must be blank to indicate a yearly event."},
    {FillInNumber, "Please fill in a number."},
    {DayNumberExceeded, "Day number for this month has been exeeded."},
    {ToAfterFrom, "'To' time must be greater than 'From' time."},
    {PeriodOverlaps, "Time period overlaps with the exsiting period:"},
    {FillInValue, "Please fill in a value."},
    {OffAfterOn, "'Off' time must be greater or equal than On' time."},
    // Schedule list and schedule selection (MaxAllowedNumber also in the reference selection).
    {UnknownFunction, "Unknown function"},
    {FunctionNotSchedule, "Function is not a Schedule"},
    {SelectedSchedulesCount, "Number of selected schedules are"},
    {MaxAllowedNumber, "Max allowed number  are"},
    {ScheduleReferencesWithErrors, "Schedule references with errors are selected."},
    // Holiday calendars into a yearly schedule; its week picture.
    {HolidayEndedBeforeNow, "ended before now"},
    {HolidayCollidesWith, "collides with"},
    {HolidayCannotBeHeld, "cannot be held:"},
    {HolidayCalendarFiles, "iCalendar files"},
    {HolidayCalendarNotRead, "The holiday calendar cannot be read."},
    {HolidaysThatFit, "Special periods that still fit:"},
    {WeekOf, "Week of"},
    {LegendWeeklyOn, "On"},
    {LegendForcedOn, "Forced On"},
    {LegendForcedOff, "Forced Off"},

    // Alarm limit editor: ramp label and units, band checks, change-log labels.
    {AxisOffset, "Offset"},
    {UnitKelvin, "K"},
    {UnitCelsius, "°C"},
    {StartAboveStop, "Start temperature must be greater than Stop temperature."},
    {BandMustNotExceed, "The temperature band must not exceed"},
    {LogUseOutdoorTemp, "Use Outdoor Temp."},
    {LogOutdoorReferenceTemp, "Outdoor reference temp."},
    {LogOffsetStartTemp, "Offset start temp."},
    {LogOffsetStopTemp, "Offset stop temp."},
    {LogEntranceTemp, "Entrance temp."},
    {SwitchOff, "OFF"},
    {SwitchOn, "ON"},
    // Peak shaving editor: advanced dialog caption suffix, change-log labels.
    {AdvancedSuffix, "Advanced"},
    {LogImpulsesPerKwh, "Impuls per Kwh"},
    {LogLoadPeriod, "Load period"},
    {LogInternLoadPeriod, "Intern load period"},
    {LogPeakLimit, "Peak limit"},
    {LogMaxShaveTime, "Max shave time"},
    {LogMaxThermOffset, "Max therm. offset"},
    {LogOffsetSteps, "Offset steps"},
    {LogUseTariffSchedule, "Use tariff sched."},
    {LogUseColdAccumSchedule, "Use cold accum. Sched."},
    {LogUsePeakMeterSchedule, "Use peak meter Sched."},
    // Po optimizer editor: validation, change-log labels.
    {NoInputControllers, "No Input controllers selected"},
    {NoOutputControllers, "No Output controllers selected"},
    {LogPoOptimizerAlarm, "Po optimizer alarm"},
    {LogPoOptimizerAlarmDelay, "Po optimizer alarm delay"},
    // Po optimizer history: chart groups and axes, export.
    {CriticalCase, "Critical case"},
    {Period24Hours, "24 Hour period"},
    {Period7Days, "7 day period"},
    {HoursOfSelection, "Hours of selection"},
    {HoursInPercent, "Hours in %"},
    {NoHistoricalData, "There are no historical data available"},
    {ExcelCsvFiles, "Excel comma separated files"},
    {AllFiles, "All files"},
    {OutputFileNotCreated, "Output file could not be created"},
    {NetAddress, "Net address"},
    {McfNumber, "MCF number"},
    {PoOptimizerExported, "Po optimizer was exported to data file"},
    // Peak consumption graph: modes, series, units, row labels.
    {GraphConsumption, "Consumption"},
    {GraphLoad, "Load"},
    {NormalTariff, "Normal tariff"},
    {LowTariff, "Low tariff"},
    {NormalLoad, "Normal load"},
    {PeakLoad, "Peak load"},
    {UnitKwh, "kWh"},
    {UnitKw, "kW"},
    {MonthJanuary, "Jan."},
    {MonthFebruary, "Feb."},
    {MonthMarch, "Mar."},
    {MonthApril, "Apr."},
    {MonthMay, "May"},
    {MonthJune, "Jun."},
    {MonthJuly, "Jul."},
    {MonthAugust, "Aug."},
    {MonthSeptember, "Sep."},
    {MonthOctober, "Okt."},
    {MonthNovember, "Nov."},
    {MonthDecember, "Dec."},
    {CurrentMonth, "Cur. month"},
    // Peak consumption graph and curve export.
    {GraphDataNotFound, "Graph data not found"},
    {SeparatorsIdentical, "The list and decimal separators specified by the system are identical."},
    {ReplaceSeparator, "Replace the list or decimal separator."},
    {InvalidFileName, "This is not a valid filename."},
    {SaveCurveData, "Save curve data"},
    {CurveFiles, "Curve files"},
    {CurveExported, "Curve data was exported to data file"},
    // Curve export: column header and the data header.
    {CsvLogName, "Log name"},
    {CsvZulSystemAddress, "ZUL system addr."},
    {CsvQebSystemAddress, "QEB system addr."},
    {CsvZulIdCode, "ZUL ID code"},
    {CsvQebIdCode, "QEB ID code"},
    {CsvDefaultText, "Default text"},
    {CsvCustomText, "Custom text"},
    {CsvLogNumber, "Log no."},
    {CsvLogType, "Log type"},
    {CsvBlockType, "Block type"},
    {CsvBlockNumber, "Block no."},
    {CsvParNumber, "Par. no."},
    {CsvParType, "Par. type"},
    {CsvDateTime, "Date/Time"},

    // Reference lists: status messages of the upload's reference check, broken descriptions.
    {QebNotFound, "QEB not found or unknown type."},
    {NoQebDescription, "No QEB description:"},
    {ParameterNotExistMcb, "Parameter does not exist (MCB)."},
    {ParameterNotExist, "Parameter does not exist."},
    {ParameterNeedsApproval, "Parameter needs approval."},
    {CorruptedQebDescription, "Corrupted QEB description"},
    {UploadNewVersion, "Please upload a new version."},
    // Reference selection: refusals and questions of "&Select", candidate rows.
    {ParameterReferencesWithErrors, "Parameter references with errors are selected."},
    {SelectedAutomaticCount, "Number of selected QEB's with automatic parameter selection support are"},
    {SelectedParameterCount, "Number of selected QEB parameters are"},
    {MustNotMix, "Automatic and QEB parameter based references must not be mixed."},
    {AutomaticallyInserted, "Some of the selected QEB  references are automatically inserted."},
    {CheckParametersAgain, "Would you like to check these parameters again ?"},
    {QebDescriptionCorrupted, "QEB description corrupted."},
    // Definition wizard: help texts of pages 1 to 3, page 3 caption, questions.
    {WizardHelpNoParameters, "The QEB's with a \"-\" sign have no parameters defined."},
    {WizardHelpSelectQeb, "Select an QEB and press Next if you want to continue."},
    {WizardHelpSignChanges, "When parameters for an QEB has been defined, the \"-\" sign changes to \"+\"."},
    {WizardHelpAffectAll, "You can choose to define parameters that will affect all QEB's"},
    {WizardHelpShownType, "of the shown type or just the selected QEB."},
    {DefineParametersFor, "Define Parameters for"},
    {WizardHelpSelectFunction, "Select the function in which the parameter for the selected"},
    {WizardHelpFunctionLocated, "ZUL control function is located."},
    {WizardHelpAddParameter, "Define the parameter by adding it to the Control function list."},
    {ParameterAlreadyInList, "This QEB parameter is already in the list."},
    {DeleteParameterQuestion, "Are you sure you want to delete the selected parameter"},
    {ParameterListChangedSave, "The parameter list has been changed. Do you want to save the changes ?"},
    {DefinitionsChanged, "Parameter definition setup for one or more QEB's has been changed ."},
    {KeepChanges, "Do you want to keep the changes ?"},

    // Report: the print job's document name, and what the report dialog tells of the print run.
    {PrintDocumentName, "MCF Print Report"},
    {ReportCancelled, "Nothing was printed: printing was cancelled."},
    {ReportNotStarted, "Nothing was printed: the report could not be started on"},
    {ReportPrintedPages, "The report was printed. Pages:"},
    {ReportNotComplete, "Nothing was printed: the report stopped at a database error."},
    {ReportNoFunction, "Nothing was printed: none of the chosen functions could be read."},
    {ReportLeftOut, "Left out:"},
    {ReportNoSuchFunction, "does not exist"},
};

constexpr BuiltinControlText kControlTexts[] = {
    // 3: function list "ZUL control functions".
    {3, 0, "ZUL control functions"},
    {3, 2, "&Close"},
    {3, 302, "Network"},
    {3, 304, "Used space:"},
    {3, 1000, "&New..."},
    {3, 1001, "&Edit..."},
    {3, 1002, "&Delete..."},
    {3, 1003, "&Print"},
    {3, 1004, "Blocks"},
    {3, 1005, "&Start"},
    {3, 1006, "S&top"},
    {3, 1007, "&History"},

    // 5: alarm limit editor. 36/37/35 head the reference items of the report, 101 its manual
    // line, 107 the alarm settings, 23 and 111 label the settings line.
    {5, 1, "OK"},
    {5, 2, "Cancel"},
    {5, 23, "Act. if outdoor Temp >"},
    {5, 35, "Alarm Limit"},
    {5, 36, "Indoor Temp"},
    {5, 37, "Outdoor Temp"},
    {5, 101, "Manual mode"},
    {5, 107, "Alarm settings"},
    {5, 111, "Indoor Temp"},
    {5, 1000, "No:"},
    {5, 1001, "Name"},
    {5, 1002, ">> &Input.."},
    {5, 1003, ">> I&nput.."},
    {5, 1004, "°C"},  // unit of the outdoor reference temperature
    {5, 1005, "&Output >>.."},
    {5, 1006, "&Manual..."},

    // 6: reference selection (caption built at run time).
    {6, 1, "&Select"},
    {6, 2, "Cancel"},
    {6, 1000, "QEB Controllers"},
    {6, 1001, "&Define..."},
    {6, 1002, "QEB text"},
    {6, 1003, "Default"},
    {6, 1004, "Custom"},

    // 7: definition wizard page 2 (radio buttons 40 and 39 are labelled at run time).
    {7, 0, "Select type"},
    {7, 2, "Cancel"},
    {7, 3, "< &Back"},
    {7, 4, "You can choose to define parameters that will affect all QEB's of the shown type or just the selected QEB."},
    {7, 38, "&Next >"},
    {7, 1000, "Use"},

    // 8: definition wizard page 3 (caption built at run time); lists 41, 42, 43.
    {8, 2, "Cancel"},
    {8, 3, "< &Back"},
    {8, 4, "Select the function in which the parameter for the selected ZUL control function is located. "
           "Define the parameter by adding it to the Control function list."},
    {8, 38, "&Next >"},
    {8, 1000, "QEB Function"},
    {8, 1001, "QEB Parameter"},
    {8, 1002, "ZUL control function Parameters"},
    {8, 1003, "<< &Add"},
    {8, 1004, "Remove >>"},
    {8, 1005, "QEB text"},
    {8, 1006, "Default"},
    {8, 1007, "Custom"},

    // 9: definition wizard page 1; list 33.
    {9, 0, "Define parameters"},
    {9, 2, "Cancel"},
    {9, 4, "The QEB's with a \"-\" sign have no parameters defined. "
           "Select an QEB and press Next if you want to continue. "
           "When parameters for an QEB has been defined, the \"-\" sign changes to \"+\"."},
    {9, 38, "&Next >"},
    {9, 39, "&Finish"},

    // 11, 12, 13: manual mode dialogs.
    {11, 0, "Set Manual Mode "},
    {11, 1, "OK"},
    {11, 2, "Cancel"},
    {11, 1000, "Auto"},
    {11, 1001, "Day"},
    {11, 1002, "Night"},
    {12, 0, "Set Manual Mode"},
    {12, 1, "OK"},
    {12, 2, "Cancel"},
    {12, 1000, "Auto"},
    {12, 1001, "On"},
    {12, 1002, "Off"},
    {13, 0, "Set Manual Mode"},
    {13, 1, "OK"},
    {13, 2, "Cancel"},
    {13, 1000, "Auto"},
    {13, 1001, "Manual"},
    {13, 1002, "K"},  // unit, replaced by the caller's unit text

    // 14: controller-on editor. 101, 36 and 35 head the report's items.
    {14, 1, "OK"},
    {14, 2, "Cancel"},
    {14, 35, "Injection Controllers"},
    {14, 36, "Compressor Controller"},
    {14, 101, "Manual mode"},
    {14, 1000, "No:"},
    {14, 1001, "Name"},
    {14, 1002, ">> &Input.."},
    {14, 1003, "&Output >>.."},
    {14, 1004, "&Manual.."},

    // 15: yearly schedule editor. 2000, 2001..2007, 2009/2010 and 2017 are read by the report.
    {15, 1, "OK"},
    {15, 2, "Cancel"},
    {15, 1000, "No:"},
    {15, 1001, "Name"},
    {15, 1002, "On"},  // periods 2 to 4
    {15, 1003, "Off"},
    {15, 1004, "On"},
    {15, 1005, "Off"},
    {15, 1006, "On"},
    {15, 1007, "Off"},
    {15, 1010, "From"},
    {15, 1011, "To"},
    {15, 1012, "YYYY"},
    {15, 1013, "MM"},
    {15, 1014, "DD"},
    {15, 1015, "TT"},
    {15, 1016, "MM"},
    {15, 1017, "Forced to"},
    {15, 1018, "Yearly event"},
    {15, 1019, "&Add"},
    {15, 1020, "&Change"},
    {15, 1021, "&Delete"},
    {15, 1022, "&Import..."},
    {15, 1023, "<"},  // the week picture's previous and next week
    {15, 1024, ">"},
    {15, 1025, "Week"},  // the group of the week picture
    {15, 2000, "&Basic schedule"},
    {15, 2001, "Mon"},
    {15, 2002, "Tue"},
    {15, 2003, "Wed"},
    {15, 2004, "Thur"},
    {15, 2005, "Fri"},
    {15, 2006, "Sat"},
    {15, 2007, "Sun"},
    {15, 2009, "On"},  // period 1
    {15, 2010, "Off"},
    {15, 2017, "&Force schedule to"},

    // 16: schedule selection (caption replaced at run time).
    {16, 0, "Select Schedule"},
    {16, 1, "&Select"},
    {16, 2, "Cancel"},
    {16, 1000, "Select schedule"},
    {16, 1001, "&New..."},
    {16, 1002, "&Edit..."},

    // 17: day/night editor. 101, 36, 37 and 35 head the report's items; the group boxes name the
    // lists in messages and in the change log.
    {17, 1, "OK"},
    {17, 2, "Cancel"},
    {17, 35, "Day/Night signal"},
    {17, 36, "Schedule"},
    {17, 37, "External Day signal"},
    {17, 101, "Manual mode"},
    {17, 1000, "No:"},
    {17, 1001, "Name"},
    {17, 1002, ">> &Input.."},  // schedule
    {17, 1003, "&Output >>.."},
    {17, 1004, "Use Ext.signal"},
    {17, 1005, ">> &Input.."},  // external day signal
    {17, 1006, "Note: Day time starts when the schedule goes On"},
    {17, 1007, "Note: Day time starts when the schedule goes On or when Ext.Day signal goes On"},
    {17, 1008, "&Manual.."},

    // 19: peak shaving editor. 65 and 1117 are the graph modes.
    {19, 1, "OK"},
    {19, 2, "Cancel"},
    {19, 65, "&Consumption.."},
    {19, 1000, "No:"},
    {19, 1001, "Name"},
    {19, 1002, "Input"},
    {19, 1003, "Normal meter"},
    {19, 1004, "kWh"},
    {19, 1005, "Peak meter"},
    {19, 1006, "kWh"},
    {19, 1007, "Peak Shaving"},
    {19, 1008, "Impulses per kWh"},
    {19, 1009, "Load period"},
    {19, 1010, "Min."},
    {19, 1011, "Peak limit"},
    {19, 1012, "kW"},
    {19, 1013, "Therm. offset"},
    {19, 1014, "K"},
    {19, 1015, "Calculated offset"},
    {19, 1016, "K"},
    {19, 1017, "Thermostat Controllers"},
    {19, 1018, "&Output >>.."},
    {19, 1019, "&Advanced.."},
    {19, 1117, "&Load..."},

    // 20: peak shaving, advanced (caption built at run time).
    {20, 1, "OK"},
    {20, 2, "Cancel"},
    {20, 1000, "Shaving"},
    {20, 1001, "Max. Shave time"},
    {20, 1002, "Min."},
    {20, 1003, "Offset in steps of"},
    {20, 1004, "K"},
    {20, 1005, "Int. load period"},
    {20, 1006, "Sec."},
    {20, 1007, "Tariff period"},
    {20, 1008, "Use tariffs"},
    {20, 1009, "&Schedule.."},
    {20, 1010, "Cold accumulation"},
    {20, 1011, "Use cold accumulate"},
    {20, 1012, "S&chedule.."},
    {20, 1013, "Peak period"},
    {20, 1014, "Use peak meter"},
    {20, 1015, "Sc&hedule.."},

    // 30: central defrost editor. 101 heads the report's manual line (also for the yearly
    // schedule's item), 17 the defrost times, 36/38/35/37 the reference items.
    {30, 0, "Defrost control"},
    {30, 1, "OK"},
    {30, 2, "Cancel"},
    {30, 17, "Defrost Functions"},
    {30, 35, "Defrost Start "},
    {30, 36, "External Defost Start"},
    {30, 37, "Hold After Defrost"},
    {30, 38, "Defrost Relay"},
    {30, 101, "Manuel mode"},
    {30, 1000, "No:"},
    {30, 1001, "Name"},
    {30, 1002, ">> &Defrost Schedules.."},
    {30, 1003, "External Defrost start"},
    {30, 1004, "Co-ordinate Defrost"},
    {30, 1005, ">> &Input.."},
    {30, 1006, ">> I&nput.."},
    {30, 1007, "&Output >>.."},
    {30, 1008, "O&utput >>.."},
    {30, 1009, "&Manuel"},

    // 31: defrost schedules. 2009..2011 and 2101..2107 are read by the report.
    {31, 0, "Defrost Schedules"},
    {31, 1, "OK"},
    {31, 2, "Cancel"},
    {31, 1000, "Auto Settings"},
    {31, 1001, "No of Def."},
    {31, 1002, "First Def."},
    {31, 1003, "Last Def."},
    {31, 1004, "Auto Set"},  // above schedule 1
    {31, 1005, "Auto Set"},  // above schedule 2
    {31, 1006, "Auto Set"},  // above schedule 3
    {31, 2009, "Schedule 1"},
    {31, 2010, "Schedule 2"},
    {31, 2011, "Schedule 3"},
    {31, 2101, "Mon"},
    {31, 2102, "Tue"},
    {31, 2103, "Wed"},
    {31, 2104, "Thur"},
    {31, 2105, "Fri"},
    {31, 2106, "Sat"},
    {31, 2107, "Sun"},

    // 146: peak consumption graph (caption and legend texts set at run time).
    {146, 2, "&Close"},
    {146, 1000, "&Export..."},

    // 156: manual defrost.
    {156, 0, "Activate Manual Defrost"},
    {156, 1, "Activate"},
    {156, 2, "Cancel"},

    // 158: Po optimizer editor. 166 (the "Advanced" button) heads the report's settings item,
    // 1149/1150 its reference items, 1151/1153/1134 label its status lines.
    {158, 0, "Po optimizer setup"},
    {158, 1, "OK"},
    {158, 2, "Cancel"},
    {158, 166, "Advanced"},
    {158, 1000, "No:"},
    {158, 1001, "Name:"},
    {158, 1002, "Input select >>"},
    {158, 1003, "Select >>"},
    {158, 1004, "Define Def. Delay"},
    {158, 1005, "History"},
    {158, 1134, "Po Offset disable"},
    {158, 1149, "Evaporator Controllers"},
    {158, 1150, "Compressor controller"},
    {158, 1151, "Po optimizer output status"},
    {158, 1153, "Actual Po Offset"},

    // 159, 160: evaporator and compressor selection.
    {159, 0, "Select Evaporator"},
    {159, 1, "OK"},
    {159, 2, "Cancel"},
    {159, 1000, "Evaporator Controllers"},
    {160, 0, "Select Compressor"},
    {160, 1, "OK"},
    {160, 2, "Cancel"},
    {160, 1000, "Compressor Controllers"},

    // 162: individual defrost delay.
    {162, 0, "Po optimizer setup"},
    {162, 1, "OK"},
    {162, 2, "Cancel"},
    {162, 1000, "Individual evaporator parameter(s):"},
    {162, 1001, "Defrost Delay"},

    // 163: Po optimizer history (chart group captions set at run time).
    {163, 0, "Po Optimizer History"},
    {163, 1, "OK"},
    {163, 1000, "No:"},
    {163, 1001, "Name:"},
    {163, 1002, "Export"},

    // 166: advanced Po options; the report reads 1134, 1154..1158, 1170 and 1171.
    {166, 0, "Advanced Po options"},
    {166, 1, "OK"},
    {166, 2, "Cancel"},
    {166, 1000, "Po offset alarm"},
    {166, 1134, "Alarm enable"},
    {166, 1154, "Period"},
    {166, 1155, "Filter"},
    {166, 1156, "Kp"},
    {166, 1157, "Tn"},
    {166, 1158, "Alarm delay"},
    {166, 1170, "Optimize Communication"},
    {166, 1171, "Enable"},

    // 168: report printing.
    {168, 0, "Printing MCF blocks"},
    {168, 2, "Cancel"},

    // 200: "Select network" (OK reads "&Reset CF" in reset mode).
    {200, 0, "Select network"},
    {200, 1, "OK"},
    {200, 2, "&Close"},

    // 201: "New ZUL control function".
    {201, 0, "New ZUL control function"},
    {201, 1, "OK"},
    {201, 2, "Cancel"},
    {201, 1000, "ZUL control function types"},

    // 202: upload progress (the text line changes at run time).
    {202, 0, "Uploading ZUL control function setup"},
    {202, 2, "Cancel"},
    {202, 1000, "Uploading configuration."},

    // 203: update progress (Cancel hidden).
    {203, 0, "Updating control function setup"},
    {203, 2, "Cancel"},

    // 204: start/stop progress (Cancel hidden).
    {204, 2, "Cancel"},
    {204, 1000, "Updating ZUL"},

    // 205: deletion progress.
    {205, 2, "Cancel"},

    // 206: a schedule that is still referenced; 1001 shows its number and name, 1004 is the list.
    {206, 0, "Delete ZUL control functions"},
    {206, 1000, "The ZUL control function:"},
    {206, 1002, "is referenced by the functions shown below "},
    {206, 1003, "and can not be deleted."},
    {206, 1005, "Please indicate if you want to skip this"},
    {206, 1006, "function or stop deletion."},
    {206, 1007, "&Skip"},
    {206, 1008, "S&top"},

    // 208: gateway password prompt (its texts also come in the password text block, 500..506).
    {208, 0, "Enter ZUL Password"},
    {208, 1, "OK"},
    {208, 2, "Cancel"},
    {208, 1000, "Password"},

    // 209: the events of a holiday calendar to import into a yearly schedule; 1001 is their list.
    {209, 0, "Import holidays"},
    {209, 1, "OK"},
    {209, 2, "Cancel"},
    {209, 1000, "Forced to"},
};

constexpr bool TextsSorted() {
    for (std::size_t i = 1; i < std::size(kTexts); ++i) {
        if (kTexts[i - 1].id >= kTexts[i].id) return false;
    }
    return true;
}

constexpr bool ControlKeyLess(const BuiltinControlText& a, const BuiltinControlText& b) {
    return a.dialogId != b.dialogId ? a.dialogId < b.dialogId : a.controlId < b.controlId;
}

constexpr bool ControlTextsSorted() {
    for (std::size_t i = 1; i < std::size(kControlTexts); ++i) {
        if (!ControlKeyLess(kControlTexts[i - 1], kControlTexts[i])) return false;
    }
    return true;
}

static_assert(TextsSorted(), "kTexts must be sorted by id without duplicates");
static_assert(ControlTextsSorted(), "kControlTexts must be sorted by dialog and control without duplicates");

}  // namespace

const char* BuiltinTextById(uint16_t id) {
    const auto* end = std::end(kTexts);
    const auto* it = std::lower_bound(std::begin(kTexts), end, id,
                                      [](const BuiltinText& t, uint16_t key) { return t.id < key; });
    return it != end && it->id == id ? it->text : nullptr;
}

const std::vector<BuiltinText>& BuiltinTexts() {
    static const std::vector<BuiltinText> all(std::begin(kTexts), std::end(kTexts));
    return all;
}

const char* BuiltinControlTextOf(uint16_t dialogId, uint16_t controlId) {
    const BuiltinControlText key{dialogId, controlId, nullptr};
    const auto* end = std::end(kControlTexts);
    const auto* it = std::lower_bound(std::begin(kControlTexts), end, key, ControlKeyLess);
    return it != end && it->dialogId == dialogId && it->controlId == controlId ? it->text : nullptr;
}

const std::vector<BuiltinControlText>& BuiltinControlTexts() {
    static const std::vector<BuiltinControlText> all(std::begin(kControlTexts), std::end(kControlTexts));
    return all;
}
