#include "editors/schedule/ScheList.h"

#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"
#include "support/TabStopDelegate.h"
#include "support/UiSeam.h"

#include <new>

namespace {
constexpr int ValueRole = Qt::UserRole;
}

ScheList::ScheList(QWidget* parent)
    : QListWidget(parent)
{
    setItemDelegate(new TabStopDelegate({10, 30}, this));
}

QString ScheList::textFor(uint8_t schedule, uint8_t status, const std::string& name)
{
    const std::string shown = status != 0 ? TextById(ScheduleStatusText(status)) : name;
    return QString::fromStdString(StrFormat("%s\t%03d\t%s", status != 0 ? "!" : " ", schedule, shown.c_str()));
}

bool ScheList::addLine(const QString& text, uint32_t value, bool selected)
{
    QListWidgetItem* line = nullptr;
    try {
        line = new QListWidgetItem(text);
    } catch (const std::bad_alloc&) {
        MessageById(txt::ListFull, MB::Ok | MB::IconStop, this);
        return false;
    }
    line->setData(ValueRole, value);
    addItem(line);
    line->setSelected(selected);
    m_modified = true;
    return true;
}

uint32_t ScheList::lineValue(int line) const { return item(line)->data(ValueRole).toUInt(); }

QString ScheList::lineText(int line) const { return item(line)->text(); }

int ScheList::lineOf(uint8_t schedule) const
{
    for (int i = 0; i < count(); ++i)
        if (scheduleOf(i) == schedule)
            return i;
    return -1;
}

bool ScheList::LoadSchedules(uint8_t functionNumber, uint8_t slot)
{
    std::vector<ScheduleRow> rows;
    uint16_t status = ReadScheduleRows(functionNumber, slot, rows);
    for (const ScheduleRow& row : rows) {
        if (status != DbStatus::Success)
            break;
        if (row.status == 0 && !row.name) {
            status = DbStatus::KeyNotFound;
            break;
        }
        const uint32_t value = row.schedule | (uint32_t(row.status) << ScheduleLine::StatusShift);
        if (!addLine(textFor(row.schedule, row.status, row.name.value_or(std::string())), value, false))
            return false;
    }
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
        return false;
    }
    return true;
}

bool ScheList::StoreSchedules(uint8_t functionNumber, uint8_t slot)
{
    std::vector<McdefRecord> records;
    uint16_t status = ReadBlocks(functionNumber, BlockType::ScheduleReference, slot, records);
    // The deletions and insertions are kept all or none.
    DbBatch batch(table::Mcdef);
    if (status == DbStatus::Success)
        status = batch.beginStatus();
    for (const McdefRecord& record : records) {
        if (status != DbStatus::Success)
            break;
        const int line = lineOf(record.item());
        if (line >= 0) {
            item(line)->setData(ValueRole, lineValue(line) | ScheduleLine::Stored);
            continue;
        }
        McdefRecord current;
        status = ReadBlock(record.number(), record.blockType(), record.blockNumber(), record.item(), current);
        if (status == DbStatus::Success)
            status = DbDelete(table::Mcdef);
    }
    for (int line = 0; line < count() && status == DbStatus::Success; ++line) {
        const uint32_t value = lineValue(line);
        item(line)->setData(ValueRole, value & ~ScheduleLine::Stored);
        if (value & ScheduleLine::Stored)
            continue;
        status = InsertBlock(McdefRecord(functionNumber, BlockType::ScheduleReference, slot,
                                         uint8_t(value & ScheduleLine::NumberMask)));
    }
    if (status == DbStatus::Success)
        status = batch.commit();
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
        return false;
    }
    return true;
}

bool ScheList::SchedulesValid() const
{
    for (int line = 0; line < count(); ++line)
        if (statusOf(line) != 0)
            return false;
    return true;
}

bool ScheList::FillForSelection(const ScheList& source)
{
    setUpdatesEnabled(false);
    const bool filled = [&] {
        if (!CopySchedules(source, true, false))
            return false;
        std::vector<McdefRecord> headers;
        const uint16_t status = ReadHeaders(headers);
        if (status != DbStatus::Success) {
            ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
            return false;
        }
        for (const McdefRecord& header : headers) {
            if (header.type() != FunctionType::YearlySchedule || source.lineOf(header.number()) >= 0)
                continue;
            if (!addLine(textFor(header.number(), 0, header.name()), header.number(), false))
                return false;
        }
        return true;
    }();
    setUpdatesEnabled(true);
    return filled;
}

bool ScheList::CopySchedules(const ScheList& source, bool select, bool onlySelected)
{
    if (count() > 0)
        m_modified = true;
    clear();
    for (int line = 0; line < source.count(); ++line) {
        if (onlySelected && !source.item(line)->isSelected())
            continue;
        if (!addLine(source.lineText(line), source.lineValue(line) & ~ScheduleLine::Stored, select))
            return false;
    }
    return true;
}

bool ScheList::RefreshSchedule(uint8_t schedule)
{
    const int line = lineOf(schedule);
    if (line >= 0 && (statusOf(line) & ScheduleStatus::GatewayReported))
        return false;
    McdefRecord header;
    const uint16_t status = ReadBlock(schedule, BlockType::Header, 0, 0, header);
    if (status != DbStatus::Success)
        return false;
    const QString text = textFor(schedule, 0, header.name());
    if (line < 0)
        return addLine(text, schedule, false);
    item(line)->setText(text);
    item(line)->setData(ValueRole, uint32_t(schedule));
    m_modified = true;
    return true;
}
