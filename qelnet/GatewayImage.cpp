#include "GatewayImage.h"

#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "support/RegularFile.h"

#include <QSaveFile>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

constexpr uint8_t MeasuredBlock = 0x80;
constexpr size_t PasswordField = MaxPasswordLength + 1;

class Writer {
public:
    void u8(uint8_t v) { m_bytes.push_back(v); }
    void u16(uint16_t v)
    {
        uint8_t b[2];
        le::putU16(b, v);
        bytes(b, 2);
    }
    void u32(uint32_t v)
    {
        uint8_t b[4];
        le::putU32(b, v);
        bytes(b, 4);
    }
    void text(const std::string& s, size_t width, bool terminated)
    {
        std::vector<uint8_t> field(width);
        if (terminated)
            le::putStr(field.data(), width, s);
        else
            le::putChars(field.data(), width, s);
        bytes(field.data(), width);
    }
    void bytes(const uint8_t* p, size_t n) { m_bytes.insert(m_bytes.end(), p, p + n); }
    std::vector<uint8_t>& result() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

// Reads the body; a read past its end or a value out of range throws with the reason.
class Reader {
public:
    Reader(const uint8_t* bytes, size_t size)
        : m_bytes(bytes)
        , m_size(size)
    {
    }
    const uint8_t* take(size_t n)
    {
        if (m_size - m_at < n)
            throw std::runtime_error("ends inside a record at body byte " + std::to_string(m_at));
        const uint8_t* p = m_bytes + m_at;
        m_at += n;
        return p;
    }
    uint8_t u8() { return *take(1); }
    uint16_t u16() { return le::u16(take(2)); }
    uint32_t u32() { return le::u32(take(4)); }
    std::string text(size_t width) { return le::str(take(width), width); }
    bool atEnd() const { return m_at == m_size; }
    size_t position() const { return m_at; }

private:
    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_at = 0;
};

void fail(const std::string& reason) { throw std::runtime_error(reason); }

void writeBlock(Writer& w, uint8_t tag, const DataBlock& block, uint8_t entrySize)
{
    if (!block.present)
        return;
    w.u8(tag);
    w.u8(entrySize);
    if (entrySize == 0) {
        w.bytes(block.bytes.data(), BlockSize);
        return;
    }
    w.u8(uint8_t(block.entries.size()));
    for (const auto& [index, entry] : block.entries)
        w.bytes(entry.data(), entrySize);
}

void writeFunction(Writer& w, const GatewayFunction& f)
{
    w.u8(f.number);
    w.u8(f.type);
    w.u8(f.flags);
    w.u32(f.stamp);
    w.text(f.name, FunctionNameLength, false);
    for (const SlotLayout* layout : {&f.header.inputs, &f.header.outputs}) {
        w.u8(layout->mask);
        w.bytes(layout->kinds.data(), 8);
    }
    w.u8(f.header.scheduleMask);
    w.u8(f.header.blockMask);

    uint16_t items = 0;
    for (const auto& direction : f.references)
        for (const auto& slot : direction)
            items = uint16_t(items + slot.size());
    w.u16(items);
    for (int direction = 1; direction <= 2; ++direction)
        for (int slot = 1; slot <= 8; ++slot)
            for (const ReferenceItem& item : f.slot(direction, slot)) {
                w.u8(uint8_t(direction));
                w.u8(uint8_t(slot));
                w.u8(item.form);
                w.u8(item.address);
                w.u8(item.status);
                w.bytes(item.parameters.data(), ReferenceParameterBytes);
            }

    uint8_t schedules = 0;
    for (const auto& group : f.schedules)
        schedules = uint8_t(schedules + group.size());
    w.u8(schedules);
    for (size_t g = 0; g < 4; ++g)
        for (const uint8_t number : f.schedules[g]) {
            w.u8(uint8_t(g + 1));
            w.u8(number);
        }

    uint8_t blocks = 0;
    for (const DataBlock& b : f.blocks)
        blocks = uint8_t(blocks + (b.present ? 1 : 0));
    for (const DataBlock& b : f.history)
        blocks = uint8_t(blocks + (b.present ? 1 : 0));
    w.u8(blocks);
    for (uint8_t n = 1; n <= 4; ++n) {
        const BlockLayout* layout = FindBlockLayout(f.type, n);
        writeBlock(w, n, f.blocks[n - 1], layout ? layout->entrySize : 0);
    }
    for (uint8_t n = 3; n <= 4; ++n) {
        const BlockLayout* layout = FindBlockLayout(f.type, n);
        writeBlock(w, uint8_t(MeasuredBlock | n), f.history[n - 3], layout ? layout->entrySize : 0);
    }
}

void readBlock(Reader& r, GatewayFunction& f)
{
    const uint8_t tag = r.u8();
    const uint8_t number = tag & uint8_t(~MeasuredBlock);
    const bool measured = tag & MeasuredBlock;
    if (number < 1 || number > 4 || (measured && number < 3))
        fail("function " + std::to_string(f.number) + " has a data block numbered " + std::to_string(tag));
    const BlockLayout* layout = FindBlockLayout(f.type, number);
    const uint8_t entrySize = r.u8();
    if (!layout || entrySize != layout->entrySize)
        fail("function " + std::to_string(f.number) + ": data block " + std::to_string(number)
             + " does not fit its type");
    DataBlock& block = measured ? f.history[size_t(number - 3)] : f.blocks[size_t(number - 1)];
    block.present = true;
    if (entrySize == 0) {
        std::memcpy(block.bytes.data(), r.take(BlockSize), BlockSize);
        return;
    }
    const uint8_t count = r.u8();
    for (uint8_t k = 0; k < count; ++k) {
        const uint8_t* entry = r.take(entrySize);
        block.entries[entry[0]] = std::vector<uint8_t>(entry, entry + entrySize);
    }
}

GatewayFunction readFunction(Reader& r)
{
    GatewayFunction f;
    f.number = r.u8();
    f.type = r.u8();
    if (f.number < 1 || f.number > MaxFunctionNumber)
        fail("a function is numbered " + std::to_string(f.number));
    if (!IsKnownType(f.type))
        fail("function " + std::to_string(f.number) + " has the unknown type " + std::to_string(f.type));
    f.flags = r.u8();
    f.stamp = r.u32();
    f.name = r.text(FunctionNameLength);
    for (SlotLayout* layout : {&f.header.inputs, &f.header.outputs}) {
        layout->mask = r.u8();
        std::memcpy(layout->kinds.data(), r.take(8), 8);
    }
    f.header.scheduleMask = r.u8();
    f.header.blockMask = r.u8();

    const uint16_t items = r.u16();
    for (uint16_t k = 0; k < items; ++k) {
        const uint8_t direction = r.u8();
        const uint8_t slot = r.u8();
        if (direction < 1 || direction > 2 || slot < 1 || slot > 8)
            fail("function " + std::to_string(f.number) + " has a reference in slot " + std::to_string(direction)
                 + "/" + std::to_string(slot));
        ReferenceItem item;
        item.form = r.u8();
        item.address = r.u8();
        item.status = r.u8();
        std::memcpy(item.parameters.data(), r.take(ReferenceParameterBytes), ReferenceParameterBytes);
        f.slot(direction, slot).push_back(item);
    }
    const uint8_t schedules = r.u8();
    for (uint8_t k = 0; k < schedules; ++k) {
        const uint8_t group = r.u8();
        if (group < 1 || group > 4)
            fail("function " + std::to_string(f.number) + " has schedule group " + std::to_string(group));
        f.schedules[size_t(group - 1)].push_back(r.u8());
    }
    const uint8_t blocks = r.u8();
    for (uint8_t k = 0; k < blocks; ++k)
        readBlock(r, f);
    return f;
}

GatewayState readBody(Reader& r)
{
    GatewayState state;
    state.network = r.u16();
    state.netConfigStamp = r.u16();
    state.memoryKiB = r.u16();
    state.lastStamp = r.u32();
    state.password = r.text(PasswordField);
    std::memcpy(state.typeLimits.data(), r.take(TypeLimitCount), TypeLimitCount);
    const uint8_t count = r.u8();
    for (uint8_t k = 0; k < count; ++k) {
        GatewayFunction f = readFunction(r);
        if (state.functions.count(f.number))
            fail("function " + std::to_string(f.number) + " appears twice");
        state.functions[f.number] = std::move(f);
    }
    if (!r.atEnd())
        fail("stray bytes after the last function at body byte " + std::to_string(r.position()));
    return state;
}

} // namespace

uint32_t Crc32(const uint8_t* bytes, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::vector<uint8_t> EncodeGatewayImage(const GatewayState& state)
{
    Writer body;
    body.u16(state.network);
    body.u16(state.netConfigStamp);
    body.u16(state.memoryKiB);
    body.u32(state.lastStamp);
    body.text(state.password, PasswordField, true);
    body.bytes(state.typeLimits.data(), TypeLimitCount);
    body.u8(uint8_t(state.functions.size()));
    for (const auto& [number, function] : state.functions)
        writeFunction(body, function);

    Writer file;
    file.bytes(reinterpret_cast<const uint8_t*>(GatewayImageMagic), sizeof GatewayImageMagic);
    file.u16(GatewayImageVersion);
    file.u16(0);
    file.u32(uint32_t(body.result().size()));
    file.u32(Crc32(body.result().data(), body.result().size()));
    file.bytes(body.result().data(), body.result().size());
    return std::move(file.result());
}

std::optional<GatewayState> DecodeGatewayImage(const std::vector<uint8_t>& bytes, std::string& error)
{
    if (bytes.size() < GatewayImageHeaderSize) {
        error = "too short for a gateway image (" + std::to_string(bytes.size()) + " bytes)";
        return std::nullopt;
    }
    if (std::memcmp(bytes.data(), GatewayImageMagic, sizeof GatewayImageMagic) != 0) {
        error = "not a gateway image (bad magic)";
        return std::nullopt;
    }
    const uint16_t version = le::u16(&bytes[8]);
    if (version != GatewayImageVersion) {
        error = "format version " + std::to_string(version) + " is not supported";
        return std::nullopt;
    }
    const uint32_t length = le::u32(&bytes[12]);
    const size_t present = bytes.size() - GatewayImageHeaderSize;
    if (present != length) {
        error = (present < length ? "truncated: " : "too long: ") + std::string("the header announces ")
            + std::to_string(length) + " bytes of body, the file holds " + std::to_string(present);
        return std::nullopt;
    }
    const uint8_t* body = bytes.data() + GatewayImageHeaderSize;
    const uint32_t stored = le::u32(&bytes[16]);
    const uint32_t computed = Crc32(body, length);
    if (stored != computed) {
        char text[80];
        std::snprintf(text, sizeof text, "checksum wrong (stored %08x, computed %08x)", stored, computed);
        error = text;
        return std::nullopt;
    }
    try {
        Reader reader(body, length);
        return readBody(reader);
    } catch (const std::exception& e) {
        error = std::string("damaged: ") + e.what();
        return std::nullopt;
    }
}

std::optional<GatewayState> ReadGatewayImage(const std::string& path, std::string& error)
{
    FileProblem problem = FileProblem::None;
    const std::optional<std::string> content = ReadRegularFile(path, MaxImageFileSize, &problem);
    if (!content) {
        error = DescribeFileProblem(path, problem, MaxImageFileSize);
        return std::nullopt;
    }
    return DecodeGatewayImage(std::vector<uint8_t>(content->begin(), content->end()), error);
}

std::optional<std::string> WriteGatewayImage(const std::string& path, const GatewayState& state)
{
    const std::vector<uint8_t> bytes = EncodeGatewayImage(state);
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString().toStdString();
    if (file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()))
        return file.errorString().toStdString();
    if (!file.commit())
        return file.errorString().toStdString();
    return std::nullopt;
}
