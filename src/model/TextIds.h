#pragma once

#include <cstdint>

// Ids of the program's user-visible texts. The monitoring system's text table (ORPATEXT, kind 3) may
// override any of them; the built-in string table (StringTable.cpp) is the fallback.
//
// Ids below 3000 are the program's established ids (the ones the monitoring system's text table is
// keyed by). Texts that had no established id got one in these ranges:
//   3000..3899  start-up, network selection, function list, record, texts, deletion
//   3900..3999  texts the program needs of its own (numeric edit control, ...)
//   4000..4999  upload, update, start/stop, backup files
//   5000..5999  schedule and switching editors, schedule selection
//   6000..6999  alarm limit, peak shaving and Po optimizer editors, history, graph, exports
//   7000..7999  reference lists, reference selection, definition wizard, multi-parameter lists
//   8000..8999  report printing
namespace txt {

enum TextId : uint16_t {
    // The empty text (the report asks for it where a status column stays blank).
    Empty = 0,

    Select = 62,                      // "Select"
    ControlFunctionDefinition = 128,  // main frame title
    ControlFunction = 129,            // first part of every editor caption
    BrowseButton = 150,               // "&Browse"
    EditButton = 151,                 // "&Edit"
    ResetCfButton = 152,              // "&Reset CF"
    Version = 200,
    ErrorOnDatabase = 208,
    ReturnCode = 209,
    UnknownType = 210,
    ListFull = 212,
    Automatic = 218,
    NotDefined = 219,
    Limit = 244,
    NetConfigNotUpToDate = 290,
    CommunicationError = 291,
    QebTypeConflict = 292,

    // Function list columns and state texts, report labels.
    ColumnType = 300,
    ColumnName = 301,
    StateStarted = 302,  // "On" in the list's status column
    StateError = 303,
    StateManual = 304,
    ColumnNumber = 305,
    StateOff = 306,  // "Off" of the "Forced to" list and the report
    StateOn = 307,   // "On" of the "Forced to" list and the report

    // Reference list columns.
    RefColumnAddress = 310,
    RefColumnIdCode = 311,
    RefColumnParameter = 312,
    RefColumnMessage = 313,
    RefColumnIdent = 314,
    // Definition wizard, page 1 columns (also the report's reference header).
    WizardColumnAddress = 315,
    WizardColumnIdCode = 316,
    WizardColumnIdent = 317,

    // Manual mode state texts.
    ManualAuto = 330,
    ManualOn = 331,
    ManualOff = 332,
    ManualDay = 333,
    ManualNight = 334,

    // Po optimizer list columns: evaporators 400..410, compressor 411..417 (the compressor list
    // shares "Addr.", "ID-Code", "QEB Ident." and "Message" with the evaporator list).
    PoColumnCaseNo = 400,
    PoColumnAddress = 401,
    PoColumnSection = 402,
    PoColumnIdCode = 403,
    PoColumnDefrostDelay = 404,  // also the change-log label of the individual defrost delays
    PoColumnIdent = 405,
    PoColumnMessage = 406,
    PoColumnRegCond = 407,
    PoColumnThermAir = 408,
    PoColumnThCutIn = 409,
    PoColumnThCutOut = 410,
    PoColumnCircuit = 411,
    PoColumnDp0Out = 412,
    PoColumnP0In = 413,
    PoColumnP0SpIn = 414,
    PoColumnP0RefIn = 415,
    PoColumnP0RefMinIn = 416,
    PoColumnP0RefMaxIn = 417,
    AdvancedPoParameters = 436,

    // Gateway password prompt (the text block handed to the password check).
    PasswordTitle = 500,
    PasswordCheckingSupport = 501,
    PasswordChecking = 502,
    PasswordLabel = 503,
    PasswordOk = 505,
    PasswordCancel = 506,

    // Function type names: TypeNameBase + type code.
    TypeNameBase = 1000,
    TypeYearlySchedule = 1000,
    TypeQebOn = 1001,
    TypeAlarmLimitOffset = 1002,
    TypeDayNightControl = 1003,
    TypePeakShaving = 1004,
    TypeAlarmLimitDirect = 1005,
    TypeDayNightExternal = 1006,
    TypeCentralDefrost = 1007,
    TypePoOptimizer = 1008,

    // Event log phrases and labels.
    IsCreated = 1120,
    AreStarted = 1121,
    AreStopped = 1122,
    AreDeleted = 1123,
    AreChanged = 1124,
    LogLabelInput = 1125,
    LogLabelOutput = 1126,
    LogLabelSchedule = 1127,
    LogLabelName = 1130,
    BasicScheduleChanged = 1133,
    ForceScheduleChanged = 1134,
    ManualModeState = 1137,
    ManualModeValue = 1138,

    // Report.
    ReportPrintedBy = 2000,
    ReportPage = 2001,
    ReportStatus = 2002,

    // --- 3000..3999: start-up, network selection, function list, deletion ---
    OleInitFailed = 3000,
    UnableToCreate = 3001,  // "Unable to create " + "\"" + object name + "\"" + ObjectSuffix
    ObjectSuffix = 3002,
    ErrorOpeningDatabase = 3003,
    NetworkWithoutControlFunctions = 3004,
    NoConnectionToDriver = 3005,
    CommunicationErrorTryAgain = 3006,
    AllocatingRamError = 3007,
    UnknownName = 3008,  // "???" for a missing ID code, user or function name
    ColumnSystemAddress = 3010,
    ColumnIdCode = 3011,
    MaximumNumberReached = 3020,
    TypeNotImplemented = 3021,
    DeletingFunctionsLeft = 3030,

    // --- 3900..3999: texts of the program's own ---
    NumberOutOfRange = 3900,
    WholeNumberOutOfRange = 3901,
    NotANumber = 3902,
    StoredOtherwise = 3950, // the read-back after an update found other fields than were sent
    StopToChange = 3960,    // an editor of a started function, above its disabled fields
    StopToChangeReferences = 3961, // after a conflict in a list whose selection button a start disabled

    // --- 4000..4999: upload, update, start/stop, backup ---
    ErrorSendingMessage = 4000,
    ChangedByAnotherUser = 4001,
    UploadingSetupCaption = 4002,
    UploadingConfiguration = 4003,
    FailedToCopyDatabase = 4004,
    ResettingSetup = 4005,
    Stopping = 4006,
    NetConfigOutdated = 4007,
    NetConfigInconsistence = 4008,
    SureToContinue = 4009,
    UploadingSetup = 4010,
    MissingConfigData = 4011,
    CheckingConsistency = 4012,
    UpdatingSetupCaption = 4020,
    PasswordInvalid = 4021,
    ErrorUpdatingZul = 4022,
    ReturnCodeIs = 4023,
    StartingFunctions = 4024,
    StoppingFunctions = 4025,
    UpdatingZul = 4026,
    CannotWriteToFile = 4030,
    BackupFileTypeError = 4031,
    ContinuingWithTotalUpload = 4032,
    BackupReadError = 4033,
    BackupChecksumError = 4034,
    BackupConflict = 4035,
    BackupRestoreOrUpdate = 4036,
    BackupUpdateQuestion = 4037,
    NotSentToGateway = 4040,
    SendToGateway = 4041,
    SyncStateNotRecorded = 4042,
    SyncStateNotRead = 4043,
    ListClosesConnectionLost = 4044,
    SentToGatewayStatus = 4045,
    NotSentToGatewayStatus = 4046,
    UnsentBeforeUpload = 4047,
    UnsentBeforeUploadChoice = 4048,
    UnsentNotAllSent = 4049,

    // --- 5000..5999: schedule and switching editors ---
    SpecifyFunctionName = 5000,
    SpecifyReference = 5001,
    ParametersWithConflict = 5002,
    SpecifyScheduleReference = 5003,
    SchedulesWithConflict = 5004,
    DataChangedSave = 5005,
    YearFieldsBlank = 5010,
    FillInNumber = 5011,
    DayNumberExceeded = 5012,
    ToAfterFrom = 5013,
    PeriodOverlaps = 5014,
    FillInValue = 5015,
    OffAfterOn = 5016,
    UnknownFunction = 5020,
    FunctionNotSchedule = 5021,
    SelectedSchedulesCount = 5022,
    MaxAllowedNumber = 5023,
    ScheduleReferencesWithErrors = 5024,
    // Holiday calendars imported into a yearly schedule, and its week picture.
    HolidayEndedBeforeNow = 5030,
    HolidayCollidesWith = 5031,
    HolidayCannotBeHeld = 5032,
    HolidayCalendarFiles = 5033,   // the open dialog's filter
    HolidayCalendarNotRead = 5034, // "%s\n%s" with the file and its problem
    HolidaysThatFit = 5035,        // "%s %d" with the number that still fit
    WeekOf = 5036,                 // "%s %s" with the week's Monday
    LegendWeeklyOn = 5037,
    LegendForcedOn = 5038,
    LegendForcedOff = 5039,

    // --- 6000..6999: energy and alarm editors, history, graph, exports ---
    AxisOffset = 6000,
    UnitKelvin = 6002,
    UnitCelsius = 6003,
    StartAboveStop = 6004,
    BandMustNotExceed = 6005,
    LogUseOutdoorTemp = 6010,
    LogOutdoorReferenceTemp = 6011,
    LogOffsetStartTemp = 6012,
    LogOffsetStopTemp = 6013,
    LogEntranceTemp = 6014,
    SwitchOff = 6015,  // "OFF" in change lines
    SwitchOn = 6016,   // "ON" in change lines
    AdvancedSuffix = 6020,
    LogImpulsesPerKwh = 6030,
    LogLoadPeriod = 6031,
    LogInternLoadPeriod = 6032,
    LogPeakLimit = 6033,
    LogMaxShaveTime = 6034,
    LogMaxThermOffset = 6035,
    LogOffsetSteps = 6036,
    LogUseTariffSchedule = 6037,
    LogUseColdAccumSchedule = 6038,
    LogUsePeakMeterSchedule = 6039,
    NoInputControllers = 6040,
    NoOutputControllers = 6041,
    LogPoOptimizerAlarm = 6042,
    LogPoOptimizerAlarmDelay = 6043,
    CriticalCase = 6050,
    Period24Hours = 6051,
    Period7Days = 6052,
    HoursOfSelection = 6053,
    HoursInPercent = 6054,
    NoHistoricalData = 6055,
    ExcelCsvFiles = 6056,
    AllFiles = 6057,
    OutputFileNotCreated = 6058,
    NetAddress = 6059,
    McfNumber = 6060,
    PoOptimizerExported = 6061,
    GraphConsumption = 6070,
    GraphLoad = 6071,
    NormalTariff = 6072,
    LowTariff = 6073,
    NormalLoad = 6074,
    PeakLoad = 6075,
    UnitKwh = 6076,
    UnitKw = 6077,
    MonthJanuary = 6080,
    MonthFebruary = 6081,
    MonthMarch = 6082,
    MonthApril = 6083,
    MonthMay = 6084,
    MonthJune = 6085,
    MonthJuly = 6086,
    MonthAugust = 6087,
    MonthSeptember = 6088,
    MonthOctober = 6089,
    MonthNovember = 6090,
    MonthDecember = 6091,
    CurrentMonth = 6092,
    GraphDataNotFound = 6095,
    SeparatorsIdentical = 6096,
    ReplaceSeparator = 6097,
    InvalidFileName = 6098,
    SaveCurveData = 6099,
    CurveFiles = 6100,
    CurveExported = 6101, // "%s\n'%s'" with the path of the curve file written
    CsvLogName = 6110,
    CsvZulSystemAddress = 6111,
    CsvQebSystemAddress = 6112,
    CsvZulIdCode = 6113,
    CsvQebIdCode = 6114,
    CsvDefaultText = 6115,
    CsvCustomText = 6116,
    CsvLogNumber = 6117,
    CsvLogType = 6118,
    CsvBlockType = 6119,
    CsvBlockNumber = 6120,
    CsvParNumber = 6121,
    CsvParType = 6122,
    CsvDateTime = 6123,

    // --- 7000..7999: references, selection, wizard, multi-parameter lists ---
    QebNotFound = 7000,
    NoQebDescription = 7001,
    ParameterNotExistMcb = 7002,
    ParameterNotExist = 7003,
    ParameterNeedsApproval = 7004,
    CorruptedQebDescription = 7005,
    UploadNewVersion = 7006,
    ParameterReferencesWithErrors = 7010,
    SelectedAutomaticCount = 7011,
    SelectedParameterCount = 7012,
    MustNotMix = 7013,
    AutomaticallyInserted = 7014,
    CheckParametersAgain = 7015,
    QebDescriptionCorrupted = 7016,
    WizardHelpNoParameters = 7020,
    WizardHelpSelectQeb = 7021,
    WizardHelpSignChanges = 7022,
    WizardHelpAffectAll = 7023,
    WizardHelpShownType = 7024,
    DefineParametersFor = 7025,
    WizardHelpSelectFunction = 7026,
    WizardHelpFunctionLocated = 7027,
    WizardHelpAddParameter = 7028,
    ParameterAlreadyInList = 7029,
    DeleteParameterQuestion = 7030,
    ParameterListChangedSave = 7031,
    DefinitionsChanged = 7032,
    KeepChanges = 7033,

    // --- 8000..8999: report ---
    PrintDocumentName = 8000,
    ReportCancelled = 8001,      // the print dialog was cancelled
    ReportNotStarted = 8002,     // "%s '%s'." with the printer or file
    ReportPrintedPages = 8003,   // "%s %d" with the number of pages
    ReportNotComplete = 8004,    // a database error stopped the report before printing
    ReportNoFunction = 8005,     // none of the chosen functions could be read
    ReportLeftOut = 8006,        // "%s %s" with the functions left out
    ReportNoSuchFunction = 8007, // why a function is left out
};

}  // namespace txt
