#include "model/EventLog.h"

#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "support/Clock.h"
#include "support/Db.h"
#include "support/RecordStore.h"

#include <ctime>

namespace {

constexpr size_t RowBudget = EventLogRecord::MaxText;

std::string gatewayIdCode(const std::string& gatewayAddress)
{
    NetCnfRecord node;
    return ReadNetCnfNode(gatewayAddress, node) == DbStatus::Success ? node.idCode : "???";
}

std::string loggedOnUser()
{
    ScopedTable open(table::XrtBrug, DbMode::ReadOnly);
    if (open.status() != DbStatus::Success)
        return "???";
    uint8_t record[XrtBrugRecord::Size];
    if (DbRelGet(table::XrtBrug, 0, record, sizeof record, DbOp::GetFirst) != DbStatus::Success)
        return "???";
    return XrtBrugRecord::read(record).name;
}

// The rows of one call. Change calls (no phrase) start each item with "\n";
// event calls separate the names with ", " and end each row with the phrase.
std::vector<std::string> packRows(const std::string& header, const std::string& functionName,
                                  const std::vector<std::string>& items, const std::string& phrase)
{
    std::vector<std::string> rows;
    const bool eventRows = !phrase.empty();
    const auto separatorFor = [&](bool firstInRow) -> std::string {
        if (eventRows)
            return firstInRow ? "" : ", ";
        return "\n";
    };
    size_t i = 0;
    while (i < items.size()) {
        std::string row = header;
        size_t budget = RowBudget > header.size() ? RowBudget - header.size() : 0;
        if (eventRows) {
            budget = budget > phrase.size() + 1 ? budget - (phrase.size() + 1) : 0;
        } else {
            row += functionName;
            budget = budget > functionName.size() ? budget - functionName.size() : 0;
        }
        bool first = true;
        for (; i < items.size(); ++i) {
            const std::string separator = separatorFor(first);
            const size_t cost = separator.size() + items[i].size();
            if (!first && cost > budget)
                break;
            row += separator + items[i];
            budget = cost > budget ? 0 : budget - cost;
            first = false;
        }
        if (eventRows)
            row += " " + phrase;
        rows.push_back(row);
    }
    return rows;
}

uint16_t insertRows(const std::vector<std::string>& rows)
{
    if (rows.empty())
        return DbStatus::Success;
    const std::string user = loggedOnUser();
    ScopedTable open(table::EventLog, DbMode::Normal);
    if (open.status() != DbStatus::Success) {
        REPORT_DB_ERROR(table::EventLog, open.status());
        return open.status();
    }
    // The rows of one event stand together in the log or not at all.
    DbBatch batch(table::EventLog);
    if (batch.beginStatus() != DbStatus::Success) {
        REPORT_DB_ERROR(table::EventLog, batch.beginStatus());
        return batch.beginStatus();
    }
    for (const std::string& text : rows) {
        const std::time_t now = CurrentTime();
        std::tm local{};
        localtime_r(&now, &local);
        EventLogRecord row;
        row.year = StrFormat("%04d", local.tm_year + 1900);
        row.month = StrFormat("%02d", local.tm_mon + 1);
        row.day = StrFormat("%02d", local.tm_mday);
        row.hour = StrFormat("%02d", local.tm_hour);
        row.minute = StrFormat("%02d", local.tm_min);
        row.second = StrFormat("%02d", local.tm_sec);
        row.text = text.substr(0, EventLogRecord::MaxText);
        row.user = user;
        const auto bytes = row.bytes();
        const uint16_t status = DbInsert(table::EventLog, 0, bytes.data(), uint16_t(bytes.size()));
        if (status != DbStatus::Success) {
            REPORT_DB_ERROR(table::EventLog, status);
            return status;
        }
    }
    const uint16_t committed = batch.commit();
    if (committed != DbStatus::Success)
        REPORT_DB_ERROR(table::EventLog, committed);
    return committed;
}

std::string headerLine(const std::string& gatewayAddress)
{
    return StrFormat("%s %s\n", gatewayAddress.c_str(), gatewayIdCode(gatewayAddress).c_str());
}

} // namespace

std::vector<std::string> PackEventRows(const std::string& header, const std::string& functionName,
                                       const std::vector<std::string>& items, const std::string& phrase)
{
    return packRows(header, functionName, items, phrase);
}

uint16_t LogFunctionEvent(const std::string& gatewayAddress, const std::vector<std::string>& functionNames,
                      uint16_t phraseId)
{
    if (functionNames.empty())
        return DbStatus::Success;
    return insertRows(packRows(headerLine(gatewayAddress), {}, functionNames, TextById(phraseId)));
}

uint16_t LogChangeLines(const std::string& gatewayAddress, const std::string& functionName,
                    const std::vector<std::string>& lines)
{
    if (lines.empty())
        return DbStatus::Success;
    return insertRows(packRows(headerLine(gatewayAddress), functionName, lines, {}));
}

std::vector<std::string> ChangedListLines(const std::vector<ChangedList>& changes)
{
    static constexpr struct {
        int kind;
        uint16_t label;
    } groups[] = {{1, txt::LogLabelInput}, {2, txt::LogLabelOutput}, {3, txt::LogLabelSchedule}};
    std::vector<std::string> lines;
    for (const auto& group : groups) {
        std::string line;
        for (const ChangedList& change : changes) {
            if (change.kind != group.kind)
                continue;
            if (line.empty())
                line = StrFormat("%s %s", TextById(group.label).c_str(), change.caption.c_str());
            else
                line += StrFormat(", %s", change.caption.c_str());
        }
        if (!line.empty())
            lines.push_back(line + StrFormat(" %s", TextById(txt::AreChanged).c_str()));
    }
    return lines;
}

uint16_t LogFunctionChanges(const std::string& gatewayAddress, const std::string& functionName,
                        const std::vector<ChangedList>& changes)
{
    return LogChangeLines(gatewayAddress, functionName, ChangedListLines(changes));
}

std::vector<std::string> NameChangeLines(const std::string& loadedName, const std::string& savedName)
{
    if (loadedName == savedName)
        return {};
    return {StrFormat("%s  %s -> %s", TextById(txt::LogLabelName).c_str(), loadedName.c_str(), savedName.c_str())};
}

std::vector<std::string> CheckBoxChangeLines(const std::string& group, const std::string& box, int loaded, int saved)
{
    if (loaded == saved)
        return {};
    return {StrFormat("%s %s  %d -> %d", group.c_str(), box.c_str(), loaded, saved)};
}

std::vector<std::string> SwitchChangeLines(uint16_t labelId, bool loaded, bool saved)
{
    if (loaded == saved)
        return {};
    const auto text = [](bool on) { return TextById(on ? txt::SwitchOn : txt::SwitchOff); };
    return {StrFormat("%s  %s -> %s", TextById(labelId).c_str(), text(loaded).c_str(), text(saved).c_str())};
}

std::vector<std::string> NumberChangeLines(uint16_t labelId, int16_t loaded, int16_t saved)
{
    if (loaded == saved)
        return {};
    return {StrFormat("%s  %hd -> %hd", TextById(labelId).c_str(), loaded, saved)};
}
