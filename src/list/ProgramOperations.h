#pragma once
// The operations of the function list as the program runs them.

#include "ListOperations.h"

ListOperations ProgramListOperations();
