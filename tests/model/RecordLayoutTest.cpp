// Record layouts: every record type reads back what it writes, its fields land
// where the tables have them, and no layout lets two fields share a byte.

#include "SampleRecords.h"
#include "model/McdefRecord.h"
#include "model/Records.h"
#include "support/TableSchema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <typeinfo>
#include <vector>

namespace {

struct TableLayout {
    const char* table;
    std::span<const FieldLayout> fields;
    uint16_t size;
};

const std::vector<TableLayout>& allLayouts()
{
    static const std::vector<TableLayout> layouts = {
        {table::Mcdef, McdefLayout, McdefRecord::Size},
        {table::Mcdef, McdefHeaderLayout, McdefRecord::Size},
        {table::NetCnf, NetCnfLayout, NetCnfRecord::Size},
        {table::QebDes, QebDesLayout, QebDesRecord::Size},
        {table::McParDef, McParDefLayout, McParDefRecord::Size},
        {table::OrpaText, OrpaTextLayout, OrpaTextRecord::Size},
        {table::EventLog, EventLogLayout, EventLogRecord::Size},
        {table::XrtAppl, XrtApplLayout, XrtApplRecord::Size},
        {table::XrtBrug, XrtBrugLayout, XrtBrugRecord::Size},
    };
    return layouts;
}

TEST(RecordLayout, SoundnessCheckRejectsOverlapsOverrunsAndSplitIntegers)
{
    constexpr FieldLayout text{"text", 0, 8, FieldKind::Chars};
    constexpr FieldLayout number{"number", 8, 2, FieldKind::U16};
    EXPECT_TRUE(IsSoundLayout(std::array{text, number}, 10));
    EXPECT_FALSE(IsSoundLayout(std::array{text, number}, 9)) << "the last field runs past the record";
    EXPECT_FALSE(IsSoundLayout(std::array{text, FieldLayout{"number", 7, 2, FieldKind::U16}}, 10))
        << "one byte shared";
    EXPECT_FALSE(IsSoundLayout(std::array{FieldLayout{"inner", 2, 1, FieldKind::U8}, text}, 10))
        << "a field inside another";
    EXPECT_FALSE(IsSoundLayout(std::array{FieldLayout{"odd", 0, 3, FieldKind::U16}}, 10)) << "half an element";
    EXPECT_FALSE(IsSoundLayout(std::array{FieldLayout{"empty", 0, 0, FieldKind::Bytes}}, 10));
}

TEST(RecordLayout, EveryTableLayoutIsSoundAndItsKeysCutNoField)
{
    for (const TableLayout& layout : allLayouts()) {
        SCOPED_TRACE(layout.table);
        const TableSchema* schema = FindTableSchema(layout.table);
        ASSERT_NE(schema, nullptr);
        EXPECT_EQ(schema->recordLength, layout.size);
        EXPECT_TRUE(IsSoundLayout(layout.fields, layout.size));
        if (layout.fields.data() == McdefHeaderLayout.data())
            continue; // the header lies inside the content, not under the keys
        for (const KeyDefinition& key : schema->keys) {
            for (const KeySegment& segment : key.segments) {
                for (const size_t edge : {size_t(segment.offset), size_t(segment.offset) + segment.length})
                    for (const FieldLayout& field : layout.fields)
                        EXPECT_FALSE(field.offset < edge && edge < field.end())
                            << "key segment at " << segment.offset << " cuts " << field.name;
                if (segment.type == SegmentType::UnsignedLE) {
                    const auto field = std::find_if(layout.fields.begin(), layout.fields.end(),
                                                    [&](const FieldLayout& f) { return f.offset == segment.offset; });
                    ASSERT_NE(field, layout.fields.end());
                    EXPECT_EQ(field->width, segment.length) << field->name;
                    EXPECT_NE(field->kind, FieldKind::Chars) << field->name;
                }
            }
        }
    }
}

TEST(RecordLayout, FieldNamesAreUniquePerLayout)
{
    for (const TableLayout& layout : allLayouts())
        for (size_t i = 0; i < layout.fields.size(); ++i)
            for (size_t j = i + 1; j < layout.fields.size(); ++j)
                EXPECT_NE(layout.fields[i].name, layout.fields[j].name) << layout.table;
}

TEST(RecordLayout, TextsStayTerminatedAndLeaveTheirNeighboursAlone)
{
    constexpr FieldLayout text{"text", 1, 4, FieldKind::Chars};
    constexpr FieldLayout levels{"levels", 5, 4, FieldKind::U16};
    uint8_t record[10];
    std::fill(std::begin(record), std::end(record), uint8_t(0xEE));
    WriteText(text, record, "ABCDEFG");
    EXPECT_EQ(ReadText(text, record), "ABC");
    EXPECT_EQ(record[0], 0xEE);
    EXPECT_EQ(record[4], 0);
    EXPECT_EQ(record[5], 0xEE);

    WriteNumber(levels, record, 0x1234, 1);
    EXPECT_EQ(record[7], 0x34);
    EXPECT_EQ(record[8], 0x12);
    EXPECT_EQ(record[9], 0xEE);
    EXPECT_EQ(ReadNumber(levels, record, 1), 0x1234u);
    EXPECT_EQ(ReadNumber(levels, record, 0), 0xEEEEu);
}

template <typename Record>
void expectRoundTrip(const Record& record)
{
    SCOPED_TRACE(typeid(Record).name());
    std::array<uint8_t, Record::Size> bytes;
    bytes.fill(0xAA);
    record.write(bytes.data());
    EXPECT_EQ(bytes, record.bytes()) << "every byte is written, the unused ones as zero";
    EXPECT_EQ(Record::read(bytes.data()), record);
}

TEST(RecordLayout, NetworkNodesAndDescriptionsRoundTrip)
{
    const NetCnfRecord node = SampleNode();
    expectRoundTrip(node);
    const auto nodeBytes = node.bytes();
    EXPECT_EQ(nodeBytes[8], 'G');
    EXPECT_EQ(nodeBytes[25], 'E');
    EXPECT_EQ(nodeBytes[53], 0x20);
    EXPECT_EQ(nodeBytes[54], 0x01);
    EXPECT_EQ(nodeBytes[55], 2);
    EXPECT_EQ(nodeBytes[56], 0xEF);
    EXPECT_EQ(nodeBytes[57], 0xBE);

    const QebDesRecord parameter = SampleParameter();
    expectRoundTrip(parameter);
    const auto parameterBytes = parameter.bytes();
    EXPECT_EQ(parameterBytes[16], 0x03);
    EXPECT_EQ(parameterBytes[17], 0x02);
    EXPECT_EQ(parameterBytes[20], 0x05);
    EXPECT_EQ(parameterBytes[21], 0x04);
    EXPECT_EQ(parameterBytes[22], 6);
    EXPECT_EQ(parameterBytes[38], 'C');
    EXPECT_EQ(parameterBytes[134], 'R');

    const McParDefRecord definition = SampleDefinition();
    expectRoundTrip(definition);
    const auto definitionBytes = definition.bytes();
    EXPECT_EQ(definitionBytes[14], '2');
    EXPECT_EQ(definitionBytes[22], 4);
    EXPECT_EQ(definitionBytes[25], 7);
}

TEST(RecordLayout, TextsEventsApplicationsAndUsersRoundTrip)
{
    const OrpaTextRecord text = SampleControlText();
    expectRoundTrip(text);
    const auto textBytes = text.bytes();
    EXPECT_EQ(textBytes[9], OrpaTextRecord::DialogControl);
    EXPECT_EQ(textBytes[11], 0x02);
    EXPECT_EQ(textBytes[14], 0x03);
    EXPECT_EQ(textBytes[15], 'I');
    const auto key = OrpaTextRecord::key(text.kind, text.id, text.control);
    EXPECT_TRUE(std::equal(key.begin(), key.end(), textBytes.begin())) << "the key is the record up to its text";

    EventLogRecord event = SampleEvent();
    event.text = std::string(EventLogRecord::MaxText, 'x');
    expectRoundTrip(event);
    const auto eventBytes = event.bytes();
    EXPECT_EQ(eventBytes[0], EventLogRecord::FunctionChange);
    EXPECT_EQ(eventBytes[1], '2');
    EXPECT_EQ(eventBytes[18], '0');
    EXPECT_EQ(eventBytes[19], '5');
    EXPECT_EQ(eventBytes[21 + EventLogRecord::MaxText], 0) << "a full text keeps its terminator";
    EXPECT_EQ(eventBytes[322], 'A');

    const XrtApplRecord application = SampleApplication();
    expectRoundTrip(application);
    EXPECT_EQ(application.bytes()[9], 0x0B);
    EXPECT_EQ(application.bytes()[13], 'C');

    const XrtBrugRecord user = SampleUser();
    expectRoundTrip(user);
    const auto userBytes = user.bytes();
    EXPECT_EQ(userBytes[21], 'A');
    EXPECT_EQ(userBytes[50], 3);
    EXPECT_EQ(userBytes[50 + 2 * XrtBrugRecord::ProgramEntry], 0x02);
    EXPECT_EQ(userBytes[51 + 2 * XrtBrugRecord::ProgramEntry], 0x01);
    EXPECT_EQ(userBytes[248], 9);
}

TEST(RecordLayout, McdefFieldsLandAtTheirOffsets)
{
    McdefRecord header(7, BlockType::Header, 0, 0);
    header.setStatus(0x1234);
    header.setStamp(0x01020304);
    header.setType(3);
    header.setName("A name longer than sixteen");
    header.setFlags(FunctionFlag::Started);
    const uint8_t expectedStart[] = {7, 0, 0, 0, 0x34, 0x12, 0x04, 0x03, 0x02, 0x01, 3, 'A'};
    EXPECT_TRUE(std::equal(std::begin(expectedStart), std::end(expectedStart), header.data()));
    EXPECT_EQ(header.name(), "A name longer th");
    EXPECT_EQ(header[27], 0) << "the name keeps its terminator";
    EXPECT_EQ(header[28], FunctionFlag::Started);
    EXPECT_EQ(header.key(), (std::array<uint8_t, 4>{7, 0, 0, 0}));

    const McdefRecord block(9, BlockType::Output, 2, 5);
    EXPECT_EQ(block.key(), (std::array<uint8_t, 4>{9, BlockType::Output, 2, 5}));
    EXPECT_EQ(block.blockNumber(), 2);
    EXPECT_EQ(block.item(), 5);

    for (const FieldLayout& field : McdefHeaderLayout) {
        EXPECT_GE(field.offset, McdefField::Content.offset) << field.name;
        EXPECT_LE(field.end(), McdefField::Content.end()) << field.name;
    }
}

} // namespace
