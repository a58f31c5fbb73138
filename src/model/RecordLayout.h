#pragma once
// The byte layout of a fixed-size record: one constant table of fields per
// record type. Reading a record, writing it and dumping it all go through that
// one table, so a field's place is written down once.

#include "protocol/LittleEndian.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

enum class FieldKind : uint8_t {
    U8,
    U16,
    U32,
    Chars, // a NUL-padded text in the field's code page
    Bytes, // raw bytes
};

// One field of a record. An integer field wider than its kind is an array of
// width / element size elements.
struct FieldLayout {
    std::string_view name;
    uint16_t offset;
    uint16_t width;
    FieldKind kind;

    constexpr size_t end() const { return size_t(offset) + width; }
    constexpr size_t elementSize() const
    {
        return kind == FieldKind::U16 ? 2 : kind == FieldKind::U32 ? 4 : 1;
    }
    constexpr size_t count() const { return width / elementSize(); }
};

// An integer field (or element `index` of an integer array field).
inline uint32_t ReadNumber(const FieldLayout& field, const uint8_t* record, size_t index = 0)
{
    const uint8_t* p = record + field.offset + index * field.elementSize();
    switch (field.kind) {
    case FieldKind::U16:
        return le::u16(p);
    case FieldKind::U32:
        return le::u32(p);
    default:
        return p[0];
    }
}

inline void WriteNumber(const FieldLayout& field, uint8_t* record, uint32_t value, size_t index = 0)
{
    uint8_t* p = record + field.offset + index * field.elementSize();
    switch (field.kind) {
    case FieldKind::U16:
        le::putU16(p, uint16_t(value));
        break;
    case FieldKind::U32:
        le::putU32(p, value);
        break;
    default:
        p[0] = uint8_t(value);
    }
}

// A text field; written NUL-padded with at least one terminating NUL.
inline std::string ReadText(const FieldLayout& field, const uint8_t* record)
{
    return le::str(record + field.offset, field.width);
}

inline void WriteText(const FieldLayout& field, uint8_t* record, std::string_view text)
{
    le::putStr(record + field.offset, field.width, text);
}

// Whether every field lies inside a record of `size` bytes, integer fields
// hold whole elements, and no two fields share a byte.
constexpr bool IsSoundLayout(std::span<const FieldLayout> fields, size_t size)
{
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldLayout& f = fields[i];
        if (f.width == 0 || f.end() > size || f.width % f.elementSize() != 0)
            return false;
        for (size_t j = i + 1; j < fields.size(); ++j)
            if (f.offset < fields[j].end() && fields[j].offset < f.end())
                return false;
    }
    return true;
}

// The field of a layout by its name; the layout must have it.
constexpr const FieldLayout& FieldNamed(std::span<const FieldLayout> fields, std::string_view name)
{
    for (const FieldLayout& f : fields)
        if (f.name == name)
            return f;
    throw std::out_of_range("no field " + std::string(name));
}

// A field bound to the member of a record struct that holds its value.
template <typename Record, typename Member>
struct MemberField {
    using MemberType = Member;
    FieldLayout layout;
    Member Record::*member;
};
// Spelled out for compilers that do not deduce from aggregate initialisation (clang before 17).
template <typename Record, typename Member>
MemberField(FieldLayout, Member Record::*) -> MemberField<Record, Member>;

namespace record_layout {

template <typename T>
struct IsUint16Array : std::false_type {};
template <size_t N>
struct IsUint16Array<std::array<uint16_t, N>> : std::true_type {};

// Whether a member of type Member can hold the field.
template <typename Member>
constexpr bool Holds(const FieldLayout& f)
{
    if constexpr (std::is_same_v<Member, std::string>)
        return f.kind == FieldKind::Chars;
    else if constexpr (std::is_same_v<Member, uint8_t>)
        return f.kind == FieldKind::U8 && f.width == 1;
    else if constexpr (std::is_same_v<Member, uint16_t>)
        return f.kind == FieldKind::U16 && f.width == 2;
    else if constexpr (std::is_same_v<Member, uint32_t>)
        return f.kind == FieldKind::U32 && f.width == 4;
    else if constexpr (IsUint16Array<Member>::value)
        return f.kind == FieldKind::U16 && f.count() == std::tuple_size_v<Member>;
    else
        return false;
}

template <typename Member>
void readInto(const FieldLayout& f, const uint8_t* record, Member& value)
{
    if constexpr (std::is_same_v<Member, std::string>)
        value = ReadText(f, record);
    else if constexpr (IsUint16Array<Member>::value)
        for (size_t i = 0; i < value.size(); ++i)
            value[i] = uint16_t(ReadNumber(f, record, i));
    else
        value = Member(ReadNumber(f, record));
}

template <typename Member>
void writeFrom(const FieldLayout& f, uint8_t* record, const Member& value)
{
    if constexpr (std::is_same_v<Member, std::string>)
        WriteText(f, record, value);
    else if constexpr (IsUint16Array<Member>::value)
        for (size_t i = 0; i < value.size(); ++i)
            WriteNumber(f, record, value[i], i);
    else
        WriteNumber(f, record, value);
}

} // namespace record_layout

// The layouts of a tuple of member fields, as one table.
template <typename... Fields>
constexpr auto LayoutOf(const std::tuple<Fields...>& fields)
{
    return std::apply([](const auto&... f) { return std::array<FieldLayout, sizeof...(Fields)>{f.layout...}; }, fields);
}

// Whether every member can hold its field.
template <typename... Fields>
constexpr bool MembersHoldFields(const std::tuple<Fields...>& fields)
{
    return std::apply(
        [](const auto&... f) {
            return (record_layout::Holds<typename std::remove_cvref_t<decltype(f)>::MemberType>(f.layout) && ...);
        },
        fields);
}

template <typename Record, typename... Fields>
Record ReadRecord(const std::tuple<Fields...>& fields, const uint8_t* bytes)
{
    Record record;
    std::apply([&](const auto&... f) { (record_layout::readInto(f.layout, bytes, record.*f.member), ...); }, fields);
    return record;
}

// Writes every field; bytes that no field covers become zero.
template <typename Record, typename... Fields>
void WriteRecord(const std::tuple<Fields...>& fields, const Record& record, uint8_t* bytes)
{
    std::fill_n(bytes, Record::Size, uint8_t(0));
    std::apply([&](const auto&... f) { (record_layout::writeFrom(f.layout, bytes, record.*f.member), ...); }, fields);
}
