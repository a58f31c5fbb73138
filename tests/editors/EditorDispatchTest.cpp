#include "editors/EditorDispatch.h"
#include "protocol/TypeCatalogue.h"

#include <gtest/gtest.h>

// The function list answers "not implemented" for a type without an editor;
// no type of the catalogue may meet that answer.
TEST(EditorDispatch, EveryTypeOfTheCatalogueHasItsEditorAndNoOtherTypeHasOne)
{
    for (int type = 0; type < FunctionType::Count; ++type)
        EXPECT_TRUE(EditorForType(uint8_t(type))) << "type " << type;
    EXPECT_FALSE(EditorForType(FunctionType::Count));
    EXPECT_FALSE(EditorForType(255));
}
