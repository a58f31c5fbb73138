#include "model/Records.h"

#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"

#include <cstring>

namespace {

template <typename Record>
std::array<uint8_t, Record::Size> bytesOf(const Record& record)
{
    std::array<uint8_t, Record::Size> bytes{};
    record.write(bytes.data());
    return bytes;
}

} // namespace

NetCnfRecord NetCnfRecord::read(const uint8_t* b)
{
    NetCnfRecord r;
    r.nodeKey = le::str(b + 0, 8);
    r.idCode = le::str(b + 8, 17);
    r.ident = le::str(b + 25, 14);
    r.descKey = le::str(b + 39, 14);
    r.nodeKind = le::u16(b + 53);
    r.supportLevel = b[55];
    r.netConfigStamp = le::u16(b + 56);
    return r;
}

void NetCnfRecord::write(uint8_t* b) const
{
    std::memset(b, 0, Size);
    le::putStr(b + 0, 8, nodeKey);
    le::putStr(b + 8, 17, idCode);
    le::putStr(b + 25, 14, ident);
    le::putStr(b + 39, 14, descKey);
    le::putU16(b + 53, nodeKind);
    b[55] = supportLevel;
    le::putU16(b + 56, netConfigStamp);
}

std::array<uint8_t, NetCnfRecord::Size> NetCnfRecord::bytes() const { return bytesOf(*this); }

QebDesRecord QebDesRecord::read(const uint8_t* b)
{
    QebDesRecord r;
    r.descKey = le::str(b + 0, 14);
    r.p1 = le::u16(b + 14);
    r.p2 = le::u16(b + 16);
    r.p3 = le::u16(b + 18);
    r.function = le::u16(b + 20);
    r.parameterClass = b[22];
    r.defaultText = le::str(b + 38, 32);
    r.customText = le::str(b + 70, 32);
    r.functionDefaultText = le::str(b + 102, 32);
    r.functionCustomText = le::str(b + 134, 32);
    return r;
}

void QebDesRecord::write(uint8_t* b) const
{
    std::memset(b, 0, Size);
    le::putStr(b + 0, 14, descKey);
    le::putU16(b + 14, p1);
    le::putU16(b + 16, p2);
    le::putU16(b + 18, p3);
    le::putU16(b + 20, function);
    b[22] = parameterClass;
    le::putStr(b + 38, 32, defaultText);
    le::putStr(b + 70, 32, customText);
    le::putStr(b + 102, 32, functionDefaultText);
    le::putStr(b + 134, 32, functionCustomText);
}

std::array<uint8_t, QebDesRecord::Size> QebDesRecord::bytes() const { return bytesOf(*this); }

McParDefRecord McParDefRecord::read(const uint8_t* b)
{
    McParDefRecord r;
    r.ident = le::str(b + 0, 14);
    r.nodeText = le::str(b + 14, 8);
    r.functionParameter = b[22];
    r.p1 = b[23];
    r.p2 = b[24];
    r.p3 = b[25];
    return r;
}

void McParDefRecord::write(uint8_t* b) const
{
    std::memset(b, 0, Size);
    le::putStr(b + 0, 14, ident);
    le::putStr(b + 14, 8, nodeText);
    b[22] = functionParameter;
    b[23] = p1;
    b[24] = p2;
    b[25] = p3;
}

std::array<uint8_t, McParDefRecord::Size> McParDefRecord::bytes() const { return bytesOf(*this); }

OrpaTextRecord OrpaTextRecord::read(const uint8_t* b)
{
    OrpaTextRecord r;
    r.application = le::str(b + 0, 9);
    r.kind = b[9];
    r.id = le::u16(b + 11);
    r.control = le::u16(b + 13);
    r.text = le::str(b + 15, 83);
    return r;
}

void OrpaTextRecord::write(uint8_t* b) const
{
    std::memset(b, 0, Size);
    le::putStr(b + 0, 9, application);
    b[9] = kind;
    le::putU16(b + 11, id);
    le::putU16(b + 13, control);
    le::putStr(b + 15, 83, text);
}

std::array<uint8_t, OrpaTextRecord::Size> OrpaTextRecord::bytes() const { return bytesOf(*this); }

std::array<uint8_t, 15> OrpaTextRecord::key(uint8_t kind, uint16_t id, uint16_t control)
{
    std::array<uint8_t, 15> k{};
    le::putStr(k.data(), 9, ApplicationName);
    k[9] = kind;
    le::putU16(k.data() + 11, id);
    le::putU16(k.data() + 13, control);
    return k;
}

EventLogRecord EventLogRecord::read(const uint8_t* b)
{
    EventLogRecord r;
    r.eventClass = b[0];
    r.year = le::str(b + 1, 5);
    r.month = le::str(b + 6, 3);
    r.day = le::str(b + 9, 3);
    r.hour = le::str(b + 12, 3);
    r.minute = le::str(b + 15, 3);
    r.second = le::str(b + 18, 3);
    r.text = le::str(b + 21, 301);
    r.user = le::str(b + 322, 18);
    return r;
}

void EventLogRecord::write(uint8_t* b) const
{
    std::memset(b, 0, Size);
    b[0] = eventClass;
    le::putStr(b + 1, 5, year);
    le::putStr(b + 6, 3, month);
    le::putStr(b + 9, 3, day);
    le::putStr(b + 12, 3, hour);
    le::putStr(b + 15, 3, minute);
    le::putStr(b + 18, 3, second);
    le::putStr(b + 21, 301, text);
    le::putStr(b + 322, 18, user);
}

std::array<uint8_t, EventLogRecord::Size> EventLogRecord::bytes() const { return bytesOf(*this); }

XrtApplRecord XrtApplRecord::read(const uint8_t* b)
{
    XrtApplRecord r;
    r.application = le::str(b + 0, 9);
    r.window = le::u16(b + 9);
    r.title = le::str(b + 13, 100);
    return r;
}

void XrtApplRecord::write(uint8_t* b) const
{
    std::memset(b, 0, Size);
    le::putStr(b + 0, 9, application);
    le::putU16(b + 9, window);
    le::putStr(b + 13, 100, title);
}

std::array<uint8_t, XrtApplRecord::Size> XrtApplRecord::bytes() const { return bytesOf(*this); }

XrtBrugRecord XrtBrugRecord::read(const uint8_t* b)
{
    XrtBrugRecord r;
    r.login = le::str(b + 0, 21);
    r.name = le::str(b + 21, 29);
    for (int i = 0; i < AccessLevels; ++i)
        r.accessLevels[size_t(i)] = le::u16(b + 50 + 2 * i);
    return r;
}

void XrtBrugRecord::write(uint8_t* b) const
{
    std::memset(b, 0, Size);
    le::putStr(b + 0, 21, login);
    le::putStr(b + 21, 29, name);
    for (int i = 0; i < AccessLevels; ++i)
        le::putU16(b + 50 + 2 * i, accessLevels[size_t(i)]);
}

std::array<uint8_t, XrtBrugRecord::Size> XrtBrugRecord::bytes() const { return bytesOf(*this); }
