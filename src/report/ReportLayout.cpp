#include "report/ReportLayout.h"

#include "editors/defrost/DefrostTimes.h"
#include "editors/energy/AlarmSettings.h"
#include "editors/energy/PoOptimizerSettings.h"
#include "editors/schedule/BasicSchedule.h"
#include "editors/schedule/ScheduleRows.h"
#include "editors/schedule/ForcedPeriods.h"
#include "model/FunctionSettings.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "model/StringTable.h"
#include "model/Texts.h"
#include "model/TypeNames.h"
#include "protocol/CodePage.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "references/ParameterDefinitions.h"
#include "references/QebTypeIni.h"
#include "report/ReportItems.h"
#include "support/Db.h"
#include "support/DbStatus.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/Util.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

// The header, the two blank lines below it and at least one line of content.
constexpr int MinimumLinesPerPage = 4;
constexpr size_t AsteriskRuleLength = 60;
constexpr size_t HeaderGap = 29;
constexpr size_t MaxPrintedPeriods = 30;
// The loops the report tries for a controller whose QebType.ini section has no LoopId.
constexpr const char* ReportLoopLetters = "ABC";

std::string cp(const std::string& utf8) { return ToCodePage(utf8); }
std::string text(uint16_t id) { return cp(TextById(id)); }
std::string control(uint16_t dialogId, uint16_t controlId)
{
    return cp(PrintedCaption(ControlText(dialogId, controlId)));
}
std::string filled(std::string line)
{
    if (line.size() < ReportWidth)
        line.append(ReportWidth - line.size(), ' ');
    return line;
}
char mark(bool set) { return set ? 'X' : ' '; }

// A value as the editors show it: a flag as its check box, a measured value
// with two decimals, a choice from a list as the list has it.
std::string shownValue(const SettingField& field, double value)
{
    if (field.kind == SettingKind::U8 && field.minimum == 0 && field.maximum == 1 && field.unit.empty())
        return StrFormat("[%c]", mark(value != 0));
    if (field.kind == SettingKind::F32 && field.allowed.empty())
        return StrFormat("%.2f", value);
    return SettingText(field, value);
}

// The first user of XRTBRUG: " login [name] ", or nothing without one.
std::string userOfHeader()
{
    ScopedTable open(table::XrtBrug, DbMode::ReadOnly);
    uint8_t record[XrtBrugRecord::Size];
    if (open.status() != DbStatus::Success
        || DbRelGet(table::XrtBrug, 0, record, sizeof record, DbOp::GetFirst) != DbStatus::Success)
        return {};
    const XrtBrugRecord user = XrtBrugRecord::read(record);
    return " " + cp(user.login) + " [" + cp(user.name) + "] ";
}

// Lines going onto pages: a page opens with the header when its first line
// comes, and closes when it is full or ended.
class PageWriter {
public:
    PageWriter(int linesPerPage, std::string headerStart)
        : m_linesPerPage(std::max(linesPerPage, MinimumLinesPerPage))
        , m_headerStart(std::move(headerStart))
    {
    }

    void line(std::string text, const ReportFont& font = ReportFonts::Base)
    {
        if (!m_open)
            openPage();
        put(std::move(text), font);
        if (m_current >= m_linesPerPage)
            m_open = false;
    }
    void blank() { line({}); }
    // The next line starts a new page, unless nothing is on this one yet.
    void newPage() { m_open = false; }
    int linesLeft() const { return m_open ? m_linesPerPage - m_current : m_linesPerPage; }

    std::vector<ReportPage> pages;

private:
    void openPage()
    {
        pages.emplace_back();
        m_open = true;
        m_current = 0;
        const std::string stamp = GetTimeStamp();
        put(m_headerStart + std::string(HeaderGap, ' ')
                + StrFormat("%s-%s-%s %s:%s   %s   %d", stamp.substr(0, 4).c_str(), stamp.substr(5, 2).c_str(),
                            stamp.substr(8, 2).c_str(), stamp.substr(11, 2).c_str(), stamp.substr(14, 2).c_str(),
                            text(txt::ReportPage).c_str(), int(pages.size())),
            ReportFonts::PageHeader);
        put({}, ReportFonts::Base);
        put({}, ReportFonts::Base);
    }
    void put(std::string text, const ReportFont& font)
    {
        pages.back().push_back({std::move(text), font});
        ++m_current;
    }

    int m_linesPerPage;
    std::string m_headerStart;
    bool m_open = false;
    int m_current = 0;
};

class ReportBuilder {
public:
    explicit ReportBuilder(const ReportRequest& request)
        : m_request(request)
        , m_pages(request.linesPerPage, text(txt::ReportPrintedBy) + userOfHeader())
        , m_textMode(ReadTextMode())
    {
    }

    ReportLayout run()
    {
        const uint16_t open = OpenMcdef();
        if (open != DbStatus::Success)
            return fail(open);
        for (uint8_t number : m_request.numbers) {
            McdefRecord header;
            const uint16_t status = ReadBlock(number, BlockType::Header, 0, 0, header);
            if (status != DbStatus::Success) {
                m_leftOut.push_back({number, status});
                continue;
            }
            if (m_request.pageBreak)
                m_pages.newPage();
            if (!m_overviewDone && !overview())
                return finish();
            if (!section(header))
                return finish();
            if (m_request.pageBreak)
                m_pages.newPage();
        }
        return finish();
    }

private:
    ReportLayout fail(uint16_t status, const char* table = table::Mcdef)
    {
        m_failure = FailedRowRead(table, status);
        return finish();
    }
    ReportLayout finish() { return {std::move(m_pages.pages), m_failure, std::move(m_leftOut)}; }
    bool failed(uint16_t status, const char* table = table::Mcdef)
    {
        m_failure = FailedRowRead(table, status);
        return false;
    }

    std::string onOff(uint8_t flags) const
    {
        return text((flags & FunctionFlag::Started) ? txt::StateOn : txt::StateOff);
    }
    std::string errorText(uint8_t flags) const
    {
        return text((flags & FunctionFlag::ErrorMark) ? txt::StateError : txt::Empty);
    }

    bool overview()
    {
        m_overviewDone = true;
        const uint32_t used = m_request.totalMemory - std::min(m_request.freeMemory, m_request.totalMemory);
        m_pages.line(StrFormat("%s: %s, %s, %s %dK [%dK]", control(dlg::FunctionList, 302).c_str(),
                               m_request.gatewayAddress.c_str(), cp(m_request.idCode).c_str(),
                               control(dlg::FunctionList, 304).c_str(), int(used / 1000),
                               int(m_request.totalMemory / 1000)),
                     ReportFonts::Bold);
        m_pages.blank();
        m_pages.line(filled(StrFormat("%-20s %-20s %-10s %-30s", text(txt::ColumnType).c_str(),
                                      text(txt::ColumnName).c_str(), text(txt::ColumnNumber).c_str(),
                                      text(txt::ReportStatus).c_str())),
                     ReportFonts::BoldUnderlined);
        m_pages.blank();
        std::vector<McdefRecord> headers;
        const uint16_t status = ReadHeaders(headers);
        if (status != DbStatus::Success)
            return failed(status);
        for (const McdefRecord& header : headers) {
            const uint8_t flags = header.flags();
            m_pages.line(StrFormat("%-20s %-20s %-10d %-10s%-10s%-25s", cp(TypeName(header.type())).c_str(),
                                   cp(header.name()).c_str(), int(header.number()), onOff(flags).c_str(),
                                   text((flags & FunctionFlag::Manual) ? txt::StateManual : txt::Empty).c_str(),
                                   errorText(flags).c_str()));
        }
        m_pages.line(std::string(ReportWidth, ' '), ReportFonts::BoldUnderlined);
        return true;
    }

    bool section(const McdefRecord& header)
    {
        if (m_pages.linesLeft() < SectionMinimumLines)
            m_pages.newPage();
        const std::string no = text(txt::ColumnNumber);
        const std::string name = text(txt::ColumnName);
        const std::string type = text(txt::ColumnType);
        const std::string status = text(txt::ReportStatus);
        const std::string functionName = cp(header.name());
        const std::string typeName = cp(TypeName(header.type()));
        const int width = 54 - int(no.size() + name.size() + type.size() + functionName.size() + typeName.size())
            + int(status.size());
        m_pages.blank();
        m_pages.line(StrFormat("%s: %-3d %s: %s  %s: %s,%*s: %s, %s", no.c_str(), int(header.number()), name.c_str(),
                               functionName.c_str(), type.c_str(), typeName.c_str(), width, status.c_str(),
                               onOff(header.flags()).c_str(), errorText(header.flags()).c_str()),
                     ReportFonts::Bold);
        m_pages.line(std::string(AsteriskRuleLength, '*'), ReportFonts::Bold);
        m_pages.blank();
        const auto items = ReportItemsOf(header.type());
        for (const ReportItem& item : items)
            if (item.blockType == BlockType::Data && !settingsItem(header, item))
                return false;
        for (const ReportItem& item : items)
            if (item.blockType != BlockType::Data && !referenceItem(header, item))
                return false;
        return true;
    }

    // --- settings ---------------------------------------------------------

    bool settingsItem(const McdefRecord& header, const ReportItem& item)
    {
        if (header.type() == FunctionType::PeakShaving)
            m_pages.line(control(uint16_t(item.dialogId), uint16_t(item.captionControl)), ReportFonts::Bold);
        for (uint8_t block : item.blocks) {
            if (block == 0)
                break;
            std::vector<McdefRecord> records;
            const uint16_t status = ReadBlocks(header.number(), BlockType::Data, block, records);
            if (status != DbStatus::Success)
                return failed(status);
            if (records.empty() || records.front().item() != 0)
                continue;
            if (!settingsBlock(header, item, block, records))
                return false;
        }
        return true;
    }

    bool settingsBlock(const McdefRecord& header, const ReportItem& item, uint8_t block,
                       const std::vector<McdefRecord>& records)
    {
        const uint8_t type = header.type();
        const McdefRecord& settings = records.front();
        if (type == FunctionType::PeakShaving) {
            fieldLines(type, block, settings);
            return true;
        }
        switch (block) {
        case 1:
            manualMode(header, item, settings);
            return true;
        case 2:
            if (type == FunctionType::AlarmLimitOffset || type == FunctionType::AlarmLimitDirect)
                alarmSettings(type, settings);
            else if (type == FunctionType::YearlySchedule)
                return weeklyTimes(header.number(), settings);
            return true;
        case 3:
            if (type == FunctionType::CentralDefrost)
                defrostTimes(settings);
            return true;
        case 4:
            if (type == FunctionType::YearlySchedule)
                datedPeriods(records);
            return true;
        default:
            return true;
        }
    }

    void manualMode(const McdefRecord& header, const ReportItem& item, const McdefRecord& settings)
    {
        const uint8_t type = header.type();
        if (type == FunctionType::YearlySchedule)
            return;
        if (type == FunctionType::PoOptimizer) {
            poSettings(settings);
            m_pages.blank();
            return;
        }
        const uint16_t stateId = !(header.flags() & FunctionFlag::Manual) ? txt::ManualAuto
            : settings[7] != 0                                            ? txt::ManualOn
                                                                          : txt::ManualOff;
        const std::string caption = control(uint16_t(item.dialogId), uint16_t(item.captionControl));
        const std::string state = text(stateId);
        if (type == FunctionType::AlarmLimitOffset || type == FunctionType::AlarmLimitDirect)
            m_pages.line(StrFormat("%s: %s, %d K", caption.c_str(), state.c_str(), int(le::i16(&settings[7]))),
                         ReportFonts::Bold);
        else
            m_pages.line(StrFormat("%s: %s", caption.c_str(), state.c_str()), ReportFonts::Bold);
        m_pages.blank();
    }

    // The fields of a settings block as the field table names them, one a line
    // with its value as the editor shows it and its unit.
    void fieldLines(uint8_t type, uint8_t block, const McdefRecord& settings)
    {
        for (const SettingField& field : SettingFields()) {
            if (field.type != type || field.block != block)
                continue;
            std::string name = field.name;
            name[0] = char(std::toupper(static_cast<unsigned char>(name[0])));
            std::string line = name + ": " + shownValue(field, SettingValue(field, settings));
            if (!field.unit.empty())
                line += " " + field.unit;
            m_pages.line(cp(line));
        }
    }

    void alarmSettings(uint8_t type, const McdefRecord& settings)
    {
        const AlarmSettings alarm = UnpackAlarmSettings(settings);
        m_pages.line(control(dlg::AlarmLimit, 107), ReportFonts::Bold);
        std::string line = StrFormat("[%c] %s: %d\xB0" "C, %s: %d\xB0" "C --> %d\xB0" "C", mark(alarm.useOutdoor),
                                     control(dlg::AlarmLimit, 23).c_str(), int(alarm.outdoorReference),
                                     control(dlg::AlarmLimit, 111).c_str(), int(alarm.lowerBand),
                                     int(alarm.upperBand));
        if (type == FunctionType::AlarmLimitDirect)
            line += StrFormat(", %s: %d\xB0" "C,", text(txt::Limit).c_str(), int(alarm.entrance));
        m_pages.line(line);
    }

    bool weeklyTimes(uint8_t number, const McdefRecord& block2)
    {
        McdefRecord block3(number, BlockType::Data, 3, 0);
        const uint16_t status = ReadBlock(number, BlockType::Data, 3, 0, block3);
        if (status != DbStatus::Success && status != DbStatus::KeyNotFound)
            return failed(status);
        const BasicSchedule schedule = UnpackBasicSchedule(block2, block3);
        const std::string on = control(dlg::YearlySchedule, 2009);
        const std::string off = control(dlg::YearlySchedule, 2010);
        m_pages.line(control(dlg::YearlySchedule, 2000), ReportFonts::Bold);
        m_pages.line(StrFormat("      %-5s - %-5s    %-5s - %-5s    %-5s - %-5s    %-5s - %-5s", on.c_str(), off.c_str(),
                               on.c_str(), off.c_str(), on.c_str(), off.c_str(), on.c_str(), off.c_str()),
                     ReportFonts::Underlined);
        for (size_t day = 0; day < ScheduleDays; ++day) {
            const std::string label = control(dlg::YearlySchedule, uint16_t(2001 + day));
            const BasicPeriod& first = schedule[day][0];
            std::string line = first.off > 0
                ? StrFormat("%-5s %02d:%02d - %02d:%02d", label.c_str(), first.on / 60, first.on % 60, first.off / 60,
                            first.off % 60)
                : StrFormat("%-5s   :       :  ", label.c_str());
            for (size_t k = 1; k < PeriodsPerDay; ++k) {
                const BasicPeriod& period = schedule[day][k];
                line += period.off > 0 ? StrFormat("    %02d:%02d - %02d:%02d", period.on / 60, period.on % 60,
                                                   period.off / 60, period.off % 60)
                                       : std::string("      :       :  ");
            }
            m_pages.line(line);
        }
        return true;
    }

    void datedPeriods(const std::vector<McdefRecord>& records)
    {
        m_pages.line(control(dlg::YearlySchedule, 2017), ReportFonts::Bold);
        const std::vector<ForcedPeriod> periods = UnpackPeriods(records);
        for (size_t i = 0; i < periods.size() && i < MaxPrintedPeriods; ++i)
            m_pages.line(PeriodLine(periods[i], text(periods[i].state == PeriodState::On ? txt::StateOn : txt::StateOff),
                                    ' '));
    }

    void defrostTimes(const McdefRecord& settings)
    {
        const DefrostTimes defrost = UnpackDefrostTimes(settings);
        m_pages.line(control(dlg::CentralDefrost, 17), ReportFonts::Bold);
        m_pages.line(StrFormat("%-14s %-14s %-14s %-17.17s", control(dlg::DefrostSchedules, 2009).c_str(),
                               control(dlg::DefrostSchedules, 2010).c_str(),
                               control(dlg::DefrostSchedules, 2011).c_str(), " "),
                     ReportFonts::Underlined);
        for (size_t row = 0; row < DefrostTimesPerSchedule; ++row) {
            std::string line;
            for (size_t schedule = 0; schedule < DefrostScheduleCount; ++schedule) {
                const int time = defrost.times[DefrostTimes::index(schedule, row)];
                line += time > 0 ? StrFormat("%02d:%02d          ", time / 60, time % 60)
                                 : std::string("  :            ");
            }
            if (row < DefrostWeekdays) {
                const uint8_t chosen = defrost.weekdays[row];
                const std::string scheduleLabel = chosen < DefrostScheduleCount
                    ? control(dlg::DefrostSchedules, uint16_t(2009 + chosen))
                    : std::string();
                line += StrFormat("%-5s: %s", control(dlg::DefrostSchedules, uint16_t(2101 + row)).c_str(),
                                  scheduleLabel.c_str());
            }
            m_pages.line(line);
        }
    }

    void poSettings(const McdefRecord& settings)
    {
        const PoSettings po = UnpackPoSettings(settings);
        const auto po158 = [](uint16_t id) { return control(dlg::PoOptimizer, id); };
        const auto po166 = [](uint16_t id) { return control(dlg::PoAdvanced, id); };
        m_pages.line(po158(1151), ReportFonts::Bold);
        m_pages.line(StrFormat("%s: %0.1f, %s: [%c]", po158(1153).c_str(), double(po.actualOffset),
                               po158(1134).c_str(), mark(po.offsetDisable != 0)));
        m_pages.blank();
        m_pages.line(text(txt::AdvancedPoParameters), ReportFonts::Bold);
        m_pages.line(StrFormat("%s: [%c],  %s: %d,  %s: %d,  %s: %d,  %s: %0.1f,  %s: %0.1f", po166(1134).c_str(),
                               mark(po.alarmEnable != 0), po166(1158).c_str(), int(po.alarmDelay),
                               po166(1154).c_str(), int(po.period), po166(1155).c_str(), int(po.filter),
                               po166(1156).c_str(), double(po.kp), po166(1157).c_str(), double(po.tn)));
        m_pages.line(StrFormat("%s %s: [%c]", po166(1170).c_str(), po166(1171).c_str(),
                               mark(po.optimiseCommunication == 1)));
    }

    // --- references -------------------------------------------------------

    bool referenceItem(const McdefRecord& header, const ReportItem& item)
    {
        m_pages.blank();
        m_pages.line(control(uint16_t(item.dialogId), uint16_t(item.captionControl)), ReportFonts::Bold);
        if (header.type() == FunctionType::PoOptimizer)
            return multiParameterItem(header.number(), item.blockType);
        m_pages.line(filled(StrFormat("%-5s  %-16s %-20s %-13s%9s%-30s", text(txt::WizardColumnAddress).c_str(),
                                      text(txt::WizardColumnIdCode).c_str(), text(txt::RefColumnParameter).c_str(),
                                      text(txt::RefColumnIdent).c_str(), " ", text(txt::RefColumnMessage).c_str())),
                     ReportFonts::Underlined);
        for (uint8_t block : item.blocks) {
            if (block == 0)
                break;
            if (item.blockType == BlockType::ScheduleReference) {
                if (!scheduleRows(header.number(), block))
                    return false;
                continue;
            }
            const ReferenceRowsRead read = ReadReferenceRows(m_request.gatewayAddress, header.number(),
                                                             item.blockType, {block, 0, 0, 0});
            for (const ReferenceRow& row : read.rows)
                referenceRow(row.status != ReferenceStatus::Valid, std::atoi(row.address.c_str()), row.idCode,
                             TextByMode(row.defaultText, row.customText, m_textMode), row.ident, row.message);
            if (read.failure) {
                m_failure = read.failure;
                return false;
            }
            if (read.controllerMissing)
                break;
        }
        return true;
    }

    void referenceRow(bool marked, int address, const std::string& idCode, const std::string& parameter,
                      const std::string& ident, const std::string& message)
    {
        m_pages.line(StrFormat("%-2s %03d %-16s %-20s %-13s%9s%-30s", marked ? "!" : " ", address,
                               cp(idCode).c_str(), cp(parameter).c_str(), cp(ident).c_str(), " ",
                               cp(message).c_str()));
    }

    bool scheduleRows(uint8_t number, uint8_t slot)
    {
        std::vector<ScheduleRow> rows;
        const uint16_t status = ReadScheduleRows(number, slot, rows);
        if (status != DbStatus::Success)
            return failed(status);
        for (const ScheduleRow& row : rows)
            referenceRow(row.status != 0, row.schedule, row.name.value_or(TextById(txt::UnknownName)), {}, {},
                         TextById(ScheduleStatusText(row.status)));
        return true;
    }

    bool multiParameterItem(uint8_t number, uint8_t blockType)
    {
        const bool evaporators = blockType == BlockType::Input;
        m_pages.line(StrFormat("%-6s/%-10s %-16s %-13s%19s%-30s", text(txt::WizardColumnAddress).c_str(),
                               text(evaporators ? txt::PoColumnSection : txt::PoColumnCircuit).c_str(),
                               text(txt::WizardColumnIdCode).c_str(), text(txt::RefColumnIdent).c_str(), " ",
                               text(txt::RefColumnMessage).c_str()));
        const std::string columns = evaporators
            ? StrFormat("%-10s %-15s  %-15s %-15s %-15s %-15s", text(txt::PoColumnCaseNo).c_str(),
                        text(txt::PoColumnDefrostDelay).c_str(), text(txt::PoColumnRegCond).c_str(),
                        text(txt::PoColumnThermAir).c_str(), text(txt::PoColumnThCutIn).c_str(),
                        text(txt::PoColumnThCutOut).c_str())
            : StrFormat("%10s %-15s %-15s %-15s %-15s %-15s %-15s", " ", text(txt::PoColumnDp0Out).c_str(),
                        text(txt::PoColumnP0In).c_str(), text(txt::PoColumnP0SpIn).c_str(),
                        text(txt::PoColumnP0RefIn).c_str(), text(txt::PoColumnP0RefMinIn).c_str(),
                        text(txt::PoColumnP0RefMaxIn).c_str());
        m_pages.line(filled(columns), ReportFonts::ItalicUnderlined);
        const QebTypeIni ini;
        const MultiRowsRead read = evaporators ? ReadEvaporatorRows(m_request.gatewayAddress, number, ini)
                                               : ReadCompressorRows(m_request.gatewayAddress, number, ini);
        if (read.failure) {
            m_failure = read.failure;
            return false;
        }
        const auto slotText = [this](const ParameterSlot& slot) {
            return StrFormat("%-15.15s ", cp(TextByMode(slot.defaultText, slot.customText, m_textMode)).c_str());
        };
        for (size_t i = 0; i < read.rows.size(); ++i) {
            const MultiParmRow& row = read.rows[i];
            const std::string letters = ini.loopLetters(row.ident, ReportLoopLetters);
            const uint8_t loop = FindLoop(ini, row, letters);
            const char letter = loop == NoLoop ? row.loop : letters[loop];
            m_pages.line(StrFormat("%-2s%03d%1s %10s %-16s %-13s%19s%-30s", row.status != ReferenceStatus::Valid ? "!" : " ",
                                   int(row.address), std::string(1, letter).c_str(), " ", cp(row.idCode).c_str(),
                                   cp(row.ident).c_str(), " ", cp(row.message).c_str()));
            std::string parameters;
            if (evaporators) {
                parameters = StrFormat("%10s %-15s  ", StrFormat("%02d", int(i + 1)).c_str(),
                                       std::to_string(row.defrostDelay / 60).c_str());
                for (size_t slot = 0; slot < 4; ++slot)
                    parameters += slotText(row.inputs[slot]);
            } else {
                parameters = StrFormat("%10s ", " ") + slotText(row.output);
                for (size_t slot = 0; slot < 5; ++slot)
                    parameters += slotText(row.inputs[slot]);
            }
            m_pages.line(parameters);
        }
        return true;
    }

    const ReportRequest& m_request;
    PageWriter m_pages;
    int m_textMode;
    bool m_overviewDone = false;
    std::optional<RowReadFailure> m_failure;
    std::vector<LeftOutFunction> m_leftOut;
};

} // namespace

ReportLayout LayOutReport(const ReportRequest& request) { return ReportBuilder(request).run(); }

std::string LeftOutText(const std::vector<LeftOutFunction>& leftOut)
{
    std::string text;
    for (const LeftOutFunction& function : leftOut) {
        const std::string reason = function.status == DbStatus::KeyNotFound
            ? TextById(txt::ReportNoSuchFunction)
            : StrFormat("%s '%s' %s = %hd", TextById(txt::ErrorOnDatabase).c_str(), table::Mcdef,
                        TextById(txt::ReturnCode).c_str(), short(function.status));
        text += StrFormat("%s %s %d (%s)", text.empty() ? TextById(txt::ReportLeftOut).c_str() : ",",
                          TextById(txt::ColumnNumber).c_str(), int(function.number), reason.c_str());
    }
    return text;
}

bool ReadPageBreak() { return GetPrivateProfileInt("VELT", "PageBreak", 0, OrpaIniFile()) != 0; }

std::string LineText(const ReportLine& line) { return FromCodePage(line.text); }

std::string ReportText(const std::vector<ReportPage>& pages)
{
    std::string all;
    for (size_t page = 0; page < pages.size(); ++page) {
        if (page > 0)
            all += '\f';
        for (const ReportLine& line : pages[page])
            all += LineText(line) + '\n';
    }
    return all;
}
