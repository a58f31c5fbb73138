#pragma once
// The UI seam's test script, checked when the test ends: every prompt the test
// expected came, and no other.

#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

class CheckedScript : public ScriptedUi {
public:
    ~CheckedScript() override
    {
        EXPECT_TRUE(failures().isEmpty()) << failures().join("\n").toStdString();
        EXPECT_TRUE(allAnswered()) << "a prompt the test expected did not come";
    }
};
