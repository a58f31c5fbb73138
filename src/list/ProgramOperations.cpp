#include "ProgramOperations.h"

ListOperations ProgramListOperations()
{
    ListOperations operations;
    operations.editorFor = [](uint8_t) { return EditorFunction(); };
    return operations;
}
