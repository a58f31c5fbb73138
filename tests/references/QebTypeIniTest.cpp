// QebType.ini as the Po optimizer lists read it.

#include "references/QebTypeIni.h"

#include <gtest/gtest.h>

namespace {

TEST(ParameterReference, TheLastThreeFieldsAreTheParameterNumbers)
{
    EXPECT_EQ(ParseParameterReference("RegCond,3,14,2"), (ParameterNumbers{3, 14, 2}));
    EXPECT_EQ(ParseParameterReference("3,14,2"), (ParameterNumbers{3, 14, 2})) << "P1 at the start";
    EXPECT_EQ(ParseParameterReference("a,b, 8 ,1,3"), (ParameterNumbers{8, 1, 3})) << "text in front, blanks";
    EXPECT_EQ(ParseParameterReference("x,0,0,255"), (ParameterNumbers{0, 0, 255}));
    for (const char* bad : {"", "14,2", "RegCond,3,14,", "RegCond,3,x4,2", "RegCond,3,256,2", "3;14;2"})
        EXPECT_EQ(ParseParameterReference(bad), std::nullopt) << bad;
}

TEST(QebTypeIni, LoopsReferencesAndRoles)
{
    const QebTypeIni ini = QebTypeIni::fromText("[EVA-200 Funct 8]\n"
                                                "LoopId=ABCDEFGHI\n"
                                                "Input1A=RegCond,3,14,2\n"
                                                "Input1B=RegCond,3,15,2\n"
                                                "[pak-400 funct 8]\n"
                                                "Input1A=P0 in,8,2,3\n"
                                                "Output1A=dP0 out,8,1,3\n"
                                                "[OLD-1 Funct 8]\n"
                                                "Input1?=RegCond,3,14,2\n"
                                                "[P0Optimizer]\n"
                                                "DefaultDefrostDelay=15\n");
    EXPECT_EQ(ini.loopLetters("EVA-200"), "ABCDEFG") << "at most seven loops";
    EXPECT_EQ(ini.loopLetters("OLD-1"), "?") << "no LoopId: one loop of unknown letter";
    EXPECT_EQ(ini.loopLetters("NONE-1"), "?");
    EXPECT_EQ(ini.referenceText("EVA-200", "Input", 1, 'B'), "RegCond,3,15,2");
    EXPECT_EQ(ini.referenceText("PAK-400", "Output", 1, 'A'), "dP0 out,8,1,3") << "names without regard to case";
    EXPECT_EQ(ini.referenceText("OLD-1", "Input", 1, '?'), "RegCond,3,14,2");
    EXPECT_EQ(ini.referenceText("EVA-200", "Input", 2, 'A'), "");

    EXPECT_EQ(ini.fitsRole("EVA-200", PoRole::Evaporator), RoleFit::Yes);
    EXPECT_EQ(ini.fitsRole("EVA-200", PoRole::Compressor), RoleFit::No);
    EXPECT_EQ(ini.fitsRole("PAK-400", PoRole::Compressor), RoleFit::Yes);
    EXPECT_EQ(ini.fitsRole("PAK-400", PoRole::Evaporator), RoleFit::No) << "a compressor is never an evaporator";
    EXPECT_EQ(ini.fitsRole("OLD-1", PoRole::Evaporator), RoleFit::Unknown) << "no Input1A";
    EXPECT_EQ(ini.fitsRole("NONE-1", PoRole::Compressor), RoleFit::Unknown);

    EXPECT_EQ(ini.defaultDefrostDelaySeconds(), 900);
}

TEST(QebTypeIni, DefaultDefrostDelayAndAMissingFile)
{
    EXPECT_EQ(QebTypeIni::fromText("[P0Optimizer]\nOther=3\n").defaultDefrostDelaySeconds(), 1200);
    EXPECT_EQ(QebTypeIni::fromText("[P0Optimizer]\nDefaultDefrostDelay=soon\n").defaultDefrostDelaySeconds(), 1200);
    const QebTypeIni missing("/nonexistent/QebType.ini");
    EXPECT_EQ(missing.loopLetters("EVA-100"), "?");
    EXPECT_EQ(missing.fitsRole("EVA-100", PoRole::Evaporator), RoleFit::Unknown);
    EXPECT_EQ(missing.defaultDefrostDelaySeconds(), 1200);
}

} // namespace
