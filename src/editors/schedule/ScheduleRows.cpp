#include "editors/schedule/ScheduleRows.h"

#include "model/McdefAccess.h"
#include "model/TextIds.h"
#include "support/DbStatus.h"

uint16_t ScheduleStatusText(uint8_t status)
{
    if (status == 0)
        return txt::Empty;
    return (status & ScheduleStatus::UnknownFunction) ? txt::UnknownFunction : txt::FunctionNotSchedule;
}

uint16_t ReadScheduleRows(uint8_t functionNumber, uint8_t slot, std::vector<ScheduleRow>& rows)
{
    std::vector<McdefRecord> records;
    uint16_t status = ReadBlocks(functionNumber, BlockType::ScheduleReference, slot, records);
    if (status != DbStatus::Success)
        return status;
    for (const McdefRecord& record : records) {
        ScheduleRow row{record.item(), record[4], std::nullopt};
        if (!(row.status & (ScheduleStatus::UnknownFunction | ScheduleStatus::NotASchedule))) {
            McdefRecord header;
            status = ReadBlock(record.item(), BlockType::Header, 0, 0, header);
            if (status == DbStatus::Success)
                row.name = header.name();
            else if (status != DbStatus::KeyNotFound)
                return status;
        }
        rows.push_back(std::move(row));
    }
    return DbStatus::Success;
}
