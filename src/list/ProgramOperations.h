#pragma once
// The operations of the function list as the program runs them.

#include "list/ListOperations.h"

ListOperations ProgramListOperations();
