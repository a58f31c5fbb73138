#pragma once
// The list of an editor's schedule group: the Yearly Schedule functions a
// function follows, one line each ("mark, number, name"), read from and
// written to the schedule reference records of one slot.

#include "editors/schedule/ScheduleRows.h"

#include <QListWidget>

#include <cstdint>

// The value a line carries: the schedule's number, its reference status and,
// while storing, whether its record exists already.
namespace ScheduleLine {
constexpr uint32_t NumberMask = 0x000000FF;
constexpr int StatusShift = 8;
constexpr uint32_t StatusMask = 0x0000FF00;
constexpr uint32_t Stored = 0x00010000;
} // namespace ScheduleLine

class ScheList : public QListWidget {
    Q_OBJECT

public:
    explicit ScheList(QWidget* parent = nullptr);

    bool LoadSchedules(uint8_t functionNumber, uint8_t slot);
    // Deletes the records of schedules no longer listed and inserts those of
    // new lines; an unchanged list writes nothing.
    bool StoreSchedules(uint8_t functionNumber, uint8_t slot);
    // True when no line has a reference status.
    bool SchedulesValid() const;
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    // The source's lines (selected), then every other Yearly Schedule of the gateway.
    bool FillForSelection(const ScheList& source);
    bool CopySchedules(const ScheList& source, bool select, bool onlySelected);
    // Re-reads a schedule's name into its line (added when it is not listed).
    bool RefreshSchedule(uint8_t schedule);

    int lineCount() const { return count(); }
    uint32_t lineValue(int line) const;
    uint8_t scheduleOf(int line) const { return uint8_t(lineValue(line) & ScheduleLine::NumberMask); }
    uint8_t statusOf(int line) const { return uint8_t((lineValue(line) & ScheduleLine::StatusMask) >> ScheduleLine::StatusShift); }
    QString lineText(int line) const;
    int lineOf(uint8_t schedule) const;

private:
    // Adds a line; false when the list refuses it (the full-list message is shown).
    bool addLine(const QString& text, uint32_t value, bool selected);
    static QString textFor(uint8_t schedule, uint8_t status, const std::string& name);

    bool m_modified = false;
};
