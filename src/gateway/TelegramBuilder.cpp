#include "gateway/TelegramBuilder.h"

#include "model/McdefAccess.h"
#include "protocol/DataBlocks.h"
#include "protocol/HeaderTelegram.h"
#include "protocol/LittleEndian.h"
#include "protocol/ReferenceForms.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"

#include <algorithm>
#include <optional>

namespace {

constexpr size_t D = TelegramField::Data;
constexpr uint8_t ScheduleReferencesPerTelegram = 10;

// Collects the telegrams of one function: items are added to the telegram
// under construction until its group changes or it is full.
class Builder {
public:
    Builder(std::string address, uint8_t type, uint8_t number)
        : m_address(std::move(address))
        , m_type(type)
        , m_number(number)
    {
    }

    void header(const McdefRecord& r)
    {
        close();
        m_header.number = r.number();
        m_header.type = m_type;
        m_header.name = r.name();
        m_telegrams.push_back({});
        m_headerIndex = m_telegrams.size() - 1;
    }

    void reference(const McdefRecord& r)
    {
        const uint8_t command = WriteCommandFor(r.blockType(), &r[McdefRecord::ContentOffset]);
        const ReferenceForm& form = *FindReferenceForm(command);
        const size_t size = form.writeItemSize();
        startGroup(command, r.blockNumber(), form.maxWriteItems);
        Telegram& t = *m_open;
        uint8_t& count = t[D + 1];
        ReferenceItemFields item{m_runningIndex[form.slotKind]++, r.item(), {}, 0};
        std::copy_n(&r[McdefRecord::ContentOffset], ReferenceParameterBytes, item.parameters.begin());
        WriteReferenceItem(&t[D + 2 + count * size], form, command, item);
        ++count;
        SetTelegramDataLength(t, uint16_t(size * count + 2));
        ++m_counts[r.blockType() == BlockType::Input ? 0 : 1][size_t((r.blockNumber() - 1) % 8)];
    }

    void schedule(const McdefRecord& r)
    {
        startGroup(Command::WriteSchedules, r.blockNumber(), ScheduleReferencesPerTelegram);
        Telegram& t = *m_open;
        uint8_t& count = t[D + 1];
        t[D + 2 + count] = r.item();
        ++count;
        SetTelegramDataLength(t, uint16_t(count + 2));
        ++m_scheduleCounts[size_t((r.blockNumber() - 1) % 4)];
    }

    void dataBlock(const McdefRecord& r)
    {
        close();
        std::optional<Telegram> t =
            BuildTelegram(Command::WriteDataBlock, m_address, DataBlockWriteLength(m_type, r.blockNumber(), r[McdefRecord::ContentOffset]), m_type,
                          r.blockNumber());
        if (!t)
            return;
        (*t)[D] = r.number();
        std::copy_n(r.data() + McdefRecord::ContentOffset, McdefRecord::ContentSize, t->begin() + D + 1);
        m_telegrams.push_back(*t);
    }

    std::vector<Telegram> finish()
    {
        close();
        if (m_headerIndex)
            m_telegrams[*m_headerIndex] = BuildHeaderTelegram(Command::WriteHeader, m_address, completeHeader());
        return m_telegrams;
    }

private:
    void startGroup(uint8_t command, uint8_t blockNumber, uint8_t limit)
    {
        if (m_open) {
            const auto id = IdentifyTelegram(*m_open);
            const bool sameGroup = id && id->command == command && id->offset == blockNumber;
            if (sameGroup && (*m_open)[D + 1] < limit)
                return;
            close();
        }
        m_open = BuildTelegram(command, m_address, 2, m_type, blockNumber);
        (*m_open)[D] = m_number;
    }

    void close()
    {
        if (m_open)
            m_telegrams.push_back(*m_open);
        m_open.reset();
    }

    // The masks and kinds of the type, and the items counted over the records.
    HeaderTelegram completeHeader()
    {
        HeaderTelegram h = m_header;
        const auto slotsOf = [&](int direction, const std::array<uint8_t, 8>& counts) {
            const SlotSet set = TypeSlots(m_type, direction);
            SlotCounts slots{set.mask, {}, counts};
            for (size_t s = 0; s < 8; ++s)
                slots.kinds[s] = set.has(int(s + 1)) ? set.descriptors[s].kind : 0;
            return slots;
        };
        h.inputs = slotsOf(Direction::Input, m_counts[0]);
        h.outputs = slotsOf(Direction::Output, m_counts[1]);
        h.scheduleMask = TypeOption(m_type, 0);
        h.scheduleCounts = m_scheduleCounts;
        h.blockMask = TypeBlockMask(m_type);
        return h;
    }

    std::string m_address;
    uint8_t m_type;
    uint8_t m_number;
    std::vector<Telegram> m_telegrams;
    std::optional<Telegram> m_open;
    std::optional<size_t> m_headerIndex;
    HeaderTelegram m_header;
    std::array<uint8_t, 3> m_runningIndex{};
    std::array<std::array<uint8_t, 8>, 2> m_counts{};
    std::array<uint8_t, 4> m_scheduleCounts{};
};

} // namespace


std::vector<Telegram> BuildFunctionTelegrams(const std::string& gatewayAddress, uint8_t type,
                                             const std::vector<McdefRecord>& records, bool dataBlocksOnly,
                                             const std::array<uint8_t, 4>& writableBlocks)
{
    Builder builder(gatewayAddress, type, records.empty() ? 0 : records.front().number());
    for (const McdefRecord& r : records) {
        switch (r.blockType()) {
        case BlockType::Header:
            if (!dataBlocksOnly)
                builder.header(r);
            break;
        case BlockType::Input:
        case BlockType::Output:
            if (!dataBlocksOnly)
                builder.reference(r);
            break;
        case BlockType::ScheduleReference:
            if (!dataBlocksOnly)
                builder.schedule(r);
            break;
        case BlockType::Data:
            if (std::find(writableBlocks.begin(), writableBlocks.end(), r.blockNumber()) != writableBlocks.end()
                && r.blockNumber() != 0)
                builder.dataBlock(r);
            break;
        default:
            break;
        }
    }
    return builder.finish();
}

uint16_t BuildFunctionTelegramsFromTable(const std::string& gatewayAddress, uint8_t number, bool dataBlocksOnly,
                                         const std::array<uint8_t, 4>& writableBlocks,
                                         std::vector<Telegram>& telegrams)
{
    McdefRecord header;
    uint16_t status = ReadBlock(number, BlockType::Header, 0, 0, header);
    if (status != DbStatus::Success)
        return status;
    std::vector<McdefRecord> records;
    status = dataBlocksOnly ? ReadBlocksOfType(number, BlockType::Data, records) : ReadFunction(number, records);
    if (status != DbStatus::Success)
        return status;
    telegrams = BuildFunctionTelegrams(gatewayAddress, header.type(), records, dataBlocksOnly, writableBlocks);
    return DbStatus::Success;
}

Telegram BuildStartStopTelegram(uint8_t command, const std::string& gatewayAddress, const std::vector<uint8_t>& numbers)
{
    const size_t count = std::min(numbers.size(), TelegramDataSize - 1);
    Telegram t = *BuildTelegram(command, gatewayAddress, uint16_t(count + 1), 255, 0);
    t[D] = uint8_t(count);
    std::copy_n(numbers.begin(), count, t.begin() + D + 1);
    return t;
}
