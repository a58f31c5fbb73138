#include "gateway/TelegramBuilder.h"

#include "model/McdefAccess.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"

#include <algorithm>
#include <optional>

namespace {

constexpr size_t D = TelegramField::Data;

// Data lengths of the data-block telegrams; list blocks count the record's entries.
struct BlockLength {
    uint8_t type;
    uint8_t block;
    uint16_t fixed;    // 0 for a list block
    uint8_t entrySize; // list blocks: length = entrySize x record byte 6 + 2
};

constexpr BlockLength blockLengths[] = {
    {0, 1, 3, 0},  {0, 2, 29, 0}, {0, 3, 85, 0}, {0, 4, 0, 10}, {1, 1, 3, 0},  {2, 1, 4, 0},  {2, 2, 8, 0},
    {3, 1, 3, 0},  {4, 1, 6, 0},  {4, 2, 22, 0}, {5, 1, 4, 0},  {5, 2, 10, 0}, {6, 1, 3, 0},  {6, 2, 2, 0},
    {7, 1, 2, 0},  {7, 2, 3, 0},  {7, 3, 56, 0}, {8, 1, 23, 0}, {8, 2, 0, 5},  {8, 3, 0, 5},  {8, 4, 0, 5},
};

// The reference forms: which records take them and how an item is laid out.
enum class Form { Simple, Parameter, Multi };

Form formOf(const McdefRecord& r)
{
    if (r[6] == 255)
        return Form::Simple;
    if (le::u16(&r[38]) == 0)
        return Form::Parameter;
    return Form::Multi;
}

uint8_t commandOf(Form form, uint8_t blockType)
{
    const bool input = blockType == BlockType::Input;
    switch (form) {
    case Form::Simple:
        return input ? Command::WriteSimpleInputs : Command::WriteSimpleOutputs;
    case Form::Parameter:
        return input ? Command::WriteParameterInputs : Command::WriteParameterOutputs;
    case Form::Multi:
        return input ? Command::WriteMultiInputs : Command::WriteMultiOutputs;
    }
    return 0;
}

uint8_t itemSize(Form form) { return form == Form::Simple ? 2 : form == Form::Parameter ? 8 : 36; }

uint8_t itemLimit(Form form)
{
    return form == Form::Simple ? ItemLimit::SimpleReferences
        : form == Form::Parameter ? ItemLimit::ParameterReferences
                                  : ItemLimit::MultiReferences;
}

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
        Telegram t = *BuildTelegram(Command::WriteHeader, m_address, 57, m_type, 0);
        t[D] = r.number();
        le::putChars(&t[D + 1], FunctionNameLength, r.name());
        m_telegrams.push_back(t);
        m_headerIndex = m_telegrams.size() - 1;
    }

    void reference(const McdefRecord& r)
    {
        const Form form = formOf(r);
        const uint8_t command = commandOf(form, r.blockType());
        const size_t size = itemSize(form);
        startGroup(command, r.blockNumber(), itemLimit(form));
        Telegram& t = *m_open;
        uint8_t& count = t[D + 1];
        uint8_t* item = &t[D + 2 + count * size];
        item[0] = m_runningIndex[size_t(form)]++;
        item[1] = r.item();
        if (form == Form::Parameter) {
            std::copy_n(&r[6], 4, item + 2);
            std::copy_n(&r[10], 2, item + 6);
        } else if (form == Form::Multi) {
            std::copy_n(&r[6], 32, item + 2);
            std::copy_n(&r[38], 2, item + 34);
        }
        ++count;
        SetTelegramDataLength(t, uint16_t(size * count + 2));
        ++m_counts[r.blockType() == BlockType::Input ? 0 : 1][size_t((r.blockNumber() - 1) % 8)];
    }

    void schedule(const McdefRecord& r)
    {
        startGroup(Command::WriteSchedules, r.blockNumber(), ItemLimit::ScheduleReferences);
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
            BuildTelegram(Command::WriteDataBlock, m_address, DataBlockLength(m_type, r.blockNumber(), r), m_type,
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
            completeHeader(m_telegrams[*m_headerIndex]);
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
    void completeHeader(Telegram& t)
    {
        const auto putSlots = [&](size_t at, int direction, const std::array<uint8_t, 8>& counts) {
            const SlotSet slots = TypeSlots(m_type, direction);
            t[at] = slots.mask;
            for (size_t s = 0; s < 8; ++s) {
                t[at + 1 + 2 * s] = slots.has(int(s + 1)) ? slots.descriptors[s].kind : 0;
                t[at + 2 + 2 * s] = counts[s];
            }
        };
        putSlots(D + 17, Direction::Input, m_counts[0]);
        putSlots(D + 34, Direction::Output, m_counts[1]);
        t[D + 51] = TypeOption(m_type, 0);
        std::copy(m_scheduleCounts.begin(), m_scheduleCounts.end(), t.begin() + D + 52);
        t[D + 56] = TypeBlockMask(m_type);
    }

    std::string m_address;
    uint8_t m_type;
    uint8_t m_number;
    std::vector<Telegram> m_telegrams;
    std::optional<Telegram> m_open;
    std::optional<size_t> m_headerIndex;
    std::array<uint8_t, 3> m_runningIndex{};
    std::array<std::array<uint8_t, 8>, 2> m_counts{};
    std::array<uint8_t, 4> m_scheduleCounts{};
};

} // namespace

uint16_t DataBlockLength(uint8_t type, uint8_t block, const McdefRecord& record)
{
    for (const BlockLength& length : blockLengths)
        if (length.type == type && length.block == block)
            return length.fixed ? length.fixed : uint16_t(length.entrySize * record[6] + 2);
    return 0;
}

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
