#include "ModelFixture.h"

#include "model/Messages.h"
#include "model/Records.h"
#include "model/StringTable.h"
#include "model/Texts.h"
#include "model/TypeNames.h"
#include "protocol/TypeCatalogue.h"
#include "support/RecordStore.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>

namespace {

class TextsTest : public ModelFixture {
protected:
    void addCustom(uint8_t kind, uint16_t id, uint16_t control, const char* text)
    {
        OrpaTextRecord r;
        r.application = ApplicationName;
        r.kind = kind;
        r.id = id;
        r.control = control;
        r.text = text;
        insert(table::OrpaText, r.bytes());
    }
};

TEST_F(TextsTest, WithoutTheTextTableEveryTextIsBuiltIn)
{
    EXPECT_EQ(TextById(txt::TypeYearlySchedule), "Yearly Schedule");
    EXPECT_EQ(TextById(txt::UnknownType), "<<unknown type>>");
    char small[8];
    TextById(txt::TypeYearlySchedule, small, sizeof small);
    EXPECT_STREQ(small, "Yearly ") << "cut to length - 1 and terminated";
    EXPECT_EQ(ControlText(dlg::AlarmLimit, 36), "Indoor Temp");
    EXPECT_EQ(ControlText(dlg::ControllerOn, 36), "Compressor Controller");
}

TEST_F(TextsTest, CustomTextsReplaceBuiltInOnes)
{
    createTable(table::OrpaText);
    addCustom(OrpaTextRecord::TextById, 1000, 0, "Jahresplan");
    addCustom(OrpaTextRecord::DialogControl, dlg::DayNight, 35, "Day/Night outputs");
    ForgetTypeNames();
    EXPECT_EQ(TypeName(FunctionType::YearlySchedule), "Jahresplan");
    EXPECT_EQ(TypeName(FunctionType::QebOn), "QEB On");
    EXPECT_EQ(ControlText(dlg::DayNight, 35), "Day/Night outputs");
    EXPECT_EQ(ControlText(dlg::DayNight, 36), "Schedule") << "other controls keep their built-in text";
    EXPECT_EQ(ControlText(dlg::DayNight, txt::Limit), "Limit") << "last fallback: the text whose id is the control id";
    ForgetTypeNames();
}

TEST_F(TextsTest, DialogTextsGoToTheControlsByTheirIds)
{
    createTable(table::OrpaText);
    addCustom(OrpaTextRecord::DialogControl, dlg::DayNight, 0, "My caption");
    addCustom(OrpaTextRecord::DialogControl, dlg::DayNight, 37, "External input");
    addCustom(OrpaTextRecord::DialogControl, dlg::AlarmLimit, 36, "not this dialog");

    QDialog dialog;
    dialog.setProperty("dialogId", int(dlg::DayNight));
    auto* schedule = new QGroupBox("placeholder", &dialog);
    schedule->setProperty("controlId", 36);
    auto* external = new QGroupBox("placeholder", &dialog);
    external->setProperty("controlId", 37);
    auto* plain = new QLabel("untouched", &dialog);
    DialogTexts(&dialog);
    EXPECT_EQ(dialog.windowTitle(), "My caption");
    EXPECT_EQ(schedule->title(), "Schedule");
    EXPECT_EQ(external->title(), "External input");
    EXPECT_EQ(plain->text(), "untouched");
}

TEST_F(TextsTest, MessagesComeFromTheTextTable)
{
    m_script.expectMessage("<<unknown type>>");
    MessageById(txt::UnknownType, MB::Ok | MB::IconStop);
    m_script.expectMessage(QString::fromStdString("Error on database 'MCDEF' Return code = 4\n"
                                                   + RecordStore::instance().tableFile("MCDEF")));
    REPORT_DB_ERROR("MCDEF", DbStatus::KeyNotFound);
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconStop);
    EXPECT_EQ(m_script.beeps(), 2);
}

} // namespace
