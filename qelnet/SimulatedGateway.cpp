#include "SimulatedGateway.h"

#include "FunctionTelegrams.h"
#include "GatewayImage.h"
#include "protocol/LittleEndian.h"
#include "protocol/NodeAddress.h"
#include "protocol/ServerFrame.h"
#include "protocol/TypeCatalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint8_t AnyFunction = 255;
constexpr uint8_t MaxStampsPerAnswer = 18;
constexpr uint8_t MaxSchedulesPerWrite = 10;

uint8_t* dataOf(Telegram& t) { return &t[TelegramField::Data]; }

bool validNumber(uint8_t number) { return number >= 1 && number <= MaxFunctionNumber; }

// The entry the gateway answers for an index it holds nothing for.
std::vector<uint8_t> emptyEntry(uint8_t type, uint8_t index, size_t size)
{
    std::vector<uint8_t> entry(size, 0);
    entry[0] = index;
    if (type == FunctionType::YearlySchedule)
        entry[1] = 255; // deleted period
    else
        entry[1] = entry[2] = 255; // end mark
    return entry;
}

} // namespace

SimulatedGateway::SimulatedGateway(GatewayState state, GatewayFaults faults)
    : m_state(std::move(state))
    , m_faults(faults)
{
}

std::string SimulatedGateway::address() const { return GatewayAddress(NetworkText(m_state.network)); }

uint32_t SimulatedGateway::checkPassword(const std::string& password) const
{
    if (m_state.password.empty())
        return PasswordAnswer::NoPassword;
    return password == m_state.password ? PasswordAnswer::Accepted : PasswordAnswer::Refused;
}

Telegram SimulatedGateway::reply(uint8_t command, uint16_t dataLength, uint8_t p, uint8_t offset) const
{
    return *BuildTelegram(command, address(), dataLength, p, offset);
}

GatewayFunction* SimulatedGateway::find(uint8_t number)
{
    const auto it = m_state.functions.find(number);
    return it == m_state.functions.end() ? nullptr : &it->second;
}

uint8_t SimulatedGateway::reportedFlags(const GatewayFunction& function) const
{
    uint8_t flags = function.flags;
    if (TypeIsPassive(function.type))
        flags |= FunctionFlag::Started;
    if (function.headerOnly())
        flags |= FunctionFlag::NothingFurther;
    return flags;
}

std::optional<Telegram> SimulatedGateway::answer(const Telegram& request)
{
    std::optional<Telegram> answer = answerAsAsked(request);
    if (answer && m_faults.answerOtherFunction)
        renumberAnswer(*answer);
    return answer;
}

void SimulatedGateway::renumberAnswer(Telegram& answer) const
{
    const std::optional<IdentifiedTelegram> id = IdentifyTelegram(answer);
    if (!id)
        return;
    uint8_t* d = dataOf(answer);
    if (id->command >= Command::ReadHeader && id->command <= Command::WriteDataBlock) {
        d[0] = uint8_t(d[0] % MaxFunctionNumber + 1);
    } else if (id->command == Command::Start || id->command == Command::Stop || id->command == Command::Delete) {
        for (uint16_t k = 1; k < TelegramDataLength(answer); ++k)
            d[k] = uint8_t(d[k] % MaxFunctionNumber + 1);
    }
}

std::optional<Telegram> SimulatedGateway::answerAsAsked(const Telegram& request)
{
    const std::optional<IdentifiedTelegram> id = IdentifyTelegram(request);
    if (!id)
        return std::nullopt;
    const uint8_t* data = &request[TelegramField::Data];
    const uint16_t length = std::min<uint16_t>(TelegramDataLength(request), TelegramDataSize);
    switch (id->command) {
    case Command::NetConfigStamp:
        return netConfigStamp();
    case Command::Memory:
        return memory();
    case Command::Directory:
        return directory();
    case Command::Stamps:
        return stamps(data, length);
    case Command::ReadHeader:
        return header(data[0]);
    case Command::ReadSimpleInputs:
    case Command::ReadSimpleOutputs:
    case Command::ReadParameterInputs:
    case Command::ReadParameterOutputs:
    case Command::ReadMultiInputs:
    case Command::ReadMultiOutputs:
        return references(*id, data, length);
    case Command::ReadSchedules:
        return schedules(*id, data[0]);
    case Command::ReadDataBlock:
        return dataBlock(*id, data, length);
    case Command::Start:
    case Command::Stop:
        return startStop(*id, data, length);
    case Command::Delete:
        return remove(*id, data, length);
    case Command::Reset:
        return reset(*id);
    case Command::WriteHeader:
    case Command::WriteSimpleInputs:
    case Command::WriteSimpleOutputs:
    case Command::WriteParameterInputs:
    case Command::WriteParameterOutputs:
    case Command::WriteSchedules:
    case Command::WriteMultiInputs:
    case Command::WriteMultiOutputs:
    case Command::WriteDataBlock:
        return write(*id, data, length);
    default:
        return std::nullopt;
    }
}

Telegram SimulatedGateway::netConfigStamp() const
{
    Telegram t = reply(Command::NetConfigStamp, 2, AnyFunction, 0);
    le::putU16(dataOf(t), m_state.netConfigStamp);
    return t;
}

Telegram SimulatedGateway::memory() const
{
    Telegram t = reply(Command::Memory, uint16_t(6 + TypeLimitCount), AnyFunction, 0);
    uint8_t* d = dataOf(t);
    le::putU16(d, m_state.memoryKiB);
    le::putU16(d + 2, m_faults.memoryFull ? 0 : uint16_t(m_state.freeMemory() / 1024));
    d[4] = uint8_t(m_state.functions.size());
    d[5] = uint8_t(TypeLimitCount);
    std::copy(m_state.typeLimits.begin(), m_state.typeLimits.end(), d + 6);
    return t;
}

Telegram SimulatedGateway::directory() const
{
    Telegram t = reply(Command::Directory, 4 + MaxFunctionNumber, AnyFunction, 0);
    uint8_t* d = dataOf(t);
    d[0] = uint8_t(m_state.functions.size());
    std::memset(d + 4, 255, MaxFunctionNumber);
    for (const auto& [number, function] : m_state.functions)
        d[4 + number - 1] = function.type;
    return t;
}

Telegram SimulatedGateway::stamps(const uint8_t* data, uint16_t length)
{
    const uint8_t count = std::min<uint8_t>({data[0], MaxStampsPerAnswer, uint8_t(length > 0 ? length - 1 : 0)});
    Telegram t = reply(Command::Stamps, uint16_t(1 + 6 * count), AnyFunction, 0);
    uint8_t* d = dataOf(t);
    d[0] = count;
    for (uint8_t k = 0; k < count; ++k) {
        const uint8_t number = data[1 + k];
        uint8_t* entry = d + 1 + 6 * k;
        entry[0] = number;
        if (GatewayFunction* function = find(number)) {
            entry[1] = reportedFlags(*function);
            le::putU32(entry + 2, function->stamp);
            if (m_faults.changedStamp)
                function->stamp = m_state.nextStamp();
        }
    }
    return t;
}

Telegram SimulatedGateway::header(uint8_t number)
{
    const GatewayFunction* function = find(number);
    if (!function) {
        Telegram t = reply(Command::ReadHeader, HeaderAnswerLength, AnyFunction, 0);
        dataOf(t)[0] = number;
        dataOf(t)[1] = FunctionFlag::NothingFurther;
        return t;
    }
    HeaderTelegram h = HeaderOf(*function);
    h.flags = reportedFlags(*function);
    return BuildHeaderTelegram(Command::ReadHeader, address(), h);
}

Telegram SimulatedGateway::references(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length)
{
    const ReferenceForm& form = *FindReferenceForm(id.command);
    const GatewayFunction* function = find(data[0]);
    Telegram t = reply(id.command, 2, function ? function->type : AnyFunction, id.offset);
    uint8_t* d = dataOf(t);
    d[0] = data[0];
    if (!function)
        return t;
    const std::vector<ReferenceItem>& items = function->slot(form.direction, id.offset);
    const size_t asked = std::min<size_t>(data[1], length > 2 ? length - 2 : 0);
    uint8_t count = 0;
    for (size_t k = 0; k < asked && count < form.maxReadItems; ++k) {
        const uint8_t index = data[2 + k];
        if (index >= items.size())
            continue;
        const ReferenceItem& item = items[index];
        WriteReferenceItem(d + 2 + size_t(count) * form.readItemSize(), form, id.command,
                           {index, item.address, item.parameters, item.status});
        ++count;
    }
    d[1] = count;
    SetTelegramDataLength(t, uint16_t(2 + count * form.readItemSize()));
    return t;
}

Telegram SimulatedGateway::schedules(const IdentifiedTelegram& id, uint8_t number)
{
    const GatewayFunction* function = find(number);
    Telegram t = reply(id.command, 2, function ? function->type : AnyFunction, id.offset);
    uint8_t* d = dataOf(t);
    d[0] = number;
    if (!function)
        return t;
    const std::vector<uint8_t>& group = function->schedules[size_t(id.offset - 1)];
    d[1] = uint8_t(group.size());
    for (size_t k = 0; k < group.size(); ++k) {
        const auto schedule = m_state.functions.find(group[k]);
        const bool present = schedule != m_state.functions.end() && schedule->second.type == FunctionType::YearlySchedule;
        d[2 + 2 * k] = group[k];
        d[3 + 2 * k] = present ? 0 : ItemStatus::NoAnswer;
    }
    SetTelegramDataLength(t, uint16_t(2 + 2 * group.size()));
    return t;
}

Telegram SimulatedGateway::dataBlock(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length)
{
    const GatewayFunction* function = find(data[0]);
    Telegram t = reply(id.command, 6, function ? function->type : AnyFunction, id.offset);
    uint8_t* d = dataOf(t);
    d[0] = data[0];
    if (!function)
        return t;
    d[1] = reportedFlags(*function);
    le::putU32(d + 2, function->stamp);
    const uint8_t blockNumber = id.offset;
    const BlockLayout* layout = FindBlockLayout(function->type, blockNumber);
    if (!layout || !(function->header.blockMask & (1u << (blockNumber - 1))))
        return t;
    const DataBlock& block = layout->measured ? function->history[size_t(blockNumber - 3)]
                                              : function->blocks[size_t(blockNumber - 1)];
    uint8_t* content = d + DataBlockAnswerContent;
    if (layout->entrySize == 0) {
        size_t bytes = layout->readBytes;
        if (function->type == FunctionType::PoOptimizer && blockNumber == 1
            && block.bytes[PoOptimiseCommunicationByte] == NotConfigured)
            bytes = PoOptimiseCommunicationByte;
        std::copy_n(block.bytes.begin(), bytes, content);
        SetTelegramDataLength(t, uint16_t(DataBlockAnswerContent + bytes));
        return t;
    }
    // List blocks: the entries asked for, by a list of indices or by a portion
    // (size and first index).
    std::vector<uint8_t> indices;
    const uint8_t asked = length >= 2 ? std::min(data[1], layout->entriesPerRecord) : layout->entriesPerRecord;
    if (length >= 2 + asked && asked > 1) {
        indices.assign(data + 2, data + 2 + asked);
    } else {
        const uint8_t first = length >= 3 ? data[2] : 0;
        for (uint8_t k = 0; k < asked; ++k)
            indices.push_back(uint8_t(first + k));
    }
    content[0] = uint8_t(indices.size());
    uint8_t* entry = content + 1;
    for (const uint8_t index : indices) {
        const auto held = block.entries.find(index);
        const std::vector<uint8_t> bytes = held != block.entries.end()
            ? held->second
            : emptyEntry(function->type, index, layout->entrySize);
        std::copy_n(bytes.begin(), layout->entrySize, entry);
        entry += layout->entrySize;
    }
    SetTelegramDataLength(t, uint16_t(DataBlockAnswerContent + 1 + indices.size() * layout->entrySize));
    return t;
}

Telegram SimulatedGateway::writeAnswer(const IdentifiedTelegram& id, uint8_t number, uint8_t status) const
{
    Telegram t = reply(id.command, 6, id.p, id.offset);
    uint8_t* d = dataOf(t);
    d[0] = number;
    d[1] = status;
    const auto function = m_state.functions.find(number);
    if (function != m_state.functions.end())
        le::putU32(d + 2, function->second.stamp);
    return t;
}

Telegram SimulatedGateway::write(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length)
{
    const uint8_t number = data[0];
    if (m_faults.refuseWrites)
        return writeAnswer(id, number, *m_faults.refuseWrites);
    if (m_faults.changedStamp)
        return writeAnswer(id, number, GatewayStatus::StampChanged);

    uint8_t status = GatewayStatus::Accepted;
    if (id.command == Command::WriteHeader) {
        status = writeHeader(id.p, data, length);
    } else if (GatewayFunction* function = find(number); !function) {
        status = GatewayStatus::NoSuchFunction;
    } else if (function->type != id.p) {
        status = GatewayStatus::TypeDiffers;
    } else if (id.command == Command::WriteSchedules) {
        status = writeSchedules(*function, id.offset, data, length);
    } else if (id.command == Command::WriteDataBlock) {
        status = writeDataBlock(*function, id.offset, data, length);
    } else {
        status = writeReferences(*function, id, data, length);
    }
    if (status == GatewayStatus::Accepted) {
        m_state.functions[number].stamp = m_state.nextStamp();
        save();
    }
    return writeAnswer(id, number, status);
}

uint8_t SimulatedGateway::writeHeader(uint8_t type, const uint8_t* data, uint16_t length)
{
    const uint8_t number = data[0];
    if (!IsKnownType(type) || !validNumber(number) || length < 57)
        return GatewayStatus::BadRequest;
    GatewayFunction* existing = find(number);
    if (existing && existing->type != type)
        return GatewayStatus::TypeDiffers;
    if (!existing) {
        if (m_faults.memoryFull || m_state.freeMemory() < TypeSize(type))
            return GatewayStatus::MemoryFull;
        if (m_state.countOfType(type) >= m_state.typeLimits[type])
            return GatewayStatus::TypeLimitReached;
    }
    GatewayFunction& function = m_state.functions[number];
    if (!existing) {
        function.number = number;
        function.type = type;
        function.flags = TypeIsPassive(type) ? FunctionFlag::Started : 0;
    }
    function.flags &= uint8_t(~(FunctionFlag::ErrorMark | FunctionFlag::ReferenceErrorMark));
    function.name = le::str(data + 1, FunctionNameLength);
    const auto readSlots = [&](const uint8_t* at, SlotLayout& layout) {
        layout.mask = at[0];
        for (size_t s = 0; s < 8; ++s)
            layout.kinds[s] = at[1 + 2 * s];
    };
    readSlots(data + 17, function.header.inputs);
    readSlots(data + 34, function.header.outputs);
    function.header.scheduleMask = data[51];
    function.header.blockMask = data[56];
    for (auto& direction : function.references)
        for (auto& items : direction)
            items.clear();
    for (auto& group : function.schedules)
        group.clear();
    return GatewayStatus::Accepted;
}

uint8_t SimulatedGateway::writeReferences(GatewayFunction& function, const IdentifiedTelegram& id,
                                          const uint8_t* data, uint16_t length)
{
    const ReferenceForm& form = *FindReferenceForm(id.command);
    const SlotLayout& layout = form.direction == Direction::Input ? function.header.inputs : function.header.outputs;
    const uint8_t count = data[1];
    if (!(layout.mask & (1u << (id.offset - 1))) || layout.kinds[size_t(id.offset - 1)] != form.slotKind
        || count == 0 || count > form.maxWriteItems || length != 2 + count * form.writeItemSize())
        return GatewayStatus::BadRequest;
    std::vector<ReferenceItem>& items = function.slot(form.direction, id.offset);
    for (uint8_t k = 0; k < count; ++k) {
        const ReferenceItemFields fields =
            ReadReferenceItem(data + 2 + size_t(k) * form.writeItemSize(), form, id.command);
        ReferenceItem item;
        item.form = id.command;
        item.address = fields.address;
        item.parameters = fields.parameters;
        const auto same = std::find_if(items.begin(), items.end(), [&](const ReferenceItem& held) {
            return held.address == item.address && held.parameters == item.parameters;
        });
        if (same != items.end())
            *same = item;
        else
            items.push_back(item);
    }
    return GatewayStatus::Accepted;
}

uint8_t SimulatedGateway::writeSchedules(GatewayFunction& function, uint8_t group, const uint8_t* data,
                                         uint16_t length)
{
    const uint8_t count = data[1];
    if (!(function.header.scheduleMask & (1u << (group - 1))) || count == 0 || count > MaxSchedulesPerWrite
        || length != 2 + count)
        return GatewayStatus::BadRequest;
    std::vector<uint8_t>& items = function.schedules[size_t(group - 1)];
    for (uint8_t k = 0; k < count; ++k)
        if (std::find(items.begin(), items.end(), data[2 + k]) == items.end())
            items.push_back(data[2 + k]);
    return GatewayStatus::Accepted;
}

uint8_t SimulatedGateway::writeDataBlock(GatewayFunction& function, uint8_t blockNumber, const uint8_t* data,
                                         uint16_t length)
{
    const BlockLayout* layout = FindBlockLayout(function.type, blockNumber);
    if (!layout || TypeBlockKind(function.type, blockNumber) != BlockKind::UploadAndWrite
        || !(function.header.blockMask & (1u << (blockNumber - 1))))
        return GatewayStatus::BadRequest;
    DataBlock& block = function.blocks[size_t(blockNumber - 1)];
    const uint8_t* content = data + 1;
    if (layout->entrySize == 0) {
        if (length != 1 + layout->writeBytes)
            return GatewayStatus::BadRequest;
        for (size_t k = 0; k < layout->writeBytes; ++k)
            if (!IsReportedByte(function.type, blockNumber, k))
                block.bytes[k] = content[k];
    } else {
        const uint8_t count = content[0];
        if (count > layout->entriesPerRecord || length != 2 + count * layout->entrySize)
            return GatewayStatus::BadRequest;
        for (uint8_t k = 0; k < count; ++k) {
            const uint8_t* entry = content + 1 + size_t(k) * layout->entrySize;
            block.entries[entry[0]] = std::vector<uint8_t>(entry, entry + layout->entrySize);
        }
    }
    block.present = true;
    if (m_faults.corruptStoredBlock)
        corruptStoredBlock(function.type, blockNumber, layout->entrySize ? content[1] : 0, block);
    if (blockNumber == 1 && HasManualState(function.type)) {
        if (block.bytes[0])
            function.flags |= FunctionFlag::Manual;
        else
            function.flags &= uint8_t(~FunctionFlag::Manual);
    }
    return GatewayStatus::Accepted;
}

void SimulatedGateway::corruptStoredBlock(uint8_t type, uint8_t blockNumber, uint8_t firstEntry,
                                          DataBlock& block) const
{
    const BlockLayout* layout = FindBlockLayout(type, blockNumber);
    if (layout->entrySize != 0) {
        // The written entry's byte after its index: a period's state, an evaporator's address.
        const auto entry = block.entries.find(firstEntry);
        if (entry != block.entries.end())
            entry->second[1] ^= 0x01;
        return;
    }
    for (size_t k = 0; k < layout->writeBytes; ++k)
        if (!IsReportedByte(type, blockNumber, k)) {
            block.bytes[k] ^= 0x01;
            return;
        }
}

Telegram SimulatedGateway::functionListAnswer(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length,
                                              uint8_t status) const
{
    const uint8_t count = length >= 1 + data[0] ? data[0] : 0;
    Telegram t = reply(id.command, uint16_t(1 + count), id.p, id.offset);
    dataOf(t)[0] = status;
    std::copy_n(data + 1, count, dataOf(t) + 1);
    return t;
}

Telegram SimulatedGateway::startStop(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length)
{
    const uint8_t count = data[0];
    uint8_t status = GatewayStatus::Accepted;
    if (count == 0 || length < 1 + count)
        status = GatewayStatus::BadRequest;
    for (uint8_t k = 0; k < count && status == GatewayStatus::Accepted; ++k) {
        const GatewayFunction* function = find(data[1 + k]);
        if (!function)
            status = GatewayStatus::NoSuchFunction;
        else if (TypeIsPassive(function->type))
            status = GatewayStatus::NotStartable;
    }
    if (status == GatewayStatus::Accepted) {
        for (uint8_t k = 0; k < count; ++k) {
            uint8_t& flags = m_state.functions[data[1 + k]].flags;
            if (id.command == Command::Start)
                flags |= FunctionFlag::Started;
            else
                flags &= uint8_t(~FunctionFlag::Started);
        }
        save();
    }
    return functionListAnswer(id, data, length, status);
}

Telegram SimulatedGateway::remove(const IdentifiedTelegram& id, const uint8_t* data, uint16_t length)
{
    const uint8_t count = data[0];
    uint8_t status = GatewayStatus::Accepted;
    if (count == 0 || length < 1 + count)
        status = GatewayStatus::BadRequest;
    for (uint8_t k = 0; k < count && status == GatewayStatus::Accepted; ++k)
        if (!find(data[1 + k]))
            status = GatewayStatus::NoSuchFunction;
    if (status == GatewayStatus::Accepted) {
        for (uint8_t k = 0; k < count; ++k)
            m_state.functions.erase(data[1 + k]);
        save();
    }
    return functionListAnswer(id, data, length, status);
}

Telegram SimulatedGateway::reset(const IdentifiedTelegram& id)
{
    Telegram t = reply(id.command, 1, id.p, id.offset);
    m_state.functions.clear();
    save();
    dataOf(t)[0] = GatewayStatus::Accepted;
    return t;
}

void SimulatedGateway::save()
{
    if (m_imageFile.empty())
        return;
    m_saveError = WriteGatewayImage(m_imageFile, m_state).value_or(std::string());
    if (!m_saveError.empty())
        std::fprintf(stderr, "qelnetd: cannot save %s: %s\n", m_imageFile.c_str(), m_saveError.c_str());
}
